// Online parameters: named values kept on the analytics service, fetched at most once per
// interval on the core's second queue and read by name. Every attempt ends with the notification
// "OnlineConfigDidFinishedNotification" on the main thread.
#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "platform/base/Value.h"

inline const std::string kOnlineConfigDidFinishedNotification =
    "OnlineConfigDidFinishedNotification";

class AnalyticsOnlineConfig {
 public:
  AnalyticsOnlineConfig();
  ~AnalyticsOnlineConfig();

  static AnalyticsOnlineConfig& sharedInstance();

  void updateOnlineConfig();
  plat::Value onlineConfig();  // null when none stored
  std::optional<std::string> onlineConfigWithKey(const std::string& key);

  // The house-ad address: nothing sets it, and the service is no longer asked for one.
  const std::string& adURL() const { return adURL_; }
  void setAdURL(const std::string& url) { adURL_ = url; }
  std::string fetchAdURLFromServer() const { return ""; }

 private:
  void checkOnlineUpdateTime();
  void fetchOnlineConfig();
  void postFinished();

  // Set when an update was asked for before the application key was known.
  std::atomic<bool> updateOnlineConfigJobFlag_{false};
  std::string adURL_;
};
