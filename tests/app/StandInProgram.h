// The stand-in account server program (vocab-standin) started by a test on a free port of
// 127.0.0.1 with its data folder and request log in the test's folder; stopped when the test ends.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/Patience.h"

namespace apptest {

class StandInProgram {
 public:
  // Starts the server on `dataFolder` (made when missing) with `args` besides, on `port` (0: a
  // free one); base() is "" when it did not start.
  StandInProgram(const std::string& dataFolder, const std::string& logPath,
                 const std::vector<std::string>& args = {}, int port = 0);
  ~StandInProgram();
  StandInProgram(const StandInProgram&) = delete;
  StandInProgram& operator=(const StandInProgram&) = delete;

  // "http://127.0.0.1:<port>", for the app's personal value "url".
  const std::string& base() const { return base_; }
  int port() const;
  // Runs the program once more on the data folder with `args` (while this one is stopped) and
  // returns its exit status.
  static int runOnce(const std::string& dataFolder, const std::vector<std::string>& args,
                     const std::string& logPath);
  // What the server printed: its address, then one line per request.
  std::string log() const;
  // Waits until the log holds `text`: false when the program ended first (a test failure, with
  // what it printed) or `seconds` passed.
  bool waitForLog(const std::string& text, double seconds = testsupport::kPatience) const;
  // The text of a file of the data folder ("" when missing), and a wait until it holds `text`.
  std::string dataFile(const std::string& name) const;
  bool waitForDataFile(const std::string& name, const std::string& text,
                       double seconds = testsupport::kPatience) const;

 private:
  bool pollUntil(const std::function<bool()>& done, double seconds) const;

  std::string dataFolder_;
  std::string logPath_;
  std::string base_;
  mutable pid_t pid_ = -1;  // -1 once it ended
};

}  // namespace apptest
