#include <gtest/gtest.h>

#include "analytics/ANUtils.h"
#include "analytics/AnalyticsOnlineConfig.h"
#include "tests/analytics/AnalyticsFixture.h"
#include "tests/support/Patience.h"

namespace {

class AnalyticsOnlineParams : public AnalyticsFixture {
 protected:
  void SetUp() override {
    testsupport::clearProxyEnvironment();
    endpoints_->onlineConfig = server_.url("");
    plat::NotificationCenter::defaultCenter().addObserver(
        this, kOnlineConfigDidFinishedNotification, nullptr,
        [this](const plat::Notification&) { ++finished_; });
  }
  void TearDown() override { plat::NotificationCenter::defaultCenter().removeObserver(this); }
  void update() {
    int before = finished_;
    Analytics::updateOnlineConfig();
    ASSERT_TRUE(
        plat::RunLoop::main().runUntil([&] { return finished_ > before; }, testsupport::kPatience));
  }
  int requests(const std::string& path) {
    int count = 0;
    for (const auto& request : server_.requests()) count += request.path() == path;
    return count;
  }

  std::string lastConfigTime_ = "100";
  std::string ocInterval_;
  int finished_ = 0;
  testsupport::LoopbackHttpServer server_{[this](const testsupport::ServerRequest& request) {
    std::string text = inflated(request.body, 1 << 16).value_or("");
    testsupport::ServerReply reply;
    reply.header("Content-Type", "application/json; charset=utf-8");
    if (request.path() == "/v2/get_update_time") {
      reply.body = "{\"last_config_time\":" + lastConfigTime_ +
                   (ocInterval_.empty() ? "" : ",\"oc_interval\":" + ocInterval_) + "}";
    } else {
      plat::Value sent = *ANUtils::JSONValue(ANUtils::urlDecode(text));
      reply.body =
          sent["type"].asString() == "online_config"
              ? "{\"config_update\":\"Yes\",\"last_config_time\":" + lastConfigTime_ +
                    ",\"online_params\":{\"tip\":\"多背单词\",\"count\":3},\"report_policy\":7}"
              : "{}";
    }
    return reply;
  }};
};

TEST_F(AnalyticsOnlineParams, WaitsForTheKeyThenFetchesAndStores) {
  Analytics::updateOnlineConfig();  // no key yet: nothing is asked
  EXPECT_EQ(server_.requestCount(), 0);
  int before = finished_;
  start();
  ASSERT_TRUE(
      plat::RunLoop::main().runUntil([&] { return finished_ > before; }, testsupport::kPatience));
  EXPECT_EQ(requests("/v2/get_update_time"), 1);
  EXPECT_EQ(requests("/v2/check_config_update"), 1);
  EXPECT_EQ(*Analytics::getConfigParams("tip"), "多背单词");
  EXPECT_EQ(*Analytics::getConfigParams("count"), "3");
  EXPECT_FALSE(Analytics::getConfigParams("missing"));
  EXPECT_EQ(AnalyticsConfig::configureWithKey("report_policy").asInt(), 1);
  EXPECT_EQ(server_.lastRequest().header("Content-Encoding"), "deflate");
}

TEST_F(AnalyticsOnlineParams, IntervalAndVersionStampDecideTheRequests) {
  start();
  update();
  // Nine minutes later nothing is sent, and the attempt is still announced.
  time_.clock().advance(9 * 60);
  update();
  EXPECT_EQ(requests("/v2/get_update_time"), 1);
  // After ten minutes the time is asked again; an equal stamp fetches nothing.
  time_.clock().advance(60);
  ocInterval_ = "\"60\"";  // as text
  update();
  EXPECT_EQ(requests("/v2/get_update_time"), 2);
  EXPECT_EQ(requests("/v2/check_config_update"), 1);
  // "oc_interval" 60 stretches the wait to an hour; a newer stamp fetches again.
  time_.clock().advance(59 * 60);
  update();
  EXPECT_EQ(requests("/v2/get_update_time"), 2);
  time_.clock().advance(60);
  lastConfigTime_ = "200";
  update();
  EXPECT_EQ(requests("/v2/check_config_update"), 2);
  // A clock set back waits until the full interval has passed from the last answer again.
  time_.clock().advance(-3600);
  update();
  EXPECT_EQ(requests("/v2/get_update_time"), 3);
  time_.clock().advance(2 * 3600);
  update();
  EXPECT_EQ(requests("/v2/get_update_time"), 4);
}

}  // namespace
