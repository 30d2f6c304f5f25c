#include "platform/base/OperationQueue.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <thread>

#include "platform/base/OperationQueueImpl.h"
#include "platform/base/ThreadState.h"

namespace plat {
namespace {

// The queue whose worker the current thread is, and the operation it runs.
thread_local OperationQueueImpl* workerOf = nullptr;
thread_local const Operation* workerOperation = nullptr;
// Set once the worker's operation finished on the worker's own thread with nothing left to run
// after it: from then on the worker counts as idle, so that work added before it starts waiting
// is handed to it.
thread_local bool workerIdle = false;
// Set once the worker let go of library state as its operation finished.
thread_local bool workerReleased = false;

// How long a worker without work waits for more before its thread ends.
constexpr auto kWorkerLinger = std::chrono::seconds(2);

void runOne(const std::shared_ptr<Operation>& operation) {
  try {
    operation->start();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "operation ended by an exception: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "operation ended by an exception\n");
  }
}

// Waits for an operation handed over by schedule(); nullptr when none came in time. The caller
// has counted this worker in idleWorkers (lock held).
std::shared_ptr<Operation> waitForHandoff(OperationQueueImpl& queue,
                                          std::unique_lock<std::mutex>& lock) {
  const auto deadline = std::chrono::steady_clock::now() + kWorkerLinger;
  while (queue.handoff.empty()) {
    if (queue.workCv.wait_until(lock, deadline) == std::cv_status::timeout &&
        queue.handoff.empty()) {
      --queue.idleWorkers;
      return nullptr;
    }
  }
  auto operation = std::move(queue.handoff.front());
  queue.handoff.pop_front();
  return operation;
}

void runWorker(std::shared_ptr<OperationQueueImpl> queue, std::shared_ptr<Operation> operation) {
  workerOf = queue.get();
  while (operation) {
    workerIdle = false;
    workerReleased = false;
    workerOperation = operation.get();
    runOne(operation);
    workerOperation = nullptr;
    operation.reset();
    // The worker may linger, and still be waiting as the process exits. Not twice: once its
    // operation was heard to finish the process may be exiting, and the library's own clean-up
    // at exit frees what a release would lock.
    if (!workerReleased) threadState::release();
    std::unique_lock lock(queue->mutex);
    if (!workerIdle) {
      // The operation goes on elsewhere (or finished without telling): look for work now.
      ++queue->idleWorkers;
      queue->schedule();
    }
    operation = waitForHandoff(*queue, lock);
  }
  workerOf = nullptr;
}

}  // namespace

std::shared_ptr<Operation> OperationQueueImpl::takeNext() {
  const int limit =
      width >= 0 ? width : static_cast<int>(std::max(2u, std::thread::hardware_concurrency()));
  if (suspended || running >= limit) return nullptr;
  std::shared_ptr<Operation> best;
  int bestPriority = 0;
  for (const auto& op : operations) {
    if (op->queued_ || !op->isReady()) continue;
    int priority = op->queuePriority();
    if (!best || priority > bestPriority) {
      best = op;
      bestPriority = priority;
    }
  }
  if (best) {
    best->queued_ = true;
    ++running;
  }
  return best;
}

void OperationQueueImpl::schedule() {
  while (auto op = takeNext()) {
    if (idleWorkers > 0) {
      --idleWorkers;
      handoff.push_back(std::move(op));
      workCv.notify_one();
    } else {
      std::thread(runWorker, shared_from_this(), std::move(op)).detach();
    }
  }
}

void OperationQueueImpl::wakeUp() {
  std::lock_guard lock(mutex);
  schedule();
}

void OperationQueueImpl::operationFinished(Operation& operation, bool completionPending) {
  // The worker's own operation: its thread lets go of library state before a waiter for the
  // queue hears of the end, since that waiter may go on to exit the process.
  if (workerOf == this && workerOperation == &operation && !workerReleased) {
    threadState::release();
    workerReleased = true;
  }
  std::function<void(Operation&)> handler;
  {
    std::lock_guard lock(mutex);
    auto it = std::find_if(operations.begin(), operations.end(),
                           [&](const auto& op) { return op.get() == &operation; });
    if (it == operations.end()) return;
    if (operation.queued_) --running;
    operations.erase(it);
    // A completion block or finish handler still to run here may wait for the next operation,
    // so the worker is idle only once they are done (then it schedules the next itself).
    if (workerOf == this && workerOperation == &operation && !workerIdle && !completionPending &&
        !finishedHandler) {
      workerIdle = true;
      ++idleWorkers;
    }
    schedule();
    if (operations.empty()) emptyCv.notify_all();
    handler = finishedHandler;
  }
  if (handler) handler(operation);
}

OperationQueue::OperationQueue() : impl_(std::make_shared<OperationQueueImpl>()) {}

OperationQueue::~OperationQueue() {
  std::lock_guard lock(impl_->mutex);
  impl_->finishedHandler = nullptr;
}

void OperationQueue::addOperation(std::shared_ptr<Operation> operation) {
  if (!operation) return;
  {
    std::lock_guard lock(operation->mutex_);
    if (operation->finished_ || !operation->queue_.expired()) return;
    operation->queue_ = impl_;
  }
  std::lock_guard lock(impl_->mutex);
  impl_->operations.push_back(std::move(operation));
  impl_->schedule();
}

void OperationQueue::addOperation(std::function<void()> block) {
  addOperation(std::make_shared<BlockOperation>(std::move(block)));
}

int OperationQueue::maxConcurrentOperationCount() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->width;
}

void OperationQueue::setMaxConcurrentOperationCount(int count) {
  std::lock_guard lock(impl_->mutex);
  impl_->width = count;
  impl_->schedule();
}

bool OperationQueue::isSuspended() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->suspended;
}

void OperationQueue::setSuspended(bool suspended) {
  std::lock_guard lock(impl_->mutex);
  impl_->suspended = suspended;
  impl_->schedule();
}

void OperationQueue::cancelAllOperations() {
  // Waiting ones first: cancelling a running operation ends it and lets the queue start the next
  // one, which must already be cancelled by then or it would really run.
  const std::vector<std::shared_ptr<Operation>> all = operations();
  for (const auto& op : all)
    if (!op->isExecuting()) op->cancel();
  for (const auto& op : all) op->cancel();
}

std::vector<std::shared_ptr<Operation>> OperationQueue::operations() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->operations;
}

size_t OperationQueue::operationCount() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->operations.size();
}

void OperationQueue::waitUntilAllOperationsAreFinished() {
  std::unique_lock lock(impl_->mutex);
  impl_->emptyCv.wait(lock, [&] { return impl_->operations.empty(); });
}

void OperationQueue::setOperationFinishedHandler(std::function<void(Operation&)> handler) {
  std::lock_guard lock(impl_->mutex);
  impl_->finishedHandler = std::move(handler);
}

}  // namespace plat
