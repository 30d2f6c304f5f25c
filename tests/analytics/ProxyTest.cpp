// Uploads and online parameters take the proxy that every other request of the program takes:
// the one the environment names, or the one its automatic configuration script chooses. The
// endpoints' hosts do not exist; only a loopback proxy can answer for them.
#include <gtest/gtest.h>

#include <fstream>

#include "analytics/AnalyticsOnlineConfig.h"
#include "analytics/records/ThriftBytes.h"
#include "platform/base/Files.h"
#include "tests/analytics/AnalyticsFixture.h"
#include "tests/support/Patience.h"

namespace {

class AnalyticsThroughAProxy : public AnalyticsFixture {
 protected:
  void SetUp() override {
    testsupport::clearProxyEnvironment();
    endpoints_->primaryLog = "http://logs.analytics.invalid";
    endpoints_->fallbackLog = "http://fallback.analytics.invalid";
    endpoints_->onlineConfig = "http://config.analytics.invalid";
    plat::NotificationCenter::defaultCenter().addObserver(
        this, kOnlineConfigDidFinishedNotification, nullptr,
        [this](const plat::Notification&) { ++configured_; });
  }
  void TearDown() override {
    plat::NotificationCenter::defaultCenter().removeObserver(this);
    testsupport::clearProxyEnvironment();
  }
  // Starts the analytics (which fetches the online parameters), then uploads one event.
  void startAndUpload() {
    start();
    Analytics::updateOnlineConfig();
    ASSERT_TRUE(
        plat::RunLoop::main().runUntil([&] { return configured_ > 0; }, testsupport::kPatience));
    Analytics::event("through_proxy");
    time_.runUntilIdle();
    core().generateEnvelopeFile();
    core().beginPerformJob();
    ASSERT_TRUE(plat::RunLoop::main().runUntil(
        [] { return !AnalyticsJob::sharedInstance().jobRunning(); }, testsupport::kPatience));
  }
  std::vector<std::string> targets() {
    std::vector<std::string> out;
    for (const auto& request : proxy_.requests()) out.push_back(request.target);
    return out;
  }

  int configured_ = 0;
  // Answers as the log and configuration services would, for requests in a proxy's form.
  testsupport::LoopbackHttpServer proxy_{[](const testsupport::ServerRequest& request) {
    testsupport::ServerReply reply;
    if (request.target == "http://logs.analytics.invalid/app_logs") {
      reply.body = records::toBytes(makeResponse(1));
      reply.header("Content-Type", "application/thrift");
    } else if (request.target == "http://config.analytics.invalid/v2/get_update_time") {
      reply.body = "{\"last_config_time\":200}";
      reply.header("Content-Type", "application/json");
    } else if (request.target == "http://config.analytics.invalid/v2/check_config_update") {
      reply.body =
          "{\"config_update\":\"Yes\",\"last_config_time\":200,"
          "\"online_params\":{\"tip\":\"多背单词\"}}";
      reply.header("Content-Type", "application/json");
    } else {
      reply.status = 502;
    }
    return reply;
  }};
};

TEST_F(AnalyticsThroughAProxy, TheEnvironmentsProxyCarriesUploadsAndOnlineParameters) {
  setenv("http_proxy", proxy_.url("").c_str(), 1);
  startAndUpload();
  EXPECT_EQ(targets(), (std::vector<std::string>{
                           "http://config.analytics.invalid/v2/get_update_time",
                           "http://config.analytics.invalid/v2/check_config_update",
                           "http://logs.analytics.invalid/app_logs",
                       }));
  EXPECT_EQ(Analytics::getConfigParams("tip").value_or(""), "多背单词");
  EXPECT_TRUE(AnalyticsUtility::envelopeFiles().empty()) << "the upload was accepted";
}

TEST_F(AnalyticsThroughAProxy, TheConfigurationScriptsProxyCarriesThemToo) {
  const std::string script = plat::files::join(home_.path(), "proxy.pac");
  std::ofstream(script) << "function FindProxyForURL(url, host) {\n"
                        << "  return shExpMatch(host, \"*.analytics.invalid\") ? \"PROXY "
                        << proxy_.url("").substr(7) << "\" : \"DIRECT\";\n}\n";
  setenv("auto_proxy", ("file://" + script).c_str(), 1);
  startAndUpload();
  ASSERT_EQ(targets().size(), 3u);
  EXPECT_EQ(targets().back(), "http://logs.analytics.invalid/app_logs");
  EXPECT_TRUE(AnalyticsUtility::envelopeFiles().empty());
}

}  // namespace
