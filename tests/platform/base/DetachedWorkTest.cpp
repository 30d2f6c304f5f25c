#include "platform/base/DetachedWork.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ExitRounds.h"

namespace {

using plat::DetachedWork;

// A piece of work that holds until opened.
class Gate {
 public:
  void open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    cv_.notify_all();
  }
  void pass() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [this] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool open_ = false;
};

TEST(DetachedWork, TheNextWorkStartsOnlyAfterThePreviousEnded) {
  DetachedWork work;
  Gate gate;
  std::mutex mutex;
  std::vector<std::string> order;
  auto note = [&](const char* what) {
    std::lock_guard lock(mutex);
    order.push_back(what);
  };
  work.start([&] {
    gate.pass();
    note("first");
  });
  EXPECT_TRUE(work.running());
  std::thread starter([&] { work.start([&] { note("second"); }); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  gate.open();
  starter.join();
  work.wait();
  EXPECT_FALSE(work.running());
  EXPECT_EQ(order, (std::vector<std::string>{"first", "second"}));
}

// Something the work holds that notes, as it goes, whether its work was still running then.
struct HeldProbe {
  DetachedWork* work;
  std::atomic<int>* whenGone;  // 1: gone while the work ran; 2: gone after its end was told
  ~HeldProbe() { *whenGone = work->running() ? 1 : 2; }
};

// A waiter may go on to destroy what the work pointed into: by then the work holds nothing. The
// probe looks at the moment its hold goes, so that the order is seen whatever the timing.
TEST(DetachedWork, WhatTheWorkHeldIsGoneOnceItsEndIsHeard) {
  static DetachedWork work;  // outlives the test: a late probe may still ask it
  static std::atomic<int> whenGone;
  whenGone = 0;
  std::shared_ptr<HeldProbe> probe(new HeldProbe{&work, &whenGone});
  work.start([probe = std::move(probe)] {});
  work.wait();
  EXPECT_EQ(whenGone, 1) << (whenGone == 0 ? "still held once the end was heard"
                                           : "let go of only after the end was told");
}

// The screens that own such work live until the process ends, and nothing joins their last work's
// thread: an exit after it ended must not count as a leaked thread.
TEST(DetachedWork, AnExitAfterTheWorkEndedLeavesNoThreadBehind) {
  const auto rounds = testsupport::exitRounds(5, [] {
    auto* owner = new DetachedWork;  // never destroyed, as a screen that lives on
    owner->start([] {});
    owner->wait();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // its thread has ended by now
    std::exit(0);
  });
  EXPECT_EQ(rounds.failed, 0) << rounds.firstFailure;
}

}  // namespace
