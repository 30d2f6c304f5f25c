#include "books/LearnView.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "books/TextExtraction.h"
#include "books/TextFile.h"
#include "books/WordsUIViewController.h"
#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"
#include "platform/base/Device.h"
#include "platform/base/Files.h"
#include "platform/base/RunLoop.h"
#include "platform/base/Utf.h"
#include "platform/view/AlertView.h"
#include "platform/view/Animation.h"
#include "platform/view/NavigationController.h"
#include "store/CallDB.h"
#include "ui/GuiImages.h"
#include "ui/MyListAlerView.h"

using plat::Rect;

namespace {

constexpr double kButtonHeight = 36;
constexpr double kBottomMargin = 8;
// A change of the text is saved this long after it, with whatever followed meanwhile: a kill
// loses at most this much typing, and typing writes the store at most once in this time.
constexpr double kSaveDelay = 1.0;

std::shared_ptr<plat::Button> pageButton(const std::string& image, const std::string& title) {
  auto button = plat::Button::create(plat::ButtonType::Custom);
  button->setBackgroundImage(plat::Image::named(image));
  button->setTitle(title);
  button->titleLabel().setFont(plat::Font::boldSystem(14));
  button->setTitleColor(plat::Color::white());
  button->setExclusiveTouch(true);
  return button;
}

// The bar on a phone's keyboard, which covers the page's buttons: its one button ends editing.
std::shared_ptr<plat::View> keyboardBar(std::function<void()> done) {
  using namespace plat;
  auto bar = std::make_shared<View>(Rect{0, 0, 320, 30});
  bar->setBackgroundColor(Color::rgb255(247, 247, 247));
  bar->setAutoresizingMask(kFlexibleWidth);
  auto edge = std::make_shared<View>(Rect{0, 0, 320, 0.5});
  edge->setBackgroundColor(Color::white(0.7));
  edge->setAutoresizingMask(kFlexibleWidth);
  bar->addSubview(edge);
  auto button = Button::create(ButtonType::System, {320 - 100, 0, 100, 30});
  button->setTitle("隐藏键盘");
  button->titleLabel().setFont(Font::boldSystem(15));
  button->setAutoresizingMask(kFlexibleLeftMargin);
  button->addTarget([done](Control&) { done(); }, kTouchUpInside);
  bar->addSubview(button);
  return bar;
}

std::vector<std::string> stringsOf(const plat::Value& flat) {
  std::vector<std::string> out;
  for (size_t i = 0; i < flat.size(); ++i) out.push_back(flat.at(i).asString());
  return out;
}

}  // namespace

LearnView::~LearnView() {
  plat::RunLoop::main().cancelPerforms(this);
  if (mwords_) mwords_->setTextDelegate(nullptr);
  if (sliderView_) sliderView_->setDeleage(nullptr);
}

void LearnView::loadView() {
  setView(std::make_shared<plat::View>(Rect{0, 0, 320, 327}));
}

void LearnView::viewDidLoad() {
  using namespace plat;
  View& root = *view();
  root.setBackgroundColor(Color::white());
  const double width = root.bounds().width;
  const double top = root.bounds().height - kBottomMargin - kButtonHeight;

  textbgView_ = std::make_shared<ImageView>(guiimages::stretchable("gui/help_text_up.png", 2, 20));
  textbgView_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  root.addSubview(textbgView_);

  mwords_ = std::make_shared<MyTextView>(Rect{0, 6, width, top - 12});
  mwords_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  mwords_->setTextDelegate(this);
  mwords_->setPlaceholder(localized("learn_textplaceholder"));
  mwords_->setBackgroundColor(Color::clear());
  mwords_->setShowsVerticalScrollIndicator(false);
  mwords_->setFont(Font::system(16));
  mwords_->setClipsToBounds(true);
  // A pasted text may be as long as a text file the page opens, and no longer.
  mwords_->setMostPastedBytes(BookFileController::kMaxFileBytes);
  if (Device::current().idiom != DeviceIdiom::Tablet)
    mwords_->setInputAccessoryView(keyboardBar([this] { leaveEditMode(); }));
  root.addSubview(mwords_);

  clearBtn_ = pageButton("gui/learn_clear.png", "清空");
  getFileBtn_ = pageButton("gui/learn_selfile.png", "打开文件");
  getWordBtn_ = pageButton("gui/learn_extract.png", "提取");
  upPage_ = pageButton("gui/uppage_n.png", "");
  downPage_ = pageButton("gui/downpage_n.png", "");
  upPage_->setBackgroundImage(Image::named("gui/uppage_d.png"), kStateDisabled);
  downPage_->setBackgroundImage(Image::named("gui/downpage_d.png"), kStateDisabled);
  clearBtn_->setFrame({8, top, 70, kButtonHeight});
  getFileBtn_->setFrame({86, top, 90, kButtonHeight});
  getWordBtn_->setFrame({width - 8 - 90, top, 90, kButtonHeight});
  upPage_->setFrame({184, top, 36, kButtonHeight});
  downPage_->setFrame({184, top, 36, kButtonHeight});
  for (const auto& button : {clearBtn_, getFileBtn_, getWordBtn_, upPage_, downPage_}) {
    button->setAutoresizingMask(kFlexibleTopMargin);
    root.addSubview(button);
  }
  getWordBtn_->setAutoresizingMask(kFlexibleTopMargin | kFlexibleLeftMargin);
  upPage_->setHidden(true);
  downPage_->setHidden(true);
  clearBtn_->addTarget([this](Control&) { clearBtn(); }, kTouchUpInside);
  getFileBtn_->addTarget([this](Control&) { addNewWordFromFile(); }, kTouchUpInside);
  getWordBtn_->addTarget([this](Control&) { addNewWord(); }, kTouchUpInside);
  isfirstRun_ = false;
  sliderChange_ = false;
}

void LearnView::leaveEditMode() {
  mwords_->resignFirstResponder();
}

void LearnView::layoutTextArea() {
  const double width = view()->bounds().width;
  const double height = getFileBtn_->frame().y - 12;
  mwords_->setFrame({0, 6, width, height - shortened_});
  textbgView_->setFrame({0, 4, width, height + 2});
}

// The keyboard covers `tempHeight_` of the text area. Where it covers none (the desktop's slim
// bar leaves the buttons below the text in view) the area keeps its height: it never grows over
// the buttons.
void LearnView::fitAboveKeyboard() {
  const double shorten = std::max(0.0, tempHeight_);
  Rect area = mwords_->frame();
  area.height += shortened_ - shorten;
  shortened_ = shorten;
  mwords_->setFrame(area);
}

void LearnView::DidAppearView() {
  if (!fileName_.empty() &&
      !plat::files::exists(plat::files::join(plat::AppHome::documentsDir(), fileName_)))
    clearBtn();
  layoutTextArea();
  if (isfirstRun_) return;
  isfirstRun_ = true;
  CallDB* db = CallDB::callDB();
  mwords_->setText(db->getPersonalValue("learn_text"));
  mwords_->textChange();
  const Rect area = mwords_->frame();
  sliderView_ =
      std::make_shared<SliderView>(Rect{area.x + area.width - 40, area.y, 40, area.height});
  sliderView_->setDeleage(this);
  view()->addSubview(sliderView_);
  mwords_->setContentOffset({0, std::atof(db->getPersonalValue("learn_text_local").c_str())});
  changeSliderValue();
}

void LearnView::changeSliderValue() {
  if (!sliderView_) return;
  const Rect area = mwords_->frame();
  // The text area keeps its text laid out: measuring a long text again would cost a frame.
  const double textHeight = mwords_->textHeight();
  if (textHeight <= area.height) {
    sliderView_->setHidden(true);
    return;
  }
  sliderView_->setHidden(false);
  sliderView_->moveSlider().setMaximumValue(textHeight - area.height);
  sliderView_->moveSlider().setValue(mwords_->contentOffset().y);
}

void LearnView::willAnimateRotationToInterfaceOrientation() {
  layoutTextArea();
  changeSliderValue();
}

void LearnView::in_edit_callback(double coveredHeight, bool isRotate) {
  if (sliderView_) sliderView_->setHidden(true);
  mwords_->setShowsVerticalScrollIndicator(true);
  const double fullHeight = mwords_->frame().height + shortened_;
  tempHeight_ = coveredHeight - (view()->bounds().height - fullHeight);
  if (isRotate)
    fitAboveKeyboard();
  else
    plat::Animation::animate(0.3, [this] { fitAboveKeyboard(); });
}

void LearnView::in_edit_callback2(double difference) {
  tempHeight_ -= difference;
  fitAboveKeyboard();
}

void LearnView::leave_edit_callback(bool isRotate) {
  tempHeight_ = 0;
  if (isRotate)
    fitAboveKeyboard();
  else
    plat::Animation::animate(0.3, [this] { fitAboveKeyboard(); });
  if (sliderView_) sliderView_->setHidden(false);
  mwords_->setShowsVerticalScrollIndicator(false);
  changeSliderValue();
}

void LearnView::didChange(plat::TextView&) {
  // A paste from a slow program may come after the editing ended, when the slider shows.
  if (!mwords_->isEditing()) changeSliderValue();
  saveSoon();
}

void LearnView::pasteTooLong(plat::TextView&) {
  plat::AlertView::create("提示", plat::localized("alermsg_eg204"), nullptr, "确定")->show();
}

void LearnView::saveSoon() {
  if (savePending_) return;
  savePending_ = true;
  plat::RunLoop::main().performAfter(kSaveDelay, this, "save_textInfo", [this] {
    savePending_ = false;
    save_textInfo();
  });
}

void LearnView::save_textInfo() {
  if (!sliderView_) return;
  CallDB* db = CallDB::callDB();
  char position[64];
  std::snprintf(position, sizeof position, "%f", sliderView_->moveSlider().value());
  db->UpdatePersonalValue("learn_text", mwords_->text());
  db->UpdatePersonalValue("learn_text_local", position);
}

// ---- Files

void LearnView::addNewWordFromFile() {
  auto files = std::make_shared<BookFileController>();
  files->setDeleage(this);
  files->setParentName(parent_ ? parent_->title() : "");
  if (auto* nav = parent_ ? parent_->navigationController() : navigationController())
    nav->pushViewController(files, true);
}

void LearnView::selectFile_CallBack(const std::string& fileName, const std::string& text) {
  fileName_ = fileName;
  currPage_ = 1;
  showFileText(text);
  upPage_->setHidden(true);
  downPage_->setHidden(true);
  saveSoon();
}

std::string LearnView::decodeText(const std::string& bytes) {
  return textfile::decode(bytes).value_or("");
}

void LearnView::showFileText(const std::string& text) {
  countPage_ = 1;
  mwords_->setText(text);
  mwords_->setContentOffset({0, 0}, false);
  changeSliderValue();
  mwords_->textChange();
}

void LearnView::clearBtn() {
  upPage_->setHidden(true);
  downPage_->setHidden(true);
  mwords_->setText("");
  fileName_.clear();
  changeSliderValue();
  mwords_->textChange();
  saveSoon();
}

// ---- Extraction

void LearnView::addNewWord() {
  MyListAlerView::sharedAler()->initShowList({kProgressRow});
  extract_progress(plat::Value(0.0));
  extracting_ = true;
  std::weak_ptr<LearnView> self = std::static_pointer_cast<LearnView>(shared_from_this());
  textextraction::start(
      mwords_->text(),
      [self](const plat::Value& fraction) {
        if (auto page = self.lock()) page->extract_progress(fraction);
      },
      [self](const plat::Value& result) {
        if (auto page = self.lock()) page->thread_end(result);
      });
}

void LearnView::extract_progress(const plat::Value& fraction) {
  const int percent = static_cast<int>(static_cast<float>(fraction.asDouble()) * 100);
  MyListAlerView::sharedAler()->AlerListChange(kProgressRow,
                                               "提取 " + std::to_string(percent) + "％");
}

void LearnView::thread_end(const plat::Value& result) {
  extracting_ = false;
  MyListAlerView::sharedAler()->AlerListHide(false);
  if (result.at(0).asInt() < 1) return;
  auto lists = std::make_shared<WordsUIViewController>();
  lists->setNavName("提取的单词");
  lists->setParentName(parent_ ? parent_->title() : "");
  lists->setHidesBottomBarWhenPushed(true);
  lists->setWordsDic(stringsOf(result.at(1)), stringsOf(result.at(2)), stringsOf(result.at(3)));
  if (auto* nav = parent_ ? parent_->navigationController() : navigationController())
    nav->pushViewController(lists, true);
}

// ---- Slider and text scrolling

void LearnView::slider_valuechange(int value) {
  sliderChange_ = true;
  mwords_->setContentOffset({0, static_cast<double>(value)}, false);
}

void LearnView::slider_endDrag() {
  sliderChange_ = false;
}

void LearnView::scrollViewDidScroll(plat::ScrollView& scroll) {
  if (!sliderChange_ && sliderView_) sliderView_->moveSlider().setValue(scroll.contentOffset().y);
}

void LearnView::scrollViewWillBeginDragging(plat::ScrollView&) {
  if (sliderView_) sliderView_->begin_scroll();
}

void LearnView::scrollViewWillBeginDecelerating(plat::ScrollView&) {
  if (sliderView_) sliderView_->begin_scroll();
}

void LearnView::scrollViewDidEndDragging(plat::ScrollView&, bool) {
  if (sliderView_) sliderView_->end_scroll();
}

void LearnView::scrollViewDidEndDecelerating(plat::ScrollView&) {
  if (sliderView_) sliderView_->end_scroll();
}
