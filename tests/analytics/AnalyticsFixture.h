// A fresh analytics context for one test: its own virtual clock, counting random source, settings
// file, caches and shared-identifier folders in a temporary home, fixed device values, and the
// printed lines collected; start() starts the analytics in it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "analytics/Analytics.h"
#include "analytics/AnalyticsConfig.h"
#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsImprint.h"
#include "analytics/AnalyticsInternal.h"
#include "analytics/AnalyticsJob.h"
#include "analytics/AnalyticsSession.h"
#include "analytics/AnalyticsState.h"
#include "analytics/AnalyticsUtility.h"
#include "tests/analytics/LoopbackLogService.h"
#include "tests/support/TempHome.h"
#include "tests/support/VirtualTime.h"

class AnalyticsFixture : public ::testing::Test {
 protected:
  AnalyticsFixture();
  ~AnalyticsFixture() override;

  // Replaces the context by a new one over the same folders and settings file, as a relaunch.
  void relaunch();
  std::vector<std::string> printed();
  plat::UserDefaults& settings() { return context_->settings(); }
  // Starts the analytics under the fixed-interval policy just after an upload, so that nothing
  // is packed or sent unless a test asks for it.
  void start();
  AnalyticsInternal& core() { return AnalyticsInternal::sharedInstance(); }
  AnalyticsSession& session() { return AnalyticsSession::sharedInstance(); }
  // Stores server settings as the log service would have sent them.
  void setImprint(const ImprintValues& values) { storeImprint(makeImprint(values)); }
  std::vector<std::string> eventIds();

  testsupport::TempHome home_;
  testsupport::VirtualTime time_;
  std::shared_ptr<AnalyticsDeviceValues> device_;
  std::shared_ptr<AnalyticsEndpoints> endpoints_;
  std::map<std::string, std::string> info_;
  std::string udidDir_;
  uint32_t nextRandom_ = 1;

 private:
  std::shared_ptr<AnalyticsContext> makeContext();

  std::shared_ptr<AnalyticsContext> context_;
  std::mutex printedMutex_;
  std::vector<std::string> printed_;
};
