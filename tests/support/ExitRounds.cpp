#include "tests/support/ExitRounds.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "tests/support/TempHome.h"

extern char** environ;

namespace testsupport {
namespace {

constexpr char kRoundVariable[] = "VOCAB_EXIT_ROUND";
constexpr char kFolderVariable[] = "VOCAB_EXIT_ROUND_FOLDER";
constexpr char kGivenVariable[] = "VOCAB_EXIT_ROUND_GIVEN";

// Far beyond any exit, however busy the machine: a child still there by then hangs (a sanitizer's
// report can deadlock with the leak check of an exiting process).
constexpr auto kExitBound = std::chrono::minutes(2);

std::string describe(int status) {
  if (WIFEXITED(status)) return "exited with " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
  return "ended with status " + std::to_string(status);
}

// How the child ended: "" for an exit with 0, else what happened.
std::string awaitChild(pid_t child) {
  const auto deadline = std::chrono::steady_clock::now() + kExitBound;
  int status = 0;
  for (;;) {
    const pid_t waited = waitpid(child, &status, WNOHANG);
    if (waited == child) break;
    if (waited < 0 && errno != EINTR) return "lost (waitpid failed)";
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return "still running after two minutes";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : describe(status);
}

// This program again, for `testName` alone, as round `number` working in `folder`. Its standard
// output (the test framework's lines) is dropped; its errors (the sanitizers' reports) are not.
pid_t startRound(const std::string& testName, int number, const std::string& folder,
                 const std::string& given) {
  std::vector<std::string> arguments = {"/proc/self/exe", "--gtest_filter=" + testName};
  const std::vector<std::string> own = {std::string(kRoundVariable) + "=" + std::to_string(number),
                                        std::string(kFolderVariable) + "=" + folder,
                                        std::string(kGivenVariable) + "=" + given,
                                        "TMPDIR=" + folder};
  std::vector<std::string> variables = own;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('=') + 1);
    if (std::none_of(own.begin(), own.end(),
                     [&](const std::string& set) { return set.rfind(name, 0) == 0; }))
      variables.push_back(text);
  }
  std::vector<char*> argv, envp;
  for (auto& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (auto& v : variables) envp.push_back(v.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t child = -1;
  const int failed = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return failed == 0 ? child : -1;
}

// What the round gave onceStaticObjectsAreGone(). Never destroyed: it is read after the
// destructors have run.
std::vector<std::function<void()>>& workOnceStaticObjectsAreGone() {
  static auto& work = *new std::vector<std::function<void()>>;
  return work;
}

// In a round's process, the last exit handler before the sanitizers' own: registered before the
// program's static objects are made, it runs once they are destroyed, runs what the round gave
// for then, and waits a moment, as a slow exit would, while the round's threads still run. A
// thread that reads something destroyed does so then, where the sanitizers see it, rather than
// only when the timing happens to allow.
__attribute__((constructor(101))) void lingerOnceStaticObjectsAreGone() {
  if (!std::getenv(kRoundVariable)) return;
  std::atexit([] {
    for (const auto& work : workOnceStaticObjectsAreGone()) work();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  });
}

}  // namespace

int exitRoundNumber() {
  const char* number = std::getenv(kRoundVariable);
  return number ? std::atoi(number) : 0;
}

std::string exitRoundFolder() {
  const char* folder = std::getenv(kFolderVariable);
  return folder ? folder : "";
}

std::string exitRoundGiven() {
  const char* given = std::getenv(kGivenVariable);
  return given ? given : "";
}

void onceStaticObjectsAreGone(std::function<void()> work) {
  workOnceStaticObjectsAreGone().push_back(std::move(work));
}

ExitRounds exitRoundsOf(const std::string& testName, int rounds, const std::function<void()>& round,
                        const std::string& given) {
  if (exitRoundNumber() > 0) {
    round();
    std::exit(0);
  }
  ExitRounds result;
  for (int i = 1; i <= rounds; ++i) {
    std::fflush(nullptr);  // the child's errors come after what the parent wrote
    const std::string folder = makeTempDir("vocab-exit-round");
    const pid_t child = startRound(testName, i, folder, given);
    const std::string failure = child < 0 ? "could not start" : awaitChild(child);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    if (failure.empty()) continue;
    ++result.failed;
    if (result.firstFailure.empty())
      result.firstFailure = "round " + std::to_string(i) + ": " + failure;
  }
  return result;
}

}  // namespace testsupport
