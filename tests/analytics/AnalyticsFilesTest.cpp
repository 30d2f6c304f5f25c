#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <thread>

#include "platform/base/Files.h"
#include "tests/analytics/AnalyticsFixture.h"
#include "tests/support/RefusedCalls.h"

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

using Save = std::function<bool(const std::string&, const std::string&)>;
const std::pair<const char*, Save> kSavers[] = {{"saveData", &AnalyticsUtility::saveData},
                                                {"saveEnvelope", &AnalyticsUtility::saveEnvelope}};

// Two threads save one new path at once, round after round: the one told it saved is the one
// whose content is there, and the other is told it failed; no content is dropped unheard.
void expectOnlyTheSaveKeptIsToldItSaved(const Save& save, const std::string& name, int rounds) {
  const std::string folder = AnalyticsUtility::analyticsDirectory();
  int bothToldSaved = 0, keptUntold = 0;
  for (int round = 0; round < rounds; ++round) {
    const std::string path = plat::files::join(folder, name + "-" + std::to_string(round));
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
    ASSERT_TRUE(kept.has_value()) << "round " << round << ": neither save left a file";
    if (saved[0] && saved[1]) ++bothToldSaved;
    const int winner = *kept == contents[0] ? 0 : *kept == contents[1] ? 1 : -1;
    ASSERT_NE(winner, -1) << "round " << round << ": the file holds neither content whole";
    if (!saved[winner]) ++keptUntold;
  }
  EXPECT_EQ(bothToldSaved, 0) << "of " << rounds << " rounds";
  EXPECT_EQ(keptUntold, 0) << "of " << rounds << " rounds";
  // No temporary or claim is left beside the saved files.
  for (const std::string& file : plat::files::list(folder))
    EXPECT_TRUE(file.find('.') == std::string::npos || file.ends_with(".json")) << file;
}

TEST_F(AnalyticsFiles, OfTwoSavesOfOneNewPathOnlyTheOneKeptIsToldItSaved) {
  for (const auto& [name, saveOf] : kSavers) {
    SCOPED_TRACE(name);
    expectOnlyTheSaveKeptIsToldItSaved(saveOf, name, 50);
  }
}

using testsupport::RefusedCall;

// File systems as the saves meet them: what each refuses, and the error it gives.
struct FileSystem {
  const char* lacking;
  std::vector<testsupport::Refusal> refusals;
};
const FileSystem kWithoutNoReplaceRenames[] = {
    {"the no-replace flag", {{RefusedCall::renameNoReplace, EINVAL}}},
    {"renameat2", {{RefusedCall::renameNoReplace, ENOSYS}}},
    {"no-replace renames", {{RefusedCall::renameNoReplace, EOPNOTSUPP}}},
    {"the flag and hard links",
     {{RefusedCall::renameNoReplace, EINVAL}, {RefusedCall::link, EPERM}}},
    {"no-replace renames and links",
     {{RefusedCall::renameNoReplace, EOPNOTSUPP}, {RefusedCall::link, EOPNOTSUPP}}},
    {"both calls", {{RefusedCall::renameNoReplace, ENOSYS}, {RefusedCall::link, ENOSYS}}},
    // The no-replace rename, where it works, is all a save asks for.
    {"everything but the no-replace rename",
     {{RefusedCall::link, EPERM},
      {RefusedCall::exclusiveCreate, EACCES},
      {RefusedCall::renameOver, EIO}}},
};

// The kernel really refuses on the thread the work runs on: a refused call fails before it
// looks at its paths.
void expectRefused(const testsupport::Refusal& refusal) {
  errno = 0;
  int answer = 0;
  if (refusal.call == RefusedCall::renameNoReplace)
    answer = ::renameat2(AT_FDCWD, "/nowhere/a", AT_FDCWD, "/nowhere/b", RENAME_NOREPLACE);
  else if (refusal.call == RefusedCall::link)
    answer = ::link("/nowhere/a", "/nowhere/b");
  else
    return;
  EXPECT_EQ(answer, -1);
  // The C library tells a kernel without renameat2 as a flag it does not know.
  const bool toldAsFlag = refusal.call == RefusedCall::renameNoReplace && refusal.error == ENOSYS;
  EXPECT_EQ(errno, toldAsFlag ? EINVAL : refusal.error) << testsupport::describe(refusal);
}

TEST_F(AnalyticsFiles, SavesSaveOnFileSystemsWithoutNoReplaceRenamesOrHardLinks) {
  AnalyticsConfig::setConfigure(1, "anActivateMsg");
  const std::string folder = AnalyticsUtility::analyticsDirectory();
  for (const FileSystem& fileSystem : kWithoutNoReplaceRenames) {
    const std::string lacking = std::string("lacking ") + fileSystem.lacking;
    SCOPED_TRACE(lacking);
    for (const std::string& file : plat::files::list(folder))
      plat::files::remove(plat::files::join(folder, file));
    Analytics::event("answered");
    time_.runUntilIdle();
    const std::string refused = testsupport::runRefusing(fileSystem.refusals, [&] {
      SCOPED_TRACE(lacking);  // a trace holds on its own thread only
      for (const testsupport::Refusal& refusal : fileSystem.refusals) expectRefused(refusal);
      for (const auto& [name, save] : kSavers) {
        const std::string path = plat::files::join(folder, std::string(name) + "-once");
        EXPECT_TRUE(save("first", path)) << name;
        EXPECT_FALSE(save("second", path)) << name;
        EXPECT_EQ(plat::files::readFile(path).value_or("(none)"), "first") << name;
        plat::files::remove(path);
        expectOnlyTheSaveKeptIsToldItSaved(save, name, 20);
      }
      // The job packs what was recorded into an envelope that it can send.
      std::vector<std::string> job = core().prepareJobFiles();
      ASSERT_EQ(job.size(), 1u);
      EXPECT_GT(plat::files::fileSize(job[0]).value_or(0), 10u);
    });
    if (!refused.empty()) GTEST_SKIP() << refused;
  }
}

// Where the last way's own steps are refused too, the save fails and leaves nothing behind: no
// temporary file, and no claim that would refuse the next save of the name.
TEST_F(AnalyticsFiles, ASaveWhoseEveryWayIsRefusedFailsAndLeavesNothing) {
  const std::vector<testsupport::Refusal> neither = {{RefusedCall::renameNoReplace, EINVAL},
                                                     {RefusedCall::link, EPERM}};
  const testsupport::Refusal lastSteps[] = {{RefusedCall::exclusiveCreate, EACCES},
                                            {RefusedCall::renameOver, EIO}};
  const std::string folder = AnalyticsUtility::analyticsDirectory();
  for (const testsupport::Refusal& step : lastSteps) {
    SCOPED_TRACE(testsupport::describe(step));
    std::vector<testsupport::Refusal> refusals = neither;
    refusals.push_back(step);
    const std::string path = plat::files::join(folder, "refused_envelope.log");
    const std::string refused = testsupport::runRefusing(refusals, [&] {
      for (const auto& [name, save] : kSavers)
        EXPECT_FALSE(save("lost", path)) << name << " with " << testsupport::describe(step);
    });
    if (!refused.empty()) GTEST_SKIP() << refused;
    for (const std::string& file : plat::files::list(folder))
      EXPECT_TRUE(file.ends_with(".json")) << file << " left behind";
    EXPECT_TRUE(AnalyticsUtility::saveEnvelope("kept", path));
    plat::files::remove(path);
  }
}

}  // namespace
