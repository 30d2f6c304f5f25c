// The real vocab program started by a test in its own app home, with its output in a log file;
// stopped (killed) when the test ends if it still runs.
#pragma once

#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/support/Patience.h"

class CallDB;

namespace apptest {

// The learner planned `words` (due a minute ago) in the app home `home` before the program's
// first start; `settings` may store more in the same store. False when the store did not open.
bool planWordsInHome(const std::string& home, const std::vector<std::string>& words,
                     const std::function<void(CallDB&)>& settings = {});

// Starts `args` (looked up on the PATH) with standard error (and standard output with
// `bothOutputs`) into `logPath` and the descriptor `closed` closed in the child; -1 when it could
// not start.
pid_t spawnLogged(std::vector<std::string> args, const std::string& logPath, bool bothOutputs,
                  int closed = -1);

class ProgramProcess {
 public:
  // `env` entries override the test's environment; an empty value removes the variable. The app
  // home, device store and store lookup point into `folder` and at `storeLookup`. A `launcher`
  // (a command and its arguments) starts the program, as tests/support/tools/refuse_calls does.
  ProgramProcess(const std::string& folder, const std::string& storeLookup,
                 std::map<std::string, std::string> env, std::vector<std::string> launcher = {});
  ~ProgramProcess();
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  std::string home() const { return folder_ + "/home"; }
  std::string log() const;
  // Sends SIGTERM (the desktop closing the window) and waits.
  int terminate(double seconds = testsupport::kPatience);
  // The exit status once it ended by itself within `seconds` (128 + signal when killed), else -1.
  int wait(double seconds = testsupport::kPatience);
  // Waits until `sign` holds (an outside peer, such as a clipboard's owner, saw the program ask or
  // answered it); false when the program ended first or `seconds` passed.
  bool waitWhileRunning(const std::function<bool()>& sign, double seconds = testsupport::kPatience);

 private:
  std::string folder_;
  pid_t pid_ = -1;
  int exitStatus_ = -1;  // once it ended
};

}  // namespace apptest
