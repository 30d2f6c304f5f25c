#include "platform/base/OperationQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/base/ThreadState.h"

using plat::Operation;
using plat::OperationQueue;

namespace {

// Counts how many operations run at once and in which order they started.
class Tracker {
 public:
  std::function<void()> job(int id, int sleepMs = 0) {
    return [this, id, sleepMs] {
      int now = ++running_;
      int seen = peak_.load();
      while (now > seen && !peak_.compare_exchange_weak(seen, now)) {
      }
      {
        std::lock_guard lock(mutex_);
        order_.push_back(id);
      }
      if (sleepMs) std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
      --running_;
    };
  }
  int peak() const { return peak_; }
  std::vector<int> order() {
    std::lock_guard lock(mutex_);
    return order_;
  }

 private:
  std::atomic<int> running_{0}, peak_{0};
  std::mutex mutex_;
  std::vector<int> order_;
};

std::shared_ptr<Operation> blockOp(std::function<void()> fn) {
  return std::make_shared<plat::BlockOperation>(std::move(fn));
}

template <typename Pred>
bool eventually(Pred pred) {
  for (int i = 0; i < 2000 && !pred(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return pred();
}

}  // namespace

TEST(OperationQueue, NeverRunsMoreThanItsWidthAndWidthOneKeepsTheOrderPastAThrow) {
  for (int width : {1, 4}) {
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(width);
    Tracker tracker;
    std::vector<int> added;
    for (int i = 0; i < 40; ++i) {
      queue.addOperation(tracker.job(i, width == 1 ? i % 3 : 3));
      added.push_back(i);
      if (i == 20) queue.addOperation([] { throw std::runtime_error("boom"); });
    }
    queue.waitUntilAllOperationsAreFinished();  // past the one that threw
    EXPECT_LE(tracker.peak(), width);
    EXPECT_GE(tracker.peak(), std::min(width, 2));
    if (width == 1) {
      EXPECT_EQ(tracker.order(), added);
    }
    EXPECT_EQ(tracker.order().size(), 40u);
    EXPECT_EQ(queue.operationCount(), 0u);
  }
}

TEST(OperationQueue, CancelAllBeforeStartRunsNothing) {
  OperationQueue queue;
  queue.setSuspended(true);
  std::atomic<int> ran{0};
  std::vector<std::shared_ptr<Operation>> ops;
  for (int i = 0; i < 5; ++i) {
    ops.push_back(blockOp([&] { ++ran; }));
    queue.addOperation(ops.back());
  }
  EXPECT_EQ(queue.operations(), ops);
  queue.cancelAllOperations();
  for (const auto& op : ops) EXPECT_TRUE(op->isCancelled());
  EXPECT_EQ(queue.operationCount(), 5u);  // still waiting for the queue to start them
  queue.setSuspended(false);
  queue.waitUntilAllOperationsAreFinished();
  EXPECT_EQ(ran.load(), 0);
  for (const auto& op : ops) EXPECT_TRUE(op->isFinished());
}

TEST(OperationQueue, DependenciesHoldAcrossQueues) {
  OperationQueue queue, other;
  queue.setMaxConcurrentOperationCount(4);
  std::atomic<bool> firstDone{false}, secondDone{false}, lastSawBoth{false};
  auto first = blockOp([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    firstDone = true;
  });
  auto second = blockOp([&] { secondDone = true; });
  auto last = blockOp([&] { lastSawBoth = firstDone && secondDone; });
  last->addDependency(first);
  last->addDependency(second);
  EXPECT_FALSE(last->isReady());
  queue.addOperation(last);
  queue.addOperation(first);
  other.setSuspended(true);
  other.addOperation(second);  // held back in another queue
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  EXPECT_FALSE(last->isFinished());
  other.setSuspended(false);
  last->waitUntilFinished();
  EXPECT_TRUE(lastSawBoth);

  // A cancelled operation does not wait for its dependencies.
  OperationQueue held;
  held.setSuspended(true);
  auto never = blockOp([] {});
  held.addOperation(never);
  auto waiting = blockOp([] {});
  waiting->addDependency(never);
  queue.addOperation(waiting);
  waiting->cancel();
  waiting->waitUntilFinished();
  EXPECT_FALSE(never->isFinished());
  held.cancelAllOperations();
  held.setSuspended(false);
  held.waitUntilAllOperationsAreFinished();
}

TEST(OperationQueue, HigherPriorityStartsFirstThenOrderAdded) {
  OperationQueue queue;
  queue.setMaxConcurrentOperationCount(1);
  queue.setSuspended(true);
  Tracker tracker;
  int priorities[] = {
      Operation::kLow,    Operation::kNormal, Operation::kVeryHigh, Operation::kNormal, 10,
      Operation::kVeryLow};
  for (int i = 0; i < 6; ++i) {
    auto op = blockOp(tracker.job(i));
    op->setQueuePriority(priorities[i]);
    queue.addOperation(op);
  }
  queue.setSuspended(false);
  queue.waitUntilAllOperationsAreFinished();
  EXPECT_EQ(tracker.order(), (std::vector<int>{4, 2, 1, 3, 0, 5}));
}

// A queue fed one operation at a time hands each to the worker left waiting by the one before.
TEST(OperationQueue, OperationsAddedOneByOneReuseTheWaitingWorker) {
  OperationQueue queue;
  queue.setMaxConcurrentOperationCount(1);
  std::vector<std::thread::id> threads;
  for (int i = 0; i < 5; ++i) {
    queue.addOperation([&] { threads.push_back(std::this_thread::get_id()); });
    queue.waitUntilAllOperationsAreFinished();
  }
  ASSERT_EQ(threads.size(), 5u);
  for (const auto& id : threads) EXPECT_EQ(id, threads.front());
}

// What runs on a worker after its operation finished (the completion block, the queue's finish
// handler) may wait for the queue's next operation: that one must not be held for this worker.
// The handlers share what they look at, not the test's locals: the last operation's finish
// handler may still run after the wait for the queue returned.
TEST(OperationQueue, NextOperationStartsWhileTheLastOnesCompletionRuns) {
  struct Seen {
    std::atomic<bool> secondRanDuringCompletion{false}, thirdRanDuringHandler{false};
  };
  auto seen = std::make_shared<Seen>();
  OperationQueue queue;
  queue.setMaxConcurrentOperationCount(1);
  auto second = blockOp([] {});
  auto third = blockOp([] {});
  auto first = blockOp([] {});
  first->setCompletionBlock([seen, second] {
    seen->secondRanDuringCompletion = eventually([&] { return second->isFinished(); });
  });
  queue.setOperationFinishedHandler([seen, second, third](Operation& op) {
    if (&op == second.get())
      seen->thirdRanDuringHandler = eventually([&] { return third->isFinished(); });
  });
  queue.addOperation(first);
  queue.addOperation(second);
  queue.addOperation(third);
  queue.waitUntilAllOperationsAreFinished();
  first->waitUntilFinished();
  EXPECT_TRUE(eventually([&] { return seen->secondRanDuringCompletion.load(); }));
  EXPECT_TRUE(eventually([&] { return seen->thirdRanDuringHandler.load(); }));
}

namespace {

// What a library keeps for a thread, as the queue's workers see it: set by its release.
thread_local bool releasedOnThisThread = false;
std::atomic<int> releaseCount{0};

void noteRelease() {
  releasedOnThisThread = true;
  ++releaseCount;
}

}  // namespace

// A worker lets go of library state before anyone hears that its operation ended: a thread that
// waited for the queue may go on to exit the process, and a library that cleans up at exit frees
// what a release afterwards would take. The queue's finish handler runs where a waiter is woken.
TEST(OperationQueue, AWorkerLetsGoOfLibraryStateBeforeItsOperationsEndIsHeard) {
  plat::threadState::addRelease(&noteRelease);
  OperationQueue queue;
  queue.setMaxConcurrentOperationCount(1);
  std::atomic<int> heardBeforeRelease{0}, heard{0};
  queue.setOperationFinishedHandler([&](Operation&) {
    if (!releasedOnThisThread) ++heardBeforeRelease;
    ++heard;
  });
  int waitedBeforeRelease = 0;
  constexpr int kOperations = 20;
  for (int i = 0; i < kOperations; ++i) {
    const int before = releaseCount;
    queue.addOperation([] { releasedOnThisThread = false; });
    queue.waitUntilAllOperationsAreFinished();
    if (releaseCount == before) ++waitedBeforeRelease;
    ASSERT_TRUE(eventually([&] { return heard == i + 1; }));  // the handler is done with it
  }
  EXPECT_EQ(heardBeforeRelease, 0) << "of " << kOperations << " operations' ends";
  EXPECT_EQ(waitedBeforeRelease, 0) << "of " << kOperations << " waits for the queue";
}
