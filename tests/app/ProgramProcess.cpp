#include "tests/app/ProgramProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

extern char** environ;

namespace apptest {

ProgramProcess::ProgramProcess(const std::string& folder, const std::string& storeLookup,
                               std::map<std::string, std::string> overrides)
    : folder_(folder) {
  std::map<std::string, std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const size_t eq = entry.find('=');
    if (eq != std::string::npos) env[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  env["VOCAB_HOME"] = home();
  env["VOCAB_DEVICE_DIR"] = folder_ + "/device";
  env["VOCAB_STORE_LOOKUP"] = storeLookup;
  for (const auto& [key, value] : overrides) {
    if (value.empty()) {
      env.erase(key);
    } else {
      env[key] = value;
    }
  }
  std::vector<std::string> entries;
  for (const auto& [key, value] : env) entries.push_back(key + "=" + value);
  std::vector<char*> envp;
  for (std::string& entry : entries) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string program = VOCAB_PROGRAM;
  char* argv[] = {program.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string logPath = folder_ + "/program.log";
  posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, envp.data()) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
}

ProgramProcess::~ProgramProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

std::string ProgramProcess::log() const {
  std::ifstream in(folder_ + "/program.log");
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int ProgramProcess::terminate(double seconds) {
  if (pid_ > 0) kill(pid_, SIGTERM);
  return wait(seconds);
}

int ProgramProcess::wait(double seconds) {
  if (pid_ <= 0) return exitStatus_;
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  int status = 0;
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > until) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  pid_ = -1;
  exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return exitStatus_;
}

}  // namespace apptest
