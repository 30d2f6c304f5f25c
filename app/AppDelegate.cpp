#include "app/AppDelegate.h"

#include <cstdlib>

#include "app/AnalyticsStart.h"
#include "app/MainTabs.h"
#include "app/Reminders.h"
#include "online/CheckVersion.h"
#include "platform/base/Device.h"
#include "platform/base/RunLoop.h"
#include "store/CallDB.h"
#include "ui/MyCustomNavBar.h"

namespace {

// The tab bar's selected colour.
const plat::Color kTabTint = plat::Color::rgb(57 / 255.0, 156 / 255.0, 0.4);

}  // namespace

AppDelegate::AppDelegate() {
  MainTabs::installScreenHooks(hooks_);
}

AppDelegate::~AppDelegate() {
  plat::RunLoop::main().cancelPerforms(this);
  if (auto request = accountRequest_.lock()) request->clearDelegatesAndCancel();
}

AppDelegate* AppDelegate::shared() {
  return dynamic_cast<AppDelegate*>(plat::Application::shared().delegate());
}

bool AppDelegate::didFinishLaunching(plat::Application& application, const plat::Value&) {
  MyCustomNavBar::install();

  window_ = std::make_shared<plat::Window>(plat::Screen::main().bounds());
  // Shows under the status bar where a screen hides its navigation bar.
  window_->setBackgroundColor(plat::Color::white());
  tabBarController_ = std::make_shared<plat::TabBarController>();
  tabBarController_->setViewControllers(MainTabs::makeAll());
  tabBarController_->setDelegate(this);
  window_->setRootViewController(tabBarController_);

  // Black over everything, letting touches through to the screens beneath.
  topView_ = std::make_shared<plat::View>(window_->bounds());
  topView_->setBackgroundColor(plat::Color::black());
  topView_->setAlpha(kNightAlpha);
  topView_->setAutoresizingMask(plat::kFlexibleAll);
  topView_->setUserInteractionEnabled(false);

  window_->makeKeyAndVisible();
  startAnalytics();
  tintTabBar();
  window_->addSubview(topView_);

  const bool night = CallDB::callDB()->getPersonalValue("atNight") == "1";
  application.setStatusBarStyle(night ? plat::StatusBarStyle::BlackOpaque
                                      : plat::StatusBarStyle::Default);
  if (night) window_->bringSubviewToFront(topView_.get());
  topView_->setHidden(!night);
  return true;
}

void AppDelegate::tintTabBar() {
  const double version = std::atof(plat::Device::current().systemVersion.c_str());
  plat::TabBar& bar = tabBarController_->tabBar();
  if (version >= 7.0) {
    bar.setTintColor(kTabTint);
  } else if (version >= 5.0) {
    bar.setSelectedImageTintColor(kTabTint);
  }
}

void AppDelegate::TopViewState(bool on) {
  if (!topView_) return;
  topView_->setHidden(!on);
  if (on) window_->bringSubviewToFront(topView_.get());
  plat::Application::shared().setStatusBarStyle(on ? plat::StatusBarStyle::BlackOpaque
                                                   : plat::StatusBarStyle::Default);
}

void AppDelegate::didBecomeActive(plat::Application& application) {
  application.cancelAllLocalNotifications();
  refreshData_first();
}

void AppDelegate::willResignActive(plat::Application&) {
  Reminders::postLocalNotification();
  Reminders::forgetWord_Remind();
}

void AppDelegate::didEnterBackground(plat::Application&) {
  ScreenHooks::call(hooks_.reviewCloseProgram);
  ScreenHooks::call(hooks_.booksCloseProgram);
}
