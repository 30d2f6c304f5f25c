#include "platform/view/Application.h"

#include <algorithm>
#include <cstdio>

#include "platform/base/NotificationCenter.h"
#include "platform/view/ViewController.h"
#include "platform/view/Window.h"

namespace plat {

Application& Application::shared() {
  // Never destroyed: windows held elsewhere may go away at exit after it.
  static Application* application = new Application();
  return *application;
}

bool Application::launch(const Value& options) {
  launched_ = true;
  bool ok = delegate_ ? delegate_->didFinishLaunching(*this, options) : true;
  becomeActive();
  return ok;
}

void Application::becomeActive() {
  if (state_ == ApplicationState::Active) return;
  state_ = ApplicationState::Active;
  if (delegate_) delegate_->didBecomeActive(*this);
  NotificationCenter::defaultCenter().post(kApplicationDidBecomeActiveNotification, this);
}

void Application::resignActive() {
  if (state_ != ApplicationState::Active) return;
  state_ = ApplicationState::Inactive;
  if (delegate_) delegate_->willResignActive(*this);
  NotificationCenter::defaultCenter().post(kApplicationWillResignActiveNotification, this);
}

void Application::enterBackground() {
  if (state_ == ApplicationState::Background) return;
  resignActive();
  state_ = ApplicationState::Background;
  if (delegate_) delegate_->didEnterBackground(*this);
}

void Application::enterForeground() {
  if (state_ != ApplicationState::Background) return;
  state_ = ApplicationState::Inactive;
  if (delegate_) delegate_->willEnterForeground(*this);
  becomeActive();
}

void Application::terminate() {
  if (delegate_) delegate_->willTerminate(*this);
  NotificationCenter::defaultCenter().post(kApplicationWillTerminateNotification, this);
}

void Application::receiveMemoryWarning() {
  if (delegate_) delegate_->didReceiveMemoryWarning(*this);
  NotificationCenter::defaultCenter().post(kApplicationDidReceiveMemoryWarningNotification, this);
  ViewController::receiveMemoryWarningInAll();
}

std::vector<Window*> Application::windows() const {
  std::vector<Window*> visible;
  for (Window* w : allWindows_) {
    if (!w->isHidden()) visible.push_back(w);
  }
  std::stable_sort(visible.begin(), visible.end(),
                   [](Window* a, Window* b) { return a->windowLevel() < b->windowLevel(); });
  return visible;
}

Window* Application::windowAt(Point p) const {
  std::vector<Window*> shown = windows();
  for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
    Window* w = *it;
    if (w->hitTest(w->convertFromSuperview(p))) return w;
  }
  return nullptr;
}

void Application::setKeyWindow(Window* window) {
  if (std::find(allWindows_.begin(), allWindows_.end(), window) != allWindows_.end()) {
    keyWindow_ = window;
  }
}

void Application::setStatusBarStyle(StatusBarStyle style, bool) {
  statusBarStyle_ = style;
}

bool Application::canOpenURL(const std::string& url) const {
  return opener_ && opener_->canOpen(url);
}

bool Application::openURL(const std::string& url) {
  openedURLs_.push_back(url);
  if (!canOpenURL(url)) {
    reportURLOpenFailure(url, URLOpenFailure::UnsupportedAddress);
    return false;
  }
  // The opener may report a failure, which may show a message: keep it alive meanwhile.
  std::shared_ptr<URLOpener> opener = opener_;
  return opener->open(url);
}

void Application::reportURLOpenFailure(const std::string& url, URLOpenFailure why) {
  if (openFailureHandler_) {
    openFailureHandler_(url, why);
  } else {
    std::fprintf(stderr, "the address %s could not be opened\n", url.c_str());
  }
}

void Application::scheduleLocalNotification(const LocalNotification& notification) {
  scheduled_.push_back(notification);
}

void Application::cancelLocalNotification(const LocalNotification& notification) {
  auto it = std::find(scheduled_.begin(), scheduled_.end(), notification);
  if (it != scheduled_.end()) scheduled_.erase(it);
}

void Application::cancelAllLocalNotifications() {
  scheduled_.clear();
}

std::vector<LocalNotification> Application::scheduledLocalNotifications() const {
  std::vector<LocalNotification> sorted = scheduled_;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const auto& a, const auto& b) { return a.fireDate < b.fireDate; });
  return sorted;
}

void Application::presentLocalNotificationNow(const LocalNotification& notification) {
  if (state_ == ApplicationState::Active && delegate_) {
    delegate_->didReceiveLocalNotification(*this, notification);
  }
}

void Application::reset() {
  delegate_.reset();
  state_ = ApplicationState::Inactive;
  launched_ = false;
  keyWindow_ = nullptr;
  statusBarStyle_ = StatusBarStyle::Default;
  statusBarHidden_ = false;
  orientation_ = InterfaceOrientation::Portrait;
  networkActivity_ = false;
  badge_ = 0;
  openedURLs_.clear();
  opener_ = nullptr;
  openFailureHandler_ = nullptr;
  scheduled_.clear();
}

void Application::registerWindow(Window* window) {
  allWindows_.push_back(window);
}

void Application::windowShown(Window* window) {
  std::erase(allWindows_, window);
  allWindows_.push_back(window);
}

void Application::unregisterWindow(Window* window) {
  std::erase(allWindows_, window);
  if (keyWindow_ == window) keyWindow_ = nullptr;
}

}  // namespace plat
