#include <gtest/gtest.h>

#include "platform/base/Files.h"
#include "tests/analytics/AnalyticsFixture.h"

namespace {

class AnalyticsFiles : public AnalyticsFixture {
 protected:
  void SetUp() override { start(); }
  std::string envelope(double age, size_t size) {
    auto ms = static_cast<int64_t>((time_.now() - age) * 1000);
    std::string path = AnalyticsUtility::generateEnvelopeFileNameWithTS(std::to_string(ms));
    plat::files::writeFileAtomically(path, std::string(size, 'e'));
    return path;
  }
};

TEST_F(AnalyticsFiles, OnlySendableEnvelopesAreKeptOldestFirst) {
  std::string tiny = envelope(1, 10), small = envelope(2, 11), large = envelope(3, 262144);
  std::string stale = envelope(1209601, 100), oldest = envelope(1209600, 100);
  plat::files::writeFileAtomically(AnalyticsUtility::exchangeIdentityPath(), "{}");
  std::vector<std::string> files = AnalyticsUtility::envelopeFiles();
  EXPECT_EQ(files.size(), 5u);
  core().validateEnvelopeFiles(files);
  EXPECT_EQ(files, (std::vector<std::string>{oldest, small}));
  for (const std::string& gone : {tiny, large, stale}) EXPECT_FALSE(plat::files::exists(gone));
  // A name of more digits than a time holds is dated by the file itself.
  std::vector<std::string> odd = {plat::files::join(AnalyticsUtility::analyticsDirectory(),
                                                    std::string(26, '9') + "_envelope.log")};
  plat::files::writeFileAtomically(odd[0], std::string(100, 'e'));
  EXPECT_NO_THROW(core().validateEnvelopeFiles(odd));
  AnalyticsUtility::removeFile(odd[0]);
  // A name from a clock far ahead still sorts, as the newest.
  std::vector<std::string> ahead = {plat::files::join(AnalyticsUtility::analyticsDirectory(),
                                                      std::string(16, '9') + "_envelope.log"),
                                    small};
  AnalyticsUtility::sortFileWithCreatedTime(ahead);
  EXPECT_EQ(ahead[0], small);

  // The next job takes the ten newest of twelve and deletes the two oldest.
  std::vector<std::string> made;
  for (int i = 12; i > 2; --i) made.push_back(envelope(i * 10, 100));
  AnalyticsConfig::setConfigure(1, "anActivateMsg");
  std::vector<std::string> job = core().prepareJobFiles();
  std::vector<std::string> newest(made.begin() + 1, made.end());
  newest.push_back(small);
  EXPECT_EQ(job, newest);
  EXPECT_FALSE(plat::files::exists(oldest));
  EXPECT_FALSE(plat::files::exists(made[0]));
}

TEST_F(AnalyticsFiles, JobMakesAnEnvelopeOnlyWhenThereIsSomethingToSay) {
  AnalyticsConfig::setConfigure(1, "anActivateMsg");
  EXPECT_TRUE(core().prepareJobFiles().empty());
  Analytics::event("answered");
  time_.runUntilIdle();
  EXPECT_EQ(core().prepareJobFiles().size(), 1u);
}

TEST_F(AnalyticsFiles, SavingNeverOverwrites) {
  std::string path = plat::files::join(AnalyticsUtility::analyticsDirectory(), "x_envelope.log");
  EXPECT_TRUE(AnalyticsUtility::saveData("first", path));
  EXPECT_FALSE(AnalyticsUtility::saveData("second", path));
  EXPECT_EQ(*plat::files::readFile(path), "first");
}

}  // namespace
