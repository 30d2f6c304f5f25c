// The Makefile's JOBS as make itself reads it on the source tree, with -n so that nothing is built
// or installed: every target that builds or tests takes an empty JOBS as every core, stops at once
// on anything but a whole number from 1 to 1024 (make read "-j" alone as no limit, and stalled on
// 70000), and hands a good number to each of its commands and to the voice pack's recordings.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

namespace toolstest {
namespace {

const std::vector<std::string> kJobsTargets = {
    "run", "run-online", "test", "build-test", "test-tsan", "bench", "build-clang", "fuzz"};

struct MakeRun {
  int status = -1;
  std::string output;  // standard output and error together
};

std::string shellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

MakeRun shellRun(const std::string& command) {
  MakeRun run;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return run;
  char chunk[4096];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
    run.output.append(chunk, got);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// make -n in the source tree with `args`, apart from whatever make runs this test: its flags and
// its JOBS would reach the inner make through the environment.
MakeRun dryMake(const std::vector<std::string>& args) {
  std::string command =
      "cd " + shellQuoted(VOCAB_SOURCE_DIR) +
      " && env -u MAKEFLAGS -u GNUMAKEFLAGS -u MFLAGS -u MAKELEVEL -u MAKEOVERRIDES"
      " -u JOBS -u VOCAB_JOBS make -n --no-print-directory";
  for (const std::string& arg : args) command += " " + shellQuoted(arg);
  return shellRun(command);
}

// What follows each " -j " of the commands make would run.
std::vector<std::string> jobCounts(const std::string& output) {
  static const std::regex option(" -j +([^ \n]*)");
  std::vector<std::string> counts;
  for (std::sregex_iterator at(output.begin(), output.end(), option), end; at != end; ++at)
    counts.push_back((*at)[1]);
  return counts;
}

std::string everyCore() {
  const std::string cores = shellRun("nproc").output;
  return std::to_string(std::min(std::stoi(cores), 1024));
}

TEST(MakeJobs, AValueThatIsNoNumberOfJobsStopsEveryTargetThatTakesItBeforeItStarts) {
  for (const std::string& target : kJobsTargets) {
    for (const std::string bad :
         {"abc", "0", "00", "-1", "1.5", "4x", "4 4", "1025", "70000", "99999999999999999999",
          "000000000000000000000000000000000000000010000", "123456789012345678901234567890"}) {
      const MakeRun run = dryMake({target, "JOBS=" + bad});
      EXPECT_EQ(run.status, 2) << target << " JOBS=" << bad;
      EXPECT_NE(run.output.find("JOBS takes a whole number from 1 to 1024, or nothing for every "
                                "core; not \"" +
                                bad + "\""),
                std::string::npos)
          << target << " JOBS=" << bad << ": " << run.output;
      EXPECT_EQ(run.output.find("install-deps"), std::string::npos) << "nothing started";
      // The refusal alone: a number too long for the shell's test once drew its complaint first.
      EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1)
          << target << " JOBS=" << bad << ": " << run.output;
    }
  }
  // The voice pack's own setting, when given, is held to the same rule.
  for (const std::string bad : {"two", "99999999999999999999"}) {
    const MakeRun recordings = dryMake({"build-test", "JOBS=2", "VOCAB_JOBS=" + bad});
    EXPECT_EQ(recordings.status, 2);
    EXPECT_NE(recordings.output.find("VOCAB_JOBS takes a whole number from 1 to 1024"),
              std::string::npos)
        << recordings.output;
    EXPECT_EQ(std::count(recordings.output.begin(), recordings.output.end(), '\n'), 1)
        << recordings.output;
  }
  // A target that runs nothing at once does not ask.
  const MakeRun clean = dryMake({"clean", "JOBS=abc"});
  EXPECT_EQ(clean.status, 0) << clean.output;
  EXPECT_NE(clean.output.find("rm -rf build"), std::string::npos);
}

TEST(MakeJobs, EveryCommandOfATargetRunsTheNumberGivenOrEveryCore) {
  const std::string cores = everyCore();
  const std::vector<std::pair<std::string, std::string>> settings = {
      {"JOBS=3", "3"},
      {"JOBS=", cores},
      {"JOBS= 5 ", "5"},
      {"JOBS=0012", "12"},
      {"JOBS=" + std::string(30, '0') + "12", "12"},
      {"JOBS=1024", "1024"}};
  for (const std::string& target : kJobsTargets) {
    const MakeRun unset = dryMake({target});
    EXPECT_EQ(unset.status, 0) << target << ": " << unset.output;
    for (const std::string& count : jobCounts(unset.output)) EXPECT_EQ(count, cores) << target;
    for (const auto& [setting, expected] : settings) {
      const MakeRun run = dryMake({target, setting});
      EXPECT_EQ(run.status, 0) << target << " " << setting << ": " << run.output;
      const std::vector<std::string> counts = jobCounts(run.output);
      EXPECT_FALSE(counts.empty()) << target << " " << setting << ": " << run.output;
      for (const std::string& count : counts)
        EXPECT_EQ(count, expected) << target << " " << setting;
    }
  }
}

TEST(MakeJobs, TheVoicePacksRecordingsFollowJobsOrTheirOwnSetting) {
  // A recipe marked "+" runs even under -n: it shows what the build's commands find.
  const std::string shown = "--eval=recordings: ; +@echo \"recordings=[$$VOCAB_JOBS]\"";
  const std::string cores = everyCore();
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"JOBS=3"}, "3"},
      {{"JOBS="}, cores},
      {{}, cores},
      {{"JOBS=007"}, "7"},
      {{"JOBS=3", "VOCAB_JOBS=2"}, "2"},
      {{"JOBS=3", "VOCAB_JOBS="}, cores}};
  for (const auto& [settings, expected] : cases) {
    std::vector<std::string> args = {shown, "recordings", "build-test"};
    args.insert(args.end(), settings.begin(), settings.end());
    const MakeRun run = dryMake(args);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("recordings=[" + expected + "]"), std::string::npos)
        << (settings.empty() ? "" : settings[0]) << ": " << run.output;
  }
}

}  // namespace
}  // namespace toolstest
