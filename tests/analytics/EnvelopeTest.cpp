#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "analytics/ANUtil.h"
#include "analytics/AnalyticsEnvelope.h"
#include "platform/base/Files.h"
#include "platform/crypto/Digest.h"
#include "tests/analytics/AnalyticsFixture.h"

namespace {

class AnalyticsEnvelopes : public AnalyticsFixture {
 protected:
  void SetUp() override {
    start();
    Analytics::event_label("answered", "abandon");
    Analytics::event_attributes("lesson", plat::Value::dictionary({{"unit", "3"}}));
    time_.runUntilIdle();
  }
  // The newest envelope file, read back and checked as the log service does.
  ReceivedEnvelope newest() {
    auto files = AnalyticsUtility::envelopeFiles();
    AnalyticsUtility::sortFileWithCreatedTime(files);
    return readEnvelope(*plat::files::readFile(files.back()));
  }
};

TEST_F(AnalyticsEnvelopes, FirstGuidBecomesTheSignatureAndSerialsAdvance) {
  ASSERT_TRUE(core().generateEnvelopeFile());
  auto files = AnalyticsUtility::envelopeFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(plat::files::lastPathComponent(files[0]),
            std::to_string(static_cast<int64_t>(time_.now() * 1000)) + "_envelope.log");
  const ReceivedEnvelope got = newest();
  EXPECT_TRUE(got.problems.empty()) << got.problems[0];
  const ATEnvelope::UsageEnvelope& first = got.envelope;
  EXPECT_EQ(first.version, "V1.0");
  EXPECT_EQ(first.address, "4f5a6b7c8d9e0f1a2b3c4d5e");
  EXPECT_EQ(first.serial_num, 1);
  EXPECT_EQ(first.ts_secs, static_cast<int32_t>(time_.now()));
  // The signature is the first guid made without one; the envelope's guid is then signed.
  EXPECT_EQ(first.signature, plat::crypto::hex(*AnalyticsEnvelope::storedSignature()));
  EXPECT_EQ(first.signature.substr(4, 56), first.guid.substr(4, 56));
  EXPECT_TRUE(core().events.empty());

  time_.advance(1);
  Analytics::event("next");
  time_.runUntilIdle();
  ASSERT_TRUE(core().generateEnvelopeFile());
  ATEnvelope::UsageEnvelope second = newest().envelope;
  EXPECT_EQ(second.serial_num, 2);
  EXPECT_EQ(second.signature, first.signature);
  EXPECT_NE(second.guid, first.guid);

  plat::Value identity =
      *ANUtil::JSONValue(*plat::files::readFile(AnalyticsUtility::exchangeIdentityPath()));
  EXPECT_EQ(identity.keys(), (std::vector<std::string>{"appkey", "signature", "checksum"}));
  EXPECT_EQ(identity["checksum"].asString(), ANUtil::md5(first.signature.substr(4, 32)));
}

TEST_F(AnalyticsEnvelopes, GuidChecksPassOnBuiltEnvelopesAndFailOnAFlippedByte) {
  AnalyticsEnvelope& builder = AnalyticsEnvelope::sharedInstance();
  ASSERT_TRUE(core().generateEnvelopeFile());
  EXPECT_EQ(builder.serialNum(), 1);
  EXPECT_TRUE(builder.verifyTimestamp());
  EXPECT_TRUE(builder.verifyChecksum());

  // A second envelope, a second later and encrypted, checks out against its own digests.
  setImprint({{"codex", "1"}});
  time_.advance(1);
  Analytics::event("next");
  time_.runUntilIdle();
  ASSERT_TRUE(core().generateEnvelopeFile());
  auto files = AnalyticsUtility::envelopeFiles();
  AnalyticsUtility::sortFileWithCreatedTime(files);
  EXPECT_EQ(builder.envelopeData(), *plat::files::readFile(files.back()));
  EXPECT_EQ(builder.checksum(), newest().envelope.checksum);
  EXPECT_EQ(plat::crypto::hex(builder.guid()), newest().envelope.guid);
  EXPECT_EQ(builder.serialNum(), 2);
  EXPECT_EQ(builder.timestamp(), static_cast<int32_t>(time_.now()));
  EXPECT_TRUE(builder.verifyTimestamp());
  EXPECT_TRUE(builder.verifyChecksum());

  // A flipped stamp byte fails the stamp and not the digests; a flipped digest byte the reverse.
  const AnalyticsEnvelope::Guid built = builder.guid();
  AnalyticsEnvelope::Guid flipped = built;
  flipped[0] ^= 0x01;
  builder.setGuid(flipped);
  EXPECT_FALSE(builder.verifyTimestamp());
  EXPECT_TRUE(builder.verifyChecksum());
  flipped = built;
  flipped[10] ^= 0x40;
  builder.setGuid(flipped);
  EXPECT_TRUE(builder.verifyTimestamp());
  EXPECT_FALSE(builder.verifyChecksum());
  builder.setGuid(built);
  // A guid of another length is no guid of ours.
  EXPECT_FALSE(AnalyticsEnvelope::verifyTimestamp(std::span(built.data(), 31), builder.signature(),
                                                  builder.timestamp(), builder.serialNum()));

  Analytics::setLogEnabled(true);
  const uint8_t bytes[] = {0x0a, 0xff};
  AnalyticsEnvelope::printBytes(bytes, 2);
  EXPECT_EQ(printed().back(), "ANLOG: < 0a ff >\n");
}

TEST_F(AnalyticsEnvelopes, ImprintCodexEncryptsTheEntity) {
  Analytics::setEncryptEnabled(true);
  setImprint({{"codex", "0"}, {"anid", "server-7"}});
  ASSERT_TRUE(core().generateEnvelopeFile());
  EXPECT_EQ(newest().envelope.codex, 0);

  Analytics::setEncryptEnabled(false);
  setImprint({{"codex", "1"}});
  Analytics::event("secret");
  time_.advance(1);
  ASSERT_TRUE(core().generateEnvelopeFile());
  const ReceivedEnvelope got = newest();
  EXPECT_EQ(got.envelope.codex, 1);
  EXPECT_TRUE(got.problems.empty()) << got.problems[0];
  EXPECT_EQ(got.entry.instant_msgs.at(0).events.at(0).name, "secret");
}

TEST_F(AnalyticsEnvelopes, AFullDiskKeepsTheRecords) {
  settings().synchronize();
  pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {64, 64};
    setrlimit(RLIMIT_FSIZE, &limit);
    bool made = core().generateEnvelopeFile();
    bool kept = core().events.size() == 1 && core().ekv.size() == 1;
    _exit(!made && kept && AnalyticsUtility::envelopeFiles().empty() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
