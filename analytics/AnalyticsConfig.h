// The component's persistent settings: small values under fixed keys in the context's settings
// store (user defaults, which lock internally). Every write is synchronized at once.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/Value.h"

class AnalyticsConfig {
 public:
  static plat::Value configureWithKey(const std::string& key);  // null when missing
  static bool hasKey(const std::string& key) { return !configureWithKey(key).isNull(); }
  // Ignored for a null value or an empty key (white space only counts as empty). Without
  // `synchronize` the value reaches the file with the next write that synchronizes.
  static void setConfigure(const plat::Value& value, const std::string& key,
                           bool synchronize = true);
  static void removeConfigureWithKey(const std::string& key);
  static void accumulateCount(int64_t count, const std::string& key);
  static void incrementRequest(bool success, int64_t usedMilliseconds);
  static void setLastPostDate();
};
