#include "platform/base/Operation.h"

#include <algorithm>

#include "platform/base/OperationQueueImpl.h"

namespace plat {

void Operation::start() {
  {
    std::lock_guard lock(mutex_);
    if (finished_ || executing_) return;
  }
  if (isCancelled()) {
    finish();
    return;
  }
  setExecuting(true);
  struct FinishGuard {
    Operation* op;
    ~FinishGuard() { op->finish(); }
  } guard{this};
  main();
}

void Operation::cancel() {
  std::shared_ptr<OperationQueueImpl> queue;
  {
    std::lock_guard lock(mutex_);
    if (cancelled_ || finished_) return;
    cancelled_ = true;
    queue = queue_.lock();
  }
  if (queue) queue->wakeUp();
}

bool Operation::isCancelled() const {
  std::lock_guard lock(mutex_);
  return cancelled_;
}

bool Operation::isExecuting() const {
  std::lock_guard lock(mutex_);
  return executing_;
}

bool Operation::isFinished() const {
  std::lock_guard lock(mutex_);
  return finished_;
}

bool Operation::isReady() const {
  std::vector<std::shared_ptr<Operation>> deps;
  {
    std::lock_guard lock(mutex_);
    if (cancelled_) return true;
    deps = dependencies_;
  }
  return std::all_of(deps.begin(), deps.end(), [](const auto& d) { return d->isFinished(); });
}

void Operation::addDependency(const std::shared_ptr<Operation>& other) {
  if (!other || other.get() == this) return;
  {
    std::lock_guard lock(mutex_);
    if (std::find(dependencies_.begin(), dependencies_.end(), other) != dependencies_.end()) return;
    dependencies_.push_back(other);
  }
  std::lock_guard lock(other->mutex_);
  other->dependents_.push_back(weak_from_this());
}

void Operation::removeDependency(const std::shared_ptr<Operation>& other) {
  std::shared_ptr<OperationQueueImpl> queue;
  {
    std::lock_guard lock(mutex_);
    std::erase(dependencies_, other);
    queue = queue_.lock();
  }
  if (queue) queue->wakeUp();
}

std::vector<std::shared_ptr<Operation>> Operation::dependencies() const {
  std::lock_guard lock(mutex_);
  return dependencies_;
}

int Operation::queuePriority() const {
  std::lock_guard lock(mutex_);
  return priority_;
}

void Operation::setQueuePriority(int priority) {
  std::lock_guard lock(mutex_);
  priority_ = priority;
}

void Operation::setCompletionBlock(std::function<void()> block) {
  std::lock_guard lock(mutex_);
  completion_ = std::move(block);
}

void Operation::waitUntilFinished() {
  std::unique_lock lock(mutex_);
  finishedCv_.wait(lock, [&] { return finished_; });
}

void Operation::setExecuting(bool executing) {
  std::lock_guard lock(mutex_);
  executing_ = executing;
}

void Operation::finish() {
  auto self = weak_from_this().lock();  // the queue lets go of it below (null when not shared)
  std::function<void()> completion;
  std::shared_ptr<OperationQueueImpl> queue;
  std::vector<std::weak_ptr<Operation>> dependents;
  {
    std::lock_guard lock(mutex_);
    if (finished_) return;
    finished_ = true;
    executing_ = false;
    completion = std::move(completion_);
    completion_ = nullptr;
    queue = queue_.lock();
    dependents.swap(dependents_);
  }
  finishedCv_.notify_all();
  if (queue) queue->operationFinished(*this, completion != nullptr);
  for (const auto& weak : dependents) {
    if (auto dependent = weak.lock()) {
      std::shared_ptr<OperationQueueImpl> theirs;
      {
        std::lock_guard lock(dependent->mutex_);
        theirs = dependent->queue_.lock();
      }
      if (theirs && theirs != queue) theirs->wakeUp();
    }
  }
  if (completion) completion();
}

}  // namespace plat
