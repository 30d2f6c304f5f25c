// A unit of work for an OperationQueue. A plain operation overrides main(), which a worker thread
// of the queue runs. A concurrent operation overrides start() instead: it calls
// setExecuting(true), hands its work elsewhere (a network thread) and calls finish() when done;
// it keeps its place in the queue's width until then.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace plat {

class OperationQueue;
struct OperationQueueImpl;

class Operation : public std::enable_shared_from_this<Operation> {
 public:
  // Queue priorities; any int works, higher starts first (10 puts one ahead of kVeryHigh).
  enum Priority { kVeryLow = -8, kLow = -4, kNormal = 0, kHigh = 4, kVeryHigh = 8 };

  Operation() = default;
  virtual ~Operation() = default;
  Operation(const Operation&) = delete;
  Operation& operator=(const Operation&) = delete;

  // Runs the operation: main() between executing and finished; a cancelled one only finishes.
  virtual void start();
  virtual void main() {}
  virtual bool isConcurrent() const { return false; }

  // Marks the operation cancelled; a queued one then starts at once (ignoring its dependencies)
  // and finishes without running main(). Subclasses that stop work in progress call this too.
  virtual void cancel();
  virtual bool isCancelled() const;
  bool isExecuting() const;
  bool isFinished() const;
  // Cancelled, or every dependency has finished.
  bool isReady() const;

  void addDependency(const std::shared_ptr<Operation>& other);
  void removeDependency(const std::shared_ptr<Operation>& other);
  std::vector<std::shared_ptr<Operation>> dependencies() const;

  int queuePriority() const;
  void setQueuePriority(int priority);

  // Runs once, on the thread that finished the operation, after it finished.
  void setCompletionBlock(std::function<void()> block);

  void waitUntilFinished();

 protected:
  void setExecuting(bool executing);
  // Ends the operation (executing false, finished true); the first call counts.
  void finish();

 private:
  friend class OperationQueue;
  friend struct OperationQueueImpl;

  mutable std::mutex mutex_;
  std::condition_variable finishedCv_;
  bool cancelled_ = false;
  bool executing_ = false;
  bool finished_ = false;
  bool queued_ = false;  // taken by a queue's worker (queue bookkeeping, under the queue's lock)
  int priority_ = kNormal;
  std::vector<std::shared_ptr<Operation>> dependencies_;
  std::vector<std::weak_ptr<Operation>> dependents_;
  std::function<void()> completion_;
  std::weak_ptr<OperationQueueImpl> queue_;
};

// An operation that runs a function.
class BlockOperation : public Operation {
 public:
  explicit BlockOperation(std::function<void()> block) : block_(std::move(block)) {}
  void main() override {
    if (block_) block_();
  }

 private:
  std::function<void()> block_;
};

}  // namespace plat
