// Showing a word on the card: its content, the head, the excellent-mnemonic box, and the nine
// section pages measured and stacked in the learner's order, each folded or unfolded by its flag.
#include <algorithm>
#include <cmath>

#include "learn/BaseWordViewController.h"
#include "learn/CardScreens.h"
#include "learn/CardSections.h"
#include "learn/ReviewListSort.h"
#include "platform/base/RunLoop.h"
#include "platform/draw/TextLayout.h"
#include "platform/view/Animation.h"
#include "platform/view/Screen.h"
#include "store/CallDB.h"

namespace {

using plat::Rect;

constexpr double kMeasureHeight = 20000;
constexpr double kQuarterTurn = M_PI / 2;

// A text's height within `width`, as the card measures it: 3 points added.
double measuredHeight(const std::string& text, const plat::Font& font, double width,
                      plat::LineBreakMode mode = plat::LineBreakMode::WordWrap) {
  return plat::measureText(text, font, {width, kMeasureHeight}, mode).height + 3;
}

void setTop(plat::View& view, double top) {
  Rect f = view.frame();
  f.y = top;
  view.setFrame(f);
}

void setHeight(plat::View& view, double height) {
  Rect f = view.frame();
  f.height = height;
  view.setFrame(f);
}

double bottomOf(const plat::View& view) {
  const Rect f = view.frame();
  return f.y + f.height;
}

std::vector<ReviewListSort::Entry> storedOrder() {
  return ReviewListSort::parse(CallDB::callDB()->getPersonalValue(ReviewListSort::kKey));
}

}  // namespace

void BaseWordViewController::refreshView(const std::string& word) {
  if (myScrollView_) myScrollView_->setContentOffset({0, 0});
  wordName_ = word;
  contentFresh_ = false;
  if (word.empty()) return;
  wordInfo_ = WordsMgr::initWords(word);
  announceWord(word);

  if (!isViewLoaded()) return;
  if (covered_) {
    deferLayout(true);
  } else {
    layoutHead();
    setZJView();
    Typesetting();
  }
  contentFresh_ = true;
}

void BaseWordViewController::announceWord(const std::string& word) {
  if (!isPlay_) return;
  CallDB* store = CallDB::callDB();
  if (store->getPersonalValue("autoAudio") == "1") {
    // Only the last of a quick run of words is pronounced.
    plat::RunLoop::main().cancelPerforms(this, "autoAudio");
    plat::RunLoop::main().performAfter(kAutoAudioDelay, this, "autoAudio",
                                       [this, word] { autoAudio(word); });
  }
  if (store->getPersonalValue("autoAccept") == "1" && !isEmbedded() && !showSprcialText_)
    autoAcceptFun();
}

void BaseWordViewController::autoAudio(const std::string& word) {
  CardScreens::pronounce(word, false);
}

void BaseWordViewController::layoutHead() {
  const std::string question = CallDB::callDB()->getWord_ShowName(wordInfo_->GetQuestion());
  wordBtn_->setTitle(question);
  wordBtn_->titleLabel().setAdjustsFontSizeToFitWidth(true);

  const Rect word = wordBtn_->frame();
  const std::string phonetics = wordInfo_->GetPhonetics();
  PhoneticsBtn_->setTitle(phonetics);
  PhoneticsBtn_->titleLabel().setNumberOfLines(0);
  PhoneticsBtn_->titleLabel().setLineBreakMode(plat::LineBreakMode::CharWrap);
  PhoneticsBtn_->titleLabel().setTextAlignment(plat::TextAlignment::Center);
  const double phoneticsHeight = measuredHeight(phonetics, PhoneticsBtn_->titleLabel().font(),
                                                word.width, plat::LineBreakMode::CharWrap);
  PhoneticsBtn_->setFrame(
      {word.x, word.y + word.height, word.width, std::max(phoneticsHeight, 25.0)});
  setHeight(*wordImage_, bottomOf(*PhoneticsBtn_) + 15);

  const std::string meaning = wordInfo_->GetMeaning();
  MeaningLabel_->setText(meaning);
  Rect m = MeaningLabel_->frame();
  m.y = 10;
  m.height = std::max(measuredHeight(meaning, MeaningLabel_->font(), m.width), 20.0);
  MeaningLabel_->setFrame(m);

  const std::string other = wordInfo_->GetOtherMeaning();
  OtherMeaningLabel_->setText(other);
  Rect o = OtherMeaningLabel_->frame();
  o.y = m.y + m.height;
  o.height = other.empty() ? 0 : measuredHeight(other, OtherMeaningLabel_->font(), o.width);
  OtherMeaningLabel_->setFrame(o);

  Rect panel = wordMeaningImage_->frame();
  panel.y = bottomOf(*wordImage_) - 10;
  panel.height = bottomOf(*OtherMeaningLabel_) - m.y + 25;
  wordMeaningImage_->setFrame(panel);
}

void BaseWordViewController::setZJView() {
  Rect box = goodzjView_->frame();
  if (showSprcialText_) {
    const plat::Value row = CallDB::callDB()->getSpecialMnemonicInfo(wordName_);
    const std::string sharer = row.size() > 0 ? row[size_t(0)].asString() : "";
    const std::string text = row.size() > 1 ? row[size_t(1)].asString() : "";
    sharerLabel_->setText("分享者: " + sharer);
    zjInfoLabel_->setText(text);
    Rect info = zjInfoLabel_->frame();
    info.height = std::max(measuredHeight(text, zjInfoLabel_->font(), info.width), 25.0);
    zjInfoLabel_->setFrame(info);
    box.y = bottomOf(*wordMeaningImage_) - 5;
    box.height = bottomOf(*zjInfoLabel_) + 5;
    goodzjView_->setFrame(box);
    goodzjBgImage_->setFrame({0, 0, box.width, box.height});
  } else {
    box.y = bottomOf(*wordMeaningImage_) + 5;
    box.height = 0;
    goodzjView_->setFrame(box);
  }
}

void BaseWordViewController::Typesetting() {
  if (!isViewLoaded() || !wordInfo_) return;
  if (covered_) {
    deferLayout(false);
    return;
  }
  loadPages();
}

void BaseWordViewController::setCovered(bool covered) {
  covered_ = covered;
  if (!covered_ && layoutWaiting_) layOutWaiting();
}

void BaseWordViewController::deferLayout(bool withHead) {
  headWaiting_ = headWaiting_ || withHead;
  layoutWaiting_ = true;
  plat::RunLoop::main().cancelPerforms(this, "layout");
  plat::RunLoop::main().performAfter(kCoveredLayoutDelay, this, "layout",
                                     [this] { layOutWaiting(); });
}

void BaseWordViewController::layOutWaiting() {
  plat::RunLoop::main().cancelPerforms(this, "layout");
  const bool head = headWaiting_;
  headWaiting_ = layoutWaiting_ = false;
  // From the word's content as it is now: a later word replaced the one the layout was asked for.
  if (!isViewLoaded() || !wordInfo_) return;
  if (head) {
    layoutHead();
    setZJView();
  }
  loadPages();
}

void BaseWordViewController::loadPages() {
  if (!isViewLoaded() || !wordInfo_) return;
  webViewNum_ = CardSections::kCount;
  for (Section& s : sections_) {
    s.header->setHidden(true);
    s.page->setHidden(true);
  }
  downBtn_->setHidden(true);
  yfDownBtn_->setHidden(true);
  for (Section& s : sections_) {
    s.page->stopLoading();
    s.page->loadHTMLString(wordInfo_->sectionPage(s.code), "");
  }
}

BaseWordViewController::Section* BaseWordViewController::sectionOfPage(const plat::WebView& page) {
  for (Section& s : sections_) {
    if (s.page.get() == &page) return &s;
  }
  return nullptr;
}

plat::Button* BaseWordViewController::writeButtonOf(int code) const {
  if (code == ReviewListSort::kMnemonic) return downBtn_.get();
  if (code == ReviewListSort::kGrammar) return yfDownBtn_.get();
  return nullptr;
}

double BaseWordViewController::contentBottomPadding() const {
  return plat::Screen::main().isPad() ? 18 : 9;
}

void BaseWordViewController::didFinishLoad(plat::WebView& page) {
  --webViewNum_;
  if (Section* s = sectionOfPage(page)) {
    Rect f = s->page->frame();
    f.y = bottomOf(*s->header);
    f.height = 1;
    s->page->setFrame(f);
    s->measuredHeight = s->page->sizeThatFits({0, 0}).height;
  }
  if (webViewNum_ < 1) {
    beginPos_ = bottomOf(*goodzjView_);
    for (const ReviewListSort::Entry& entry : storedOrder()) {
      if (!CardSections::info(entry.code)) continue;
      Section& s = sectionOf(entry.code);
      if (entry.shown) {
        placeSection(entry.code);
        s.header->setHidden(false);
        s.page->setHidden(false);
      } else {
        s.header->setHidden(true);
        s.page->setHidden(true);
      }
    }
  }
  const Rect frame = myScrollView_->frame();
  myScrollView_->setContentSize(
      {frame.width, std::max(beginPos_, frame.height + contentBottomPadding())});
}

void BaseWordViewController::placeSection(int code) {
  Section& s = sectionOf(code);
  setTop(*s.header, code == ReviewListSort::kMnemonic ? beginPos_ + 5 : beginPos_);
  plat::Button* write = writeButtonOf(code);
  if (write) setTop(*write, s.header->frame().y);
  plat::View* arrow = s.toggle->viewWithTag(kArrowTag);
  Rect page = s.page->frame();
  page.y = bottomOf(*s.header);
  if (CardSections::isExpanded(code)) {
    if (arrow) arrow->setTransform(plat::AffineTransform::rotation(kQuarterTurn));
    if (write) write->setHidden(false);
    page.height = s.measuredHeight;
  } else {
    if (arrow) arrow->setTransform(plat::AffineTransform::identity());
    if (write) write->setHidden(true);
  }
  s.page->setFrame(page);
  beginPos_ = bottomOf(*s.page);
}

void BaseWordViewController::changeViewPos(plat::View& view, double comparePos, double height) {
  if (view.frame().y >= comparePos) setTop(view, view.frame().y + height);
}

void BaseWordViewController::toggleSection(int code) {
  if (!isViewLoaded() || !CardSections::info(code)) return;
  Section& s = sectionOf(code);
  const Rect before = s.page->frame();
  plat::Button* write = writeButtonOf(code);

  plat::Animation::begin(CardSections::info(code)->animationName);
  plat::Animation::setDuration(kToggleSeconds);
  // The mnemonic and grammar sections read their state from the write button, which shows only
  // while they are unfolded; the others read their flag.
  const bool expanded = write ? !write->isHidden() : CardSections::isExpanded(code);
  plat::View* arrow = s.toggle->viewWithTag(kArrowTag);
  Rect page = before;
  if (expanded) {
    CardSections::setExpanded(code, false);
    if (arrow) arrow->setTransform(plat::AffineTransform::identity());
    if (write) write->setHidden(true);
    page.height = 1;
  } else {
    CardSections::setExpanded(code, true);
    if (arrow) arrow->setTransform(plat::AffineTransform::rotation(kQuarterTurn));
    if (write) write->setHidden(false);
    page.height = s.measuredHeight;
  }
  s.page->setFrame(page);

  const double delta = page.height - before.height;
  for (Section& other : sections_) {
    if (other.code == code) continue;
    changeViewPos(*other.header, before.y, delta);
    changeViewPos(*other.page, before.y, delta);
  }
  for (int owner : {int(ReviewListSort::kMnemonic), int(ReviewListSort::kGrammar)}) {
    if (owner != code) changeViewPos(*writeButtonOf(owner), before.y, delta);
  }
  changeContentSize();
  plat::Animation::commit();
}

void BaseWordViewController::changeContentSize() {
  double bottom = 0;
  const std::vector<ReviewListSort::Entry> order = storedOrder();
  for (auto entry = order.rbegin(); entry != order.rend(); ++entry) {
    if (!entry->shown) continue;
    if (CardSections::info(entry->code)) bottom = bottomOf(*sectionOf(entry->code).page);
    break;
  }
  const Rect frame = myScrollView_->frame();
  myScrollView_->setContentSize(
      {frame.width, std::max(bottom, frame.height + contentBottomPadding())});
}
