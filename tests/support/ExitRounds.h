// Exits raced against threads: a round forks a child that runs `round` and then exits through the
// exit handlers while the threads it started still run, and the parent reads how the child ended.
// The sanitizers make a child that touched destroyed state (or leaked) end otherwise than with 0.
// Fork only from a test with no threads of its own running.
#pragma once

#include <functional>
#include <string>

namespace testsupport {

struct ExitRounds {
  int failed = 0;
  std::string firstFailure;  // "round 3: killed by signal 6", "" when none failed
};

// Runs `rounds` children one after another; `round` never returns (it ends with std::exit).
ExitRounds exitRounds(int rounds, const std::function<void()>& round);

}  // namespace testsupport
