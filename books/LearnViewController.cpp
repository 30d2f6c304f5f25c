#include "books/LearnViewController.h"

#include <cmath>

#include "platform/base/Bundle.h"
#include "platform/base/Device.h"
#include "platform/base/NotificationCenter.h"
#include "platform/view/Animation.h"
#include "platform/view/Keyboard.h"
#include "platform/view/NavigationController.h"
#include "platform/view/Screen.h"
#include "ui/GuiImages.h"

using plat::Rect;

namespace {

LearnViewController* shown = nullptr;  // the instance whose view loaded last
int rememberedPage = 0;                // the page shown when the tab last disappeared

}  // namespace

LearnViewController::LearnViewController() {
  setTitle(plat::localized("单词本"));
}

LearnViewController::~LearnViewController() {
  if (shown == this) shown = nullptr;
  plat::NotificationCenter::defaultCenter().removeObserver(this);
  if (ScrollView_) ScrollView_->setDelegate(nullptr);
  if (tabbar_) tabbar_->setDeleage(nullptr);
}

LearnViewController* LearnViewController::instance() {
  return shown;
}

void LearnViewController::closeProgram() {
  if (shown) shown->learnView().save_textInfo();
}

void LearnViewController::cleardata_learn() {
  if (shown) shown->bookLibraryList().revert_data();
}

void LearnViewController::loadView() {
  setView(std::make_shared<plat::View>(Rect{0, 0, 320, 367}));
}

void LearnViewController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  using namespace plat;
  shown = this;
  setTitle(localized("单词本"));
  View& root = *view();
  root.setBackgroundColor(Color::white());
  const double width = root.bounds().width;

  tabbar_ = std::make_shared<MyTabbarView>(Rect{0, 0, width, kStripHeight});
  tabbar_->setDeleage(this);
  tabbar_->setNormalImage(guiimages::stretchable("gui/tab_learn_n.png", 10, 10));
  tabbar_->setSelectImage(guiimages::stretchable("gui/tab_learn_s.png", 10, 10));
  tabbar_->setTag(kStripTag);
  root.addSubview(tabbar_);
  tabbar_->addBtn({{"单词本"}, {"文本"}}, 60);

  ScrollView_ = std::make_shared<ScrollView>(
      Rect{0, kStripHeight, width, root.bounds().height - kStripHeight});
  ScrollView_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  ScrollView_->setBackgroundColor(Color::clear());
  ScrollView_->setPagingEnabled(true);
  ScrollView_->setShowsHorizontalScrollIndicator(false);
  ScrollView_->setDelegate(this);
  root.addSubview(ScrollView_);

  const Size page = ScrollView_->bounds().size();
  bookLibraryList_ = std::make_shared<BookLibraryList>();
  bookLibraryList_->setParent(this);
  learnView_ = std::make_shared<LearnView>();
  learnView_->setParent(this);
  addChildViewController(bookLibraryList_);
  addChildViewController(learnView_);
  bookLibraryList_->view()->setFrame({0, 0, page.width, page.height});
  learnView_->view()->setFrame({page.width, 0, page.width, page.height});
  for (auto* pageView : {bookLibraryList_->view().get(), learnView_->view().get()}) {
    pageView->setAutoresizingMask(kFlexibleHeight);
    ScrollView_->addSubview(pageView->shared_from_this());
  }
}

void LearnViewController::layoutPages() {
  const plat::Size page = ScrollView_->bounds().size();
  ScrollView_->setContentSize({page.width * 2, page.height});
  bookLibraryList_->view()->setFrame({0, 0, page.width, page.height});
  learnView_->view()->setFrame({page.width, 0, page.width, page.height});
}

int LearnViewController::currentPage() const {
  const double width = ScrollView_->bounds().width;
  return width > 0 ? static_cast<int>(ScrollView_->contentOffset().x / width) : 0;
}

void LearnViewController::setTitleForPage(int page) {
  setTitle(plat::localized(page == 0 ? "单词本" : "文本"));
}

void LearnViewController::viewWillAppear(bool animated) {
  if (auto* nav = navigationController()) nav->setNavigationBarHidden(true, animated);
  bookLibraryList_->refreshData();
  layoutPages();
  const plat::Size page = ScrollView_->bounds().size();
  ScrollView_->setContentOffset({page.width * rememberedPage, 0});
  tabbar_->selectBtn(rememberedPage);
  setTitleForPage(rememberedPage);
}

void LearnViewController::viewDidAppear(bool) {
  learnView_->DidAppearView();
  auto& center = plat::NotificationCenter::defaultCenter();
  center.addObserver(this, plat::kKeyboardWillShowNotification, nullptr,
                     [this](const plat::Notification& n) { keyboardShow(n.userInfo); });
  center.addObserver(this, plat::kKeyboardWillHideNotification, nullptr,
                     [this](const plat::Notification& n) { keyboardHide(n.userInfo); });
}

void LearnViewController::viewWillDisappear(bool animated) {
  if (auto* nav = navigationController()) nav->setNavigationBarHidden(false, animated);
  // Editing ends while the keyboard is still heard: a keyboard that went down unheard (the word
  // lists pushed after 提取) would leave the strip and the text area moved for good.
  if (learnView_->isViewLoaded()) learnView_->view()->endEditing(true);
  plat::NotificationCenter::defaultCenter().removeObserver(this);
  rememberedPage = currentPage();
}

bool LearnViewController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) {
  return plat::Device::current().idiom == plat::DeviceIdiom::Tablet ||
         o == plat::InterfaceOrientation::Portrait;
}

void LearnViewController::willRotateToInterfaceOrientation(plat::InterfaceOrientation, double) {
  rotatingPage_ = currentPage();
  isRotate_ = true;
}

void LearnViewController::willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation,
                                                                    double) {
  layoutPages();
  const plat::Size page = ScrollView_->bounds().size();
  ScrollView_->setContentOffset({page.width * rotatingPage_, 0});
  learnView_->willAnimateRotationToInterfaceOrientation();
}

void LearnViewController::didRotateFromInterfaceOrientation(plat::InterfaceOrientation) {
  isRotate_ = false;
}

void LearnViewController::selectTabBtn(int index) {
  const plat::Size page = ScrollView_->bounds().size();
  ScrollView_->scrollRectToVisible({page.width * index, 0, page.width, page.height}, true);
  setTitleForPage(index);
  pageControlUsed_ = true;
}

void LearnViewController::scrollViewDidScroll(plat::ScrollView& scroll) {
  if (pageControlUsed_) return;
  const double width = scroll.bounds().width;
  const int page = static_cast<int>(std::floor((scroll.contentOffset().x - width / 2) / width)) + 1;
  if (page < 0 || page > 1) return;
  setTitleForPage(page);
  tabbar_->selectBtn(page);
}

void LearnViewController::scrollViewWillBeginDragging(plat::ScrollView&) {
  pageControlUsed_ = false;
}

void LearnViewController::scrollViewDidEndDecelerating(plat::ScrollView&) {
  pageControlUsed_ = false;
}

void LearnViewController::keyboardShow(const plat::Value& info) {
  const Rect begin = plat::Keyboard::rectFromValue(info.get(plat::kKeyboardFrameBeginKey));
  const Rect end = plat::Keyboard::rectFromValue(info.get(plat::kKeyboardFrameEndKey));
  if (begin.height != end.height) {
    learnView_->in_edit_callback2(begin.height - end.height);
    return;
  }
  ScrollView_->setScrollEnabled(false);
  const double appHeight = plat::Screen::main().applicationFrame().height;
  scrollHeight_ = end.height - (appHeight - ScrollView_->frame().height);
  if (!isRotate_ && !stripRaised_) {
    stripRaised_ = true;
    plat::Animation::animate(0.3, [this] {
      Rect strip = tabbar_->frame();
      strip.y -= kStripHeight;
      tabbar_->setFrame(strip);
      tabbar_->setAlpha(0);  // what would stay under the status bar goes too
      Rect area = ScrollView_->frame();
      area.y -= kStripHeight;
      ScrollView_->setFrame(area);
    });
  }
  learnView_->in_edit_callback(scrollHeight_, isRotate_);
}

void LearnViewController::keyboardHide(const plat::Value&) {
  if (!isRotate_) ScrollView_->setScrollEnabled(true);
  if (!isRotate_ && stripRaised_) {
    stripRaised_ = false;
    plat::Animation::animate(0.3, [this] {
      Rect strip = tabbar_->frame();
      strip.y += kStripHeight;
      tabbar_->setFrame(strip);
      tabbar_->setAlpha(1);
      Rect area = ScrollView_->frame();
      area.y += kStripHeight;
      ScrollView_->setFrame(area);
    });
  }
  learnView_->leave_edit_callback(isRotate_);
}
