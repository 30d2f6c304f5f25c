// The request queue a screen or an online object owns: one request at a time, started at once,
// and on release (or forgetAll) every request it was given forgets its delegate and is
// cancelled, so no reply reaches an owner that has gone; that holds too for a request that
// already left the queue while its report still waits for the main thread.
#pragma once

#include <memory>
#include <vector>

#include "net/HttpNetworkQueue.h"

class AccountQueue {
 public:
  AccountQueue();
  ~AccountQueue();
  AccountQueue(const AccountQueue&) = delete;
  AccountQueue& operator=(const AccountQueue&) = delete;

  void add(const std::shared_ptr<HttpRequest>& request);
  // Every request given so far forgets its delegate and is cancelled; the queue is emptied.
  void forgetAll();
  HttpNetworkQueue& queue() { return *queue_; }
  const std::shared_ptr<HttpNetworkQueue>& shared() const { return queue_; }

 private:
  std::shared_ptr<HttpNetworkQueue> queue_;
  std::vector<std::weak_ptr<HttpRequest>> given_;
};
