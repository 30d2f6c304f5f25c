#include "tests/app/StandInProgram.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "tests/app/ProgramProcess.h"

namespace apptest {
namespace {

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

bool StandInProgram::pollUntil(const std::function<bool()>& done, double seconds) const {
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    // Nothing more will come from a program that has ended.
    if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) != 0) {
      pid_ = -1;
      ADD_FAILURE() << "the stand-in ended; it printed:\n" << log();
      return done();
    }
    if (pid_ <= 0 || std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

StandInProgram::StandInProgram(const std::string& dataFolder, const std::string& logPath,
                               const std::vector<std::string>& args, int port)
    : dataFolder_(dataFolder), logPath_(logPath) {
  std::filesystem::create_directories(dataFolder);
  std::vector<std::string> command = {VOCAB_STANDIN, "--data", dataFolder, "--port",
                                      std::to_string(port)};
  command.insert(command.end(), args.begin(), args.end());
  pid_ = spawnLogged(command, logPath, true);
  if (pid_ <= 0) return;
  const std::string serving = "serving ";
  if (!waitForLog(serving + "http://127.0.0.1:")) return;
  const std::string text = log();
  const size_t at = text.find(serving) + serving.size();
  base_ = text.substr(at, text.find(' ', at) - at);
}

StandInProgram::~StandInProgram() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

int StandInProgram::port() const {
  return base_.empty() ? 0 : std::stoi(base_.substr(base_.rfind(':') + 1));
}

int StandInProgram::runOnce(const std::string& dataFolder, const std::vector<std::string>& args,
                            const std::string& logPath) {
  std::vector<std::string> command = {VOCAB_STANDIN, "--data", dataFolder};
  command.insert(command.end(), args.begin(), args.end());
  const pid_t pid = spawnLogged(command, logPath, true);
  int status = 0;
  if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string StandInProgram::log() const {
  return fileText(logPath_);
}

bool StandInProgram::waitForLog(const std::string& text, double seconds) const {
  return pollUntil([&] { return log().find(text) != std::string::npos; }, seconds);
}

std::string StandInProgram::dataFile(const std::string& name) const {
  return fileText(dataFolder_ + "/" + name);
}

bool StandInProgram::waitForDataFile(const std::string& name, const std::string& text,
                                     double seconds) const {
  return pollUntil([&] { return dataFile(name).find(text) != std::string::npos; }, seconds);
}

}  // namespace apptest
