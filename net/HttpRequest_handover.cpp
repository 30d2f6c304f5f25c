// Body data for an owner that takes it itself, handed to the main thread piece by piece. The
// network thread reads faster than a consumer that works on each piece (hashing it, writing it
// out), so it stops reading while several megabytes wait for the main thread and goes on once
// half of them were taken: memory stays bounded whatever the size of the body.
#include "net/HttpRequest.h"
#include "platform/base/Clock.h"
#include "platform/base/Mutex.h"

namespace {

constexpr size_t kHandOverLimit = 4u << 20;
constexpr size_t kHandOverResume = kHandOverLimit / 2;

}  // namespace

void HttpRequest::passOnReceivedData(Bytes data) {
  auto request = self();
  auto shared = std::make_shared<Bytes>(std::move(data));
  bytesInHandOver_ += shared->size();
  onMainThread(
      [request, shared] {
        plat::UniqueLock lock(request->cancelledLock_);
        HttpRequestDelegate* delegate = request->delegate_;
        auto selector = request->didReceiveDataSelector_;
        DataBlock block = request->dataReceivedBlock_;
        const DelegateAnswers answers = request->delegateAnswers_;
        lock.unlock();
        if (delegate) {
          if (selector) {
            selector(*request, *shared);
          } else if (answers.has(HttpDelegateCallback::ReceiveData)) {
            delegate->request_didReceiveData(*request, *shared);
          }
        }
        if (block) block(*shared);
        request->handOverTaken(shared->size());
      },
      Urgency::WakeNow);
}

// On the main thread, after a piece was delivered.
void HttpRequest::handOverTaken(size_t bytes) {
  const size_t left = bytesInHandOver_ -= bytes;
  if (left <= kHandOverResume && resumeWanted_.exchange(false)) {
    auto request = self();
    performOnWorkingThread([request] { request->resumeHandOver(); });
  }
}

// On the working thread, before reading: true when the reading waits for the main thread.
bool HttpRequest::handOverIsFull() {
  if (bytesInHandOver_ < kHandOverLimit) return false;
  resumeWanted_ = true;
  // The main thread may have taken enough in the meantime without seeing the wish.
  if (bytesInHandOver_ <= kHandOverResume && resumeWanted_.exchange(false)) return false;
  handOverPaused_ = true;
  return true;
}

// On the working thread. A stream whose offered bytes were not read waits for a read: read what
// it holds as its own events would, until it has nothing more now (it then watches its
// connection again), the hand-over is full again, or the body is complete.
void HttpRequest::resumeHandOver() {
  auto keepAlive = self();
  {
    plat::LockGuard lock(cancelledLock_);
    handOverPaused_ = false;
    lastActivityTime_ = plat::Clock::current().now();
  }
  while (readStream_ && !complete_ && !handOverPaused_ && readStream_->hasBytesAvailable()) {
    const uint64_t before = totalBytesRead_;
    handleNetworkEvent(plat::http::HttpStream::kEventBytesAvailable);
    if (totalBytesRead_ == before) break;
  }
  if (readStream_ && !complete_ && !handOverPaused_ && readStream_->atEnd())
    handleNetworkEvent(plat::http::HttpStream::kEventEndEncountered);
}
