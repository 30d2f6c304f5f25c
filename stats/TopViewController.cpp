#include "stats/TopViewController.h"

#include "platform/draw/Image.h"
#include "platform/view/NavigationBar.h"
#include "store/CallDB.h"
#include "ui/ScreenNavItems.h"
#include "ui/TabletTurns.h"

using namespace plat;

namespace {

// The arrows are white: the lightening a disabled button's image gets leaves them as they were,
// so a disabled arrow fades instead.
constexpr double kDisabledArrowAlpha = 0.3;

void showEnabled(Button& arrow, bool enabled) {
  arrow.setEnabled(enabled);
  arrow.setAlpha(enabled ? 1 : kDisabledArrowAlpha);
}

}  // namespace

TopViewController::TopViewController() {
  setTitle("排行榜");
}

TopViewController::~TopViewController() {
  if (webView_) webView_->setDelegate(nullptr);
}

void TopViewController::viewDidLoad() {
  setEdgesForExtendedLayout(kRectEdgeNone);
  ScreenNavItems::install(*this, title(), ParentName_);
  // The page is drawn on the screen's own white: the web view is clear.
  view()->setBackgroundColor(Color::white());
  webView_ = std::make_shared<WebView>(view()->bounds());
  webView_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  webView_->setDelegate(this);
  webView_->setBackgroundColor(Color::clear());
  webView_->setOpaque(false);
  view()->addSubview(webView_);
  showBarButton();
}

void TopViewController::showBarButton() {
  auto upImage = Image::named("gui/web_up.png");
  auto backImage = Image::named("gui/web_back.png");
  const double upWidth = upImage ? upImage->size().width : 30;
  const double backWidth = backImage ? backImage->size().width : 30;
  const double height = NavigationBar::kHeight;
  auto holder = std::make_shared<View>(Rect{0, 0, upWidth * 2, height});
  holder->setBackgroundColor(Color::clear());
  holder->setOpaque(false);

  backBtn_ = Button::create(ButtonType::Custom, {0, 0, backWidth, height});
  backBtn_->setImage(backImage);
  backBtn_->setExclusiveTouch(true);
  backBtn_->addTarget([this](Control&) { buttonAction1(); }, kTouchUpInside);
  upBtn_ = Button::create(ButtonType::Custom, {backWidth, 0, upWidth, height});
  upBtn_->setImage(upImage);
  upBtn_->setExclusiveTouch(true);
  upBtn_->addTarget([this](Control&) { buttonAction2(); }, kTouchUpInside);
  holder->addSubview(backBtn_);
  holder->addSubview(upBtn_);
  navigationItem().setRightBarButtonItem(std::make_shared<BarButtonItem>(holder));
}

void TopViewController::viewWillAppear(bool) {
  // Read anew each time: the page starts over whenever the screen comes into view.
  webView_->loadRequest(CallDB::callDB()->getPersonalValue("sShowTopView"));
}

bool TopViewController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) {
  return ui::turnsOnTablet(o);
}

void TopViewController::checkWebBtn() {
  showEnabled(*backBtn_, webView_->canGoBack());
  showEnabled(*upBtn_, webView_->canGoForward());
}

void TopViewController::buttonAction1() {
  if (webView_->canGoBack()) webView_->goBack();
  checkWebBtn();
}

void TopViewController::buttonAction2() {
  if (webView_->canGoForward()) webView_->goForward();
  checkWebBtn();
}

void TopViewController::didFinishLoad(WebView&) {
  checkWebBtn();
}
