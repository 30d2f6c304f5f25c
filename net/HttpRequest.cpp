// Creating, starting, running, cancelling, failing and finishing a request; the network thread.
#include "net/HttpRequest.h"

#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "net/HttpMainThreadMailbox.h"
#include "net/HttpNetworkQueue.h"
#include "net/HttpRequestShared.h"
#include "net/HttpSharedQueue.h"
#include "platform/base/Bundle.h"
#include "platform/base/Charset.h"
#include "platform/base/Clock.h"
#include "platform/base/Files.h"
#include "platform/base/Mutex.h"
#include "platform/base/NamedException.h"
#include "platform/base/Thread.h"
#include "platform/http/MimeTypes.h"
#include "platform/http/Transport.h"

namespace {

// Kept until the process ends: the network thread may still be failing a request (a cancel made
// on the way out) while the process destroys its static objects.
const HttpErrorPtr& sharedError(int code, const char* text) {
  return *new HttpErrorPtr(HttpError::make(code, text));
}

}  // namespace

HttpRequestShared& HttpRequestShared::get() {
  static HttpRequestShared* shared = new HttpRequestShared();  // used until the process ends
  return *shared;
}

// ---- Shared errors, queue and network thread

HttpErrorPtr HttpRequest::requestTimedOutError() {
  static const HttpErrorPtr& error = sharedError(kHttpRequestTimedOut, "The request timed out");
  return error;
}
HttpErrorPtr HttpRequest::authenticationError() {
  static const HttpErrorPtr& error =
      sharedError(kHttpAuthenticationFailure, "Authentication needed");
  return error;
}
HttpErrorPtr HttpRequest::requestCancelledError() {
  static const HttpErrorPtr& error = sharedError(kHttpRequestCancelled, "The request was cancelled");
  return error;
}
HttpErrorPtr HttpRequest::unableToCreateRequestError() {
  static const HttpErrorPtr& error =
      sharedError(kHttpUnableToCreateRequest, "Unable to create request (bad url?)");
  return error;
}
HttpErrorPtr HttpRequest::tooMuchRedirectionError() {
  static const HttpErrorPtr& error =
      sharedError(kHttpTooManyRedirects, "The request failed because it redirected too many times");
  return error;
}

HttpSharedQueue& HttpRequest::sharedQueue() {
  static HttpSharedQueue* queue = new HttpSharedQueue(4);
  return *queue;
}

namespace {

// The network thread and whether the exit has stopped it, under one lock: the thread may be
// started on any thread while another exits.
std::mutex networkThreadLock;
plat::Thread* networkThread = nullptr;
bool networkThreadStopped = false;
// A plain pointer, which needs no destruction: set by a test before the first request.
void (*networkThreadStarted)() = nullptr;

void stopNetworkThread() {
  plat::Thread* thread = nullptr;
  {
    std::lock_guard lock(networkThreadLock);
    networkThreadStopped = true;
    thread = networkThread;
  }
  if (thread) thread->stopAndJoin();
}

}  // namespace

plat::RunLoop& HttpRequest::threadForRequest(HttpRequest*) {
  // Made on first use: every asynchronous request does its network work here until the process
  // ends. It is stopped at exit before what it uses is torn down (made first, so gone later).
  static std::once_flag once;
  std::call_once(once, [] {
    plat::Clock::current();
    plat::Bundle::main();  // the default User-Agent is read from it
    plat::http::prepareTransport();
    // The stop is registered before the thread starts, so that no exit finds it running unstopped
    // (an exit already under way has run the stop: the thread is stopped at once, and what is
    // handed to it is dropped).
    std::atexit(stopNetworkThread);
    {
      std::lock_guard lock(networkThreadLock);
      networkThread = new plat::Thread("HttpRequest network");
      if (networkThreadStopped) networkThread->stopAndJoin();
      networkThread->runLoop().perform([] {
        HttpMainThreadMailbox::setNetworkLoop(plat::RunLoop::current());
        // Whoever hands this thread work (the main thread starting a request) is about to wait
        // for the answer. As a batch thread it is not run the moment it is woken, ahead of the
        // waker, which would then be switched back in only to go to sleep: on a busy processor
        // that costs a context switch per request. Its share of the processor stays the same.
        sched_param unused{};
        sched_setscheduler(0, SCHED_BATCH, &unused);
      });
    }
    if (networkThreadStarted) networkThreadStarted();
  });
  return networkThread->runLoop();
}

void HttpRequest::setNetworkThreadStartedHook(void (*hook)()) {
  networkThreadStarted = hook;
}

// ---- Creating

HttpRequest::HttpRequest(const Url& url)
    : url_(url), timeOutSeconds_(defaultTimeOutSeconds()), downloadCache_(defaultCache()) {}

// Without the lock that the calls below otherwise run under: nothing else holds the request now.
HttpRequest::~HttpRequest() {
  authenticationNeeded_ = 0;  // so that stopping the stream also removes a temporary body file
  if (statusTimer_) statusTimer_->invalidate();
  cancelLoad();
  closePostBodyWriteStream();
  releaseBlocksOnMainThread();
}

std::shared_ptr<HttpRequest> HttpRequest::requestWithURL(const Url& url) {
  return make<HttpRequest>(url);
}

std::shared_ptr<HttpRequest> HttpRequest::requestWithURL(const std::string& url) {
  return requestWithURL(Url::parse(url).value_or(Url()));
}

std::shared_ptr<HttpRequest> HttpRequest::requestWithURL(const Url& url, HttpCacheDelegate* cache,
                                                         int cachePolicy) {
  auto request = requestWithURL(url);
  request->setDownloadCache(cache);
  request->setCachePolicy(cachePolicy);
  return request;
}

// What a HEAD request made for this one shares with it: how to reach the server and whom to ask.
void HttpRequest::copyExchangeSettingsInto(HttpRequest& other) const {
  other.requestHeaders_ = requestHeaders_;
  other.requestCookies_ = requestCookies_;
  other.useCookiePersistence_ = useCookiePersistence_;
  other.useKeychainPersistence_ = useKeychainPersistence_;
  other.useSessionPersistence_ = useSessionPersistence_;
  other.allowCompressedResponse_ = allowCompressedResponse_;
  other.username_ = username_;
  other.password_ = password_;
  other.domain_ = domain_;
  other.proxyUsername_ = proxyUsername_;
  other.proxyPassword_ = proxyPassword_;
  other.proxyDomain_ = proxyDomain_;
  other.proxyHost_ = proxyHost_;
  other.proxyPort_ = proxyPort_;
  other.proxyType_ = proxyType_;
  other.shouldPresentAuthenticationDialog_ = shouldPresentAuthenticationDialog_;
  other.shouldPresentProxyAuthenticationDialog_ = shouldPresentProxyAuthenticationDialog_;
  other.timeOutSeconds_ = timeOutSeconds_;
  other.useHTTPVersionOne_ = useHTTPVersionOne_;
  other.validatesSecureCertificate_ = validatesSecureCertificate_;
  other.clientCertificateIdentity_ = clientCertificateIdentity_;
  other.clientCertificates_ = clientCertificates_;
  other.PACurl_ = PACurl_;
  other.shouldPresentCredentialsBeforeChallenge_ = shouldPresentCredentialsBeforeChallenge_;
  other.numberOfTimesToRetryOnTimeout_ = numberOfTimesToRetryOnTimeout_;
  other.shouldAttemptPersistentConnection_ = shouldAttemptPersistentConnection_;
  other.persistentConnectionTimeoutSeconds_ = persistentConnectionTimeoutSeconds_;
}

void HttpRequest::copySettingsInto(HttpRequest& other) const {
  plat::LockGuard lock(cancelledLock_);
  copyExchangeSettingsInto(other);
  other.delegate_ = delegate_;
  other.delegateAnswers_ = delegateAnswers_;
  other.requestMethod_ = requestMethod_;
  other.postBody_ = postBody_ ? std::make_shared<Bytes>(*postBody_) : nullptr;
  other.shouldStreamPostDataFromDisk_ = shouldStreamPostDataFromDisk_;
  other.postBodyFilePath_ = postBodyFilePath_;
  other.postLength_ = postLength_;
  other.haveBuiltPostBody_ = haveBuiltPostBody_;
  other.downloadDestinationPath_ = downloadDestinationPath_;
  other.temporaryFileDownloadPath_ = temporaryFileDownloadPath_;
  other.uploadProgressDelegate_ = uploadProgressDelegate_;
  other.downloadProgressDelegate_ = downloadProgressDelegate_;
  other.didStartSelector_ = didStartSelector_;
  other.didFinishSelector_ = didFinishSelector_;
  other.didFailSelector_ = didFailSelector_;
  other.shouldResetUploadProgress_ = shouldResetUploadProgress_;
  other.shouldResetDownloadProgress_ = shouldResetDownloadProgress_;
  other.showAccurateProgress_ = showAccurateProgress_;
  other.defaultResponseEncoding_ = defaultResponseEncoding_;
  other.allowResumeForFileDownloads_ = allowResumeForFileDownloads_;
  other.maxResponseBytes_ = maxResponseBytes_;
  other.userInfo_ = userInfo_;
  other.tag_ = tag_;
  other.shouldRedirect_ = shouldRedirect_;
  other.authenticationScheme_ = authenticationScheme_;
}

std::shared_ptr<HttpRequest> HttpRequest::copy() const {
  auto other = make<HttpRequest>(url());
  copySettingsInto(*other);
  copyTemporaryBodyFileInto(*other);
  return other;
}

std::shared_ptr<HttpRequest> HttpRequest::HEADRequest() {
  std::shared_ptr<HttpRequest> head(new HttpRequest(url()));
  {
    plat::LockGuard lock(cancelledLock_);
    copyExchangeSettingsInto(*head);
    head->shouldUseRFC2616RedirectBehaviour_ = shouldUseRFC2616RedirectBehaviour_;
  }
  head->mainRequest_ = this;
  head->mainRequestRef_ = self();
  head->setRequestMethod("HEAD");
  return head;
}

// ---- Locked accessors

HttpRequest::Url HttpRequest::url() const {
  plat::LockGuard lock(cancelledLock_);
  return url_;
}

void HttpRequest::setURL(const Url& url) {
  plat::LockGuard lock(cancelledLock_);
  if (url == url_) return;
  url_ = url;
  request_.reset();
  redirectURL_ = Url();
}

HttpRequestDelegate* HttpRequest::delegate() const {
  plat::LockGuard lock(cancelledLock_);
  return delegate_;
}

void HttpRequest::setDelegate(HttpRequestDelegate* delegate) {
  plat::LockGuard lock(cancelledLock_);
  delegate_ = delegate;
  delegateAnswers_ = DelegateAnswers(delegate);
}

HttpNetworkQueue* HttpRequest::queue() const {
  plat::LockGuard lock(cancelledLock_);
  return queue_;
}

void HttpRequest::setQueue(HttpNetworkQueue* queue) {
  plat::LockGuard lock(cancelledLock_);
  queue_ = queue;
}

std::string HttpRequest::requestMethod() const {
  plat::LockGuard lock(cancelledLock_);
  return requestMethod_;
}

void HttpRequest::setRequestMethod(const std::string& method) {
  plat::LockGuard lock(cancelledLock_);
  if (method == requestMethod_) return;
  requestMethod_ = method;
  // Bodies never go out on a kept connection.
  if (method == "POST" || method == "PUT" || (postBody_ && !postBody_->empty()) ||
      !postBodyFilePath_.empty())
    shouldAttemptPersistentConnection_ = false;
}

HttpProgressDelegate* HttpRequest::uploadProgressDelegate() const {
  plat::LockGuard lock(cancelledLock_);
  return uploadProgressDelegate_;
}

void HttpRequest::setUploadProgressDelegate(HttpProgressDelegate* receiver) {
  plat::LockGuard lock(cancelledLock_);
  uploadProgressDelegate_ = receiver;
}

HttpProgressDelegate* HttpRequest::downloadProgressDelegate() const {
  plat::LockGuard lock(cancelledLock_);
  return downloadProgressDelegate_;
}

void HttpRequest::setDownloadProgressDelegate(HttpProgressDelegate* receiver) {
  plat::LockGuard lock(cancelledLock_);
  downloadProgressDelegate_ = receiver;
}

HttpErrorPtr HttpRequest::error() const {
  plat::LockGuard lock(cancelledLock_);
  return error_ ? error_ : setupError_;
}

#define HTTP_REQUEST_SETTER(Name, Type, field) \
  void HttpRequest::Name(Type value) {         \
    plat::LockGuard lock(cancelledLock_);      \
    field = std::move(value);                  \
  }
HTTP_REQUEST_SETTER(setDidStartSelector, RequestSelector, didStartSelector_)
HTTP_REQUEST_SETTER(setDidFinishSelector, RequestSelector, didFinishSelector_)
HTTP_REQUEST_SETTER(setDidFailSelector, RequestSelector, didFailSelector_)
HTTP_REQUEST_SETTER(setDidReceiveResponseHeadersSelector,
                    std::function<void(HttpRequest&, const HeaderMap&)>,
                    didReceiveResponseHeadersSelector_)
HTTP_REQUEST_SETTER(setWillRedirectSelector, std::function<void(HttpRequest&, const Url&)>,
                    willRedirectSelector_)
HTTP_REQUEST_SETTER(setDidReceiveDataSelector, std::function<void(HttpRequest&, const Bytes&)>,
                    didReceiveDataSelector_)
HTTP_REQUEST_SETTER(setStartedBlock, Block, startedBlock_)
HTTP_REQUEST_SETTER(setHeadersReceivedBlock, HeadersBlock, headersReceivedBlock_)
HTTP_REQUEST_SETTER(setCompletionBlock, Block, completionBlock_)
HTTP_REQUEST_SETTER(setFailedBlock, Block, failureBlock_)
HTTP_REQUEST_SETTER(setBytesReceivedBlock, ProgressBlock, bytesReceivedBlock_)
HTTP_REQUEST_SETTER(setBytesSentBlock, ProgressBlock, bytesSentBlock_)
HTTP_REQUEST_SETTER(setDownloadSizeIncrementedBlock, SizeBlock, downloadSizeIncrementedBlock_)
HTTP_REQUEST_SETTER(setUploadSizeIncrementedBlock, SizeBlock, uploadSizeIncrementedBlock_)
HTTP_REQUEST_SETTER(setDataReceivedBlock, DataBlock, dataReceivedBlock_)
HTTP_REQUEST_SETTER(setAuthenticationNeededBlock, Block, authenticationNeededBlock_)
HTTP_REQUEST_SETTER(setProxyAuthenticationNeededBlock, Block, proxyAuthenticationNeededBlock_)
HTTP_REQUEST_SETTER(setRequestRedirectedBlock, Block, requestRedirectedBlock_)
#undef HTTP_REQUEST_SETTER

// ---- Starting and running

void HttpRequest::startAsynchronous() {
  sharedQueue().addOperation(self());
}

void HttpRequest::start() {
  setExecuting(true);
  inProgress_ = true;
  plat::RunLoop& loop = threadForRequest(this);
  auto request = self();
  loop.perform([request] {
    HttpMainThreadMailbox::Turn turn;
    request->main();
  });
}

void HttpRequest::startSynchronous() {
  isSynchronous_ = true;
  runLoopMode_ = kHttpRequestRunLoopMode;
  inProgress_ = true;
  setExecuting(true);
  if (!isCancelled() && !complete_) {
    main();
    plat::RunLoop& loop = plat::RunLoop::current();
    // A redirect waiting for the owner's confirmation is not the end yet.
    auto failed = [this] {
      plat::LockGuard lock(cancelledLock_);
      return error_ != nullptr;
    };
    while (!complete_ || (needsRedirect_ && !failed())) {
      // One source at a time, so that `complete` is seen as soon as it is set.
      if (!loop.runMode(runLoopMode_, plat::Clock::current().now() + 1.0e10, true))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  inProgress_ = false;
}

void HttpRequest::performOnWorkingThread(std::function<void()> task) {
  plat::RunLoop* loop = workingLoop_.load();
  if (!loop) loop = &threadForRequest(this);
  auto request = self();
  loop->perform(
      [request, task = std::move(task)] {
        HttpMainThreadMailbox::Turn turn;
        task();
      },
      isSynchronous_ ? runLoopMode_ : plat::kCommonModes);
}

void HttpRequest::main() {
  auto keepAlive = self();
  plat::LockGuard lock(cancelledLock_);
  workingLoop_ = &plat::RunLoop::current();
  if (mainRequest_ && !mainRequestHold_) {
    mainRequestHold_ = mainRequestRef_.lock();
    if (!mainRequestHold_) {  // nothing left to measure for
      complete_ = true;
      markAsFinished();
      return;
    }
  }
  try {
    // A cancel made before this start may still be on its way here (a queue can start a request
    // between its owner's cancels): it takes effect now, before anything goes out.
    if (cancelRequested_ && !error_) cancelOnRequestThread();
    if (error_) {
      complete_ = true;
      markAsFinished();
      return;
    }
    complete_ = false;
    didUseCachedResponse_ = false;
    // Only HTTP goes out: a redirect to a file or another protocol is refused like a bad address.
    const std::string scheme = plat::http::lowercased(url_.scheme());
    if (url_.isEmpty() || (scheme != "http" && scheme != "https")) {
      failWithError(unableToCreateRequestError());
      return;
    }
    if (setupError_) {
      failWithError(setupError_);
      return;
    }
    if (!mainRequest_) buildPostBody();
    if (!error_ && setupError_) failWithError(setupError_);  // the body file could not be written
    if (error_) return;                                      // the body could not be built
    if (requestMethod_ != "GET") downloadCache_ = nullptr;

    plat::http::RequestMessage message;
    message.method = requestMethod_;
    message.url = url_;
    message.http10 = useHTTPVersionOne_;
    request_ = std::move(message);

    if (mainRequest_) mainRequest_->buildRequestHeaders();
    buildRequestHeaders();

    if (downloadCache_) {
      // The reply that redirected here says nothing of this address's stored copy.
      responseHeaders_.clear();
      haveResponseHeaders_ = false;
      if (cachePolicy_ == kUseCacheDefaultPolicy)
        cachePolicy_ = downloadCache_->defaultCachePolicy();
      if (downloadCache_->canUseCachedDataForRequest(*this)) {
        useDataFromCache();
        return;
      }
      if (cachePolicy_ & (kRevalidateWhenStale | kRevalidateAlways)) {
        if (auto cached = downloadCache_->cachedResponseHeadersForURL(url_)) {
          if (auto etag = cached->get("Etag")) addRequestHeader("If-None-Match", *etag);
          if (auto modified = cached->get("Last-Modified"))
            addRequestHeader("If-Modified-Since", *modified);
        }
      }
    }

    applyAuthorizationHeader();
    for (const auto& [name, value] : requestHeaders_) request_->headers.set(name, value);
    if (configureProxies()) startRequest();  // else it starts when the proxy script is done
  } catch (const plat::NamedException& e) {
    auto underlying = HttpError::make(kHttpExceptionWhileStarting, e.name());
    failWithError(std::make_shared<const HttpError>(
        kHttpRequestErrorDomain, kHttpExceptionWhileStarting, e.name(), e.reason(), underlying));
  } catch (const std::exception& e) {
    auto underlying = HttpError::make(kHttpExceptionWhileStarting, "std::exception");
    failWithError(std::make_shared<const HttpError>(kHttpRequestErrorDomain,
                                                    kHttpExceptionWhileStarting, "std::exception",
                                                    e.what(), underlying));
  }
}

// ---- Stopping

void HttpRequest::cancel() {
  cancelRequested_ = true;
  auto request = self();
  performOnWorkingThread([request] { request->cancelOnRequestThread(); });
}

void HttpRequest::cancelOnRequestThread() {
  auto keepAlive = self();
  plat::LockGuard lock(cancelledLock_);
  // A response that ended in a redirect or a login waiting for the owner's word is not over yet:
  // cancelling it must end it, or it would wait (and hold its queue) for ever.
  const bool awaitingOwner = (needsRedirect_ || authenticationNeeded_) && !error_;
  if ((complete_ && !awaitingOwner) || isCancelled()) return;
  needsRedirect_ = false;
  failWithError(requestCancelledError());
  complete_ = true;
  cancelLoad();
  cancelled_ = true;
  // The queue lets a request that never started finish now.
  plat::Operation::cancel();
  if (sharedQueue_) sharedQueue_->requestCancelled();
}

void HttpRequest::clearDelegatesAndCancel() {
  {
    plat::LockGuard lock(cancelledLock_);
    delegate_ = nullptr;
    delegateAnswers_ = DelegateAnswers();
    queue_ = nullptr;
    uploadProgressDelegate_ = nullptr;
    downloadProgressDelegate_ = nullptr;
    didStartSelector_ = nullptr;
    didFinishSelector_ = nullptr;
    didFailSelector_ = nullptr;
    didReceiveResponseHeadersSelector_ = nullptr;
    willRedirectSelector_ = nullptr;
    didReceiveDataSelector_ = nullptr;
    releaseBlocksOnMainThread();
  }
  cancel();
}

void HttpRequest::releaseBlocksOnMainThread() {
  struct Blocks {
    Block a, b, c, d, e, f;
    HeadersBlock headers;
    ProgressBlock received, sent;
    SizeBlock downloadSize, uploadSize;
    DataBlock data;
  };
  auto blocks = std::make_shared<Blocks>(
      Blocks{std::move(startedBlock_), std::move(completionBlock_), std::move(failureBlock_),
             std::move(authenticationNeededBlock_), std::move(proxyAuthenticationNeededBlock_),
             std::move(requestRedirectedBlock_), std::move(headersReceivedBlock_),
             std::move(bytesReceivedBlock_), std::move(bytesSentBlock_),
             std::move(downloadSizeIncrementedBlock_), std::move(uploadSizeIncrementedBlock_),
             std::move(dataReceivedBlock_)});
  startedBlock_ = completionBlock_ = failureBlock_ = nullptr;
  authenticationNeededBlock_ = proxyAuthenticationNeededBlock_ = requestRedirectedBlock_ = nullptr;
  headersReceivedBlock_ = nullptr;
  bytesReceivedBlock_ = bytesSentBlock_ = nullptr;
  downloadSizeIncrementedBlock_ = uploadSizeIncrementedBlock_ = nullptr;
  dataReceivedBlock_ = nullptr;
  // What the blocks captured is let go of on the main thread.
  const Blocks& b = *blocks;
  const bool any = b.a || b.b || b.c || b.d || b.e || b.f || b.headers || b.received || b.sent ||
                   b.downloadSize || b.uploadSize || b.data;
  if (any && !plat::RunLoop::isMainThread())
    HttpMainThreadMailbox::post([blocks] {}, Urgency::MayWait);
}

// ---- Failing and finishing

void HttpRequest::failWithError(const HttpErrorPtr& theError) {
  complete_ = true;
  if (theError->code() != kHttpAuthenticationFailure && theError->code() != kHttpTooManyRedirects) {
    releaseConnectionRecord();
    destroyReadStream();
  }
  if (isCancelled() || error_) return;
  if (downloadCache_ && (cachePolicy_ & kFallbackToCacheOnFailure) &&
      downloadCache_->canUseCachedDataForRequest(*this)) {
    useDataFromCache();
    return;
  }
  error_ = theError;
  // A HEAD request's failure is its main request's, when that is still there (a cancel can reach
  // a HEAD request that has not started, and so holds nothing yet).
  std::shared_ptr<HttpRequest> target = self();
  if (mainRequest_) target = mainRequestHold_ ? mainRequestHold_ : mainRequestRef_.lock();
  if (target && target.get() != this) {
    plat::LockGuard lock(target->cancelledLock_);
    target->error_ = theError;
  }
  if (target) target->onMainThread([target] { target->reportFailure(); }, Urgency::WakeNow);
  if (inProgress_) markAsFinished();
}

void HttpRequest::markAsFinished() {
  auto keepAlive = self();
  // Let go of the main request outside every lock held now (its own, in an answer from the cache):
  // this may be the last hold on it.
  if (mainRequestHold_) plat::RunLoop::current().perform([held = std::move(mainRequestHold_)] {});
  request_.reset();
  inProgress_ = false;
  plat::Operation::finish();
  if (sharedQueue_) sharedQueue_->requestFinished(this);
}

void HttpRequest::cancelLoad() {
  cancelPACWork();
  destroyReadStream();
  if (!temporaryFileDownloadPath_.empty() || !temporaryUncompressedDataDownloadPath_.empty()) {
    if (fileDownloadOutputStream_) fclose(fileDownloadOutputStream_);
    if (inflatedFileDownloadOutputStream_) fclose(inflatedFileDownloadOutputStream_);
    fileDownloadOutputStream_ = inflatedFileDownloadOutputStream_ = nullptr;
    if (!complete_) {
      if (!allowResumeForFileDownloads_) removeTemporaryDownloadFile();
      removeTemporaryUncompressedDownloadFile();
    }
  } else if (!complete_ && downloadDestinationPath_.empty()) {
    rawResponseData_.reset();
  }
  if (!authenticationNeeded_ && !willRetryRequest_ && didCreateTemporaryPostDataFile_) {
    removeTemporaryUploadFile();
    removeTemporaryCompressedUploadFile();
    didCreateTemporaryPostDataFile_ = false;
  }
}

// ---- Files

bool HttpRequest::removeFileAtPath(const std::string& path, HttpErrorPtr* error) {
  if (!plat::files::exists(path)) return true;
  if (::unlink(path.c_str()) == 0) return true;
  if (error) {
    auto underlying = std::make_shared<const HttpError>("PosixErrorDomain", errno, strerror(errno));
    *error = HttpError::make(kHttpFileHandlingFailure,
                             "Failed to delete file at path '" + path + "'", underlying);
  }
  return false;
}

// Removes the file at `path` (a field of the request), failing the request when it can't.
bool HttpRequest::removeTemporaryFile(std::string& path) {
  if (path.empty()) return true;
  HttpErrorPtr error;
  const bool removed = removeFileAtPath(path, &error);
  if (!removed) failWithError(error);
  path.clear();
  return removed;
}

bool HttpRequest::removeTemporaryDownloadFile() {
  return removeTemporaryFile(temporaryFileDownloadPath_);
}
bool HttpRequest::removeTemporaryUncompressedDownloadFile() {
  return removeTemporaryFile(temporaryUncompressedDataDownloadPath_);
}
bool HttpRequest::removeTemporaryUploadFile() {
  return removeTemporaryFile(postBodyFilePath_);
}
bool HttpRequest::removeTemporaryCompressedUploadFile() {
  return removeTemporaryFile(compressedPostBodyFilePath_);
}

std::optional<std::string> HttpRequest::mimeTypeForFileAtPath(const std::string& path) {
  if (!plat::files::exists(path)) return std::nullopt;
  return plat::http::mimeTypeForExtension(plat::files::pathExtension(path))
      .value_or("application/octet-stream");
}

// ---- Results

bool HttpRequest::isResponseCompressed() const {
  const std::string* encoding = responseHeaders_.find("Content-Encoding");
  return encoding && encoding->find("gzip") != std::string::npos;
}

std::optional<HttpRequest::Bytes> HttpRequest::responseData() const {
  if (isResponseCompressed() && shouldWaitToInflateCompressedResponses_) {
    if (!rawResponseData_) return std::nullopt;
    HttpErrorPtr ignored;
    return HttpDataDecompressor::uncompressData(*rawResponseData_, &ignored, maxResponseBytes_);
  }
  return rawResponseData_;
}

std::optional<std::string> HttpRequest::responseString() const {
  auto data = responseData();
  if (!data) {
    // An empty compressed body inflates to nothing, which still reads as an empty text.
    if (rawResponseData_ && rawResponseData_->empty()) return std::string();
    return std::nullopt;
  }
  std::string_view bytes(reinterpret_cast<const char*>(data->data()), data->size());
  const std::string& encoding =
      responseEncoding_.empty() ? defaultResponseEncoding_ : responseEncoding_;
  return plat::charset::toUtf8(bytes, encoding);
}
