// Reports handed to a busy main thread without waiting: the newest replaces one not shown yet,
// they keep their order with the main thread's other performs, and the last always arrives.
#include "platform/base/LatestOnMainThread.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/base/RunLoop.h"

namespace {

using plat::RunLoop;

TEST(LatestOnMainThread, AReportNotShownYetGivesWayToTheNewerAndTheLastAlwaysArrives) {
  RunLoop::setMainThread();
  RunLoop& main = RunLoop::main();
  main.discardAllSources();
  std::vector<std::string> shown;
  {
    plat::LatestOnMainThread reports;
    // The main thread is busy (not running its loop) while the worker reports 1000 times and
    // then posts its result; the worker never waits for it.
    std::thread worker([&] {
      for (int i = 1; i <= 1000; ++i) reports.post([&shown, i] { shown.push_back(std::to_string(i)); });
      main.perform([&] { shown.push_back("done"); });
    });
    worker.join();
  }  // the reporter may go before its report ran
  main.runUntilIdle();
  EXPECT_EQ(shown, (std::vector<std::string>{"1000", "done"}));

  // A report shown starts a new round: the next one is delivered too. On the main thread a
  // report runs at once.
  shown.clear();
  plat::LatestOnMainThread reports;
  std::thread([&] { reports.post([&] { shown.push_back("first"); }); }).join();
  main.runUntilIdle();
  std::thread([&] { reports.post([&] { shown.push_back("second"); }); }).join();
  reports.post([&] { shown.push_back("on main"); });
  main.runUntilIdle();
  EXPECT_EQ(shown, (std::vector<std::string>{"first", "on main", "second"}));
}

}  // namespace
