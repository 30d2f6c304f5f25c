#include "tests/support/ExitRounds.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace testsupport {
namespace {

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

}  // namespace

ExitRounds exitRounds(int rounds, const std::function<void()>& round) {
  ExitRounds result;
  for (int i = 1; i <= rounds; ++i) {
    std::fflush(nullptr);  // what the parent buffered is not written again by the child
    const pid_t child = fork();
    if (child == 0) {
      round();
      std::exit(0);
    }
    const std::string failure = child < 0 ? "fork failed" : awaitChild(child);
    if (failure.empty()) continue;
    ++result.failed;
    if (result.firstFailure.empty())
      result.firstFailure = "round " + std::to_string(i) + ": " + failure;
  }
  return result;
}

}  // namespace testsupport
