#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include "analytics/ANUtil.h"
#include "analytics/AnalyticsConfig.h"
#include "analytics/AnalyticsEnvelope.h"
#include "analytics/AnalyticsJob.h"
#include "analytics/AnalyticsThrift.h"
#include "analytics/AnalyticsUtility.h"
#include "analytics/records/ThriftBytes.h"
#include "platform/base/Files.h"
#include "platform/crypto/Aes.h"
#include "platform/crypto/Digest.h"
#include "tests/analytics/AnalyticsCoreFixture.h"

namespace {

std::string inflate(const std::string& data, size_t size) {
  std::string out(size, '\0');
  uLongf length = size;
  if (uncompress(reinterpret_cast<Bytef*>(out.data()), &length,
                 reinterpret_cast<const Bytef*>(data.data()), data.size()) != Z_OK) {
    return "";
  }
  out.resize(length);
  return out;
}

class AnalyticsEnvelopes : public AnalyticsCoreFixture {
 protected:
  void SetUp() override {
    start();
    Analytics::event_label("answered", "abandon");
    Analytics::event_attributes("lesson", plat::Value::dictionary({{"unit", "3"}}));
    time_.runUntilIdle();
  }
  ATEnvelope::UsageEnvelope readFile(const std::string& path) {
    ATEnvelope::UsageEnvelope envelope;
    records::fromBytes(*plat::files::readFile(path), envelope);
    return envelope;
  }
};

TEST_F(AnalyticsEnvelopes, FirstGuidBecomesTheSignatureAndSerialsAdvance) {
  ASSERT_TRUE(core().generateEnvelopeFile());
  auto files = AnalyticsUtility::envelopeFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(plat::files::lastPathComponent(files[0]),
            std::to_string(static_cast<int64_t>(time_.now() * 1000)) + "_envelope.log");
  ATEnvelope::UsageEnvelope first = readFile(files[0]);
  EXPECT_EQ(first.version, "V1.0");
  EXPECT_EQ(first.address, "4f5a6b7c8d9e0f1a2b3c4d5e");
  EXPECT_EQ(first.serial_num, 1);
  EXPECT_EQ(first.codex, 0);
  EXPECT_EQ(first.ts_secs, static_cast<int32_t>(time_.now()));
  // The signature is the first guid made without one; the envelope's guid is then signed.
  EXPECT_EQ(first.signature, plat::crypto::hex(*AnalyticsEnvelope::storedSignature()));
  EXPECT_EQ(first.signature.substr(4, 56), first.guid.substr(4, 56));
  EXPECT_EQ(
      first.checksum,
      plat::crypto::hex(plat::crypto::md5(first.signature + "1" + std::to_string(first.ts_secs) +
                                          std::to_string(first.length) + first.guid)));
  // `length` is the entry before compression.
  std::string entry = inflate(first.entity, static_cast<size_t>(first.length));
  EXPECT_EQ(entry.size(), static_cast<size_t>(first.length));
  AT::UsageLogEntry log;
  ASSERT_TRUE(records::fromBytes(entry, log));
  ASSERT_EQ(log.instant_msgs.size(), 1u);
  EXPECT_EQ(log.instant_msgs[0].events.size(), 2u);
  EXPECT_TRUE(core().events.empty());

  time_.advance(1);
  Analytics::event("next");
  time_.runUntilIdle();
  ASSERT_TRUE(core().generateEnvelopeFile());
  files = AnalyticsUtility::envelopeFiles();
  AnalyticsUtility::sortFileWithCreatedTime(files);
  ATEnvelope::UsageEnvelope second = readFile(files[1]);
  EXPECT_EQ(second.serial_num, 2);
  EXPECT_EQ(second.signature, first.signature);
  EXPECT_NE(second.guid, first.guid);

  plat::Value identity =
      *ANUtil::JSONValue(*plat::files::readFile(AnalyticsUtility::exchangeIdentityPath()));
  EXPECT_EQ(identity.keys(), (std::vector<std::string>{"appkey", "signature", "checksum"}));
  EXPECT_EQ(identity["checksum"].asString(), ANUtil::md5(first.signature.substr(4, 32)));
}

TEST_F(AnalyticsEnvelopes, ImprintCodexEncryptsTheEntity) {
  Analytics::setEncryptEnabled(true);
  setImprint({{"codex", "0"}, {"anid", "server-7"}});
  ASSERT_TRUE(core().generateEnvelopeFile());
  EXPECT_EQ(readFile(AnalyticsUtility::envelopeFiles()[0]).codex, 0);

  Analytics::setEncryptEnabled(false);
  setImprint({{"codex", "1"}});
  Analytics::event("secret");
  time_.advance(1);
  ASSERT_TRUE(core().generateEnvelopeFile());
  auto files = AnalyticsUtility::envelopeFiles();
  AnalyticsUtility::sortFileWithCreatedTime(files);
  ATEnvelope::UsageEnvelope envelope = readFile(files[1]);
  EXPECT_EQ(envelope.codex, 1);
  auto signature = *AnalyticsEnvelope::storedSignature();
  const uint8_t iv[16] = {3, 14, 2, 9, 6, 11, 0, 8, 21, 5, 12, 7, 1, 4, 19, 77};
  auto plain = plat::crypto::aes128CbcDecrypt(
      std::vector<uint8_t>(envelope.entity.begin(), envelope.entity.end()),
      plat::crypto::AesKey(signature.data() + 1, 16), plat::crypto::AesIv(iv, 16));
  ASSERT_TRUE(plain);
  AT::UsageLogEntry log;
  ASSERT_TRUE(records::fromBytes(
      inflate(std::string(plain->begin(), plain->end()), static_cast<size_t>(envelope.length)),
      log));
  EXPECT_EQ(log.instant_msgs[0].events[0].name, "secret");
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
