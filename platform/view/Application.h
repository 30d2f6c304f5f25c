// The application: its delegate and lifecycle (launch, active, background, terminate), the
// windows on the screen and the key window, the status bar, the network activity indicator, the
// icon badge, opening addresses outside the application, and local notifications.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/Value.h"
#include "platform/view/Screen.h"

namespace plat {

class Application;
class Window;

enum class ApplicationState { Active, Inactive, Background };

// Opens addresses outside the application: the host's browser, mail program and so on. The
// window host installs the desktop's; tests install stand-ins. Called on the main thread.
class URLOpener {
 public:
  virtual ~URLOpener() = default;
  // Whether open() would hand the address on.
  virtual bool canOpen(const std::string& url) const = 0;
  // Hands the address on; false when that failed at once. A failure found later (the program
  // that took the address gave up) is reported through Application::reportURLOpenFailure.
  virtual bool open(const std::string& url) = 0;
};

// Why an address did not open, for the message the learner sees.
enum class URLOpenFailure {
  UnsupportedAddress,  // nothing on this machine opens such addresses
  NoProgram,           // the program that opens addresses is missing
  ProgramFailed,       // it ran, but could not open the address
};

// Numbered as the platform numbers them (style 2 is black opaque).
enum class StatusBarStyle { Default = 0, LightContent = 1, BlackOpaque = 2 };

enum class CalendarUnit { None = 0, Minute, Hour, Day, Week, Month, Year };

struct LocalNotification {
  double fireDate = 0;       // unix time
  std::string timeZoneName;  // "" means the fire date is absolute
  std::string alertBody;
  std::string alertAction;
  std::string soundName;
  int applicationIconBadgeNumber = 0;
  CalendarUnit repeatInterval = CalendarUnit::None;
  Value userInfo;

  bool operator==(const LocalNotification&) const = default;
};

// The delegate hears of every lifecycle change; each method does nothing unless overridden.
class ApplicationDelegate {
 public:
  virtual ~ApplicationDelegate() = default;
  virtual bool didFinishLaunching(Application&, const Value& /*options*/) { return true; }
  virtual void didBecomeActive(Application&) {}
  virtual void willResignActive(Application&) {}
  virtual void didEnterBackground(Application&) {}
  virtual void willEnterForeground(Application&) {}
  virtual void willTerminate(Application&) {}
  virtual void didReceiveMemoryWarning(Application&) {}
  virtual void didReceiveLocalNotification(Application&, const LocalNotification&) {}
};

inline const std::string kApplicationDidReceiveMemoryWarningNotification =
    "UIApplicationDidReceiveMemoryWarningNotification";
// Lifecycle notifications, posted after the delegate was told.
inline const std::string kApplicationDidBecomeActiveNotification =
    "UIApplicationDidBecomeActiveNotification";
inline const std::string kApplicationWillResignActiveNotification =
    "UIApplicationWillResignActiveNotification";
inline const std::string kApplicationWillTerminateNotification =
    "UIApplicationWillTerminateNotification";
// Posted once the screen has turned, for views that are no screen's own (a dialog presented from
// outside the screens' hierarchy).
inline const std::string kApplicationDidChangeStatusBarOrientationNotification =
    "UIApplicationDidChangeStatusBarOrientationNotification";

class Application {
 public:
  static Application& shared();

  ApplicationDelegate* delegate() const { return delegate_.get(); }
  void setDelegate(std::shared_ptr<ApplicationDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  ApplicationState state() const { return state_; }

  // ---- Lifecycle, driven by the hosts
  bool launch(const Value& options = {});  // didFinishLaunching, then becomes active
  void becomeActive();
  void resignActive();
  void enterBackground();  // resigns active first when needed
  void enterForeground();  // then becomes active
  void terminate();
  void receiveMemoryWarning();  // the delegate, observers, then every live view controller

  // ---- Windows
  Window* keyWindow() const { return keyWindow_; }
  // Visible windows from the bottom level up (equal levels in the order they became visible).
  std::vector<Window*> windows() const;
  void setKeyWindow(Window* window);
  // The topmost visible window that takes a touch at `p` (screen coordinates), or null.
  Window* windowAt(Point p) const;

  // ---- Status bar, indicator, badge
  StatusBarStyle statusBarStyle() const { return statusBarStyle_; }
  void setStatusBarStyle(StatusBarStyle style, bool animated = false);
  bool isStatusBarHidden() const { return statusBarHidden_; }
  void setStatusBarHidden(bool hidden) { statusBarHidden_ = hidden; }
  InterfaceOrientation statusBarOrientation() const { return orientation_; }
  void setStatusBarOrientation(InterfaceOrientation o) { orientation_ = o; }
  bool isNetworkActivityIndicatorVisible() const { return networkActivity_; }
  void setNetworkActivityIndicatorVisible(bool visible) { networkActivity_ = visible; }
  int applicationIconBadgeNumber() const { return badge_; }
  void setApplicationIconBadgeNumber(int number) { badge_ = number < 0 ? 0 : number; }

  // ---- Addresses opened outside the application
  // What the installed opener can open; nothing without one.
  bool canOpenURL(const std::string& url) const;
  // Hands the address to the opener; false, after reporting why, when it cannot be opened.
  bool openURL(const std::string& url);
  // Every address the application was asked to open, in order, opened or not.
  const std::vector<std::string>& openedURLs() const { return openedURLs_; }
  void setURLOpener(std::shared_ptr<URLOpener> opener) { opener_ = std::move(opener); }
  bool hasURLOpener() const { return opener_ != nullptr; }
  // Tells the learner (through the handler the application installs) that an address did not
  // open; without a handler the failure is only written to the log.
  void setURLOpenFailureHandler(std::function<void(const std::string&, URLOpenFailure)> handler) {
    openFailureHandler_ = std::move(handler);
  }
  void reportURLOpenFailure(const std::string& url, URLOpenFailure why);

  // ---- Local notifications
  void scheduleLocalNotification(const LocalNotification& notification);
  void cancelLocalNotification(const LocalNotification& notification);
  void cancelAllLocalNotifications();
  // Pending ones, soonest first.
  std::vector<LocalNotification> scheduledLocalNotifications() const;
  void presentLocalNotificationNow(const LocalNotification& notification);

  // Back to a freshly started application (tests).
  void reset();

  // ---- For windows
  void registerWindow(Window* window);
  void unregisterWindow(Window* window);
  void windowShown(Window* window);  // it goes above the windows of its level

 private:
  Application() = default;

  std::shared_ptr<ApplicationDelegate> delegate_;
  ApplicationState state_ = ApplicationState::Inactive;
  bool launched_ = false;
  std::vector<Window*> allWindows_;
  Window* keyWindow_ = nullptr;
  StatusBarStyle statusBarStyle_ = StatusBarStyle::Default;
  bool statusBarHidden_ = false;
  InterfaceOrientation orientation_ = InterfaceOrientation::Portrait;
  bool networkActivity_ = false;
  int badge_ = 0;
  std::vector<std::string> openedURLs_;
  std::shared_ptr<URLOpener> opener_;
  std::function<void(const std::string&, URLOpenFailure)> openFailureHandler_;
  std::vector<LocalNotification> scheduled_;
};

}  // namespace plat
