#include "platform/host/ChildProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace plat {
namespace {

// How often a running program's end, its output and the caller's give-up are looked at.
constexpr int kStepMilliseconds = 10;

// Reads what the pipe holds now; false once it reached its end (or failed).
bool readAvailable(int fd, std::string& out) {
  char buffer[512];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) {
      out.append(buffer, static_cast<size_t>(got));
    } else if (got < 0 && errno == EINTR) {
      continue;
    } else {
      return got < 0 && errno == EAGAIN;
    }
  }
}

// Reaps the child if it ended; its wait status then.
bool reaped(pid_t child, int& status) {
  for (;;) {
    const pid_t got = waitpid(child, &status, WNOHANG);
    if (got == child) return true;
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      status = -1;  // not ours to wait for any more
      return true;
    }
    return false;
  }
}

}  // namespace

int runChildProgram(const std::vector<std::string>& argv, std::string* errorOutput,
                    const std::function<bool()>& giveUp) {
  if (argv.empty()) return -1;
  std::vector<std::string> args = argv;
  std::vector<char*> pointers;
  for (std::string& arg : args) pointers.push_back(arg.data());
  pointers.push_back(nullptr);

  int errors[2] = {-1, -1};
  if (errorOutput && pipe2(errors, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (errorOutput) posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // A group of its own, so that giving up ends what it started too (a shell's sleep, say).
  if (giveUp) {
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
  }
  pid_t child = 0;
  const int spawned =
      posix_spawnp(&child, pointers[0], &actions, &attributes, pointers.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (errorOutput) close(errors[1]);
  if (spawned != 0) {
    if (errorOutput) close(errors[0]);
    return -1;
  }
  int output = errorOutput ? errors[0] : -1;
  if (output >= 0) fcntl(output, F_SETFL, O_NONBLOCK);
  int status = 0;
  bool ended = false;
  // Until the program ended and its output is read; what it left running may hold the pipe open
  // after it ended, so its end alone stops the reading, once what is there has been taken.
  while (!ended) {
    if (output >= 0) {
      pollfd ready{output, POLLIN, 0};
      if (poll(&ready, 1, kStepMilliseconds) > 0 && !readAvailable(output, *errorOutput)) {
        close(output);
        output = -1;
      }
    } else {
      usleep(kStepMilliseconds * 1000);
    }
    ended = reaped(child, status);
    if (!ended && giveUp && giveUp()) {
      kill(-child, SIGKILL);
      while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
      }
      status = -1;
      ended = true;
    }
  }
  if (output >= 0) {
    readAvailable(output, *errorOutput);
    close(output);
  }
  return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace plat
