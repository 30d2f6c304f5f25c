#include "online/AccountQueue.h"

AccountQueue::AccountQueue() : queue_(HttpNetworkQueue::queue()) {
  queue_->setMaxConcurrentOperationCount(1);
  queue_->go();
}

AccountQueue::~AccountQueue() {
  for (const auto& operation : queue_->operations()) {
    if (auto request = std::dynamic_pointer_cast<HttpRequest>(operation)) {
      request->clearDelegatesAndCancel();
    }
  }
  queue_->cancelAllOperations();
}
