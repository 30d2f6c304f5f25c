// The application delegate: builds the window with the main interface's tab bar and the night
// overlay at launch, and answers the lifecycle. Becoming active runs the daily refresh, whose first
// run in a study day rebuilds the review queue, starts the version check and, ten seconds later,
// refreshes the excellent mnemonics and the account values. Resigning active schedules the
// reminders; entering the background makes the screens save their state.
#pragma once

#include <memory>

#include "app/ScreenHooks.h"
#include "net/HttpRequest.h"
#include "net/HttpRequestDelegate.h"
#include "platform/view/Application.h"
#include "platform/view/TabBarController.h"
#include "platform/view/Window.h"

class CheckVersion;

class AppDelegate : public plat::ApplicationDelegate,
                    public plat::TabBarControllerDelegate,
                    public HttpRequestDelegate {
 public:
  static constexpr double kNightAlpha = 0.45;
  static constexpr double kAccountRefreshDelay = 10.0;

  AppDelegate();
  ~AppDelegate() override;
  AppDelegate(const AppDelegate&) = delete;
  AppDelegate& operator=(const AppDelegate&) = delete;

  // The delegate of the running application, or null.
  static AppDelegate* shared();

  bool didFinishLaunching(plat::Application& application, const plat::Value& options) override;
  void didBecomeActive(plat::Application& application) override;
  void willResignActive(plat::Application& application) override;
  void didEnterBackground(plat::Application& application) override;

  // Shows or hides the night overlay (the settings screen stores "atNight" itself).
  void TopViewState(bool on);
  // The daily refresh, one transaction; a failure rolls it back and the next activation retries.
  void refreshData_first();
  // The excellent mnemonics, then the account values when an account is stored.
  void loginUserInfoUpdate();
  void getInfoFinished(HttpRequest& request);
  void getInfoFailed(HttpRequest& request);

  plat::Window* window() const { return window_.get(); }
  plat::TabBarController* tabBarController() const { return tabBarController_.get(); }
  plat::View* topView() const { return topView_.get(); }
  CheckVersion* checkVersion() const { return checkVersion_.get(); }
  // The screens' operations the lifecycle calls; the main interface's by default.
  ScreenHooks& screenHooks() { return hooks_; }

 private:
  void tintTabBar();

  ScreenHooks hooks_;
  std::shared_ptr<plat::Window> window_;
  std::shared_ptr<plat::TabBarController> tabBarController_;
  std::shared_ptr<plat::View> topView_;
  std::unique_ptr<CheckVersion> checkVersion_;
  // The account request on its way; kept only so that a delegate going away can detach it.
  std::weak_ptr<HttpRequest> accountRequest_;
};
