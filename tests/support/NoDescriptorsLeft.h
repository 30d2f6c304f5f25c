// Runs a piece of a test where the process has no file descriptor left to open.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace testsupport {

// Runs `work` on a thread of its own (so that its run loop is new), with no descriptor left to
// open when `tight`. The thread starts first: the sanitizers' checks need descriptors of their
// own, and a loose run beforehand lets them know the types involved.
template <class Work>
void onNewThread(bool tight, Work work) {
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  std::atomic<bool> go{false};
  std::thread worker([&] {
    while (!go) std::this_thread::yield();
    work();
  });
  const int lowestFree = dup(0);
  ASSERT_GE(lowestFree, 0);
  close(lowestFree);
  rlimit limited = saved;
  limited.rlim_cur = static_cast<rlim_t>(lowestFree);
  if (tight) setrlimit(RLIMIT_NOFILE, &limited);
  go = true;
  worker.join();
  setrlimit(RLIMIT_NOFILE, &saved);
}

}  // namespace testsupport
