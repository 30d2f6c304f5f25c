#include <gtest/gtest.h>

#include "analytics/AnalyticsHttp.h"
#include "analytics/AnalyticsImprintUpdate.h"
#include "platform/base/Files.h"
#include "tests/analytics/AnalyticsFixture.h"
#include "tests/support/Patience.h"

namespace {

class AnalyticsUpload : public AnalyticsFixture {
 protected:
  void SetUp() override {
    testsupport::clearProxyEnvironment();
    endpoints_->primaryLog = primary_.url();
    endpoints_->fallbackLog = fallback_.url();
    start();
  }
  // Records one event per envelope file, `count` files, oldest first.
  std::vector<std::string> envelopes(int count) {
    for (int i = 0; i < count; ++i) {
      Analytics::event("answered" + std::to_string(i));
      time_.runUntilIdle();
      core().generateEnvelopeFile();
      time_.clock().advance(1);
    }
    auto files = AnalyticsUtility::envelopeFiles();
    AnalyticsUtility::sortFileWithCreatedTime(files);
    return files;
  }
  void upload() {
    core().beginPerformJob();
    ASSERT_TRUE(plat::RunLoop::main().runUntil(
        [] { return !AnalyticsJob::sharedInstance().jobRunning(); }, testsupport::kPatience));
  }
  static std::string firstEvent(const ReceivedEnvelope& got) {
    return got.entry.instant_msgs.at(0).events.at(0).name;
  }

  LoopbackLogService primary_, fallback_;
};

TEST_F(AnalyticsUpload, AnAcceptedReplyEndsTheFileAndBringsServerSettings) {
  auto files = envelopes(1);
  primary_.replyWith(makeResponse(1, {{"defcon", "7"}, {"report_interval", "600"}, {"x", "1"}}));
  upload();
  ASSERT_EQ(primary_.received().size(), 1u);
  EXPECT_EQ(firstEvent(primary_.received()[0]), "answered0");
  EXPECT_FALSE(plat::files::exists(files[0]));
  EXPECT_EQ(AnalyticsConfig::configureWithKey("anDefcon").asString(), "0");
  EXPECT_EQ(*imprintValueWithKey("x"), "1");
  EXPECT_EQ(AnalyticsApp::sharedInstance().logSendInterval(), 600);

  // A later imprint withdraws x, adds y and keeps the rest; its checksum covers the merge.
  updateImprint(makeResponse(1, {{"x", ""}, {"y", "2"}}).imprint);
  EXPECT_FALSE(imprintValueWithKey("x"));
  EXPECT_EQ(*imprintValueWithKey("y"), "2");
  EXPECT_EQ(*imprintValueWithKey("report_interval"), "600");
  EXPECT_TRUE(validateImprintChecksum(*storedImprint()));
}

TEST_F(AnalyticsUpload, ARefusedOrForeignReplyCountsAsFailure) {
  auto files = envelopes(2);
  primary_.replyWith(makeResponse(0, {{"x", "1"}}));
  fallback_.replyWith(makeResponse(1));
  // Code 0 ends the file but counts a failure and brings no settings.
  core().beginPerformJob();
  ASSERT_TRUE(plat::RunLoop::main().runUntil([&] { return !plat::files::exists(files[1]); },
                                             testsupport::kPatience));
  plat::RunLoop::main().runUntil([] { return !AnalyticsJob::sharedInstance().jobRunning(); },
                                 testsupport::kPatience);
  EXPECT_EQ(AnalyticsConfig::configureWithKey("anFailedRequests").asInt(), 2);
  EXPECT_FALSE(imprintValueWithKey("x"));

  // Another content type keeps the file and tries the fallback.
  files = envelopes(1);
  primary_.replyRaw(testsupport::ServerReply::text("ok"));
  upload();
  EXPECT_EQ(fallback_.received().size(), 1u);
  EXPECT_FALSE(plat::files::exists(files[0]));
  EXPECT_EQ(AnalyticsConfig::configureWithKey("anFailedRequests").asInt(), 3);
}

TEST_F(AnalyticsUpload, FallbackDeliversInOrderAndBackOffGivesUp) {
  envelopes(3);
  endpoints_->primaryLog = "http://127.0.0.1:1";  // nothing listens there
  upload();
  ASSERT_EQ(fallback_.received().size(), 3u);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(firstEvent(fallback_.received()[i]), "answered" + std::to_string(i));
  EXPECT_TRUE(AnalyticsUtility::envelopeFiles().empty());

  envelopes(2);
  AnalyticsJob::sharedInstance().setDefcon(1);
  upload();
  EXPECT_EQ(fallback_.received().size(), 3u);
  EXPECT_TRUE(AnalyticsUtility::envelopeFiles().empty());
}

TEST_F(AnalyticsUpload, AReplyPastTheCeilingCountsAsFailureAndKeepsTheFile) {
  auto files = envelopes(1);
  endpoints_->fallbackLog = "http://127.0.0.1:1";  // nothing listens there
  auto reply = testsupport::ServerReply::text("");
  reply.headers = {{"Content-Type", "application/thrift"}};
  reply.sharedBody = std::make_shared<const std::string>(kAnalyticsMostReplyBytes + 1, '\x0c');
  primary_.replyRaw(reply);
  upload();
  EXPECT_EQ(primary_.received().size(), 1u);
  EXPECT_TRUE(plat::files::exists(files[0]));
  EXPECT_EQ(AnalyticsConfig::configureWithKey("anFailedRequests").asInt(), 2);
}

TEST_F(AnalyticsUpload, WithoutEndpointsTheNewestTenAreKept) {
  endpoints_->primaryLog.clear();
  endpoints_->fallbackLog.clear();
  envelopes(12);
  core().beginPerformJob();
  EXPECT_FALSE(AnalyticsJob::sharedInstance().jobRunning());
  EXPECT_EQ(AnalyticsUtility::envelopeFiles().size(), 10u);
}

TEST_F(AnalyticsUpload, ExperimentsFromTheSignature) {
  // Signature bytes 6 to 8 give the probability 0.7 (0xB3333 of 2^20); bytes 12 on give 0.
  plat::Value::Bytes signature(32, 0);
  signature[6] = 0xB3;
  signature[7] = 0x33;
  signature[8] = 0x30;
  AnalyticsConfig::setConfigure(plat::Value(signature), "anSignature");
  EXPECT_NEAR(calcProbWithSigIndex(6), 0.7, 0.0001);
  configureExperimentWithString("SIG7|0.5,0.5|SIG13|1.0|RPT|6,1");
  EXPECT_EQ(AnalyticsConfig::configureWithKey("anExperimentRPT").asInt(), 1);
  EXPECT_EQ(AnalyticsConfig::configureWithKey("anExperimentGroupInfo")["RPT"].asInt(), 2);
  configureExperimentWithString("FIXED|3|x|0|RPT|1,6");
  EXPECT_FALSE(AnalyticsConfig::hasKey("anExperimentRPT"));
  EXPECT_FALSE(AnalyticsConfig::configureWithKey("anExperimentGroupInfo").has("RPT"));
  configureExperimentWithString("SIG7|1|SIG13|1|RPT");
  EXPECT_TRUE(printed().empty());  // the log is off
  Analytics::setLogEnabled(true);
  configureExperimentWithString("SIG7|1|SIG13|1|RPT");
  EXPECT_EQ(printed(), std::vector<std::string>{"ANLOG: ERROR: experiment params invalid."});

  // Key, value, time stamp and guid of each property, then the version: the digest of "ab5g2".
  EXPECT_EQ(makeImprint({{"a", "b"}}).checksum, "fc5c72571f788c71159e3c055a7971df");
}

}  // namespace
