// Sessions: one stretch of the application in the foreground, followed through the application's
// lifecycle notifications, measured, and closed into a session record by the core.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "platform/base/Location.h"
#include "platform/base/NotificationCenter.h"

inline const std::string kAppDidBecomeActiveNotification =
    "UIApplicationDidBecomeActiveNotification";
inline const std::string kAppWillResignActiveNotification =
    "UIApplicationWillResignActiveNotification";
inline const std::string kAppWillTerminateNotification = "UIApplicationWillTerminateNotification";
inline const std::string kGotAppkeyNotification = "anGotAppkeyNotification";

class AnalyticsSession {
 public:
  AnalyticsSession();
  ~AnalyticsSession();

  static AnalyticsSession& sharedInstance();

  static void startWithAppkey(const std::string& key);
  static void startWithAppkey(const std::string& key, uint32_t policy, const std::string& channel);
  static void profileSignInPUID(const std::string& puid, const std::string& provider = "");
  static void signInPUID(const std::string& puid, const std::string& provider);
  static void profileSignOff();

  // `notification` is null when called directly (first launch, crash).
  void appActivate(const plat::Notification* notification);
  void appInactivate(const plat::Notification* notification);
  void ensureSessionLaunch();
  void beginSessionTime();
  double endSessionTime();  // seconds; above 7200 reported as 3600
  std::string description() const;

  std::atomic<bool> observerRegistered{false};
  std::atomic<bool> appInBackGround{false};
  std::atomic<bool> appBeKilling{false};
  std::atomic<bool> appCrashed{false};
  std::atomic<int> sessionStatus{0};  // 0 none yet, 1 running, 2 ended
  std::atomic<double> lastLaunchTime;
};

// The last location fix given through the interface; used by at most one session record.
class AnalyticsLocation {
 public:
  struct Fix {
    double latitude = 0;
    double longitude = 0;
    double gps_time = 0;  // seconds since 1970
  };

  static AnalyticsLocation& sharedInstance();
  static void setLatitude(double latitude, double longitude);
  static void setLocation(const plat::Location& location);

  Fix fix() const;
  Fix take();  // the fix, which is then forgotten

 private:
  mutable std::mutex mutex_;
  Fix fix_;
};
