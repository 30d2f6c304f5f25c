// One attempt of the exchange on the wire: opening the stream on a kept or new connection, the
// stream's events, response headers and body, the end, redirects, time-outs and retries.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "net/HttpInputStream.h"
#include "net/HttpNetworkQueue.h"
#include "net/HttpRequest.h"
#include "net/HttpRequestShared.h"
#include "platform/base/AppHome.h"
#include "platform/base/Charset.h"
#include "platform/base/Clock.h"
#include "platform/base/Files.h"
#include "platform/base/Mutex.h"
#include "platform/http/CookieStore.h"
#include "platform/http/ResponseBuffer.h"

using plat::http::HttpStream;

namespace {

double now() {
  return plat::Clock::current().now();
}

bool sameOrigin(const plat::http::Url& a, const plat::http::Url& b) {
  return a.scheme() == b.scheme() && a.host() == b.host() && a.effectivePort() == b.effectivePort();
}

// The whole number after `key` in a "Keep-Alive" value, letter case ignored; 0 when missing.
int keepAliveNumber(const std::string& lowerValue, const std::string& key, size_t from = 0) {
  size_t at = lowerValue.find(key, from);
  if (at == std::string::npos) return 0;
  at += key.size();
  while (at < lowerValue.size() && lowerValue[at] == ' ') ++at;
  return std::atoi(lowerValue.c_str() + at);
}

// 8 KB of deflated data inflate to 8 MB at most.
constexpr size_t kInflatingReadLength = 8192;

}  // namespace

// ---- Opening the stream

void HttpRequest::startRequest() {
  if (isCancelled()) return;
  requestStarted();
  downloadComplete_ = false;
  complete_ = false;
  totalBytesRead_ = 0;
  lastBytesRead_ = 0;
  if (redirectCount_ == 0) originalURL_ = url_;
  if ((uploadBytesReported_ != 0 || uploadSizeAdded_ != 0) && !uploadSettled_)
    removeUploadProgressSoFar();
  if (downloadBytesReported_ > 0 || downloadSizeAdded_ > 0) removeDownloadProgressSoFar();
  // Units an earlier attempt reported were taken back just now (or stay settled): this attempt
  // reports its own.
  updatedProgress_ = false;
  lastBytesSent_ = 0;
  totalBytesSent_ = 0;
  contentLength_ = 0;
  responseHeaders_.clear();
  haveResponseHeaders_ = false;
  if (downloadDestinationPath_.empty()) rawResponseData_ = Bytes();
  readStreamIsScheduled_ = false;

  std::unique_ptr<plat::http::BodySource> body;
  if (shouldStreamPostDataFromDisk_ && !postBodyFilePath_.empty() &&
      plat::files::exists(postBodyFilePath_)) {
    const bool compressed =
        !compressedPostBodyFilePath_.empty() && plat::files::exists(compressedPostBodyFilePath_);
    body = HttpInputStream::inputStreamWithFileAtPath(
        compressed ? compressedPostBodyFilePath_ : postBodyFilePath_, self());
  } else if (postBody_ && !postBody_->empty()) {
    body = HttpInputStream::inputStreamWithData(
        shouldCompressRequestBody_ && compressedPostBody_ ? compressedPostBody_ : postBody_,
        self());
  }
  if (!request_) {
    failWithError(HttpError::make(kHttpUnableToSetUpRequest, "Unable to create read stream"));
    return;
  }
  readStream_ = HttpStream::create(*request_, std::move(body));
  // Under a bandwidth limit the connection is read no further ahead than one read's share of the
  // budget (handleBytesAvailable): a stream left to read ahead would take a whole buffer at once.
  if (isBandwidthThrottled())
    readStream_->setReadLimit(
        static_cast<size_t>(std::max<uint64_t>(1, maxBandwidthPerSecond() / 4)));

  if (plat::http::lowercased(url_.scheme()) == "https" && !validatesSecureCertificate_)
    readStream_->setValidatesCertificate(false);
  if (plat::http::lowercased(url_.scheme()) == "https" && clientCertificateIdentity_)
    readStream_->setClientCertificate({clientCertificateIdentity_, clientCertificates_});
  if (!proxyHost_.empty() && proxyPort_ != 0) {
    if (proxyType_.empty()) proxyType_ = "HTTP";
    plat::http::ProxyServer proxy;
    proxy.type = proxyType_ == "SOCKS" ? plat::http::ProxyServer::Type::Socks
                                       : plat::http::ProxyServer::Type::Http;
    proxy.host = proxyHost_;
    proxy.port = proxyPort_;
    readStream_->setProxy(proxy);
  }

  attachConnection();

  if (!readStreamIsScheduled_) scheduleReadStream();
  std::weak_ptr<HttpRequest> weak = self();
  readStream_->setClient([weak](HttpStream::Event event) {
    if (auto request = weak.lock()) request->handleNetworkEvent(event);
  });
  if (!readStream_->open()) {
    connectionCanBeReused_ = false;
    destroyReadStream();
    failWithError(HttpError::make(kHttpUnableToSetUpRequest, "Unable to start HTTP connection"));
    return;
  }

  if (!mainRequest_) {
    if (shouldResetUploadProgress_ && !uploadSettled_) {
      const int64_t size = showAccurateProgress_ ? static_cast<int64_t>(postLength_) : 1;
      incrementUploadSizeBy(size);
      uploadSizeAdded_ += size;
      updateProgressIndicator(Receiver::UploadDelegate, 0, 1);
    }
    if (shouldResetDownloadProgress_ && partialDownloadSize_ == 0)
      updateProgressIndicator(Receiver::DownloadDelegate, 0, 1);
  }
  lastActivityTime_ = now();
  if (statusTimer_) statusTimer_->invalidate();
  statusTimer_ = plat::Timer::scheduled(
      0.25, true,
      [weak](plat::Timer&) {
        if (auto request = weak.lock()) request->updateStatus();
      },
      runLoopMode_);
}

// Takes a kept connection to the same host, scheme and port when one is idle, else files a new
// one; requests with bodies (and URLs without host or scheme) take none.
void HttpRequest::attachConnection() {
  HttpRequestShared& shared = HttpRequestShared::get();
  plat::LockGuard lock(shared.connectionsLock);
  expirePersistentConnections();
  if (url_.host().empty() || url_.scheme().empty()) {
    connectionInfo_.reset();
    shouldAttemptPersistentConnection_ = false;
  }
  if (!shouldAttemptPersistentConnection_ && !handshakeHoldsConnection()) return;

  auto& pool = shared.persistentConnectionsPool;
  const int port = url_.port().value_or(0);
  if (connectionInfo_) {
    auto& record = connectionInfo_;
    const bool expired = record->expires <= now() && !record->request;
    if (record->host != url_.host() || record->scheme != url_.scheme() || record->port != port ||
        expired || record->request) {
      if (expired) std::erase(pool, record);
      connectionInfo_.reset();
    }
  }
  if (!connectionInfo_) {
    for (auto it = pool.rbegin(); it != pool.rend(); ++it) {
      const auto& record = *it;
      if (!record->request && record->host == url_.host() && record->scheme == url_.scheme() &&
          record->port == port) {
        connectionInfo_ = record;
        break;
      }
    }
  }
  if (!connectionInfo_) {
    auto record = std::make_shared<HttpConnectionRecord>();
    record->id = ++shared.nextConnectionNumberToCreate;
    record->host = url_.host();
    record->port = port;
    record->scheme = url_.scheme();
    pool.push_back(record);
    connectionInfo_ = record;
  }
  if (!requestID_) requestID_ = ++shared.nextRequestID;
  connectionInfo_->request = requestID_;
  readStream_->setPersistentConnectionId(connectionInfo_->id);
  // One record serves every login: the stream keeps the connections of each login apart.
  readStream_->setConnectionLogin(connectionLogin());
}

void HttpRequest::expirePersistentConnections() {
  HttpRequestShared& shared = HttpRequestShared::get();
  plat::LockGuard lock(shared.connectionsLock);
  const double time = now();
  std::erase_if(shared.persistentConnectionsPool, [time](const auto& record) {
    if (record->request || record->expires > time) return false;
    plat::http::closeIdleConnections(record->id);
    return true;
  });
}

// The request lets go of its connection record, which leaves the pool: the connection is not
// reused.
void HttpRequest::releaseConnectionRecord() {
  HttpRequestShared& shared = HttpRequestShared::get();
  plat::LockGuard lock(shared.connectionsLock);
  if (!connectionInfo_) return;
  connectionInfo_->request.reset();
  std::erase(shared.persistentConnectionsPool, connectionInfo_);
  plat::http::closeIdleConnections(connectionInfo_->id);
  connectionInfo_.reset();
}

void HttpRequest::scheduleReadStream() {
  if (!readStream_ || readStreamIsScheduled_) return;
  HttpRequestShared& shared = HttpRequestShared::get();
  {
    plat::LockGuard lock(shared.connectionsLock);
    ++shared.runningRequestCount;
    if (shared.shouldUpdateNetworkActivityIndicator) showNetworkActivityIndicator();
  }
  lastActivityTime_ = now();
  readStream_->schedule(plat::RunLoop::current(), runLoopMode_);
  readStreamIsScheduled_ = true;
}

void HttpRequest::unscheduleReadStream() {
  if (!readStream_ || !readStreamIsScheduled_) return;
  HttpRequestShared& shared = HttpRequestShared::get();
  {
    plat::LockGuard lock(shared.connectionsLock);
    if (shared.runningRequestCount > 0) --shared.runningRequestCount;
    if (shared.shouldUpdateNetworkActivityIndicator && shared.runningRequestCount == 0)
      HttpMainThreadMailbox::post([] { hideNetworkActivityIndicatorAfterDelay(); },
                                  Urgency::MayWait);
  }
  readStream_->unschedule();
  readStreamIsScheduled_ = false;
}

void HttpRequest::destroyReadStream() {
  if (!readStream_) return;
  unscheduleReadStream();
  if (!connectionCanBeReused_) {
    readStream_->forbidConnectionReuse();
    readStream_->close();
  }
  readStream_->setClient(nullptr);
  readStream_.reset();
}

// ---- Stream events

void HttpRequest::handleNetworkEvent(HttpStream::Event event) {
  HttpMainThreadMailbox::Turn turn;
  auto keepAlive = self();
  {
    plat::LockGuard lock(cancelledLock_);
    if (complete_ || isCancelled()) return;
    switch (event) {
      case HttpStream::kEventBytesAvailable:
        handleBytesAvailable();
        break;
      case HttpStream::kEventErrorOccurred:
        handleStreamError();
        break;
      case HttpStream::kEventEndEncountered:
        handleStreamComplete();
        break;
    }
    performThrottling();
  }
  if (downloadComplete_ && needsRedirect_) {
    if (!willAskDelegateToConfirmRedirect()) performRedirect();
  } else if (downloadComplete_ && authenticationNeeded_) {
    attemptToApplyCredentialsAndResume();
  }
}

void HttpRequest::readResponseHeaders() {
  authenticationNeeded_ = 0;
  const plat::http::ResponseHead* head = readStream_ ? readStream_->responseHead() : nullptr;
  if (!head) return;
  responseHeaders_ = head->headers;
  haveResponseHeaders_ = true;
  responseStatusCode_ = head->statusCode;
  responseStatusMessage_ = head->statusLine;

  if (downloadCache_ && downloadCache_->canUseCachedDataForRequest(*this)) {
    downloadCache_->updateExpiryForRequest(*this, secondsToCache_);
    useDataFromCache();
    return;
  }
  if (responseStatusCode_ == 401) authenticationNeeded_ = 1;
  if (responseStatusCode_ == 407) authenticationNeeded_ = 2;
  saveLoginsLetIn();
  endHandshakesLetIn();

  std::string mimeType, encoding;
  parseMimeType(&mimeType, &encoding, responseHeaders_.value("Content-Type"));
  responseEncoding_ = encoding.empty() ? defaultResponseEncoding_ : encoding;

  responseCookies_ = Cookie::parseSetCookieValues(head->setCookieValues, url_, now());
  if (useCookiePersistence_ && !responseCookies_.empty()) {
    plat::http::CookieStore::shared().setCookies(responseCookies_);
    for (const Cookie& cookie : responseCookies_) addSessionCookie(cookie);
  }

  if (!willRedirect()) {
    if (!authenticationNeeded_ && !decideResumedRange()) return;
    HttpRequest& target = mainRequest_ ? *mainRequest_ : *this;
    // A HEAD request asked for a login tells the size once it is let in.
    const bool awaitsLogin = mainRequest_ && authenticationNeeded_;
    const std::string* lengthText = awaitsLogin ? nullptr : responseHeaders_.find("Content-Length");
    if (lengthText) {
      const uint64_t length = std::strtoull(lengthText->c_str(), nullptr, 10);
      // A HEAD answer of gzip's 20 bytes of nothing, of no length at all, or of a refusal's page
      // says nothing of the body's size: counted as that, the main request's progress would go
      // far past its end.
      const bool sizeUnknown = length == 0 || (length == 20 && allowCompressedResponse_) ||
                               responseStatusCode_ < 200 || responseStatusCode_ >= 300;
      if (mainRequest_ && sizeUnknown && showAccurateProgress_ && shouldResetDownloadProgress_) {
        mainRequest_->showAccurateProgress_ = false;
        mainRequest_->incrementDownloadSizeBy(1);
      } else {
        target.contentLength_ = length;
        if (showAccurateProgress_ && shouldResetDownloadProgress_) {
          target.incrementDownloadSizeBy(static_cast<int64_t>(length + partialDownloadSize_));
          if (!mainRequest_) downloadSizeAdded_ = length + partialDownloadSize_;
        }
      }
    } else if (!awaitsLogin && showAccurateProgress_ && shouldResetDownloadProgress_) {
      target.showAccurateProgress_ = false;
      target.incrementDownloadSizeBy(1);
    }
    if (!mainRequest_ && overResponseCeiling(contentLength_)) {
      failAsTooLarge();
      return;
    }
    // The announced size, room for it at once (up to 1 GiB: a lying server gets no more).
    if (!mainRequest_ && downloadDestinationPath_.empty() && rawResponseData_ &&
        contentLength_ > 0 && contentLength_ <= (uint64_t{1} << 30)) {
      rawResponseData_->reserve(contentLength_);
      plat::http::adviseLargeBuffer(rawResponseData_->data(), rawResponseData_->capacity());
    }
  }

  decideConnectionReuse();
  requestReceivedResponseHeaders(responseHeaders_);
}

void HttpRequest::decideConnectionReuse() {
  if (!shouldAttemptPersistentConnection_ && !handshakeHoldsConnection()) return;
  connectionCanBeReused_ = false;
  const std::string connection = plat::http::lowercased(responseHeaders_.value("Connection"));
  const bool http10 = readStream_ && readStream_->responseHead() &&
                      readStream_->responseHead()->httpVersion == "HTTP/1.0";
  if ((http10 && connection != "keep-alive") || connection == "close") return;
  if (responseStatusCode_ == 101) return;  // the connection now speaks another protocol
  if (const std::string* keepAlive = responseHeaders_.find("Keep-Alive")) {
    std::string value = plat::http::lowercased(*keepAlive);
    int timeout = keepAliveNumber(value, "timeout=");
    size_t timeoutAt = value.find("timeout=");
    int max = keepAliveNumber(value, "max=", timeoutAt == std::string::npos ? 0 : timeoutAt);
    if (max > 5) {
      connectionCanBeReused_ = true;
      persistentConnectionTimeoutSeconds_ = timeout;
    }
  } else {
    connectionCanBeReused_ = true;
  }
  if (!connectionCanBeReused_ && readStream_) readStream_->forbidConnectionReuse();
}

void HttpRequest::parseMimeType(std::string* mimeType, std::string* encoding,
                                const std::string& contentType) {
  if (contentType.empty()) return;
  auto trim = [](std::string text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return std::string();
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
  };
  size_t semicolon = contentType.find(';');
  if (semicolon == 0 || semicolon == std::string::npos) {
    if (mimeType) *mimeType = trim(contentType);
    return;
  }
  if (mimeType) *mimeType = trim(contentType.substr(0, semicolon));
  std::string lower = plat::http::lowercased(contentType);
  size_t charset = lower.find("charset=", semicolon);
  if (charset == std::string::npos) return;
  std::string name = contentType.substr(charset + 8);
  name.erase(0, name.find_first_not_of(" \t"));
  name = trim(name.substr(0, name.find(';')));
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
    name = name.substr(1, name.size() - 2);
  if (encoding && !name.empty() && plat::charset::isKnown(name)) *encoding = name;
}

void HttpRequest::handleBytesAvailable() {
  if (!haveResponseHeaders_) readResponseHeaders();
  if (complete_ || !readStream_ || !readStream_->hasBytesAvailable()) return;
  // Not reading makes the stream wait until resumeHandOver() reads again.
  if (delegateTakesData() && handOverIsFull()) return;

  size_t bufferSize = 16384;
  if (contentLength_ > 262144) {
    bufferSize = 262144;
  } else if (contentLength_ > 65536) {
    bufferSize = 65536;
  }
  // A body inflated on the way may grow a thousandfold in one read, all of it under this
  // request's lock, which the reports on their way to the window take too: small reads keep each
  // turn short, even for a body that inflates to its ceiling.
  if (isResponseCompressed() && !shouldWaitToInflateCompressedResponses_)
    bufferSize = std::min(bufferSize, kInflatingReadLength);
  // Under a bandwidth limit a read takes no more than the budget: the stream offers bytes many
  // times a turn, before the pause that an overspent window asks for can take effect. A spent
  // budget reads nothing: the pause follows, and reading goes on in the next window.
  if (isBandwidthThrottled()) {
    const uint64_t budget = maxUploadReadLength();
    if (budget == 0) {
      readWaitsForBudget_ = true;
      return;
    }
    bufferSize = std::min<size_t>(budget, bufferSize);
  }
  thread_local Bytes buffer(262144);
  const ssize_t count = readStream_->read(buffer.data(), bufferSize);
  if (count < 0) {
    handleStreamError();
    return;
  }
  if (count == 0) return;
  const size_t length = static_cast<size_t>(count);

  std::optional<Bytes> inflated;
  if (isResponseCompressed() && !shouldWaitToInflateCompressedResponses_) {
    if (!dataDecompressor_) {
      dataDecompressor_ = HttpDataDecompressor::decompressor();
      dataDecompressor_->setOutputLimit(maxResponseBytes_);
      if (appendsToPartialDownload_ && !inflatePartialDownload()) return;
    }
    HttpErrorPtr inflateError;
    inflated = dataDecompressor_->uncompressBytes(buffer.data(), length, &inflateError);
    if (inflateError) {
      failInflatingDownload(inflateError);
      return;
    }
    if (!inflated) inflated = Bytes();
  }

  totalBytesRead_ += length;
  if (overResponseCeiling(totalBytesRead_)) {
    failAsTooLarge();
    return;
  }
  lastActivityTime_ = now();
  incrementBandwidthUsedInLastSecond(length);

  if (needsRedirect_ && shouldRedirect_ && allowResumeForFileDownloads_) return;
  // The page of a redirect or of a login question is not the body asked for: written to the file,
  // it would take the place of whatever the destination held, even when the request then fails;
  // handed to an owner that takes the body itself, it would come before the body's own bytes.
  const bool takesData = delegateTakesData();
  if ((needsRedirect_ || authenticationNeeded_) && (!downloadDestinationPath_.empty() || takesData))
    return;
  if (takesData) {
    passOnReceivedData(inflated ? std::move(*inflated)
                                : Bytes(buffer.begin(), buffer.begin() + length));
    return;
  }
  if (downloadDestinationPath_.empty()) {
    if (!rawResponseData_) rawResponseData_ = Bytes();
    if (inflated) {
      rawResponseData_->insert(rawResponseData_->end(), inflated->begin(), inflated->end());
    } else {
      rawResponseData_->insert(rawResponseData_->end(), buffer.begin(), buffer.begin() + length);
    }
    return;
  }
  writeToDownloadFile(buffer.data(), length, inflated ? &*inflated : nullptr);
}

void HttpRequest::handleStreamComplete() {
  if (statusTimer_) statusTimer_->invalidate();
  downloadComplete_ = true;
  if (!haveResponseHeaders_) readResponseHeaders();
  if (error_) return;  // the headers alone failed it
  // A body inflated on the way whose gzip stream stopped short was cut off, whatever its framing
  // said (a connection closed early ends a body framed by the close).
  if (dataDecompressor_ && !dataDecompressor_->streamEnded() && !needsRedirect_ &&
      !authenticationNeeded_) {
    failInflatingDownload(HttpDataDecompressor::truncatedStreamError());
    return;
  }

  HttpRequestShared& shared = HttpRequestShared::get();
  {
    // The counts only: nothing that takes another lock runs under this one.
    plat::LockGuard progress(shared.progressLock);
    lastBytesSent_ = totalBytesSent_;
    if (readStream_) totalBytesSent_ = readStream_->bodyBytesWritten();
    complete_ = true;
    if (contentLength_ == 0) contentLength_ = totalBytesRead_;
  }
  updateProgressIndicators();
  dataDecompressor_.reset();
  // A redirect that keeps the method (307) sends the body again.
  if (didCreateTemporaryPostDataFile_ && !authenticationNeeded_ && !needsRedirect_) {
    removeTemporaryUploadFile();
    removeTemporaryCompressedUploadFile();
  }
  HttpErrorPtr fileError;
  if (!temporaryFileDownloadPath_.empty()) fileError = finishDownloadFile();
  if (downloadCache_ && !didUseCachedResponse_)
    downloadCache_->storeResponseForRequest(*this, secondsToCache_);
  {
    plat::LockGuard lock(shared.connectionsLock);
    if (!connectionCanBeReused_) unscheduleReadStream();
    if (connectionInfo_) {
      connectionInfo_->request.reset();
      connectionInfo_->expires = now() + persistentConnectionTimeoutSeconds_;
    }
  }
  if (!authenticationNeeded_) destroyReadStream();
  if (!needsRedirect_ && !authenticationNeeded_ && !didUseCachedResponse_) {
    if (fileError) {
      failWithError(fileError);
    } else {
      requestFinished();
    }
    markAsFinished();
  }
}

void HttpRequest::failAsTooLarge() {
  connectionCanBeReused_ = false;
  cancelLoad();
  failWithError(HttpError::make(
      kHttpConnectionFailure,
      "The response is larger than " + std::to_string(maxResponseBytes_) + " bytes"));
}

void HttpRequest::handleStreamError() {
  // A proxy that refused an earlier try and then opened its tunnel let the login in: its refusal
  // is no longer this request's answer, whatever fails beyond it.
  if (readStream_ && readStream_->tunnelOpened() && !haveResponseHeaders_) {
    responseStatusCode_ = 0;
    responseStatusMessage_.clear();
    authenticationNeeded_ = 0;
  }
  // A head that came with a framing error in the same read still tells what the server said.
  if (!haveResponseHeaders_ && readStream_ && readStream_->responseHead()) {
    const plat::http::ResponseHead& head = *readStream_->responseHead();
    responseHeaders_ = head.headers;
    responseStatusCode_ = head.statusCode;
    responseStatusMessage_ = head.statusLine;
    haveResponseHeaders_ = true;
  }
  const plat::http::StreamError streamError =
      readStream_ ? readStream_->error() : plat::http::StreamError::posix(ENOTCONN);
  if (error_) {
    cancelLoad();
  } else {
    using Domain = plat::http::StreamError::Domain;
    const bool dropped = (streamError.domain == Domain::Posix &&
                          (streamError.code == ENOTCONN || streamError.code == EPIPE)) ||
                         (streamError.domain == Domain::Network &&
                          streamError.code == plat::http::kNetworkConnectionLost);
    // Only a kept connection may have gone stale before this request: a fresh one that drops it
    // may already have carried it out, and sending it again could repeat a payment or a post.
    // An NTLM answer whose connection is gone was sent nowhere: the login starts over.
    const bool challengeGone = streamError.domain == Domain::Network &&
                               streamError.code == plat::http::kNetworkChallengedConnectionGone;
    if (((dropped && readStream_ && readStream_->reusedConnection()) || challengeGone) &&
        retryUsingNewConnection())
      return;
    std::string description = "A connection failure occurred";
    if (streamError.domain == Domain::Tls) {
      description +=
          ": SSL problem (Possible causes may include a bad/expired/self-signed "
          "certificate, clock set to wrong date)";
    }
    auto underlying = std::make_shared<const HttpError>(streamError.domainName(), streamError.code,
                                                        streamError.message);
    cancelLoad();
    failWithError(HttpError::make(kHttpConnectionFailure, description, underlying));
  }
  checkRequestStatus();
}

bool HttpRequest::retryUsingNewConnection() {
  if (retryCount_ != 0) return false;
  willRetryRequest_ = true;
  cancelLoad();
  willRetryRequest_ = false;
  releaseConnectionRecord();
  ++retryCount_;
  restartConnectionBoundHandshakes();
  startRequest();
  return true;
}

// ---- Redirects

bool HttpRequest::willRedirect() {
  const std::string* location = responseHeaders_.find("Location");
  const int status = responseStatusCode_;
  if (!shouldRedirect_ || !location ||
      (status != 301 && status != 302 && status != 303 && status != 307))
    return false;
  requestRedirected();

  const Url current = url_;
  auto target = Url::resolve(*location, current);
  if (status == 303 || ((status == 301 || status == 302) && !shouldUseRFC2616RedirectBehaviour_)) {
    // A HEAD request asks the next address for the head alone too, not for the whole body.
    if (requestMethod_ != "HEAD") setRequestMethod("GET");
    settleUploadOfDroppedBody();
    postBody_.reset();
    postLength_ = 0;
    // A body from a file goes no further than a body in memory.
    shouldStreamPostDataFromDisk_ = false;
    if (!didCreateTemporaryPostDataFile_) postBodyFilePath_.clear();
    HeaderMap kept;
    if (auto agent = requestHeaders_.get("User-Agent")) kept.set("User-Agent", *agent);
    if (auto accept = requestHeaders_.get("Accept")) kept.set("Accept", *accept);
    requestHeaders_ = kept;
    haveBuiltRequestHeaders_ = false;
  } else if (target && !sameOrigin(current, *target)) {
    // Another host, scheme or port gets only its own cookies and none of the credentials.
    requestHeaders_.remove("Authorization");
    requestHeaders_.remove("Proxy-Authorization");
    requestHeaders_.remove("Cookie");
    if (useCookiePersistence_) {
      std::string header;
      for (const Cookie& cookie : plat::http::CookieStore::shared().cookiesForUrl(*target)) {
        if (!header.empty()) header += "; ";
        header += cookie.name + "=" + cookie.value;
      }
      if (!header.empty()) addRequestHeader("Cookie", header);
    }
  } else {
    requestHeaders_.remove("Cookie");
    applyCookieHeader();
  }
  redirectURL_ = target.value_or(Url());
  needsRedirect_ = true;
  requestCookies_.clear();
  return true;
}

bool HttpRequest::willAskDelegateToConfirmRedirect() {
  plat::LockGuard lock(cancelledLock_);
  // A HEAD request made for another reports nothing, so no one would answer the question and
  // its main request would wait for ever.
  if (mainRequest_) return false;
  const bool delegateAsks = delegate_ && (willRedirectSelector_ ||
                                          delegateAnswers_.has(HttpDelegateCallback::WillRedirect));
  const bool queueAsks = queue_ && queue_->respondsTo(HttpDelegateCallback::WillRedirect);
  if (!delegateAsks && !queueAsks) return false;
  Url target = redirectURL_;
  redirectURL_ = Url();
  requestWillRedirectToURL(target);
  return true;
}

void HttpRequest::redirectToURL(const Url& url) {
  {
    plat::LockGuard lock(cancelledLock_);
    redirectURL_ = url;
  }
  // The request's own working thread: the network thread, or the thread of a synchronous request.
  auto request = self();
  performOnWorkingThread([request] { request->performRedirect(); });
}

void HttpRequest::performRedirect() {
  auto keepAlive = self();
  plat::LockGuard lock(cancelledLock_);
  if (isCancelled() || error_) return;
  if (!url_.user().empty()) urlLoginsLeftBehind_.push_back(url_);
  setURL(redirectURL_);
  complete_ = true;
  needsRedirect_ = false;
  ++redirectCount_;
  if (redirectCount_ < 6) {
    main();
  } else {
    failWithError(tooMuchRedirectionError());
    complete_ = true;
  }
}

// ---- Status checks, time-outs and retries

void HttpRequest::updateStatus() {
  HttpMainThreadMailbox::Turn turn;
  checkRequestStatus();
  if (!inProgress_ && statusTimer_) statusTimer_->invalidate();
}

bool HttpRequest::shouldTimeOut() const {
  // A hand-over waiting for the main thread is no silence of the server.
  if (!readStream_ || !readStreamIsScheduled_ || lastActivityTime_ == 0 || timeOutSeconds_ <= 0 ||
      handOverPaused_)
    return false;
  const double idle = now() - lastActivityTime_;
  if (idle <= timeOutSeconds_) return false;
  if (postLength_ == 0 || (uploadBufferSize_ > 0 && totalBytesSent_ > uploadBufferSize_))
    return true;
  // A body gets half as long again while its first buffer is still on its way.
  return idle > timeOutSeconds_ * 1.5;
}

void HttpRequest::checkRequestStatus() {
  auto keepAlive = self();
  plat::LockGuard lock(cancelledLock_);
  if (complete_ || isCancelled()) return;
  performThrottling();
  if (shouldTimeOut()) {
    if (retryCount_ < numberOfTimesToRetryOnTimeout_) {
      prepareDownloadFileForRetry();
      if (partialDownloadSize_ > 0 && request_) {
        request_->headers.set("Range", "bytes=" + std::to_string(partialDownloadSize_) + "-");
      } else if (allowResumeForFileDownloads_ && request_) {
        // The reply that timed out started the file afresh and left it empty: the range the
        // first attempt asked for would now skip the bytes it had.
        request_->headers.remove("Range");
      }
      ++retryCount_;
      unscheduleReadStream();
      // The silent connection is not offered to anyone again.
      connectionCanBeReused_ = false;
      destroyReadStream();
      releaseConnectionRecord();
      restartConnectionBoundHandshakes();
      startRequest();
      return;
    }
    failWithError(requestTimedOutError());
    cancelLoad();
    complete_ = true;
    return;
  }
  if (readStream_) {
    if (postLength_ > 0) {
      lastBytesSent_ = totalBytesSent_;
      totalBytesSent_ = readStream_->bodyBytesWritten();
      // The body's bytes were counted as they were read from it.
      if (totalBytesSent_ > lastBytesSent_) lastActivityTime_ = now();
    }
    updateProgressIndicators();
  }
}

// ---- Answers from the cache and for credentials

void HttpRequest::useDataFromCache() {
  HttpRequest& target = mainRequest_ ? *mainRequest_ : *this;
  if (downloadCache_) {
    auto headers = downloadCache_->cachedResponseHeadersForURL(url_);
    std::string dataPath = downloadCache_->pathToCachedResponseDataForURL(url_);
    if (headers && !dataPath.empty()) {
      responseStatusCode_ = std::atoi(headers->value("X-HttpRequest-Response-Status-Code").c_str());
      didUseCachedResponse_ = true;
      const std::string lengthText =
          (&target == this ? *headers : responseHeaders_).value("Content-Length");
      target.responseHeaders_ = *headers;
      target.haveResponseHeaders_ = true;
      if (target.downloadDestinationPath_.empty()) {
        target.rawResponseData_ = downloadCache_->cachedResponseDataForURL(url_);
      } else {
        target.downloadDestinationPath_ = dataPath;
      }
      target.contentLength_ = std::strtoull(lengthText.c_str(), nullptr, 10);
      target.totalBytesRead_ = contentLength_;
      std::string mimeType, encoding;
      parseMimeType(&mimeType, &encoding, target.responseHeaders_.value("Content-Type"));
      target.responseEncoding_ = encoding.empty() ? target.defaultResponseEncoding_ : encoding;
      if (willRedirect()) {
        if (!willAskDelegateToConfirmRedirect()) performRedirect();
        return;
      }
    }
  }
  // A HEAD request answers for its main request, whose lock comes after its own.
  plat::LockGuard targetLock(target.cancelledLock_);
  target.complete_ = true;
  target.downloadComplete_ = true;
  if (target.redirectCount_ == 0) target.originalURL_ = target.url_;
  target.updateProgressIndicators();
  target.requestFinished();
  target.markAsFinished();
  if (mainRequest_) markAsFinished();
}
