#include "platform/host/ChildProgram.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace plat {
namespace {

// Reads the pipe to its end (the child closed its side, mostly by exiting).
std::string readAll(int fd) {
  std::string out;
  char buffer[512];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) {
      out.append(buffer, static_cast<size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      return out;
    }
  }
}

}  // namespace

int runChildProgram(const std::vector<std::string>& argv, std::string* errorOutput) {
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
  pid_t child = 0;
  const int spawned =
      posix_spawnp(&child, pointers[0], &actions, nullptr, pointers.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (errorOutput) {
    close(errors[1]);
    if (spawned == 0) *errorOutput = readAll(errors[0]);
    close(errors[0]);
  }
  if (spawned != 0) return -1;
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace plat
