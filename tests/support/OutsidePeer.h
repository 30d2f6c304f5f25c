// A program the tests talk to (socat, openssl s_server or s_client), started with its input on a
// pipe and its output and diagnostics read back, and stopped when the test ends.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

class OutsidePeer {
 public:
  explicit OutsidePeer(const std::vector<std::string>& argv);
  ~OutsidePeer();
  OutsidePeer(const OutsidePeer&) = delete;
  OutsidePeer& operator=(const OutsidePeer&) = delete;

  // Waits for an output line holding `marker`; the line, or "" when the program ended without
  // it (or after the tests' patience).
  std::string waitForLine(const std::string& marker);
  // Takes what the program wrote so far without waiting.
  const std::string& output();
  void send(const std::string& text);
  // Closes its input and waits for it to end; its exit status.
  int finish();

  // The port at the end of a line such as "listening on AF=2 127.0.0.1:41234" or "ACCEPT [::]:5".
  static uint16_t portAtEnd(const std::string& line);
  // Whether ::1 can be bound here (some containers have no IPv6).
  static bool hasIPv6Loopback();

 private:
  void readSome(int timeoutMs);

  pid_t pid_ = -1;
  int input_ = -1, output_ = -1;
  std::string text_;
  bool ended_ = false;  // its output reached its end
};

}  // namespace testsupport
