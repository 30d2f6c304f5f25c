// An analytics context that has been started: the first session runs and the core is at hand.
#pragma once

#include "analytics/Analytics.h"
#include "analytics/AnalyticsConfig.h"
#include "analytics/AnalyticsImprint.h"
#include "analytics/AnalyticsInternal.h"
#include "analytics/AnalyticsJob.h"
#include "analytics/AnalyticsSession.h"
#include "analytics/AnalyticsState.h"
#include "analytics/AnalyticsUtility.h"
#include "tests/analytics/AnalyticsFixture.h"
#include "tests/analytics/LoopbackLogService.h"

class AnalyticsCoreFixture : public AnalyticsFixture {
 protected:
  // Starts the analytics under the fixed-interval policy just after an upload, so that nothing
  // is packed or sent unless a test asks for it.
  void start() {
    Analytics::setCrashReportEnabled(false);
    AnalyticsConfig::setConfigure(time_.now(), "lastPostInterval");
    Analytics::startWithAppkey("4f5a6b7c8d9e0f1a2b3c4d5e", 6, "");
    time_.runUntilIdle();
  }
  AnalyticsInternal& core() { return AnalyticsInternal::sharedInstance(); }
  AnalyticsSession& session() { return AnalyticsSession::sharedInstance(); }
  // Stores server settings as the log service would have sent them.
  void setImprint(const ImprintValues& values) { storeImprint(makeImprint(values)); }
  std::vector<std::string> eventIds() {
    std::vector<std::string> ids;
    for (auto& record : core().events) ids.push_back(static_cast<ANEvent&>(*record).event_id);
    return ids;
  }
};
