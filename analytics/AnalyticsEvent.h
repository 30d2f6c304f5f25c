// Checks what the interface passes for events, timers and page views, builds the record and
// posts it to the dispatcher.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/Value.h"

class AnalyticsEvent {
 public:
  static bool validEventID(const std::string& id);
  static void eventJob(const std::string& id, const std::string& label, int64_t acc, int64_t du);
  static void beginEvent(const std::string& id, const std::string& label);
  static void endEvent(const std::string& id, const std::string& label);
  static void event(const std::string& id, const plat::Value& attributes, int64_t durations);
  static void beginEvent(const std::string& id, const std::string& primaryKey,
                         const plat::Value& attributes);
  static void endEvent(const std::string& id, const std::string& primaryKey, bool keyed);
  static void logPageView(const std::string& page, int seconds);
  static void beginLogPageView(const std::string& page);
  static void endLogPageView(const std::string& page);
};
