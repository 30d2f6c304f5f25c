#include "tests/app/ProgramProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>
#include <utility>
#include <vector>

#include "platform/base/AppHome.h"
#include "store/CallDB.h"
#include "store/MyDate.h"

extern char** environ;

namespace apptest {

bool planWordsInHome(const std::string& home, const std::vector<std::string>& words,
                     const std::function<void(CallDB&)>& settings) {
  plat::AppHome::setHome(home);
  plat::AppHome::ensureFolders();
  CallDB* store = CallDB::callDB();
  const bool opened = store->isOpen();
  if (opened) {
    if (settings) settings(*store);
    const int64_t now = MyDate::storedTime(MyDate::localDateTime());
    for (const std::string& word : words) store->InsertStudyWord(word, now - 60);
  }
  // The program opens the file itself: nothing of this process may keep it.
  CallDB::Release_CallDB();
  plat::AppHome::setHome("");
  return opened;
}

pid_t spawnLogged(std::vector<std::string> args, const std::string& logPath, bool bothOutputs,
                  int closed) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (closed >= 0) posix_spawn_file_actions_addclose(&actions, closed);
  posix_spawn_file_actions_addopen(&actions, 2, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  if (bothOutputs) posix_spawn_file_actions_adddup2(&actions, 2, 1);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

ProgramProcess::ProgramProcess(const std::string& folder, const std::string& storeLookup,
                               std::map<std::string, std::string> env,
                               std::vector<std::string> launcher)
    : folder_(folder) {
  env.try_emplace("VOCAB_HOME", home());
  env.try_emplace("VOCAB_DEVICE_DIR", folder_ + "/device");
  env.try_emplace("VOCAB_STORE_LOOKUP", storeLookup);
  // env(1) applies the changes to the test's environment: removals first, as it wants them.
  std::vector<std::string> args = std::move(launcher);
  args.push_back("env");
  for (const auto& [key, value] : env)
    if (value.empty()) args.insert(args.end(), {"-u", key});
  for (const auto& [key, value] : env)
    if (!value.empty()) args.push_back(key + "=" + value);
  args.push_back(VOCAB_PROGRAM);
  pid_ = spawnLogged(std::move(args), folder_ + "/program.log", true);
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

bool ProgramProcess::waitWhileRunning(const std::function<bool()>& sign, double seconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!sign()) {
    if (std::chrono::steady_clock::now() > until || wait(0) != -1) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

}  // namespace apptest
