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

// A waiter may go on to destroy what the work pointed into: by then the work holds nothing.
TEST(DetachedWork, WhatTheWorkHeldIsGoneOnceItsEndIsHeard) {
  auto held = std::make_shared<int>(7);
  std::atomic<int> seen{0};
  {
    DetachedWork work;
    work.start([held, &seen] { seen = *held; });
  }  // the owner going waits for the work
  EXPECT_EQ(seen, 7);
  EXPECT_EQ(held.use_count(), 1);
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
