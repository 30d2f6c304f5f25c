#include <gtest/gtest.h>

#include "analytics/AnalyticsApp.h"
#include "analytics/AnalyticsThrift.h"
#include "tests/analytics/AnalyticsFixture.h"

namespace {

class AnalyticsSendPolicy : public AnalyticsFixture {
 protected:
  void SetUp() override { start(); }
  void lastPostAgo(double seconds) {
    AnalyticsConfig::setConfigure(time_.now() - seconds, "lastPostInterval");
  }
  void policy(int value) { AnalyticsConfig::setConfigure(value, "ancReportPolicy"); }
  AnalyticsJob& job() { return AnalyticsJob::sharedInstance(); }
};

TEST_F(AnalyticsSendPolicy, GatesOfPolicyAndBackOff) {
  // No upload yet: every level passes and the timed policies commit.
  AnalyticsConfig::removeConfigureWithKey("lastPostInterval");
  for (int level = 0; level <= 3; ++level) {
    job().setDefcon(level);
    EXPECT_TRUE(AnalyticsJob::defconPass());
  }
  setImprint({{"integrated_test", "1"}});
  for (int value : {0, 6, 8}) {
    policy(value);
    EXPECT_TRUE(AnalyticsJob::shouldCommitJob(1)) << value;
  }
  setImprint({});
  job().setDefcon(2);
  lastPostAgo(7 * 3600);
  EXPECT_FALSE(AnalyticsJob::defconPass());
  lastPostAgo(8 * 3600);
  EXPECT_TRUE(AnalyticsJob::defconPass());

  policy(1);
  EXPECT_TRUE(AnalyticsJob::shouldCommitJob(0));
  EXPECT_FALSE(AnalyticsJob::shouldCommitJob(1));
  policy(8);
  Analytics::setBackgroundTaskEnabled(false);
  session().appInBackGround = true;
  EXPECT_FALSE(AnalyticsJob::shouldCommitJob(1));
}

TEST_F(AnalyticsSendPolicy, LongSilenceDelaysOrDisguisesTheUpload) {
  policy(1);
  job().setDefcon(0);
  Analytics::event("answered");
  time_.runUntilIdle();
  lastPostAgo(20 * 86400);
  nextRandom_ = 7;  // an ordinary draw: 0 to 9 seconds
  AnalyticsJob::preparePerformJob(0);
  ASSERT_EQ(AnalyticsUtility::envelopeFiles().size(), 1u);
  EXPECT_TRUE(job().latencyJob());
  AnalyticsJob::preparePerformJob(0);  // refused while the delay runs
  EXPECT_FALSE(job().jobRunning());
  time_.advance(10);
  EXPECT_FALSE(job().latencyJob());

  // Two days: the upload goes at once and the entry reports a delay of 0.
  AnalyticsUtility::removeFile(AnalyticsUtility::envelopeFiles().at(0));
  job().setJobRunning(false);
  Analytics::event("again");
  time_.runUntilIdle();
  lastPostAgo(2 * 86400);
  AnalyticsJob::preparePerformJob(0);
  ASSERT_EQ(AnalyticsUtility::envelopeFiles().size(), 1u);
  EXPECT_FALSE(job().disguised());
  const AT::UsageLogEntry& entry = AnalyticsThrift::sharedInstance().entry();
  ASSERT_TRUE(entry.__isset.control_policy);
  EXPECT_EQ(entry.control_policy.latent.latency, 0);
  EXPECT_EQ(entry.control_policy.latent.interval, 2 * 86400 * 1000LL);
}

TEST_F(AnalyticsSendPolicy, SilenceLimitAndDelayDraws) {
  lastPostAgo(4 * 86400);
  setImprint({{"latent_hours", "24"}});
  EXPECT_TRUE(AnalyticsJob::checkLatentCondition());
  EXPECT_TRUE(job().disguised());  // 24 hours is ignored: the limit stays 15 days
  setImprint({{"latent_hours", "72"}});
  EXPECT_TRUE(AnalyticsJob::checkLatentCondition());
  EXPECT_TRUE(job().latencyJob());
  job().setLatencyJob(false);
  lastPostAgo(259199);
  AnalyticsJob::checkLatentCondition();
  EXPECT_FALSE(job().latencyJob());

  // An imprint "latent" of 5000 bounds ordinary delays to 1,799 and never gives 128 to 255.
  setImprint({{"latent", "5000"}});
  nextRandom_ = 2;  // first draw 1 + 2 % 1000 = 3: ordinary; then 3 % 1800 = 3
  EXPECT_EQ(job().calculateLatency(), 3u);
  nextRandom_ = 199;  // ordinary; then 200, moved down to 127
  EXPECT_EQ(job().calculateLatency(), 127u);
  // The rare draw without a signature keeps to 128.
  nextRandom_ = 1000;  // 1 + 1000 % 1000 = 1
  EXPECT_EQ(job().calculateLatency(), 128u);
}

class AnalyticsSettings : public AnalyticsFixture {};

TEST_F(AnalyticsSettings, ReportIntervalPrecedence) {
  AnalyticsConfig::setConfigure(100000.0, "analytics_report_interval");
  EXPECT_EQ(AnalyticsApp::minReportInterval(), 90);

  Analytics::setLogSendInterval(89.9);
  EXPECT_FALSE(AnalyticsConfig::hasKey("ancReportInterval"));

  AnalyticsConfig::removeConfigureWithKey("analytics_report_interval");
  Analytics::setLogSendInterval(100);
  EXPECT_EQ(AnalyticsApp::sharedInstance().logSendInterval(), 100);
  setImprint({{"report_interval", "600"}});
  Analytics::setLogSendInterval(100);
  EXPECT_EQ(AnalyticsApp::sharedInstance().logSendInterval(), 600);

  // An experiment group of policy 6 takes its own interval, unless in integrated test mode.
  AnalyticsConfig::setConfigure(6, "anExperimentRPT");
  setImprint({{"report_interval", "600"}, {"test_report_interval", "300"}});
  EXPECT_EQ(AnalyticsApp::minReportInterval(), 300);
  setImprint(
      {{"report_interval", "600"}, {"test_report_interval", "300"}, {"integrated_test", "1"}});
  EXPECT_EQ(AnalyticsApp::minReportInterval(), 600);
}

TEST_F(AnalyticsSettings, ReportPolicyPrecedenceAndCheck) {
  AnalyticsApp& app = AnalyticsApp::sharedInstance();
  for (int stored : {7, 9, 0}) {
    AnalyticsConfig::setConfigure(stored, "ancReportPolicy");
    EXPECT_EQ(app.reportPolicy(), BATCH) << stored;
  }
  AnalyticsConfig::setConfigure(6, "report_policy");
  EXPECT_EQ(app.reportPolicy(), SEND_INTERVAL);
  setImprint({{"report_policy", "8"}});
  EXPECT_EQ(app.reportPolicy(), SMART_POLICY);
  AnalyticsConfig::setConfigure(0, "anExperimentRPT");
  EXPECT_EQ(app.reportPolicy(), BATCH);
  setImprint({{"report_policy", "0"}, {"integrated_test", "1"}});
  EXPECT_EQ(app.reportPolicy(), REALTIME);

  Analytics::setLatency(5000);
  EXPECT_EQ(AnalyticsJob::sharedInstance().latency_sdk(), 1800u);
  Analytics::setLatency(-1);
  EXPECT_EQ(AnalyticsJob::sharedInstance().latency_sdk(), 1800u);
}

TEST_F(AnalyticsSettings, StartStoresTheKeyOnceObserved) {
  Analytics::startWithAppkey("  ");
  EXPECT_FALSE(session().observerRegistered);
  start();
  Analytics::startWithAppkey("another", 6, "web");
  EXPECT_EQ(AnalyticsConfig::configureWithKey("ancReportPolicy").asInt(), 6);
  EXPECT_EQ(AnalyticsApp::sharedInstance().channel(), "web");
  EXPECT_EQ(session().sessionStatus, 1);
}

}  // namespace
