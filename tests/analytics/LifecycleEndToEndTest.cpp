#include <gtest/gtest.h>

#include "platform/view/Application.h"
#include "tests/analytics/AnalyticsFixture.h"
#include "tests/support/Patience.h"

namespace {

class AnalyticsLifecycle : public AnalyticsFixture {
 protected:
  void SetUp() override {
    testsupport::clearProxyEnvironment();
    plat::Application::shared().reset();
    endpoints_->primaryLog = service_.url();
  }
  void TearDown() override { plat::Application::shared().reset(); }
  void settle() {
    time_.runUntilIdle();
    plat::RunLoop::main().runUntil([] { return !AnalyticsJob::sharedInstance().jobRunning(); },
                                   testsupport::kPatience);
  }

  LoopbackLogService service_;
};

// The application launches, the learner answers words on two pages, the application resigns and
// becomes active again: the log service receives the ended session with its pages and events.
TEST_F(AnalyticsLifecycle, ASessionReachesTheLogServiceAfterTheNextActivation) {
  plat::Application& application = plat::Application::shared();
  application.launch();
  Analytics::setCrashReportEnabled(false);
  Analytics::startWithAppkey("4f5a6b7c8d9e0f1a2b3c4d5e");
  settle();
  ASSERT_EQ(service_.received().size(), 1u);  // the first activation
  EXPECT_TRUE(service_.received()[0].entry.__isset.activate_msg);

  Analytics::beginLogPageView("review");
  for (const char* word : {"achieve", "support", "quiet"}) Analytics::event_label("answered", word);
  time_.advance(42);
  Analytics::endLogPageView("review");
  Analytics::logPageView("statistics", 5);
  time_.advance(10);
  application.resignActive();
  settle();
  application.becomeActive();
  settle();

  std::vector<ReceivedEnvelope> received = service_.received();
  ASSERT_EQ(received.size(), 2u);
  const ReceivedEnvelope& got = received[1];
  EXPECT_TRUE(got.problems.empty()) << got.problems[0];
  ASSERT_EQ(got.entry.sessions.size(), 1u);
  const AT::Session& session = got.entry.sessions[0];
  EXPECT_EQ(session.duration, 52000);
  ASSERT_EQ(session.pages.size(), 2u);
  EXPECT_EQ(session.pages[0].page_name, "review");
  EXPECT_EQ(session.pages[0].duration, 42000);
  ASSERT_EQ(got.entry.instant_msgs.size(), 1u);
  EXPECT_EQ(got.entry.instant_msgs[0].id, session.id);
  EXPECT_EQ(got.entry.instant_msgs[0].events.size(), 3u);
  EXPECT_EQ(got.entry.instant_msgs[0].events[2].properties.at("answered").string_value, "quiet");
  EXPECT_EQ(AnalyticsConfig::configureWithKey("anSuccessfulRequests").asInt(), 2);
}

}  // namespace
