// Exits raced against threads: each round is a process of its own that runs `round` and then
// exits through the exit handlers while the threads it started still run; the parent reads how
// the child ended. The sanitizers make a child that touched destroyed state (or leaked) end
// otherwise than with 0.
//
// A round's process waits a moment once its static objects are destroyed, before the sanitizers'
// leak check, so that a thread still running reads what is gone while they look.
//
// A round's process is the test program started again for the calling test alone, not a fork of
// it: a forked child of a program whose earlier tests left threads (the network thread, a queue's
// workers) would find their state without the threads, and hang on work handed to them. In the
// child the test runs again up to its call of exitRounds, which there runs the round and exits:
// what the test does before the call must be cheap and leave nothing behind. A round makes what
// it needs itself; its temporary files (TMPDIR) go in a folder of its own, exitRoundFolder(),
// which the parent removes once the child has ended.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace testsupport {

struct ExitRounds {
  int failed = 0;
  std::string firstFailure;  // "round 3: killed by signal 6", "" when none failed
};

// Runs `rounds` children one after another for the test `testName` ("Suite.Case"); in a child,
// runs the round and exits instead (`round` never returns: it ends with std::exit). `given`
// reaches every round as exitRoundGiven(): the place of what the test made once for all rounds.
ExitRounds exitRoundsOf(const std::string& testName, int rounds, const std::function<void()>& round,
                        const std::string& given = "");

inline ExitRounds exitRounds(int rounds, const std::function<void()>& round,
                             const std::string& given = "") {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  return exitRoundsOf(std::string(test->test_suite_name()) + "." + test->name(), rounds, round,
                      given);
}

// In a round's process: its number, from 1, an empty folder of its own and what the test gave.
// 0 and "" elsewhere.
int exitRoundNumber();
std::string exitRoundFolder();
std::string exitRoundGiven();

// In a round's process: runs `work` on the exiting thread once the program's static objects are
// destroyed, before the moment the process waits there. A round lets a thread it held go on only
// then (so that everything the thread reads, it reads after the destructors, every time), or
// looks at what is still running once every exit handler of the program has run. Works given
// later run later. Call it before the exit.
void onceStaticObjectsAreGone(std::function<void()> work);

}  // namespace testsupport
