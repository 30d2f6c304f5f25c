#include "net/HttpNetworkQueue.h"

#include "platform/base/NamedException.h"

HttpNetworkQueue::HttpNetworkQueue() {
  setMaxConcurrentOperationCount(4);
  setSuspended(true);
}

std::shared_ptr<HttpNetworkQueue> HttpNetworkQueue::queue() {
  return std::make_shared<HttpNetworkQueue>();
}

HttpNetworkQueue::~HttpNetworkQueue() {
  *alive_ = false;
  // Requests that outlive the queue must not call back into it: those still queued, and finished
  // ones whose last reports are still on their way to the main thread.
  for (const auto& given : given_) {
    if (auto request = given.lock()) {
      if (request->queue() == this) request->setQueue(nullptr);
    }
  }
}

void HttpNetworkQueue::remember(const std::shared_ptr<HttpRequest>& request) {
  std::erase_if(given_, [](const std::weak_ptr<HttpRequest>& r) { return r.expired(); });
  given_.push_back(request);
}

void HttpNetworkQueue::go() {
  setSuspended(false);
}

void HttpNetworkQueue::addOperation(std::shared_ptr<plat::Operation> operation) {
  auto request = std::dynamic_pointer_cast<HttpRequest>(operation);
  if (!request) {
    throw plat::NamedException("AttemptToAddInvalidRequest",
                               "Attempted to add an object that was not an HttpRequest to an "
                               "HttpNetworkQueue");
  }
  ++requestsCount_;
  if (showAccurateProgress_) {
    request->buildPostBody();
    if (request->requestMethod() == "GET" && isSuspended()) {
      auto head = request->HEADRequest();
      addHEADOperation(head);
      request->addDependency(head);
      if (request->shouldResetDownloadProgress()) {
        resetProgressDelegate(downloadProgressDelegate_);
        request->setShouldResetDownloadProgress(false);
      }
    }
    totalBytesToUpload_ += request->postLength();
  } else {
    totalBytesToDownload_ += 1;
    totalBytesToUpload_ += 1;
  }
  if (request->shouldResetUploadProgress()) {
    resetProgressDelegate(uploadProgressDelegate_);
    request->setShouldResetUploadProgress(false);
  }
  request->setShowAccurateProgress(showAccurateProgress_);
  request->setQueue(this);
  remember(request);
  plat::OperationQueue::addOperation(request);
}

void HttpNetworkQueue::addHEADOperation(std::shared_ptr<plat::Operation> operation) {
  auto request = std::dynamic_pointer_cast<HttpRequest>(operation);
  if (!request) return;
  request->setRequestMethod("HEAD");
  request->setQueuePriority(10);
  request->setShowAccurateProgress(true);
  request->setQueue(this);
  remember(request);
  plat::OperationQueue::addOperation(request);
}

void HttpNetworkQueue::cancelAllOperations() {
  bytesUploadedSoFar_ = totalBytesToUpload_ = 0;
  bytesDownloadedSoFar_ = totalBytesToDownload_ = 0;
  plat::OperationQueue::cancelAllOperations();
}

void HttpNetworkQueue::setDelegate(HttpRequestDelegate* delegate) {
  delegate_ = delegate;
  delegateAnswers_ = DelegateAnswers(delegate);
}

void HttpNetworkQueue::reset() {
  cancelAllOperations();
  setDelegate(nullptr);
  uploadProgressDelegate_ = nullptr;
  downloadProgressDelegate_ = nullptr;
  requestDidStartSelector_ = nullptr;
  requestDidReceiveResponseHeadersSelector_ = nullptr;
  requestDidFinishSelector_ = nullptr;
  queueDidFinishSelector_ = nullptr;
  setSuspended(true);
}

std::shared_ptr<HttpNetworkQueue> HttpNetworkQueue::copy() const {
  auto other = queue();
  other->setDelegate(delegate_);
  other->requestDidStartSelector_ = requestDidStartSelector_;
  other->requestWillRedirectSelector_ = requestWillRedirectSelector_;
  other->requestDidReceiveResponseHeadersSelector_ = requestDidReceiveResponseHeadersSelector_;
  other->requestDidFinishSelector_ = requestDidFinishSelector_;
  other->queueDidFinishSelector_ = queueDidFinishSelector_;
  other->setUploadProgressDelegate(uploadProgressDelegate_);
  other->setDownloadProgressDelegate(downloadProgressDelegate_);
  other->showAccurateProgress_ = showAccurateProgress_;
  other->userInfo_ = userInfo_;
  return other;
}

void HttpNetworkQueue::setUploadProgressDelegate(HttpProgressDelegate* receiver) {
  uploadProgressDelegate_ = receiver;
  resetProgressDelegate(receiver);
}

void HttpNetworkQueue::setDownloadProgressDelegate(HttpProgressDelegate* receiver) {
  downloadProgressDelegate_ = receiver;
  resetProgressDelegate(receiver);
}

void HttpNetworkQueue::resetProgressDelegate(HttpProgressDelegate* receiver) {
  showProgress(receiver, 0, 1);
}

void HttpNetworkQueue::showProgress(HttpProgressDelegate* receiver, uint64_t done, uint64_t total) {
  if (!receiver) return;
  double fraction = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 0.0;
  if (plat::RunLoop::isMainThread()) {
    receiver->setProgress(fraction);
  } else {
    plat::RunLoop::main().perform([receiver, fraction] { receiver->setProgress(fraction); });
  }
}

// ---- What requests tell the queue

void HttpNetworkQueue::requestStarted(HttpRequest& request) {
  if (delegate_ && requestDidStartSelector_) requestDidStartSelector_(request);
}

void HttpNetworkQueue::request_didReceiveResponseHeaders(HttpRequest& request,
                                                         const plat::http::HeaderMap& headers) {
  if (delegate_ && requestDidReceiveResponseHeadersSelector_)
    requestDidReceiveResponseHeadersSelector_(request, headers);
}

void HttpNetworkQueue::request_willRedirectToURL(HttpRequest& request, const plat::http::Url& url) {
  if (delegate_ && requestWillRedirectSelector_) requestWillRedirectSelector_(request, url);
}

void HttpNetworkQueue::requestFinished(HttpRequest& request) {
  --requestsCount_;
  // The delegate may let go of the queue in its handler (its screen closes): the handler runs from
  // a copy, and nothing of the queue is touched once it has gone.
  const std::shared_ptr<bool> alive = alive_;
  if (delegate_ && requestDidFinishSelector_) {
    auto finished = requestDidFinishSelector_;
    finished(request);
    if (!*alive) return;
  }
  if (requestsCount_ == 0 && delegate_ && queueDidFinishSelector_) {
    auto queueFinished = queueDidFinishSelector_;
    queueFinished(*this);
  }
}

void HttpNetworkQueue::authenticationNeededForRequest(HttpRequest& request) {
  if (delegate_ && delegateAnswers_.load().has(HttpDelegateCallback::AuthenticationNeeded))
    delegate_->authenticationNeededForRequest(request);
}

void HttpNetworkQueue::proxyAuthenticationNeededForRequest(HttpRequest& request) {
  if (delegate_ && delegateAnswers_.load().has(HttpDelegateCallback::ProxyAuthenticationNeeded))
    delegate_->proxyAuthenticationNeededForRequest(request);
}

bool HttpNetworkQueue::respondsTo(HttpDelegateCallback callback) const {
  switch (callback) {
    case HttpDelegateCallback::WillRedirect:
      return delegate_ && requestWillRedirectSelector_;
    case HttpDelegateCallback::AuthenticationNeeded:
    case HttpDelegateCallback::ProxyAuthenticationNeeded:
      return delegateAnswers_.load().has(callback);
    case HttpDelegateCallback::ReceiveData:
      return false;
  }
  return false;
}

void HttpNetworkQueue::request_didReceiveBytes(HttpRequest&, int64_t bytes) {
  bytesDownloadedSoFar_ += static_cast<uint64_t>(bytes);
  showProgress(downloadProgressDelegate_, bytesDownloadedSoFar_, totalBytesToDownload_);
}

void HttpNetworkQueue::request_didSendBytes(HttpRequest&, int64_t bytes) {
  bytesUploadedSoFar_ += static_cast<uint64_t>(bytes);
  showProgress(uploadProgressDelegate_, bytesUploadedSoFar_, totalBytesToUpload_);
}

void HttpNetworkQueue::request_incrementDownloadSizeBy(HttpRequest&, int64_t bytes) {
  totalBytesToDownload_ += static_cast<uint64_t>(bytes);
}

void HttpNetworkQueue::request_incrementUploadSizeBy(HttpRequest&, int64_t bytes) {
  totalBytesToUpload_ += static_cast<uint64_t>(bytes);
}
