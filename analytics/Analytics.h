// The application's only way into the usage analytics: class methods that check their arguments
// and hand the work on. Callable from any thread; nothing here throws into the caller. Where two
// calls would share one name and argument types, the second keyword joins the name with "_".
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/base/Location.h"
#include "platform/base/Value.h"

class Analytics {
 public:
  static void startWithAppkey(const std::string& key);
  static void startWithAppkey(const std::string& key, int32_t reportPolicy,
                              const std::string& channelId);
  static void startSession();

  static void setAppVersion(const std::string& version);
  static void setCrashReportEnabled(bool on);
  static void setLogEnabled(bool on);
  static void setBackgroundTaskEnabled(bool on);
  static void setEncryptEnabled(bool on);
  static void setLogSendInterval(double seconds);
  static void setLatency(int seconds);
  static void setWrapperType(const std::string& type);
  static void setWrapperVersion(const std::string& version);
  static void setWrapperType(const std::string& type, const std::string& version);

  static void event(const std::string& id);
  static void event_label(const std::string& id, const std::string& label);
  static void event_acc(const std::string& id, int acc);
  static void event_label_acc(const std::string& id, const std::string& label, int acc);
  static void event_durations(const std::string& id, int milliseconds);
  static void event_label_durations(const std::string& id, const std::string& label,
                                    int milliseconds);
  static void event_attributes(const std::string& id, const plat::Value& attributes);
  static void event_attributes_counter(const std::string& id, const plat::Value& attributes,
                                       int counter);
  static void event_attributes_durations(const std::string& id, const plat::Value& attributes,
                                         int milliseconds);

  static void beginEvent(const std::string& id);
  static void endEvent(const std::string& id);
  static void beginEvent_label(const std::string& id, const std::string& label);
  static void endEvent_label(const std::string& id, const std::string& label);
  static void beginEvent_primarykey(const std::string& id, const std::string& primaryKey,
                                    const plat::Value& attributes);
  static void endEvent_primarykey(const std::string& id, const std::string& primaryKey);

  static void logPageView(const std::string& page, int seconds);
  static void beginLogPageView(const std::string& page);
  static void endLogPageView(const std::string& page);

  static void setLatitude(double latitude, double longitude);
  static void setLocation(const plat::Location& location);
  static void profileSignInWithPUID(const std::string& puid);
  static void profileSignInWithPUID(const std::string& puid, const std::string& provider);
  static void profileSignOff();

  static void updateOnlineConfig();
  static std::optional<std::string> getConfigParams(const std::string& key);
  static plat::Value getConfigParams();

  static plat::Value getAdURL();  // withdrawn: always null
};
