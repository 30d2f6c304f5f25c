// The daily lesson's layout: the day buttons of the navigation bar and the content, image blocks
// from top to bottom with the labels, the add button and the prize-draw notice made in code.
#include <algorithm>

#include "learn/EveryDayViewController.h"
#include "learn/MyImage.h"
#include "learn/OpenerTitle.h"
#include "platform/base/Bundle.h"
#include "platform/base/Device.h"
#include "platform/draw/TextLayout.h"
#include "platform/view/BarItems.h"
#include "platform/view/NavigationController.h"
#include "platform/view/Screen.h"
#include "ui/GuiImages.h"
#include "ui/NavBarItems.h"

using namespace plat;

namespace {

std::shared_ptr<Image> scaled(const std::string& name, int64_t ratio) {
  return MyImage::scaleToRatio(Image::named(name), static_cast<int>(ratio));
}

Size sizeOf(const std::shared_ptr<Image>& image) {
  return image ? image->size() : Size{0, 0};
}

double bottom(const View& v) {
  return v.frame().y + v.frame().height;
}

std::shared_ptr<View> line(const Rect& frame, const Color& color) {
  auto view = std::make_shared<View>(frame);
  view->setBackgroundColor(color);
  return view;
}

}  // namespace

void EveryDayViewController::loadView() {
  const Rect frame = Screen::main().applicationFrame();
  auto root = std::make_shared<View>(Rect{0, 0, frame.width, frame.height});
  root->setBackgroundColor(Color::rgb255(240, 247, 242));
  scrollView_ = std::make_shared<ScrollView>(root->bounds());
  scrollView_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  root->addSubview(scrollView_);
  childView_ = std::make_shared<View>(scrollView_->bounds());
  childView_->setBackgroundColor(Color::clear());
  scrollView_->addSubview(childView_);
  auto makeImage = [this] {
    auto image = std::make_shared<ImageView>();
    childView_->addSubview(image);
    return image;
  };
  titleImageView_ = makeImage();
  info_line_ImageView_ = makeImage();
  infoImageView_ = makeImage();
  downImageView_ = makeImage();
  awardImageView_ = makeImage();
  wordsImageView_ = makeImage();
  words_head_ImageView_ = makeImage();
  for (auto* slot : {&st1Btn_, &st2Btn_, &st3Btn_}) {
    *slot = Button::create(ButtonType::Custom);
    Button* button = slot->get();
    button->addTarget([this, button](Control&) { openURL(button); }, kTouchUpInside);
    childView_->addSubview(*slot);
  }
  setView(root);
}

void EveryDayViewController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  if (ParentName_.empty()) ParentName_ = OpenerTitle::of(*this);
  navigationItem().setHidesBackButton(true);
  navigationItem().setLeftBarButtonItem(navbar::backItem(ParentName_, [this] { goBackAction(); }));
  currIndex_ = 0;
  showBarButton();
}

void EveryDayViewController::viewWillAppear(bool) {
  navbar::fitUnderBar(*this);
  modifyUI();
  getNetWordsInfo(0);
}

bool EveryDayViewController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) {
  return Device::current().idiom == DeviceIdiom::Tablet || o == InterfaceOrientation::Portrait;
}

void EveryDayViewController::willAnimateRotationToInterfaceOrientation(InterfaceOrientation,
                                                                       double) {
  Rect content = childView_->frame();
  content.x = (scrollView_->bounds().width - content.width) / 2;
  content.y = 0;
  childView_->setFrame(content);
  scrollView_->setContentSize({scrollView_->bounds().width, content.height});
}

void EveryDayViewController::showBarButton() {
  struct Day {
    const char* image;
    const char* pressed;
    void (EveryDayViewController::*action)();
  };
  const Day days[] = {
      {"gui/ed_nav_h.png", "gui/ed_nav_hh.png", &EveryDayViewController::buttonAction1},
      {"gui/ed_nav_e.png", "gui/ed_nav_eh.png", &EveryDayViewController::buttonAction2},
      {"gui/ed_nav_t.png", "gui/ed_nav_th.png", &EveryDayViewController::buttonAction3}};
  const double barHeight = 44;
  const double each = sizeOf(Image::named("gui/ed_nav_t.png")).width;
  auto bar = std::make_shared<View>(Rect{0, 0, 3 * each, barHeight});
  bar->setBackgroundColor(Color::clear());
  dayBtns_.clear();
  double x = 0;
  for (const Day& day : days) {
    auto image = Image::named(day.image);
    const Size size = sizeOf(image);
    auto button = Button::create(ButtonType::Custom,
                                 {x, (barHeight - size.height) / 2, size.width, size.height});
    button->setImage(image);
    button->setBackgroundImage(Image::named(day.pressed), kStateHighlighted);
    button->setExclusiveTouch(true);
    auto action = day.action;
    button->addTarget([this, action](Control&) { (this->*action)(); }, kTouchUpInside);
    bar->addSubview(button);
    dayBtns_.push_back(button);
    x += size.width;
  }
  navigationItem().setRightBarButtonItem(std::make_shared<BarButtonItem>(bar));
}

void EveryDayViewController::modifyUI() {
  int m = 1;
  Ratio_ = 1;
  if (Screen::main().isPad()) {
    m = 2;
    if (Screen::main().bounds().width * Screen::main().scale() > 1400.0) Ratio_ = 2;
  }
  childView_->setFrame(scrollView_->frame());
  const double W = childView_->bounds().width;
  // Each block: its image at the ratio, centred, its top given by the blocks above it.
  auto place = [&](ImageView& view, const std::string& name, double top) {
    auto image = scaled(name, Ratio_);
    const Size size = sizeOf(image);
    view.setImage(image);
    view.setFrame({(W - size.width) / 2, top, size.width, size.height});
    view.setUserInteractionEnabled(true);
  };
  place(*titleImageView_, "gui/ed_title.png", 15 * m);
  place(*info_line_ImageView_, "gui/ed_info_line.png", bottom(*titleImageView_) + 10 * m);
  place(*infoImageView_, "gui/ed_info_bg.png", bottom(*info_line_ImageView_) - 16 * m);
  place(*downImageView_, "gui/ed_down.png", bottom(*infoImageView_));
  place(*words_head_ImageView_, "gui/ed_words_head.png", bottom(*downImageView_));
  place(*wordsImageView_, "gui/ed_words_bg.png",
        words_head_ImageView_->frame().y + words_head_ImageView_->frame().height / 2 - 7 * m);
  const double awardWidth = wordsImageView_->frame().width - 30 * m;
  awardImageView_->setImage(guiimages::stretchable("gui/ed_award_bg.png", 30, 30));
  awardImageView_->setFrame(
      {(W - awardWidth) / 2, bottom(*wordsImageView_) - 15 * m, awardWidth, 250.0 * m});
  awardImageView_->setUserInteractionEnabled(true);

  const char* links[] = {"gui/ed_b1.png", "gui/ed_b2.png", "gui/ed_b3.png"};
  const double factors[] = {1.0 / 5, 1.0 / 2, 4.0 / 5};
  Button* buttons[] = {st1Btn_.get(), st2Btn_.get(), st3Btn_.get()};
  for (int i = 0; i < 3; ++i) {
    auto image = scaled(links[i], Ratio_);
    const Size size = sizeOf(image);
    buttons[i]->setImage(image);
    buttons[i]->setFrame({(W - size.width - 10) * factors[i], bottom(*awardImageView_) + 20,
                          size.width + 10, size.height + 10});
  }
  Rect content = childView_->frame();
  content.height = bottom(*st3Btn_) + 25 * m;
  childView_->setFrame(content);
  scrollView_->setContentSize({scrollView_->bounds().width, content.height});
  addMainModel(m, static_cast<int>(Ratio_));
}

void EveryDayViewController::addMainModel(int m, int r) {
  // Laid out afresh on every appearance: the views made here the last time go first.
  for (View* box : {infoImageView_.get(), words_head_ImageView_.get(), wordsImageView_.get(),
                    awardImageView_.get()})
    for (const auto& sub : std::vector<std::shared_ptr<View>>(box->subviews()))
      sub->removeFromSuperview();
  const std::string keptText = label_text_ ? label_text_->text() : "";
  const std::string keptInfo = label_info_ ? label_info_->text() : "";
  const std::string keptTime = label_time_ ? label_time_->text() : "";
  auto image = [r](const std::string& name, double x, double y) {
    auto view = std::make_shared<ImageView>(scaled(name, r));
    Rect f = view->frame();
    view->setFrame({x, y, f.width, f.height});
    return view;
  };

  // The sentence box.
  const double infoWidth = infoImageView_->frame().width;
  const Size titleSize = sizeOf(scaled("gui/ed_info_title.png", r));
  auto infoTitle = image("gui/ed_info_title.png", infoWidth / 2 - titleSize.width, 22.0 * m);
  infoImageView_->addSubview(infoTitle);
  auto infoTl = image("gui/ed_info_tl.png", infoWidth / 2, bottom(*infoTitle) * 4 / 5);
  infoImageView_->addSubview(infoTl);
  label_time_ = std::make_shared<Label>(
      Rect{infoTl->frame().x + 10 * m, infoTl->frame().y - 15 * m, 95.0 * m, 20.0 * m});
  label_time_->setTextColor(Color::rgb255(255, 214, 0));
  label_time_->setFont(Font::boldSystem(12.0 * m));
  label_time_->setTextAlignment(TextAlignment::Left);
  label_time_->setBackgroundColor(Color::clear());
  label_time_->setText(keptTime);
  infoImageView_->addSubview(label_time_);
  label_text_ = std::make_shared<TextView>(
      Rect{30.0 * m, bottom(*infoTitle) + 3 * m, infoWidth - 60 * m, 90.0 * m});
  label_text_->setEditable(false);
  label_text_->setTextColor(Color::white());
  label_text_->setFont(Font::system(m == 1 ? 14 : 12.0 * m));
  label_text_->setBackgroundColor(Color::clear());
  label_text_->setText(keptText);
  infoImageView_->addSubview(label_text_);

  // The add button on the words head.
  const Rect head = words_head_ImageView_->frame();
  auto addImage = scaled(addBtnImage_, r);
  const Size addSize = sizeOf(addImage);
  addBtn_ = Button::create(ButtonType::Custom,
                           {(head.width - m) / 2.0 - addSize.width / 2,
                            (head.height - addSize.height) / 2, addSize.width, addSize.height});
  addBtn_->setImage(addImage);
  addBtn_->setImage(scaled("gui/ed_aw_sbtn.png", r), kStateHighlighted);
  addBtn_->addTarget([this](Control&) { addWordsFun(); }, kTouchUpInside);
  words_head_ImageView_->addSubview(addBtn_);

  // The lucky words box.
  const double wordsWidth = wordsImageView_->frame().width;
  wordsImageView_->addSubview(
      image("gui/ed_words_left.png", (wordsWidth + head.width) / 2 - 5 * m, 20.0 * m));
  const Size rightSize = sizeOf(scaled("gui/ed_words_right.png", r));
  wordsImageView_->addSubview(
      image("gui/ed_words_right.png", (wordsWidth - head.width) / 2 - rightSize.width, 20.0 * m));
  label_info_ = std::make_shared<Label>(Rect{27.0 * m, 53.0 * m, wordsWidth - 54 * m, 45.0 * m});
  label_info_->setTextColor(Color::rgb255(110, 110, 110));
  label_info_->setFont(Font::system(15.0 * m));
  label_info_->setNumberOfLines(2);
  label_info_->setLineBreakMode(LineBreakMode::WordWrap);
  label_info_->setTextAlignment(TextAlignment::Left);
  label_info_->setBackgroundColor(Color::clear());
  label_info_->setText(keptInfo);
  wordsImageView_->addSubview(label_info_);

  // The prize-draw box.
  const double awardWidth = awardImageView_->frame().width;
  const Font captionFont = Font::system(12.0 * m);
  const std::string caption = localized("ed_eg1", "InfoPlist");
  const double captionWidth = awardWidth - 40 * m;
  auto captionLabel = std::make_shared<Label>(Rect{20.0 * m, 15.0 * m, captionWidth, 0});
  captionLabel->setText(caption);
  captionLabel->setFont(captionFont);
  captionLabel->setNumberOfLines(3);
  captionLabel->setLineBreakMode(LineBreakMode::WordWrap);
  captionLabel->setTextAlignment(TextAlignment::Center);
  captionLabel->setTextColor(Color::rgb255(57, 156, 102));
  captionLabel->setBackgroundColor(Color::clear());
  const double captionHeight = captionLabel->sizeThatFits({captionWidth, 20000}).height + 3;
  captionLabel->setFrame({20.0 * m, 15.0 * m, captionWidth, captionHeight});
  awardImageView_->addSubview(captionLabel);
  auto line1 =
      line({20.0 * m, bottom(*captionLabel) + 5 * m, captionWidth, 1}, Color::rgb(0.8, 1.0, 0.8));
  awardImageView_->addSubview(line1);
  auto ts = image("gui/ed_award_ts.png", 9 - 2.7 * m, bottom(*line1) + 5 * m);
  awardImageView_->addSubview(ts);
  auto line2 = line({20.0 * m, bottom(*ts) + 5 * m, captionWidth, 1}, Color::rgb(1.0, 0.8, 0.8));
  awardImageView_->addSubview(line2);
  awardWebView_ =
      std::make_shared<WebView>(Rect{20.0 * m, bottom(*line2) + 5 * m, captionWidth, 110.0 * m});
  awardWebView_->setDataDetectorTypes(0);
  awardWebView_->setDelegate(this);
  awardWebView_->setOpaque(false);
  awardWebView_->setBackgroundColor(Color::clear());
  if (!lotteryHtml_.empty()) awardWebView_->loadHTMLString(lotteryHtml_, "");
  awardImageView_->addSubview(awardWebView_);
  awardImageView_->addSubview(
      line({20.0 * m, bottom(*awardWebView_) + 5 * m, captionWidth, 1}, Color::rgb(1.0, 0.8, 0.8)));
}

void EveryDayViewController::setAddBtnImage(const std::string& name) {
  addBtnImage_ = name;
  if (addBtn_) addBtn_->setImage(scaled(name, Ratio_));
}
