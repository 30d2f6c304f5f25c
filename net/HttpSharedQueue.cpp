#include "net/HttpSharedQueue.h"

#include <algorithm>

#include "net/HttpRequest.h"
#include "platform/base/Mutex.h"

void HttpSharedQueue::addOperation(std::shared_ptr<HttpRequest> request) {
  if (!request || request->isFinished()) return;
  {
    plat::LockGuard lock(mutex_);
    request->setSharedQueue(this);
    auto after = std::find_if(waiting_.begin(), waiting_.end(), [&](const auto& waiting) {
      return waiting->queuePriority() < request->queuePriority();
    });
    waiting_.insert(after, std::move(request));
  }
  startMore();
}

int HttpSharedQueue::maxConcurrentOperationCount() const {
  plat::LockGuard lock(mutex_);
  return width_;
}

void HttpSharedQueue::setMaxConcurrentOperationCount(int width) {
  {
    plat::LockGuard lock(mutex_);
    width_ = width;
  }
  startMore();
}

void HttpSharedQueue::adjustMaxConcurrentOperationCount(int delta) {
  {
    plat::LockGuard lock(mutex_);
    width_ += delta;
  }
  startMore();
}

std::vector<std::shared_ptr<HttpRequest>> HttpSharedQueue::operations() const {
  plat::LockGuard lock(mutex_);
  std::vector<std::shared_ptr<HttpRequest>> all(running_.begin(), running_.end());
  all.insert(all.end(), waiting_.begin(), waiting_.end());
  return all;
}

size_t HttpSharedQueue::operationCount() const {
  plat::LockGuard lock(mutex_);
  return running_.size() + waiting_.size();
}

void HttpSharedQueue::cancelAllOperations() {
  for (const auto& request : operations()) request->cancel();
}

void HttpSharedQueue::requestFinished(HttpRequest* request) {
  std::shared_ptr<HttpRequest> done;  // let go of outside the lock
  {
    plat::LockGuard lock(mutex_);
    auto it = std::find_if(running_.begin(), running_.end(),
                           [&](const auto& r) { return r.get() == request; });
    if (it == running_.end()) return;
    done = std::move(*it);
    running_.erase(it);
  }
  startMore();
}

void HttpSharedQueue::requestCancelled() {
  startMore();
}

void HttpSharedQueue::startMore() {
  std::vector<std::shared_ptr<HttpRequest>> starting;
  {
    plat::LockGuard lock(mutex_);
    for (auto it = waiting_.begin(); it != waiting_.end();) {
      const bool room = width_ < 0 || static_cast<int>(running_.size()) < width_;
      if (!room && !(*it)->isCancelled()) {
        ++it;
        continue;
      }
      running_.push_back(*it);
      starting.push_back(*it);
      it = waiting_.erase(it);
    }
  }
  for (const auto& request : starting) request->start();
}
