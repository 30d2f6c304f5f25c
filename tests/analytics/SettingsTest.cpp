#include <gtest/gtest.h>

#include "analytics/AnalyticsApp.h"
#include "tests/analytics/AnalyticsFixture.h"

namespace {

class AnalyticsSettings : public AnalyticsFixture {};

TEST_F(AnalyticsSettings, ReportIntervalPrecedence) {
  AnalyticsConfig::setConfigure(100000.0, "analytics_report_interval");
  EXPECT_EQ(AnalyticsApp::minReportInterval(), 90);

  Analytics::setLogSendInterval(89.9);
  EXPECT_TRUE(printedLine("ERROR: can't less 90s for log send interval."));
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
  EXPECT_TRUE(printedLine(
      "ANLOG: appkey can not be found or not valid. Analytics methods must be called after "
      "[Analytics startWithAppkey...]!"));
  EXPECT_FALSE(session().observerRegistered);
  start();
  Analytics::startWithAppkey("another", 6, "web");
  EXPECT_TRUE(printedLine("WARNING: Appkey is different from the past."));
  EXPECT_EQ(AnalyticsConfig::configureWithKey("ancReportPolicy").asInt(), 6);
  EXPECT_EQ(AnalyticsApp::sharedInstance().channel(), "web");
  EXPECT_EQ(session().sessionStatus, 1);
}

}  // namespace
