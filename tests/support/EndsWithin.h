// Runs a call that a lost bound would keep running for ever, so that its test fails within
// seconds, naming the call, rather than at CTest's limit half an hour later.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>
#include <utility>

namespace testsupport {

// Runs `work` on a thread of its own and returns what it returned, once it ended within
// `seconds`. A call still running then cannot be stopped from outside, and nothing the test
// does after it would be sound while it runs: the test fails naming `what`, and the program
// ends at once.
template <class Work>
auto endsWithin(double seconds, const std::string& what, Work work) -> decltype(work()) {
  std::packaged_task<decltype(work())()> task(std::move(work));
  auto result = task.get_future();
  std::thread worker(std::move(task));
  if (result.wait_for(std::chrono::duration<double>(seconds)) != std::future_status::ready) {
    ADD_FAILURE() << what << " still runs after " << seconds << " s";
    std::fflush(nullptr);
    std::_Exit(1);
  }
  worker.join();
  return result.get();
}

}  // namespace testsupport
