#include "settings/HelpView.h"

#include <cmath>

#include "platform/base/Device.h"
#include "platform/view/ImageView.h"
#include "platform/view/NavigationController.h"
#include "platform/view/Screen.h"
#include "store/CallDB.h"
#include "ui/ScreenNavItems.h"

using namespace plat;

namespace {

// The page shown when a rotation began, kept for the process like the pager's own state.
int rotationPage = 0;

bool onTablet() {
  return Device::current().idiom == DeviceIdiom::Tablet;
}

}  // namespace

std::shared_ptr<HelpView> HelpView::initWithNibName(const std::string&) {
  return std::make_shared<HelpView>();
}

HelpView::~HelpView() {
  if (scrollView_) scrollView_->setDelegate(nullptr);
}

void HelpView::loadView() {
  auto root = std::make_shared<View>(Screen::main().applicationFrame());
  // The pictures' own paper colour, so a picture fitted by width meets no white bands.
  root->setBackgroundColor(Color::rgb255(245, 251, 246));
  root->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  const Rect bounds = root->bounds();
  scrollView_ = std::make_shared<ScrollView>(bounds);
  scrollView_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  root->addSubview(scrollView_);
  pageCtl_ = std::make_shared<PageControl>(Rect{0, bounds.height - 36, bounds.width, 36});
  pageCtl_->setAutoresizingMask(kFlexibleWidth | kFlexibleTopMargin);
  root->addSubview(pageCtl_);
  setView(root);
}

void HelpView::viewDidLoad() {
  BaseViewController::viewDidLoad();
  if (navName_) {
    setTitle(*navName_);
    ScreenNavItems::install(*this, *navName_, ParentName_.value_or(""));
  }
  scrollView_->setPagingEnabled(true);
  scrollView_->setShowsHorizontalScrollIndicator(false);
  scrollView_->setDelegate(this);
  pageCtl_->setNumberOfPages(kPictureCount);
  pageCtl_->setCurrentPage(0);
  pageCtl_->setOpaque(false);
  pageCtl_->setBackgroundColor(Color::clear());
  // Dots that show on the light pictures.
  pageCtl_->setPageIndicatorTintColor(Color::rgb255(180, 196, 188));
  pageCtl_->setCurrentPageIndicatorTintColor(Color::rgb255(46, 139, 87));
  pageCtl_->addTarget([this](Control&) { page_change(); }, kValueChanged);
  for (int i = 0; i < kPictureCount; ++i) {
    auto picture =
        std::make_shared<ImageView>(Image::named("gui/help/bg" + std::to_string(i + 1) + ".png"));
    picture->setTag(kFirstPictureTag + i);
    // A picture out of sight is not drawn, the last one with its start button included.
    picture->setClipsToBounds(true);
    picture->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
    scrollView_->addSubview(picture);
  }
}

void HelpView::fitPicture(int index, bool byWidth) {
  auto* picture = dynamic_cast<ImageView*>(scrollView_->viewWithTag(kFirstPictureTag + index));
  if (!picture) return;
  const double W = scrollView_->bounds().width, H = scrollView_->bounds().height;
  const Size size = picture->image() ? picture->image()->size() : Size{W, H};
  if (size.width <= 0 || size.height <= 0) return;
  if (byWidth) {
    const double h = size.height * W / size.width;
    picture->setFrame({index * W, (H - h) / 2, W, h});
  } else {
    const double w = size.width * H / size.height;
    picture->setFrame({index * W + (W - w) / 2, 0, w, H});
  }
}

void HelpView::placeStartButton() {
  if (ParentName_) return;
  auto* last = scrollView_->viewWithTag(kFirstPictureTag + kPictureCount - 1);
  if (!last) return;
  last->setUserInteractionEnabled(true);
  auto* button = dynamic_cast<Button*>(last->viewWithTag(kStartButtonTag));
  if (!button) {
    auto image = Image::named("gui/open_pro.png");
    const Size size = image ? image->size() : Size{120, 44};
    auto made = Button::create(ButtonType::Custom, {0, 0, size.width, size.height - 10});
    made->setImage(image);
    made->setTag(kStartButtonTag);
    made->setAutoresizingMask(kFlexibleTopMargin);
    made->addTarget([this](Control&) { ok_click(); }, kTouchUpInside);
    last->addSubview(made);
    button = made.get();
  }
  const Size picture = last->bounds().size();
  button->setCenter(onTablet() ? Point{picture.width / 2 - 100, picture.height - 90}
                               : Point{picture.width / 2 - 50, picture.height - 60});
}

void HelpView::viewWillAppear(bool) {
  const bool tallPhone = !onTablet() && Screen::main().bounds().height == 568;
  for (int i = 0; i < kPictureCount; ++i) fitPicture(i, tallPhone);
  placeStartButton();
  scrollView_->setContentSize(
      {kPictureCount * scrollView_->bounds().width, scrollView_->bounds().height});
}

bool HelpView::shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) {
  return onTablet() || o == InterfaceOrientation::Portrait;
}

void HelpView::willRotateToInterfaceOrientation(InterfaceOrientation, double) {
  const double W = scrollView_->bounds().width;
  rotationPage = W > 0 ? int(scrollView_->contentOffset().x / W) : 0;
}

void HelpView::willAnimateRotationToInterfaceOrientation(InterfaceOrientation, double) {
  const double W = scrollView_->bounds().width, H = scrollView_->bounds().height;
  scrollView_->setContentSize({kPictureCount * W, H});
  scrollView_->setContentOffset({rotationPage * W, 0});
  for (int i = 0; i < kPictureCount; ++i) fitPicture(i, false);
  placeStartButton();
}

void HelpView::page_change() {
  const double W = scrollView_->bounds().width, H = scrollView_->bounds().height;
  pageControlUsed_ = true;
  scrollView_->scrollRectToVisible({pageCtl_->currentPage() * W, 0, W, H}, true);
}

void HelpView::scrollViewDidScroll(ScrollView& scroll) {
  if (pageControlUsed_) return;
  const double W = scroll.bounds().width;
  if (W <= 0) return;
  const double offset = scroll.contentOffset().x;
  if (!navName_ && offset > 4.2 * W) {
    ok_click();
    return;
  }
  pageCtl_->setCurrentPage(int(std::floor((offset - W / 2) / W)) + 1);
}

void HelpView::scrollViewWillBeginDragging(ScrollView&) {
  pageControlUsed_ = false;
}

void HelpView::scrollViewDidEndDecelerating(ScrollView&) {
  pageControlUsed_ = false;
}

void HelpView::scrollViewDidEndScrollingAnimation(ScrollView&) {}

void HelpView::ok_click() {
  if (ended_) return;  // a swipe goes on scrolling after it ended the guide
  ended_ = true;
  dismissViewController(true);
  if (!navName_) CallDB::callDB()->UpdatePersonalValue("run_machine", "1");
}
