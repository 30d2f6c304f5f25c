#include "account/HelpRemMgrViewCtrl.h"

#include <cmath>
#include <cstdlib>

#include "online/AccountText.h"
#include "platform/draw/Image.h"
#include "platform/view/AlertView.h"
#include "platform/view/Animation.h"
#include "platform/view/BarItems.h"
#include "platform/view/ImageView.h"
#include "platform/view/Keyboard.h"
#include "platform/view/NavigationController.h"
#include "platform/view/Screen.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "ui/ScreenNavItems.h"
#include "ui/TabletTurns.h"

namespace {

constexpr double kNavigationBarHeight = 44;

plat::Size imageSize(const std::string& name) {
  auto image = plat::Image::named(name);
  return image ? image->size() : plat::Size{24, 24};
}

}  // namespace

std::shared_ptr<HelpRemMgrViewCtrl> HelpRemMgrViewCtrl::forCard(plat::ViewController* card,
                                                                const std::string& word, int type,
                                                                const std::string& parentName) {
  auto screen = std::make_shared<HelpRemMgrViewCtrl>();
  screen->setParentView(card);
  screen->setMWord(word);
  screen->setIViewType(type);
  screen->setParentName(parentName);
  return screen;
}

HelpRemMgrViewCtrl::~HelpRemMgrViewCtrl() {
  plat::NotificationCenter::defaultCenter().removeObserver(this);
}

void HelpRemMgrViewCtrl::viewDidLoad() {
  BaseViewController::viewDidLoad();
  ScreenNavItems::install(*this, mWord_, parentName_);
  plat::View& screen = *view();
  screen.setBackgroundColor(plat::Color::white());
  const plat::Rect bounds = screen.bounds();

  tabbar_ = std::make_shared<MyTabbarView>(plat::Rect{0, 0, bounds.width, kTabbarHeight});
  tabbar_->setTag(kTabbarTag);
  tabbar_->setAutoresizingMask(plat::kFlexibleWidth);
  tabbar_->setDeleage(this);
  tabbar_->setNormalImage(plat::Image::named("gui/tab_learn_n.png"));
  tabbar_->setSelectImage(plat::Image::named("gui/tab_learn_s.png"));
  tabbar_->addBtn({{"大家分享"}, {iViewType_ == 1 ? "编辑助记" : "编辑语法"}}, 60);

  scrollView_ = std::make_shared<plat::ScrollView>(
      plat::Rect{0, kTabbarHeight, bounds.width, bounds.height - kTabbarHeight});
  scrollView_->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
  scrollView_->setBackgroundColor(plat::Color::clear());
  scrollView_->setPagingEnabled(true);
  scrollView_->setShowsHorizontalScrollIndicator(false);
  scrollView_->setShowsVerticalScrollIndicator(false);
  scrollView_->setDelegate(this);
  screen.addSubview(scrollView_);
  screen.addSubview(tabbar_);

  const plat::Rect page = scrollView_->bounds();
  myHelpView_ = std::make_shared<MyHelpRemViewCtrl>();
  myHelpView_->setDeleage(this);
  myHelpView_->setIViewType(iViewType_);
  myHelpView_->setWordName(mWord_);
  if (iViewType_ == 1)
    otherView_ = std::make_shared<HelpRemListController>();
  else
    otherView_ = std::make_shared<YuFaViewController>();
  otherView_->setDeleage(this);
  otherView_->setMWord(mWord_);
  addChildViewController(otherView_);
  addChildViewController(myHelpView_);
  otherView_->view()->setFrame({0, 0, page.width, page.height});
  myHelpView_->view()->setFrame({page.width, 0, page.width, page.height});
  for (auto* child : {otherView_->view().get(), myHelpView_->view().get()}) {
    child->setAutoresizingMask(plat::kFlexibleHeight);
    scrollView_->addSubview(child->shared_from_this());
  }
  scrollView_->setContentSize({page.width * 2, page.height});
  showBarButton(0);
}

void HelpRemMgrViewCtrl::viewWillAppear(bool animated) {
  BaseViewController::viewWillAppear(animated);
  myHelpView_->willAppearView();
  otherView_->willAppearView();
}

void HelpRemMgrViewCtrl::viewDidAppear(bool animated) {
  BaseViewController::viewDidAppear(animated);
  scrollHeight_ = 0;
  // A tab tapped while the screen slid in may still be scrolling to its page.
  layoutPages(page_);
  auto& center = plat::NotificationCenter::defaultCenter();
  center.removeObserver(this);
  center.addObserver(this, plat::kKeyboardWillHideNotification, nullptr,
                     [this](const plat::Notification& n) { keyboardHide(n); });
  center.addObserver(this, plat::kKeyboardWillShowNotification, nullptr,
                     [this](const plat::Notification& n) { keyboardShow(n); });
}

void HelpRemMgrViewCtrl::viewWillDisappear(bool animated) {
  BaseViewController::viewWillDisappear(animated);
  plat::NotificationCenter::defaultCenter().removeObserver(this);
  myHelpView_->willDisAppearView();
}

void HelpRemMgrViewCtrl::goBackAction() {
  if (auto* nav = navigationController()) nav->popViewController(true);
}

// ---- Tabs, pager and the order buttons

void HelpRemMgrViewCtrl::selectTabBtn(int index) {
  const plat::Rect page = scrollView_->bounds();
  scrollView_->scrollRectToVisible({index * page.width, 0, page.width, page.height}, true);
  page_ = index;
  showBarButton(index);
  pageControlUsed_ = true;
}

void HelpRemMgrViewCtrl::scrollViewDidScroll(plat::ScrollView& pager) {
  if (pageControlUsed_) return;
  const double width = pager.bounds().width;
  if (width <= 0) return;
  const int page = int(std::floor((pager.contentOffset().x - width / 2) / width)) + 1;
  page_ = page;
  tabbar_->selectBtn(page);
  showBarButton(page);
}

void HelpRemMgrViewCtrl::showBarButton(int page) {
  if (page != 0) {
    navigationItem().setRightBarButtonItem(nullptr);
    acceptBtn_.reset();
    timeBtn_.reset();
    return;
  }
  const plat::Size background = imageSize("gui/nav_btnbg.png");
  const double height = kNavigationBarHeight;
  auto container = std::make_shared<plat::View>(plat::Rect{0, 0, background.width, height});
  auto image = std::make_shared<plat::ImageView>(plat::Image::named("gui/nav_btnbg.png"));
  image->setFrame({0, (height - background.height) / 2, background.width, background.height});
  container->addSubview(image);
  const double timeWidth = imageSize("gui/time_1.png").width;
  const double accWidth = imageSize("gui/acc_1.png").width;
  timeBtn_ = plat::Button::create(plat::ButtonType::Custom,
                                  {background.width - timeWidth - 11, 0, timeWidth + 8, height});
  timeBtn_->setImage(plat::Image::named("gui/time_2.png"));
  timeBtn_->setExclusiveTouch(true);
  timeBtn_->addTarget([this](plat::Control&) { buttonAction2(); }, plat::kTouchUpInside);
  acceptBtn_ = plat::Button::create(plat::ButtonType::Custom,
                                    {timeBtn_->frame().x - accWidth - 11, 0, accWidth + 8, height});
  acceptBtn_->setImage(plat::Image::named("gui/acc_1.png"));
  acceptBtn_->setExclusiveTouch(true);
  acceptBtn_->addTarget([this](plat::Control&) { buttonAction1(); }, plat::kTouchUpInside);
  container->addSubview(timeBtn_);
  container->addSubview(acceptBtn_);
  navigationItem().setRightBarButtonItem(std::make_shared<plat::BarButtonItem>(container));
}

void HelpRemMgrViewCtrl::buttonAction1() {
  acceptBtn_->setImage(plat::Image::named("gui/acc_1.png"));
  timeBtn_->setImage(plat::Image::named("gui/time_2.png"));
  otherView_->AcceptSort();
}

void HelpRemMgrViewCtrl::buttonAction2() {
  acceptBtn_->setImage(plat::Image::named("gui/acc_2.png"));
  timeBtn_->setImage(plat::Image::named("gui/time_1.png"));
  otherView_->ShareSort();
}

// ---- What the pages tell

void HelpRemMgrViewCtrl::shareHelpRemInfoFinish() {
  otherView_->reLoadData();
}

void HelpRemMgrViewCtrl::inEditHelpInfoView() {
  tabbar_->selectBtn(1);
  selectTabBtn(1);
}

void HelpRemMgrViewCtrl::acceptNetHelpRemInfo(const std::string&, int64_t type,
                                              const std::string& msg) {
  if (type == 1) {
    const int64_t silenced = std::atoll(CallDB::callDB()->getPersonalValue("shareZJ_noLP").c_str());
    if (silenced != MyDate::calendarDayId()) {
      auto alert =
          plat::AlertView::create("提示", msg, dynamic_cast<plat::AlertViewDelegate*>(parentView_),
                                  "分享", {accounttext::text("alermsg_cancel1")});
      alert->setTag(kShareAlertTag);
      alert->show();
    }
  }
  goBackAction();
}

// ---- Keyboard and rotation

void HelpRemMgrViewCtrl::moveStrip(double dy) {
  for (plat::View* moved :
       {static_cast<plat::View*>(tabbar_.get()), static_cast<plat::View*>(scrollView_.get())}) {
    plat::Rect frame = moved->frame();
    frame.y += dy;
    moved->setFrame(frame);
  }
}

void HelpRemMgrViewCtrl::keyboardShow(const plat::Notification& notification) {
  const plat::Rect begin =
      plat::Keyboard::rectFromValue(notification.userInfo[plat::kKeyboardFrameBeginKey]);
  const plat::Rect end =
      plat::Keyboard::rectFromValue(notification.userInfo[plat::kKeyboardFrameEndKey]);
  // The keyboard's frames and the application frame are those of the screen as it is turned:
  // heights are heights in every orientation.
  if (begin.height != end.height) {
    myHelpView_->in_edit_callback2(begin.height - end.height);
    return;
  }
  scrollView_->setScrollEnabled(false);
  const double appHeight = plat::Screen::main().applicationFrame().height;
  auto cover = [&] { scrollHeight_ = end.height - (appHeight - scrollView_->frame().height); };
  if (!isRotate_) {
    const double duration = notification.userInfo[plat::kKeyboardAnimationDurationKey].asDouble();
    plat::Animation::animate(duration, [&] {
      moveStrip(-kTabbarHeight);
      cover();
    });
  } else {
    cover();
  }
  myHelpView_->in_edit_callback(isRotate_, kNavigationBarHeight + scrollHeight_);
}

void HelpRemMgrViewCtrl::keyboardHide(const plat::Notification& notification) {
  if (!isRotate_) {
    scrollView_->setScrollEnabled(true);
    const double duration = notification.userInfo[plat::kKeyboardAnimationDurationKey].asDouble();
    plat::Animation::animate(duration, [this] { moveStrip(kTabbarHeight); });
  }
  myHelpView_->leave_edit_callback(isRotate_);
}

bool HelpRemMgrViewCtrl::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) {
  return ui::turnsOnTablet(o);
}

void HelpRemMgrViewCtrl::willRotateToInterfaceOrientation(plat::InterfaceOrientation, double) {
  rotatingPage_ = page_;
  isRotate_ = true;
}

void HelpRemMgrViewCtrl::willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation,
                                                                   double) {
  layoutPages(rotatingPage_);
  otherView_->willAnimateRotationToInterfaceOrientation();
}

// The pages keep their width when the pager's changes (a turn, a screen opened turned): each
// takes the pager's size again, side by side, and the pager shows `shown`.
void HelpRemMgrViewCtrl::layoutPages(int shown) {
  const plat::Rect page = scrollView_->bounds();
  otherView_->view()->setFrame({0, 0, page.width, page.height});
  myHelpView_->view()->setFrame({page.width, 0, page.width, page.height});
  scrollView_->setContentSize({page.width * 2, page.height});
  scrollView_->setContentOffset({shown * page.width, 0});
}
