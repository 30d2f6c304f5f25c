#include "learn/BaseWordViewController.h"

#include <cmath>

#include "learn/CardSections.h"
#include "learn/PagingButton.h"
#include "net/HttpNetworkQueue.h"
#include "net/HttpRequest.h"
#include "platform/base/Bundle.h"
#include "platform/base/RunLoop.h"
#include "platform/draw/ImageContext.h"
#include "platform/view/NavigationController.h"
#include "platform/view/Screen.h"
#include "store/CallDB.h"
#include "ui/GuiImages.h"
#include "ui/NavBarItems.h"

namespace {

using plat::Rect;

constexpr double kHeaderHeight = 36;
constexpr double kPageInset = 10;
const plat::Color kToggleTitleColor = plat::Color::rgb255(57, 156, 102);

std::shared_ptr<plat::Image> named(const std::string& name) {
  return plat::Image::named(name);
}

// The schedule picture of a planned word: its images drawn in order over the first one's size.
std::shared_ptr<plat::Image> composed(const std::vector<std::string>& names) {
  if (names.empty()) return nullptr;
  auto first = named(names.front());
  if (!first) return nullptr;
  plat::ImageContext context(first->size(), false, 0);
  for (const std::string& name : names) {
    if (auto image = named(name)) image->draw(context.context(), {{0, 0}, image->size()});
  }
  return context.takeImage();
}

}  // namespace

std::shared_ptr<BaseWordViewController> BaseWordViewController::initWithNibName(
    const std::string&) {
  return std::make_shared<BaseWordViewController>();
}

std::shared_ptr<BaseWordViewController> BaseWordViewController::forWordList(
    BaseWordDeleage* owner, const std::string& parentName) {
  auto card = initWithNibName("BaseWordViewController");
  card->setDeleage(owner);
  card->setParentController(card.get());
  card->setParentName(parentName);
  card->view();
  if (auto* up = card->upWordBtn()) up->setHidden(false);
  if (auto* down = card->downWordBtn()) down->setHidden(false);
  return card;
}

BaseWordViewController::BaseWordViewController() {
  setTitle(plat::localized("学习信息", "InfoPlist"));
  for (int code = 1; code <= CardSections::kCount; ++code) sections_[size_t(code - 1)].code = code;
}

BaseWordViewController::~BaseWordViewController() {
  // No reply reaches the card once it is gone: networkQueue_ forgets every request it was given.
  plat::RunLoop::main().cancelPerforms(this);
  for (Section& section : sections_) {
    if (section.page) {
      section.page->setDelegate(nullptr);
      section.page->stopLoading();
    }
  }
  if (myScrollView_) myScrollView_->setDeleage(nullptr);
}

// ---- Building the view

void BaseWordViewController::loadView() {
  plat::ViewController::loadView();
  view()->setBackgroundColor(plat::Color::rgb255(244, 247, 242));
  buildInterface();
}

void BaseWordViewController::buildInterface() {
  const double width = view()->bounds().width;
  const double height = view()->bounds().height;
  myScrollView_ = std::make_shared<MyUIScrollView>(Rect(0, 0, width, height));
  myScrollView_->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
  myScrollView_->setAlwaysBounceVertical(true);
  view()->addSubview(myScrollView_);

  wordBtn_ = plat::Button::create(plat::ButtonType::Custom, {10, 8, width - 20, 34});
  wordBtn_->titleLabel().setFont(plat::Font::boldSystem(26));
  wordBtn_->setTitleColor(plat::Color::rgb255(40, 40, 40));
  wordBtn_->setAutoresizingMask(plat::kFlexibleWidth);
  wordBtn_->addTarget(
      this, "audio:", [this](plat::Control&) { audio(); }, plat::kTouchUpInside);
  PhoneticsBtn_ = plat::Button::create(plat::ButtonType::Custom, {10, 42, width - 20, 25});
  PhoneticsBtn_->titleLabel().setFont(plat::Font::system(16));
  PhoneticsBtn_->setTitleColor(plat::Color::rgb255(90, 90, 90));
  PhoneticsBtn_->setAutoresizingMask(plat::kFlexibleWidth);
  PhoneticsBtn_->addTarget(
      this, "audio:", [this](plat::Control&) { audio(); }, plat::kTouchUpInside);

  MeaningLabel_ = std::make_shared<plat::Label>(Rect(14, 10, width - 28, 20));
  MeaningLabel_->setFont(plat::Font::system(16));
  MeaningLabel_->setNumberOfLines(0);
  MeaningLabel_->setLineBreakMode(plat::LineBreakMode::WordWrap);
  MeaningLabel_->setAutoresizingMask(plat::kFlexibleWidth);
  OtherMeaningLabel_ = std::make_shared<plat::Label>(Rect(14, 30, width - 28, 20));
  OtherMeaningLabel_->setFont(plat::Font::system(14));
  OtherMeaningLabel_->setTextColor(plat::Color::rgb255(104, 104, 104));
  OtherMeaningLabel_->setNumberOfLines(0);
  OtherMeaningLabel_->setLineBreakMode(plat::LineBreakMode::WordWrap);
  OtherMeaningLabel_->setAutoresizingMask(plat::kFlexibleWidth);

  goodzjView_ = std::make_shared<plat::View>(Rect(8, 200, width - 16, 0));
  goodzjView_->setClipsToBounds(true);
  goodzjView_->setAutoresizingMask(plat::kFlexibleWidth);
  goodzjBgImage_ = std::make_shared<plat::ImageView>(Rect(0, 0, width - 16, 0));
  sharerLabel_ = std::make_shared<plat::Label>(Rect(10, 8, width - 106, 20));
  sharerLabel_->setFont(plat::Font::system(14));
  sharerLabel_->setTextColor(plat::Color::rgb255(57, 156, 102));
  zjInfoLabel_ = std::make_shared<plat::Label>(Rect(10, 32, width - 36, 25));
  zjInfoLabel_->setFont(plat::Font::system(15));
  zjInfoLabel_->setNumberOfLines(0);
  zjInfoLabel_->setLineBreakMode(plat::LineBreakMode::WordWrap);
  acceptzjBtn_ = plat::Button::create(plat::ButtonType::Custom, {width - 16 - 72, 4, 64, 28});
  acceptzjBtn_->addTarget(
      this, "accept:", [this](plat::Control&) { accept(); }, plat::kTouchUpInside);
  for (auto v : std::initializer_list<std::shared_ptr<plat::View>>{goodzjBgImage_, sharerLabel_,
                                                                   zjInfoLabel_, acceptzjBtn_})
    goodzjView_->addSubview(v);
  myScrollView_->addSubview(goodzjView_);

  // Sections 1 to 4 come with the interface: headers stacked one point apart, pages under them.
  double top = 220;
  for (int code = 1; code <= 4; ++code) {
    Section& s = sectionOf(code);
    s.header = std::make_shared<plat::ImageView>(Rect(0, top, width, kHeaderHeight));
    s.header->setUserInteractionEnabled(true);
    myScrollView_->addSubview(s.header);
    s.page = std::make_shared<plat::WebView>(
        Rect(kPageInset, top + kHeaderHeight, width - 2 * kPageInset, 1));
    myScrollView_->addSubview(s.page);
    top += kHeaderHeight + 1;
  }

  downBtn_ = plat::Button::create(plat::ButtonType::Custom, {width - 64, 0, 56, kHeaderHeight});
  downBtn_->setAutoresizingMask(plat::kFlexibleLeftMargin);
  downBtn_->addTarget(
      this, "down:", [this](plat::Control&) { down(); }, plat::kTouchUpInside);
  yfDownBtn_ = plat::Button::create(plat::ButtonType::Custom, {width - 64, 0, 56, kHeaderHeight});
  yfDownBtn_->setAutoresizingMask(plat::kFlexibleLeftMargin);
  yfDownBtn_->addTarget(
      this, "yf_down:", [this](plat::Control&) { yf_down(); }, plat::kTouchUpInside);
  myScrollView_->addSubview(downBtn_);
  myScrollView_->addSubview(yfDownBtn_);

  // The paging buttons sit in a strip of their own under the page while either shows (see
  // fitPagingStrip); their owners show them.
  auto pagingButton = [this](const Rect& frame, unsigned margins) {
    auto button = std::make_shared<PagingButton>(frame);
    button->setAutoresizingMask(plat::kFlexibleTopMargin | margins);
    button->setHidden(true);
    button->setOnVisibilityChange([this] { fitPagingStrip(); });
    return button;
  };
  upWordBtn_ = pagingButton({0, height - 47, 70, 44}, plat::kFlexibleRightMargin);
  upWordBtn_->addTarget(
      this, "upWord:", [this](plat::Control&) { upWord(); }, plat::kTouchUpInside);
  downWordBtn_ = pagingButton({width - 70, height - 47, 70, 44}, plat::kFlexibleLeftMargin);
  downWordBtn_->addTarget(
      this, "downWord:", [this](plat::Control&) { downWord(); }, plat::kTouchUpInside);
  pagingStripShown_ = false;
  view()->addSubview(upWordBtn_);
  view()->addSubview(downWordBtn_);
}

// The page ends above the paging buttons while either shows, so that no button lies over a line
// of the card; with both hidden the page takes the room back.
void BaseWordViewController::fitPagingStrip() {
  if (!myScrollView_ || !upWordBtn_ || !downWordBtn_) return;
  const bool wanted = !upWordBtn_->isHidden() || !downWordBtn_->isHidden();
  Rect page = myScrollView_->frame();
  if (wanted != pagingStripShown_) {
    page.height += wanted ? -kPagingStripHeight : kPagingStripHeight;
    myScrollView_->setFrame(page);
    pagingStripShown_ = wanted;
  }
  for (plat::Button* button : {upWordBtn_.get(), downWordBtn_.get()}) {
    Rect f = button->frame();
    f.y = page.y + page.height + (kPagingStripHeight - f.height) / 2;
    button->setFrame(f);
  }
}

void BaseWordViewController::buildSection(Section& s, const Rect& headerFrame) {
  const CardSections::Info& info = *CardSections::info(s.code);
  if (!s.header) {
    s.header = std::make_shared<plat::ImageView>(headerFrame);
    s.header->setUserInteractionEnabled(true);
    myScrollView_->addSubview(s.header);
  }
  s.header->setImage(named("gui/help_btn_bg.png"));
  s.header->setAutoresizingMask(plat::kFlexibleWidth);

  const Rect h = s.header->frame();
  const double toggleWidth = plat::Screen::main().isPad() ? h.width : h.width / 2;
  s.toggle = plat::Button::create(plat::ButtonType::Custom, {0, 0, toggleWidth, h.height});
  s.toggle->setAutoresizingMask(s.header->autoresizingMask());
  s.toggle->setTitle(info.title);
  s.toggle->setContentHorizontalAlignment(plat::ContentHorizontalAlignment::Left);
  s.toggle->setTitleEdgeInsets({0, 20, 0, 0});
  s.toggle->setTitleColor(kToggleTitleColor);
  s.toggle->setTitleColor(plat::Color::gray(), plat::kStateHighlighted);
  s.toggle->titleLabel().setFont(plat::Font::boldSystem(17));
  const int code = s.code;
  s.toggle->addTarget(
      this, "toggle", [this, code](plat::Control&) { toggleSection(code); }, plat::kTouchUpInside);
  auto arrow = std::make_shared<plat::ImageView>(named("gui/common_more.png"));
  const plat::Size arrowSize = arrow->frame().size();
  arrow->setFrame({5, (h.height - arrowSize.height) / 2, arrowSize.width, arrowSize.height});
  arrow->setAutoresizingMask(plat::kFlexibleRightMargin | plat::kFlexibleBottomMargin);
  arrow->setTag(kArrowTag);
  arrow->setUserInteractionEnabled(false);
  s.toggle->addSubview(arrow);
  s.toggle->setExclusiveTouch(true);
  s.header->addSubview(s.toggle);
}

void BaseWordViewController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  navigationItem().setTitleView(navbar::titleLabel(title()));
  navigationItem().setHidesBackButton(true);
  navigationItem().setLeftBarButtonItem(navbar::backItem(ParentName_, [this] { goBackAction(); }));

  const double width = myScrollView_->bounds().width;
  wordImage_ = std::make_shared<plat::ImageView>(Rect(0, 0, width, 200));
  wordImage_->setImage(guiimages::stretchable("gui/word_bg.png", 0, 5));
  wordImage_->setUserInteractionEnabled(true);
  wordImage_->setAutoresizingMask(wordBtn_->autoresizingMask());
  myScrollView_->addSubview(wordImage_);
  myScrollView_->sendSubviewToBack(wordImage_.get());
  wordImage_->addSubview(wordBtn_);
  wordImage_->addSubview(PhoneticsBtn_);

  wordMeaningImage_ = std::make_shared<plat::ImageView>(Rect(0, 0, width, 200));
  wordMeaningImage_->setImage(guiimages::stretchable("gui/meaning_bg.png", 0, 5));
  wordMeaningImage_->setAutoresizingMask(wordBtn_->autoresizingMask());
  myScrollView_->addSubview(wordMeaningImage_);
  myScrollView_->sendSubviewToBack(wordMeaningImage_.get());
  wordMeaningImage_->addSubview(MeaningLabel_);
  wordMeaningImage_->addSubview(OtherMeaningLabel_);

  for (int code = 1; code <= 4; ++code) buildSection(sectionOf(code), {});
  for (int code = 5; code <= CardSections::kCount; ++code) {
    const Rect previous = sectionOf(code - 1).header->frame();
    buildSection(sectionOf(code),
                 {previous.x, previous.y + previous.height + 1, previous.width, previous.height});
  }

  downBtn_->setImage(named("gui/help_zj_btn.png"));
  yfDownBtn_->setImage(named("gui/help_yf_btn.png"));
  isPlay_ = false;
  upWordBtn_->setImage(named("gui/up_word.png"));
  upWordBtn_->setImageEdgeInsets({0, -20, 0, 0});
  downWordBtn_->setImage(named("gui/down_word.png"));
  downWordBtn_->setImageEdgeInsets({0, 20, 0, 0});

  for (int code = 1; code <= CardSections::kCount; ++code) {
    Section& s = sectionOf(code);
    if (!s.page) {
      const Rect h = s.header->frame();
      const Rect previousPage = sectionOf(code - 1).page->frame();
      s.page = std::make_shared<plat::WebView>(
          Rect(kPageInset, h.y + h.height, h.width - 2 * kPageInset, previousPage.height));
      myScrollView_->addSubview(s.page);
    }
    s.page->setDelegate(this);
    s.page->setOpaque(false);
    s.page->setBackgroundColor(plat::Color::clear());
    s.page->setAutoresizingMask(plat::kFlexibleWidth);
    s.page->scrollView().setScrollEnabled(false);
  }
  myScrollView_->setDeleage(this);

  if (isEmbedded()) {
    const Rect app = plat::Screen::main().applicationFrame();
    view()->setFrame({0, 0, app.width, app.height});
    // The embedding screen's view starts as large and shrinks under its bars: so does the page.
    view()->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
    myScrollView_->setFrame(scrollframe_);
  }
  pagingStripShown_ = false;
  fitPagingStrip();

  goodzjBgImage_->setImage(guiimages::stretchable("gui/help_text_down.png", 0, 10));
  acceptzjBtn_->setImage(named("gui/accept2_btn.png"));
  sharerLabel_->setAdjustsFontSizeToFitWidth(true);

  for (const Section& s : sections_) s.toggle->setExclusiveTouch(true);
  for (auto* button : {downBtn_.get(), yfDownBtn_.get(), upWordBtn_.get(), downWordBtn_.get()})
    button->setExclusiveTouch(true);
  if (pagingShownBeforeUnload_) {
    upWordBtn_->setHidden(!pagingShownBeforeUnload_->first);
    downWordBtn_->setHidden(!pagingShownBeforeUnload_->second);
    pagingShownBeforeUnload_.reset();
  }
}

// ---- Unloading under memory pressure

void BaseWordViewController::viewWillUnload() {
  // Owners show the paging buttons once, when they make the card: the rebuilt view keeps them.
  pagingShownBeforeUnload_ = {!upWordBtn_->isHidden(), !downWordBtn_->isHidden()};
  plat::RunLoop::main().cancelPerforms(this, "autoAudio");
  plat::RunLoop::main().cancelPerforms(this, "layout");
  layoutWaiting_ = headWaiting_ = false;
  for (Section& section : sections_) {
    if (!section.page) continue;
    section.page->setDelegate(nullptr);
    section.page->stopLoading();
  }
  myScrollView_->setDeleage(nullptr);
}

// The word's content and every view go; the word itself stays, so that the card shows the same
// word when it comes back on screen (an owner returning to it from a note editor sets no word).
void BaseWordViewController::viewDidUnload() {
  wordInfo_.reset();
  contentFresh_ = false;
  for (Section& section : sections_) {
    const int code = section.code;
    section = Section{};
    section.code = code;
  }
  myScrollView_.reset();
  wordImage_.reset();
  wordBtn_.reset();
  PhoneticsBtn_.reset();
  wordMeaningImage_.reset();
  MeaningLabel_.reset();
  OtherMeaningLabel_.reset();
  goodzjView_.reset();
  goodzjBgImage_.reset();
  sharerLabel_.reset();
  zjInfoLabel_.reset();
  acceptzjBtn_.reset();
  downBtn_.reset();
  yfDownBtn_.reset();
  upWordBtn_.reset();
  downWordBtn_.reset();
  webViewNum_ = 0;
  beginPos_ = 0;
}

// ---- Appearance and rotation

void BaseWordViewController::viewWillAppear(bool animated) {
  BaseViewController::viewWillAppear(animated);
  parentViewAppear();
}

void BaseWordViewController::viewWillDisappear(bool animated) {
  BaseViewController::viewWillDisappear(animated);
  parentViewDisAppear();
}

void BaseWordViewController::parentViewAppear() {
  isPlay_ = true;
  if (wordName_.empty()) return;
  // An owner shows its word before the card's own appearance runs (the review screen's queue on
  // its first appearance), and both the owner and the card itself call this: once is enough.
  if (!contentFresh_ || !wordInfo_ || wordInfo_->GetQuestion() != wordName_) {
    refreshView(wordName_);
    return;
  }
  if (myScrollView_) myScrollView_->setContentOffset({0, 0});
  announceWord(wordName_);
}

void BaseWordViewController::parentViewDisAppear() {
  isPlay_ = false;
  contentFresh_ = false;  // notes and settings may change while another screen shows
  // A pronunciation still pending belongs to a card that is no longer seen.
  plat::RunLoop::main().cancelPerforms(this, "autoAudio");
}

void BaseWordViewController::ParentAutorotate_Over() {
  Typesetting();
}

bool BaseWordViewController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) {
  return plat::Screen::main().isPad() || o == plat::InterfaceOrientation::Portrait;
}

void BaseWordViewController::willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation,
                                                                       double) {
  ParentAutorotate_Over();
}

std::string BaseWordViewController::GetPhonetics() const {
  if (wordName_.empty() || !wordInfo_) return "";
  return wordInfo_->GetPhonetics();
}

// ---- The plan button

void BaseWordViewController::addRightItemBtn() {
  auto button = plat::Button::create(plat::ButtonType::Custom, {0, 0, 40, 40});
  const std::string state = deleage_ ? deleage_->checkWordState_callback(wordName_) : "";
  if (state == "1") {
    const auto forget = CallDB::callDB()->getWordForgetState(wordName_);
    if (forget && forget->isLevelZero()) {
      button->setImage(named("gui/del_words.png"));
      button->addTarget(
          this, "deleteWord:", [this](plat::Control&) { deleteWord(); }, plat::kTouchUpInside);
      button->setExclusiveTouch(true);
    } else {
      // A word whose schedule is under way (or that is no longer planned) cannot be removed here.
      auto image = forget ? composed(forget->images) : nullptr;
      button->setImage(image);
      button->setImage(image, plat::kStateDisabled);
      button->setEnabled(false);
    }
  } else {
    button->addTarget(
        this, "learnWord:",
        [this](plat::Control& sender) { learnWord(static_cast<plat::Button&>(sender)); },
        plat::kTouchUpInside);
    button->setExclusiveTouch(true);
    button->setImage(named(state == "2" ? "gui/checkbox_empty.png" : "gui/checkbox_full.png"));
  }
  planButton_ = button;
  navigationItem().setRightBarButtonItem(std::make_shared<plat::BarButtonItem>(button));
}

void BaseWordViewController::learnWord(plat::Button& sender) {
  if (!deleage_) return;
  const std::string word = wordName_;
  const bool select = deleage_->checkWordState_callback(word) == "2";
  sender.setImage(named(select ? "gui/checkbox_full.png" : "gui/checkbox_empty.png"));
  deleage_->selectwords_callback(word, select);
}

void BaseWordViewController::deleteWord() {
  if (deleage_) deleage_->deletewords_callback(wordName_, 2);
}

void BaseWordViewController::goBackAction() {
  if (auto* nav = navigationController()) nav->popViewController(true);
}
