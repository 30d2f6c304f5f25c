// The class-wide queue behind HttpRequest::startAsynchronous: at most `width` requests run at once
// (4 unless changed), the rest wait by queue priority, then in the order they came. A request's
// start only hands it to the network thread, so the queue starts requests on the thread that adds
// them or that finished the one before, rather than on worker threads of its own.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "platform/base/Mutex.h"

class HttpRequest;

class HttpSharedQueue {
 public:
  explicit HttpSharedQueue(int width) : width_(width) {}

  void addOperation(std::shared_ptr<HttpRequest> request);
  int maxConcurrentOperationCount() const;
  void setMaxConcurrentOperationCount(int width);
  // Widens (or narrows) the queue by `delta` in one step.
  void adjustMaxConcurrentOperationCount(int delta);
  // The requests not yet finished: running ones first, then waiting ones in order.
  std::vector<std::shared_ptr<HttpRequest>> operations() const;
  size_t operationCount() const;
  void cancelAllOperations();

  // Called by a request of this queue when it has finished, or was cancelled while waiting.
  void requestFinished(HttpRequest* request);
  void requestCancelled();

 private:
  // Starts waiting requests while there is room (cancelled ones at once, to finish).
  void startMore();

  mutable plat::Mutex mutex_;
  int width_ GUARDED_BY(mutex_);
  std::deque<std::shared_ptr<HttpRequest>> waiting_ GUARDED_BY(mutex_);
  std::vector<std::shared_ptr<HttpRequest>> running_ GUARDED_BY(mutex_);
};
