// The shared state of an OperationQueue, kept alive by its workers and its operations so that
// they may outlive the queue object. Internal to Operation.cpp and OperationQueue.cpp.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/base/Operation.h"

namespace plat {

struct OperationQueueImpl : std::enable_shared_from_this<OperationQueueImpl> {
  std::mutex mutex;
  std::condition_variable emptyCv;
  std::vector<std::shared_ptr<Operation>> operations;  // in the order added
  int width = -1;
  bool suspended = false;
  int running = 0;  // operations taken by a worker and not finished
  std::function<void(Operation&)> finishedHandler;

  // Workers that ran out of work wait a little for more before their thread ends, so a queue fed
  // one operation at a time does not start a thread for each. `idleWorkers` counts those waiting
  // and not yet promised an operation; each promise puts one operation in `handoff`.
  int idleWorkers = 0;
  std::deque<std::shared_ptr<Operation>> handoff;
  std::condition_variable workCv;

  // Takes the next operation to start and reserves its place in the width (lock held).
  std::shared_ptr<Operation> takeNext();
  // Hands every operation that may start now to an idle worker or a new one (lock held).
  void schedule();
  // Something may have become ready: a dependency finished, an operation was cancelled.
  void wakeUp();
  // The operation has finished; `completionPending` when its completion block is still to run.
  void operationFinished(Operation& operation, bool completionPending);
};

}  // namespace plat
