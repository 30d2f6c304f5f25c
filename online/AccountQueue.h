// The request queue each account screen owns: one request at a time, started at once, and on
// release every queued request forgets its delegate and is cancelled, so no reply reaches a
// screen that has gone.
#pragma once

#include <memory>

#include "net/HttpNetworkQueue.h"

class AccountQueue {
 public:
  AccountQueue();
  ~AccountQueue();
  AccountQueue(const AccountQueue&) = delete;
  AccountQueue& operator=(const AccountQueue&) = delete;

  void add(const std::shared_ptr<HttpRequest>& request) { queue_->addOperation(request); }
  HttpNetworkQueue& queue() { return *queue_; }

 private:
  std::shared_ptr<HttpNetworkQueue> queue_;
};
