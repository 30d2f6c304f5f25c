#include "online/AccountQueue.h"

AccountQueue::AccountQueue() : queue_(HttpNetworkQueue::queue()) {
  queue_->setMaxConcurrentOperationCount(1);
  queue_->go();
}

void AccountQueue::add(const std::shared_ptr<HttpRequest>& request) {
  std::erase_if(given_, [](const std::weak_ptr<HttpRequest>& r) { return r.expired(); });
  given_.push_back(request);
  queue_->addOperation(request);
}

AccountQueue::~AccountQueue() {
  forgetAll();
}

void AccountQueue::forgetAll() {
  for (const auto& operation : queue_->operations()) {
    if (auto request = std::dynamic_pointer_cast<HttpRequest>(operation)) {
      request->clearDelegatesAndCancel();
    }
  }
  for (const auto& given : given_) {
    if (auto request = given.lock()) request->clearDelegatesAndCancel();
  }
  given_.clear();
  queue_->cancelAllOperations();
}
