#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

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

// Two threads save one new path at once, round after round: the one told it saved is the one
// whose content is there, and the other is told it failed; no content is dropped unheard.
TEST_F(AnalyticsFiles, OfTwoSavesOfOneNewPathOnlyTheOneKeptIsToldItSaved) {
  using Save = std::function<bool(const std::string&, const std::string&)>;
  const std::pair<const char*, Save> savers[] = {{"saveData", &AnalyticsUtility::saveData},
                                                 {"saveEnvelope", &AnalyticsUtility::saveEnvelope}};
  constexpr int kRounds = 50;
  const std::string folder = AnalyticsUtility::analyticsDirectory();
  for (const auto& [name, saveOf] : savers) {
    SCOPED_TRACE(name);
    const Save& save = saveOf;  // a lambda cannot capture a structured binding in clang 14
    int bothToldSaved = 0, keptUntold = 0;
    for (int round = 0; round < kRounds; ++round) {
      const std::string path =
          plat::files::join(folder, std::string(name) + "-" + std::to_string(round));
      // Long enough that the two writes overlap, different so that the file tells who won.
      const std::string contents[2] = {std::string(64 * 1024, 'a'), std::string(64 * 1024, 'b')};
      std::atomic<int> ready{0};
      bool saved[2] = {false, false};
      auto saver = [&](int who) {
        ready.fetch_add(1);
        while (ready.load() < 2) std::this_thread::yield();
        saved[who] = save(contents[who], path);
      };
      std::thread first(saver, 0), second(saver, 1);
      first.join();
      second.join();
      const std::optional<std::string> kept = plat::files::readFile(path);
      ASSERT_TRUE(kept.has_value());
      if (saved[0] && saved[1]) ++bothToldSaved;
      const int winner = *kept == contents[0] ? 0 : *kept == contents[1] ? 1 : -1;
      ASSERT_NE(winner, -1) << "round " << round << ": the file holds neither content whole";
      if (!saved[winner]) ++keptUntold;
    }
    EXPECT_EQ(bothToldSaved, 0) << "of " << kRounds << " rounds";
    EXPECT_EQ(keptUntold, 0) << "of " << kRounds << " rounds";
    // No temporary is left beside the saved files.
    for (const std::string& file : plat::files::list(folder))
      EXPECT_TRUE(file.find('.') == std::string::npos || file.ends_with(".json")) << file;
  }
}

}  // namespace
