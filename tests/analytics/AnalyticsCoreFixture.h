// An analytics context that has been started: the first session runs and the core is at hand.
#pragma once

#include "analytics/Analytics.h"
#include "analytics/AnalyticsInternal.h"
#include "analytics/AnalyticsSession.h"
#include "analytics/AnalyticsState.h"
#include "tests/analytics/AnalyticsFixture.h"

class AnalyticsCoreFixture : public AnalyticsFixture {
 protected:
  void start() {
    Analytics::setCrashReportEnabled(false);
    Analytics::startWithAppkey("4f5a6b7c8d9e0f1a2b3c4d5e");
    time_.runUntilIdle();
  }
  AnalyticsInternal& core() { return AnalyticsInternal::sharedInstance(); }
  AnalyticsSession& session() { return AnalyticsSession::sharedInstance(); }
  void setImprint(std::map<std::string, std::string> values) {
    context().state().imprintLookup =
        [values](const std::string& key) -> std::optional<std::string> {
      auto it = values.find(key);
      if (it == values.end()) return std::nullopt;
      return it->second;
    };
  }
  std::vector<std::string> eventIds() {
    std::vector<std::string> ids;
    for (auto& record : core().events) ids.push_back(static_cast<ANEvent&>(*record).event_id);
    return ids;
  }
};
