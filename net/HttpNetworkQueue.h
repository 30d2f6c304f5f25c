// A queue of HTTP requests that its owner (a screen or service) makes, sets to a width, starts
// with go() and empties with cancelAllOperations() when it goes away. On top of the operation
// queue it counts requests, sums upload and download bytes for queue-wide progress, can measure
// GET sizes first with HEAD requests, and passes request events to its own delegate. A request's
// failure is the request's own business: the queue takes no part in it.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "net/HttpRequest.h"
#include "platform/base/OperationQueue.h"
#include "platform/base/Value.h"

class HttpNetworkQueue : public plat::OperationQueue,
                         public HttpRequestDelegate,
                         public HttpProgressDelegate {
 public:
  // Width 4, suspended: nothing runs before go().
  HttpNetworkQueue();
  static std::shared_ptr<HttpNetworkQueue> queue();
  ~HttpNetworkQueue() override;

  void go();
  // Takes HttpRequest objects only; anything else raises "AttemptToAddInvalidRequest".
  using plat::OperationQueue::addOperation;
  void addOperation(std::shared_ptr<plat::Operation> operation) override;
  void addHEADOperation(std::shared_ptr<plat::Operation> operation);
  // Zeroes the byte counters, then cancels every request.
  void cancelAllOperations() override;
  // Cancels all, forgets the delegate, progress receivers and selectors (but the redirect one),
  // and suspends the queue.
  void reset();
  // A new, suspended queue with this one's delegate, selectors, progress receivers and settings.
  std::shared_ptr<HttpNetworkQueue> copy() const;

  HttpRequestDelegate* delegate() const { return delegate_; }
  void setDelegate(HttpRequestDelegate* delegate);
  void setRequestDidStartSelector(std::function<void(HttpRequest&)> s) {
    requestDidStartSelector_ = std::move(s);
  }
  void setRequestDidReceiveResponseHeadersSelector(
      std::function<void(HttpRequest&, const plat::http::HeaderMap&)> s) {
    requestDidReceiveResponseHeadersSelector_ = std::move(s);
  }
  void setRequestWillRedirectSelector(std::function<void(HttpRequest&, const plat::http::Url&)> s) {
    requestWillRedirectSelector_ = std::move(s);
  }
  void setRequestDidFinishSelector(std::function<void(HttpRequest&)> s) {
    requestDidFinishSelector_ = std::move(s);
  }
  void setQueueDidFinishSelector(std::function<void(HttpNetworkQueue&)> s) {
    queueDidFinishSelector_ = std::move(s);
  }
  HttpProgressDelegate* uploadProgressDelegate() const { return uploadProgressDelegate_; }
  void setUploadProgressDelegate(HttpProgressDelegate* receiver);
  HttpProgressDelegate* downloadProgressDelegate() const { return downloadProgressDelegate_; }
  void setDownloadProgressDelegate(HttpProgressDelegate* receiver);
  bool showAccurateProgress() const { return showAccurateProgress_; }
  void setShowAccurateProgress(bool v) { showAccurateProgress_ = v; }
  const plat::Value& userInfo() const { return userInfo_; }
  void setUserInfo(plat::Value info) { userInfo_ = std::move(info); }

  int requestsCount() const { return requestsCount_; }
  uint64_t bytesUploadedSoFar() const { return bytesUploadedSoFar_; }
  uint64_t totalBytesToUpload() const { return totalBytesToUpload_; }
  uint64_t bytesDownloadedSoFar() const { return bytesDownloadedSoFar_; }
  uint64_t totalBytesToDownload() const { return totalBytesToDownload_; }

  // What requests tell their queue (on the main thread).
  void requestStarted(HttpRequest& request) override;
  void request_didReceiveResponseHeaders(HttpRequest& request,
                                         const plat::http::HeaderMap& headers) override;
  void request_willRedirectToURL(HttpRequest& request, const plat::http::Url& url) override;
  void requestFinished(HttpRequest& request) override;
  void authenticationNeededForRequest(HttpRequest& request) override;
  void proxyAuthenticationNeededForRequest(HttpRequest& request) override;
  bool respondsTo(HttpDelegateCallback callback) const override;
  void request_didReceiveBytes(HttpRequest& request, int64_t bytes) override;
  void request_didSendBytes(HttpRequest& request, int64_t bytes) override;
  void request_incrementDownloadSizeBy(HttpRequest& request, int64_t bytes) override;
  void request_incrementUploadSizeBy(HttpRequest& request, int64_t bytes) override;

 private:
  void remember(const std::shared_ptr<HttpRequest>& request);
  static void resetProgressDelegate(HttpProgressDelegate* receiver);
  static void showProgress(HttpProgressDelegate* receiver, uint64_t done, uint64_t total);

  HttpRequestDelegate* delegate_ = nullptr;
  std::atomic<DelegateAnswers> delegateAnswers_{};  // read on the network thread
  std::function<void(HttpRequest&)> requestDidStartSelector_;
  std::function<void(HttpRequest&, const plat::http::HeaderMap&)>
      requestDidReceiveResponseHeadersSelector_;
  std::function<void(HttpRequest&, const plat::http::Url&)> requestWillRedirectSelector_;
  std::function<void(HttpRequest&)> requestDidFinishSelector_;
  std::function<void(HttpNetworkQueue&)> queueDidFinishSelector_;
  HttpProgressDelegate* uploadProgressDelegate_ = nullptr;
  HttpProgressDelegate* downloadProgressDelegate_ = nullptr;
  uint64_t bytesUploadedSoFar_ = 0, totalBytesToUpload_ = 0;
  uint64_t bytesDownloadedSoFar_ = 0, totalBytesToDownload_ = 0;
  int requestsCount_ = 0;
  bool showAccurateProgress_ = false;
  plat::Value userInfo_;
  std::vector<std::weak_ptr<HttpRequest>> given_;  // every request added (main thread only)
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // false once destroyed
};
