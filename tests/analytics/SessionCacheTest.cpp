#include <gtest/gtest.h>

#include "platform/base/Files.h"
#include "platform/base/NotificationCenter.h"
#include "tests/analytics/AnalyticsFixture.h"

namespace {

class AnalyticsSessions : public AnalyticsFixture {
 protected:
  void post(const std::string& name) {
    plat::NotificationCenter::defaultCenter().post(name);
    time_.runUntilIdle();
  }
  const ANTerminate& lastSession() {
    return static_cast<const ANTerminate&>(*core().terminates.back());
  }
};

TEST_F(AnalyticsSessions, EventsBeforeTheFirstSessionWaitForIt) {
  Analytics::event("early");
  time_.runUntilIdle();
  EXPECT_EQ(core().tmpContainer.size(), 1u);
  start();
  EXPECT_TRUE(core().tmpContainer.empty());
  EXPECT_EQ(eventIds(), std::vector<std::string>{"early"});
}

TEST_F(AnalyticsSessions, DurationsPagesAndLocationOfASession) {
  start();
  std::string first = core().sessionID;
  Analytics::setLatitude(0, 116.4);
  Analytics::setLocation(plat::Location{{39.9, 116.4}});
  Analytics::logPageView("review", 30);
  time_.advance(7201);
  AnalyticsConfig::setConfigure(time_.now(), "lastPostInterval");  // no upload is due
  Analytics::setBackgroundTaskEnabled(false);                      // the session ends at once
  post(kAppWillResignActiveNotification);
  // Ending the session wrote the cache and emptied the core.
  EXPECT_TRUE(core().terminates.empty());
  EXPECT_TRUE(plat::files::exists(AnalyticsInternal::cacheFilePath()));

  post(kAppDidBecomeActiveNotification);
  EXPECT_NE(core().sessionID, first);
  ASSERT_EQ(core().terminates.size(), 1u);
  EXPECT_EQ(lastSession().session_id, first);
  EXPECT_EQ(lastSession().duration, 3600);
  EXPECT_EQ(lastSession().pageViews, (std::vector<std::pair<std::string, int>>{{"review", 30}}));
  EXPECT_EQ(lastSession().gps_time, static_cast<int64_t>(time_.now() - 7201) * 1000);
  EXPECT_DOUBLE_EQ(lastSession().latitude, 39.9);

  time_.advance(7200);
  AnalyticsConfig::setConfigure(time_.now(), "lastPostInterval");
  post(kAppWillResignActiveNotification);
  post(kAppDidBecomeActiveNotification);
  EXPECT_EQ(lastSession().duration, 7200);
  EXPECT_FALSE(lastSession().hasGPSInfo());
}

TEST_F(AnalyticsSessions, SignInSplitsTheSessionOnlyForANewAccount) {
  start();
  std::string first = core().sessionID;
  Analytics::event("before");
  Analytics::profileSignInWithPUID(std::string(65, 'p'));
  Analytics::profileSignInWithPUID("learner", "weibo");
  time_.runUntilIdle();
  // The old account's records went out in an envelope of their own.
  EXPECT_TRUE(core().terminates.empty() && core().events.empty());
  EXPECT_EQ(AnalyticsUtility::envelopeFiles().size(), 1u);
  EXPECT_NE(core().sessionID, first);
  EXPECT_EQ(AnalyticsConfig::configureWithKey("ANProfilePUID").asString(), "learner");

  Analytics::profileSignInWithPUID("learner", "weibo");
  time_.runUntilIdle();
  EXPECT_EQ(AnalyticsUtility::envelopeFiles().size(), 1u);
  Analytics::profileSignOff();
  Analytics::profileSignOff();
  time_.runUntilIdle();
  // Two envelopes of the same millisecond, under two names.
  EXPECT_EQ(AnalyticsUtility::envelopeFiles().size(), 2u);
  EXPECT_FALSE(AnalyticsConfig::hasKey("ANProfilePUID"));
}

TEST_F(AnalyticsSessions, RecordsSurviveARestartAndTermination) {
  start();
  Analytics::event("answered");
  Analytics::event_attributes("lesson", plat::Value::dictionary({{"unit", "3"}}));
  time_.runUntilIdle();
  // Quitting writes the cache too, so nothing held in memory is lost.
  post(kAppWillTerminateNotification);
  relaunch();
  start();
  EXPECT_EQ(eventIds(), std::vector<std::string>{"answered"});
  EXPECT_EQ(core().ekv.size(), 1u);
  EXPECT_EQ(core().terminates.size(), 1u);

  // What was read back stays on disk until it is packed or saved again: a process killed before
  // then loses none of it, and the next session of the same process does not read it twice.
  relaunch();
  start();
  EXPECT_EQ(eventIds(), std::vector<std::string>{"answered"});
  post(kAppWillResignActiveNotification);
  post(kAppDidBecomeActiveNotification);
  EXPECT_EQ(eventIds(), std::vector<std::string>{"answered"});
  EXPECT_TRUE(core().generateEnvelopeFile());
  EXPECT_FALSE(plat::files::exists(AnalyticsInternal::cacheFilePath()));
}

TEST_F(AnalyticsSessions, ASecondSessionEndBeforeTheNextBeginAddsToTheCache) {
  start();
  Analytics::event("answered");
  time_.runUntilIdle();
  // Quitting resigns first: that session end is still queued when termination ends the session.
  plat::NotificationCenter::defaultCenter().post(kAppWillResignActiveNotification);
  plat::NotificationCenter::defaultCenter().post(kAppWillTerminateNotification);
  time_.runUntilIdle();
  // A crash after the application went to the background ends a session once more.
  core().error("crashed in the background");
  relaunch();
  start();
  EXPECT_EQ(eventIds(), std::vector<std::string>{"answered"});
  EXPECT_EQ(core().terminates.size(), 2u);
}

TEST_F(AnalyticsSessions, CachedCrashReportsFollowTheApplicationVersion) {
  start();
  auto cacheOneError = [this](const std::string& writtenBy) {
    auto report = std::make_shared<ANError>();
    report->context = "report";
    core().errors.push_back(report);
    AnalyticsConfig::setConfigure(writtenBy, "ANAppVersion");
    core().saveAndCleanCache();
  };
  cacheOneError("1.0b");
  info_["CFBundleVersion"] = "1.0B";
  relaunch();
  start();
  EXPECT_EQ(core().errors.size(), 1u);

  cacheOneError("1.0b");
  info_["CFBundleVersion"] = "1.1";
  relaunch();
  start();
  EXPECT_TRUE(core().errors.empty());
}

}  // namespace
