// Reports to the owner on the main thread, and the byte counts behind upload and download
// progress. Every report reads its receivers when it runs, so receivers cleared in the meantime
// hear nothing.
#include <vector>

#include "net/HttpNetworkQueue.h"
#include "net/HttpRequest.h"
#include "net/HttpRequestShared.h"
#include "platform/base/Mutex.h"

void HttpRequest::onMainThread(std::function<void()> task, Urgency urgency) {
  if (plat::RunLoop::isMainThread()) {
    task();
    return;
  }
  HttpMainThreadMailbox::post(std::move(task), urgency);
}

void HttpRequest::requestStarted() {
  if (error_ || mainRequest_) return;
  auto request = self();
  onMainThread(
      [request] {
        if (HttpRequestDelegate* delegate = request->lockedRead(&HttpRequest::delegate_)) {
          RequestSelector selector = request->lockedRead(&HttpRequest::didStartSelector_);
          selector ? selector(*request) : delegate->requestStarted(*request);
        }
        if (Block block = request->lockedRead(&HttpRequest::startedBlock_)) block();
        if (HttpNetworkQueue* queue = request->lockedRead(&HttpRequest::queue_))
          queue->requestStarted(*request);
      },
      Urgency::MayWait);
}

void HttpRequest::requestRedirected() {
  if (error_ || mainRequest_) return;
  auto request = self();
  onMainThread(
      [request] {
        if (HttpRequestDelegate* delegate = request->lockedRead(&HttpRequest::delegate_))
          delegate->requestRedirected(*request);
        if (Block block = request->lockedRead(&HttpRequest::requestRedirectedBlock_)) block();
      },
      Urgency::MayWait);
}

void HttpRequest::requestReceivedResponseHeaders(const HeaderMap& headers) {
  if (error_ || mainRequest_) return;
  auto request = self();
  onMainThread(
      [request, headers] {
        if (HttpRequestDelegate* delegate = request->lockedRead(&HttpRequest::delegate_)) {
          auto selector = request->lockedRead(&HttpRequest::didReceiveResponseHeadersSelector_);
          selector ? selector(*request, headers)
                   : delegate->request_didReceiveResponseHeaders(*request, headers);
        }
        if (HeadersBlock block = request->lockedRead(&HttpRequest::headersReceivedBlock_))
          block(headers);
        if (HttpNetworkQueue* queue = request->lockedRead(&HttpRequest::queue_))
          queue->request_didReceiveResponseHeaders(*request, headers);
      },
      Urgency::MayWait);
}

void HttpRequest::requestWillRedirectToURL(const Url& url) {
  if (error_ || mainRequest_) return;
  auto request = self();
  onMainThread(
      [request, url] {
        if (HttpRequestDelegate* delegate = request->lockedRead(&HttpRequest::delegate_)) {
          if (auto selector = request->lockedRead(&HttpRequest::willRedirectSelector_)) {
            selector(*request, url);
          } else if (delegate->respondsTo(HttpDelegateCallback::WillRedirect)) {
            delegate->request_willRedirectToURL(*request, url);
          }
        }
        HttpNetworkQueue* queue = request->lockedRead(&HttpRequest::queue_);
        if (queue && queue->respondsTo(HttpDelegateCallback::WillRedirect))
          queue->request_willRedirectToURL(*request, url);
      },
      Urgency::WakeNow);
}

void HttpRequest::requestFinished() {
  if (error_ || mainRequest_) return;
  auto request = self();
  onMainThread([request] { request->reportFinished(); }, Urgency::WakeNow);
}

void HttpRequest::reportFinished() {
  if (HttpRequestDelegate* delegate = lockedRead(&HttpRequest::delegate_)) {
    RequestSelector selector = lockedRead(&HttpRequest::didFinishSelector_);
    selector ? selector(*this) : delegate->requestFinished(*this);
  }
  if (Block block = lockedRead(&HttpRequest::completionBlock_)) block();
  if (HttpNetworkQueue* queue = lockedRead(&HttpRequest::queue_)) queue->requestFinished(*this);
}

void HttpRequest::reportFailure() {
  if (HttpRequestDelegate* delegate = lockedRead(&HttpRequest::delegate_)) {
    RequestSelector selector = lockedRead(&HttpRequest::didFailSelector_);
    selector ? selector(*this) : delegate->requestFailed(*this);
  }
  if (Block block = lockedRead(&HttpRequest::failureBlock_)) block();
  if (HttpNetworkQueue* queue = lockedRead(&HttpRequest::queue_)) queue->requestFailed(*this);
}

bool HttpRequest::delegateTakesData() const {
  plat::LockGuard lock(cancelledLock_);
  return (delegate_ &&
          (didReceiveDataSelector_ || delegateAnswers_.has(HttpDelegateCallback::ReceiveData))) ||
         dataReceivedBlock_;
}

template <class Field, class... Args>
void HttpRequest::callBlockOnMainThread(Field HttpRequest::*field, Args... args) {
  {
    plat::LockGuard lock(cancelledLock_);
    if (!(this->*field)) return;
  }
  auto request = self();
  onMainThread(
      [request, field, args...] {
        plat::UniqueLock lock(request->cancelledLock_);
        Field block = request.get()->*field;
        lock.unlock();
        if (block) block(args...);
      },
      Urgency::MayWait);
}

// ---- Progress

HttpProgressDelegate* HttpRequest::progressReceiver(Receiver receiver) const {
  plat::LockGuard lock(cancelledLock_);
  switch (receiver) {
    case Receiver::Queue:
      return queue_;
    case Receiver::UploadDelegate:
      return uploadProgressDelegate_;
    case Receiver::DownloadDelegate:
      return downloadProgressDelegate_;
  }
  return nullptr;
}

void HttpRequest::sendProgress(Receiver receiver,
                               std::function<void(HttpProgressDelegate&, HttpRequest&)> call) {
  if (!progressReceiver(receiver)) return;
  auto request = self();
  onMainThread(
      [request, receiver, call = std::move(call)] {
        // Read again: the receiver may have been cleared on the way.
        if (HttpProgressDelegate* target = request->progressReceiver(receiver))
          call(*target, *request);
      },
      Urgency::MayWait);
}

void HttpRequest::sendToQueueAnd(
    Receiver receiver, const std::function<void(HttpProgressDelegate&, HttpRequest&)>& call) {
  sendProgress(Receiver::Queue, call);
  sendProgress(receiver, call);
}

void HttpRequest::updateProgressIndicator(Receiver receiver, uint64_t progress, uint64_t total) {
  // Nothing to measure counts as done once the request is complete, and as not started before.
  double fraction = total > 0 ? static_cast<double>(progress) / static_cast<double>(total)
                              : (complete_ ? 1.0 : 0.0);
  sendProgress(receiver, [fraction](HttpProgressDelegate& target, HttpRequest&) {
    target.setProgress(fraction);
  });
}

void HttpRequest::updateProgressIndicators() {
  if (mainRequest_) return;
  if (!showAccurateProgress_ && (!complete_ || updatedProgress_)) return;
  updateUploadProgress();
  updateDownloadProgress();
}

void HttpRequest::updateDownloadProgress() {
  if (!haveResponseHeaders_ || needsRedirect_) return;
  if (contentLength_ == 0 && !complete_) return;
  const uint64_t read = totalBytesRead_ + partialDownloadSize_;
  uint64_t amount;
  if (showAccurateProgress_ && contentLength_ > 0) {
    amount = read - lastBytesRead_;
    if (amount == 0) return;
  } else {
    amount = 1;
    updatedProgress_ = true;
  }
  downloadBytesReported_ += amount;
  sendToQueueAnd(Receiver::DownloadDelegate,
                 [amount](HttpProgressDelegate& target, HttpRequest& r) {
                   target.request_didReceiveBytes(r, static_cast<int64_t>(amount));
                 });
  const uint64_t total = contentLength_ + partialDownloadSize_;
  updateProgressIndicator(Receiver::DownloadDelegate, read, total);
  callBlockOnMainThread(&HttpRequest::bytesReceivedBlock_, amount, total);
  lastBytesRead_ = read;
}

void HttpRequest::updateUploadProgress() {
  // Without a body (any more) there is nothing to count: one dropped by a redirect was settled.
  if (isCancelled() || totalBytesSent_ == 0 || postLength_ == 0) return;
  if (uploadBufferSize_ == 0 && totalBytesSent_ != postLength_) {
    // What the connection took at once is the platform's buffer, not progress.
    uploadBufferSize_ = totalBytesSent_;
    incrementUploadSizeBy(-static_cast<int64_t>(uploadBufferSize_));
    uploadSizeAdded_ -= static_cast<int64_t>(uploadBufferSize_);
  }
  uint64_t amount;
  if (showAccurateProgress_) {
    if (totalBytesSent_ != postLength_ && lastBytesSent_ == 0) return;
    amount = totalBytesSent_ - lastBytesSent_;
    if (amount == 0) return;
  } else {
    amount = 1;
    updatedProgress_ = true;
  }
  uploadBytesReported_ += static_cast<int64_t>(amount);
  sendToQueueAnd(Receiver::UploadDelegate, [amount](HttpProgressDelegate& target, HttpRequest& r) {
    target.request_didSendBytes(r, static_cast<int64_t>(amount));
  });
  const uint64_t sent =
      totalBytesSent_ > uploadBufferSize_ ? totalBytesSent_ - uploadBufferSize_ : 0;
  const uint64_t total = postLength_ > uploadBufferSize_ ? postLength_ - uploadBufferSize_ : 0;
  updateProgressIndicator(Receiver::UploadDelegate, sent, total);
  callBlockOnMainThread(&HttpRequest::bytesSentBlock_, amount, postLength_);
}

void HttpRequest::incrementDownloadSizeBy(int64_t amount) {
  sendToQueueAnd(Receiver::DownloadDelegate,
                 [amount](HttpProgressDelegate& target, HttpRequest& r) {
                   target.request_incrementDownloadSizeBy(r, amount);
                 });
  callBlockOnMainThread(&HttpRequest::downloadSizeIncrementedBlock_, amount);
}

void HttpRequest::incrementUploadSizeBy(int64_t amount) {
  sendToQueueAnd(Receiver::UploadDelegate, [amount](HttpProgressDelegate& target, HttpRequest& r) {
    target.request_incrementUploadSizeBy(r, amount);
  });
  callBlockOnMainThread(&HttpRequest::uploadSizeIncrementedBlock_, amount);
}

// An attempt that starts over (a 307, a time-out retry, credentials sent) sends its body again
// and adds its size again: what the last attempt reported and added goes, bytes and size alike,
// or a queue's sum would end at a fraction of its total. The bytes taken back are those reported,
// which leave out the connection's first buffer.
void HttpRequest::removeUploadProgressSoFar() {
  if (uploadBytesReported_ != 0) {
    const int64_t amount = -uploadBytesReported_;
    sendToQueueAnd(Receiver::UploadDelegate,
                   [amount](HttpProgressDelegate& target, HttpRequest& r) {
                     target.request_didSendBytes(r, amount);
                   });
    callBlockOnMainThread(&HttpRequest::bytesSentBlock_, static_cast<uint64_t>(amount),
                          postLength_);
  }
  updateProgressIndicator(Receiver::UploadDelegate, 0, postLength_);
  if (uploadSizeAdded_ != 0) incrementUploadSizeBy(-uploadSizeAdded_);
  uploadBytesReported_ = uploadSizeAdded_ = 0;
  // The next attempt's connection takes its own first buffer.
  uploadBufferSize_ = 0;
}

// A redirect that turns the request into a GET drops a body this attempt sent: its progress is
// counted now, while its length still stands, and stays (the attempts that follow send nothing).
void HttpRequest::settleUploadOfDroppedBody() {
  if (!readStream_ || postLength_ == 0) return;
  lastBytesSent_ = totalBytesSent_;
  totalBytesSent_ = readStream_->bodyBytesWritten();
  // Without accurate progress this is the upload's one unit: the download's comes at the end.
  const bool unitReported = updatedProgress_;
  updateUploadProgress();
  updatedProgress_ = unitReported;
  uploadSettled_ = true;
}

// An attempt that starts over (a time-out or a dropped connection retried, credentials sent)
// reads its body again from the start, or from where the kept part ends, and announces its size
// again: what the last attempt counted goes, or receivers would count the body twice and a queue
// show more than all of it done.
void HttpRequest::removeDownloadProgressSoFar() {
  if (downloadBytesReported_ > 0) {
    const int64_t amount = -static_cast<int64_t>(downloadBytesReported_);
    sendToQueueAnd(Receiver::DownloadDelegate,
                   [amount](HttpProgressDelegate& target, HttpRequest& r) {
                     target.request_didReceiveBytes(r, amount);
                   });
    callBlockOnMainThread(&HttpRequest::bytesReceivedBlock_, static_cast<uint64_t>(amount),
                          contentLength_ + partialDownloadSize_);
  }
  if (downloadSizeAdded_ > 0) incrementDownloadSizeBy(-static_cast<int64_t>(downloadSizeAdded_));
  downloadBytesReported_ = downloadSizeAdded_ = 0;
}
