// The application starts its usage analytics at launch under its own key, and the analytics find
// their addresses where the README says: in the environment, else in the bundle's info values.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "analytics/ANUtils.h"
#include "analytics/AnalyticsContext.h"
#include "app/AnalyticsStart.h"
#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "platform/base/RunLoop.h"
#include "tests/app/AppFixture.h"
#include "tests/support/Patience.h"
#include "tests/support/TempHome.h"
#include "zlib.h"

namespace apptest {
namespace {

class AnalyticsStartTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    unsetenv("VOCAB_ANALYTICS_CONFIG_URL");
    AnalyticsContext::install(nullptr);  // made anew at launch, from this test's configuration
  }
  void TearDown() override {
    AppTest::TearDown();
    AnalyticsContext::install(nullptr);
    unsetenv("VOCAB_ANALYTICS_CONFIG_URL");
    plat::Bundle::setMainPath("");
    if (!bundle_.empty()) plat::files::remove(bundle_);
  }
  // The request for the online parameters' update time, once it has come.
  std::optional<testsupport::ServerRequest> updateTimeRequest(testsupport::LoopbackHttpServer& to) {
    if (!plat::RunLoop::main().runUntil([&] { return to.requestCount() > 0; },
                                        testsupport::kPatience))
      return std::nullopt;
    return to.requests().front();
  }
  static std::string inflate(const std::string& data) {
    std::string out(4096, '\0');
    uLongf size = out.size();
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                   reinterpret_cast<const Bytef*>(data.data()), data.size()) != Z_OK)
      return "";
    out.resize(size);
    return out;
  }

  testsupport::LoopbackHttpServer config_{[](const testsupport::ServerRequest&) {
    return testsupport::ServerReply::text("{}", 200).header("Content-Type", "application/json");
  }};
  std::string bundle_;
};

TEST_F(AnalyticsStartTest, TheLaunchAsksForOnlineParametersAtTheEnvironmentsAddress) {
  setenv("VOCAB_ANALYTICS_CONFIG_URL", config_.url("").c_str(), 1);
  launch();
  std::optional<testsupport::ServerRequest> request = updateTimeRequest(config_);
  ASSERT_TRUE(request) << "the analytics did not start";
  EXPECT_EQ(request->path(), "/v2/get_update_time");
  const std::string body = inflate(request->body);
  EXPECT_NE(body.find(std::string("\"appkey\":\"") + kAnalyticsAppKey + "\""), std::string::npos)
      << body;
}

TEST_F(AnalyticsStartTest, WithoutTheVariableTheBundlesAddressIsUsed) {
  // The shipped bundle, but for one more info value.
  bundle_ = testsupport::makeTempDir("vocab-bundle");
  const std::string shipped = plat::Bundle::main().path();
  for (const auto& entry : std::filesystem::directory_iterator(shipped)) {
    if (entry.path().filename() != "info.strings")
      std::filesystem::create_symlink(entry.path(),
                                      bundle_ + "/" + entry.path().filename().string());
  }
  std::ofstream(bundle_ + "/info.strings")
      << plat::files::readFile(shipped + "/info.strings").value_or("")
      << "\n\"AnalyticsOnlineConfigURL\" = \"" << config_.url("") << "\";\n";
  plat::Bundle::setMainPath(bundle_);
  launch();
  std::optional<testsupport::ServerRequest> request = updateTimeRequest(config_);
  ASSERT_TRUE(request) << "the bundle's address was not used";
  EXPECT_EQ(request->path(), "/v2/get_update_time");
}

}  // namespace
}  // namespace apptest
