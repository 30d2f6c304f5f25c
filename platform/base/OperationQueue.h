// Runs operations on worker threads: at most maxConcurrentOperationCount at once, the ready ones
// by priority and then in the order they were added, nothing while suspended. Operations stay in
// the queue until they finish; releasing the queue lets the ones already added go on.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/base/Operation.h"

namespace plat {

class OperationQueue {
 public:
  static constexpr int kDefaultMaxConcurrentOperationCount = -1;  // the machine's core count

  OperationQueue();
  virtual ~OperationQueue();
  OperationQueue(const OperationQueue&) = delete;
  OperationQueue& operator=(const OperationQueue&) = delete;

  // An operation belongs to one queue; adding one that is finished or queued elsewhere is ignored.
  virtual void addOperation(std::shared_ptr<Operation> operation);
  void addOperation(std::function<void()> block);

  int maxConcurrentOperationCount() const;
  void setMaxConcurrentOperationCount(int count);
  bool isSuspended() const;
  virtual void setSuspended(bool suspended);

  // Cancels every operation in the queue (each then finishes as cancelled).
  virtual void cancelAllOperations();
  // The operations not yet finished, in the order they were added.
  std::vector<std::shared_ptr<Operation>> operations() const;
  size_t operationCount() const;
  void waitUntilAllOperationsAreFinished();

  // Called on the finishing thread for every operation as it leaves the queue.
  void setOperationFinishedHandler(std::function<void(Operation&)> handler);

 private:
  std::shared_ptr<OperationQueueImpl> impl_;
};

}  // namespace plat
