// One HTTP/1.1 exchange with a server, run as an operation: alone on the class-wide queue of width
// 4 (startAsynchronous), in an HttpNetworkQueue, or on the calling thread (startSynchronous).
// Asynchronous requests do their network work on the one network thread of the class; every
// report (start, headers, redirect, data, progress, finish, failure) reaches the owner on the
// main thread. The request does not own its delegate, queue or progress receivers: owners call
// clearDelegatesAndCancel() before they go away.
//
// The class-wide settings (time-out default, User-Agent, session cookies, activity indicator)
// are further down; the wire work, reporting and settings live in HttpRequest_*.cpp.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/HttpCacheDelegate.h"
#include "net/HttpDataDecompressor.h"
#include "net/HttpError.h"
#include "net/HttpMainThreadMailbox.h"
#include "net/HttpRequestDelegate.h"
#include "net/HttpStoredLogin.h"
#include "platform/base/Mutex.h"
#include "platform/base/Operation.h"
#include "platform/base/RunLoop.h"
#include "platform/base/Value.h"
#include "platform/http/Cookie.h"
#include "platform/http/HeaderMap.h"
#include "platform/http/HttpAuthentication.h"
#include "platform/http/HttpMessage.h"
#include "platform/http/HttpStream.h"
#include "platform/http/Url.h"

class HttpNetworkQueue;
class HttpSharedQueue;
class HttpRequest;

// A session store entry: credentials that worked, with the authentication object they were
// applied with. Server entries carry the URL, scheme and realm; proxy entries the proxy's host
// and port.
struct HttpSessionCredentials {
  std::shared_ptr<plat::http::Authentication> authentication;
  std::shared_ptr<const plat::http::Credentials> credentials;
  plat::http::Url url;
  std::string authenticationScheme;
  std::optional<std::string> authenticationRealm;
  std::string host;
  int port = 0;
};
struct HttpConnectionRecord;

// Needs no destruction: a synchronous request may still run on its thread as the process exits.
inline constexpr char kHttpRequestRunLoopMode[] = "HttpRequestRunLoopMode";

class HttpRequest : public plat::Operation {
 public:
  using Bytes = std::vector<uint8_t>;
  // A "Content-Range" of a part: its first and last byte and the total, when the server knows it.
  struct ContentRange {
    uint64_t first = 0, last = 0;
    std::optional<uint64_t> total;
  };
  using Url = plat::http::Url;
  using HeaderMap = plat::http::HeaderMap;
  using Cookie = plat::http::Cookie;
  // A selector sent to the delegate (set with the delegate; the delegate's method by default).
  using RequestSelector = std::function<void(HttpRequest&)>;
  using Block = std::function<void()>;
  using HeadersBlock = std::function<void(const HeaderMap&)>;
  using ProgressBlock = std::function<void(uint64_t amount, uint64_t total)>;
  using SizeBlock = std::function<void(int64_t amount)>;
  using DataBlock = std::function<void(const Bytes&)>;

  // ---- Creating
  // A request for `url` ("GET", time-out from defaultTimeOutSeconds(), redirects followed, kept
  // connections tried, cookies from and to the shared store, gzip replies accepted).
  static std::shared_ptr<HttpRequest> requestWithURL(const Url& url);
  // Text that is no URL gives a request without one, which fails with code 5 when started.
  static std::shared_ptr<HttpRequest> requestWithURL(const std::string& url);
  static std::shared_ptr<HttpRequest> requestWithURL(const Url& url, HttpCacheDelegate* cache,
                                                     int cachePolicy = kUseCacheDefaultPolicy);
  // The proxy an exchange with `url` goes through by the rules every request follows (the
  // environment's proxy variables, or the automatic configuration script it names), for
  // exchanges made without a request (the analytics' uploads); nullopt: direct. Blocks while a
  // script is read and run; any thread.
  static std::optional<plat::http::ProxyServer> proxyForURL(const Url& url);
  ~HttpRequest() override;

  // A new request of the same class for the same URL, with this one's settings and body.
  virtual std::shared_ptr<HttpRequest> copy() const;
  // A HEAD request for the same URL whose size and failure belong to this request.
  std::shared_ptr<HttpRequest> HEADRequest();

  // ---- Configuring
  Url url() const;
  void setURL(const Url& url);
  const Url& originalURL() const { return originalURL_; }
  HttpRequestDelegate* delegate() const;
  void setDelegate(HttpRequestDelegate* delegate);
  HttpNetworkQueue* queue() const;
  void setQueue(HttpNetworkQueue* queue);
  std::string requestMethod() const;
  void setRequestMethod(const std::string& method);
  HttpProgressDelegate* uploadProgressDelegate() const;
  void setUploadProgressDelegate(HttpProgressDelegate* receiver);
  HttpProgressDelegate* downloadProgressDelegate() const;
  void setDownloadProgressDelegate(HttpProgressDelegate* receiver);

  void setDidStartSelector(RequestSelector s);
  void setDidFinishSelector(RequestSelector s);
  void setDidFailSelector(RequestSelector s);
  void setDidReceiveResponseHeadersSelector(std::function<void(HttpRequest&, const HeaderMap&)> s);
  void setWillRedirectSelector(std::function<void(HttpRequest&, const Url&)> s);
  void setDidReceiveDataSelector(std::function<void(HttpRequest&, const Bytes&)> s);

  void setStartedBlock(Block b);
  void setHeadersReceivedBlock(HeadersBlock b);
  void setCompletionBlock(Block b);
  void setFailedBlock(Block b);
  void setBytesReceivedBlock(ProgressBlock b);
  void setBytesSentBlock(ProgressBlock b);
  void setDownloadSizeIncrementedBlock(SizeBlock b);
  void setUploadSizeIncrementedBlock(SizeBlock b);
  void setDataReceivedBlock(DataBlock b);
  void setAuthenticationNeededBlock(Block b);
  void setProxyAuthenticationNeededBlock(Block b);
  void setRequestRedirectedBlock(Block b);

  int64_t tag() const { return tag_; }
  void setTag(int64_t tag) { tag_ = tag; }
  const plat::Value& userInfo() const { return userInfo_; }
  void setUserInfo(plat::Value info) { userInfo_ = std::move(info); }
  const std::string& username() const { return username_; }
  void setUsername(std::string v) { username_ = std::move(v); }
  const std::string& password() const { return password_; }
  void setPassword(std::string v) { password_ = std::move(v); }
  const std::string& domain() const { return domain_; }
  void setDomain(std::string v) { domain_ = std::move(v); }
  const std::string& userAgent() const { return userAgent_; }
  void setUserAgent(std::string v) { userAgent_ = std::move(v); }
  double timeOutSeconds() const { return timeOutSeconds_; }
  void setTimeOutSeconds(double seconds) { timeOutSeconds_ = seconds; }
  int numberOfTimesToRetryOnTimeout() const { return numberOfTimesToRetryOnTimeout_; }
  void setNumberOfTimesToRetryOnTimeout(int n) { numberOfTimesToRetryOnTimeout_ = n; }
  bool showAccurateProgress() const { return showAccurateProgress_; }
  void setShowAccurateProgress(bool v) { showAccurateProgress_ = v; }
  bool shouldResetUploadProgress() const { return shouldResetUploadProgress_; }
  void setShouldResetUploadProgress(bool v) { shouldResetUploadProgress_ = v; }
  bool shouldResetDownloadProgress() const { return shouldResetDownloadProgress_; }
  void setShouldResetDownloadProgress(bool v) { shouldResetDownloadProgress_ = v; }
  bool useCookiePersistence() const { return useCookiePersistence_; }
  void setUseCookiePersistence(bool v) { useCookiePersistence_ = v; }
  bool useKeychainPersistence() const { return useKeychainPersistence_; }
  void setUseKeychainPersistence(bool v) { useKeychainPersistence_ = v; }
  bool useSessionPersistence() const { return useSessionPersistence_; }
  void setUseSessionPersistence(bool v) { useSessionPersistence_ = v; }
  bool allowCompressedResponse() const { return allowCompressedResponse_; }
  void setAllowCompressedResponse(bool v) { allowCompressedResponse_ = v; }
  bool shouldCompressRequestBody() const { return shouldCompressRequestBody_; }
  void setShouldCompressRequestBody(bool v) { shouldCompressRequestBody_ = v; }
  bool shouldWaitToInflateCompressedResponses() const {
    return shouldWaitToInflateCompressedResponses_;
  }
  void setShouldWaitToInflateCompressedResponses(bool v) {
    shouldWaitToInflateCompressedResponses_ = v;
  }
  const std::string& downloadDestinationPath() const { return downloadDestinationPath_; }
  void setDownloadDestinationPath(std::string v) { downloadDestinationPath_ = std::move(v); }
  const std::string& temporaryFileDownloadPath() const { return temporaryFileDownloadPath_; }
  void setTemporaryFileDownloadPath(std::string v) { temporaryFileDownloadPath_ = std::move(v); }
  // The most bytes of response body the request keeps, inflated or not (0: no ceiling): a larger
  // reply fails the request rather than filling memory or the disk.
  uint64_t maxResponseBytes() const { return maxResponseBytes_; }
  void setMaxResponseBytes(uint64_t bytes) { maxResponseBytes_ = bytes; }
  bool allowResumeForFileDownloads() const { return allowResumeForFileDownloads_; }
  void setAllowResumeForFileDownloads(bool v) { allowResumeForFileDownloads_ = v; }
  bool useHTTPVersionOne() const { return useHTTPVersionOne_; }
  void setUseHTTPVersionOne(bool v) { useHTTPVersionOne_ = v; }
  bool shouldRedirect() const { return shouldRedirect_; }
  void setShouldRedirect(bool v) { shouldRedirect_ = v; }
  bool shouldUseRFC2616RedirectBehaviour() const { return shouldUseRFC2616RedirectBehaviour_; }
  void setShouldUseRFC2616RedirectBehaviour(bool v) { shouldUseRFC2616RedirectBehaviour_ = v; }
  bool validatesSecureCertificate() const { return validatesSecureCertificate_; }
  void setValidatesSecureCertificate(bool v) { validatesSecureCertificate_ = v; }
  // What an https request presents when the server asks for a client certificate: the identity
  // (made with plat::stream::TlsIdentity::fromPemFiles), then the further certificates.
  void setClientCertificateIdentity(std::shared_ptr<plat::stream::TlsIdentity> identity) {
    clientCertificateIdentity_ = std::move(identity);
  }
  const std::vector<std::shared_ptr<plat::stream::TlsCertificate>>& clientCertificates() const {
    return clientCertificates_;
  }
  void setClientCertificates(std::vector<std::shared_ptr<plat::stream::TlsCertificate>> list) {
    clientCertificates_ = std::move(list);
  }
  bool shouldAttemptPersistentConnection() const { return shouldAttemptPersistentConnection_; }
  void setShouldAttemptPersistentConnection(bool v) { shouldAttemptPersistentConnection_ = v; }
  double persistentConnectionTimeoutSeconds() const { return persistentConnectionTimeoutSeconds_; }
  void setPersistentConnectionTimeoutSeconds(double v) { persistentConnectionTimeoutSeconds_ = v; }
  bool shouldPresentCredentialsBeforeChallenge() const {
    return shouldPresentCredentialsBeforeChallenge_;
  }
  void setShouldPresentCredentialsBeforeChallenge(bool v) {
    shouldPresentCredentialsBeforeChallenge_ = v;
  }
  bool shouldPresentAuthenticationDialog() const { return shouldPresentAuthenticationDialog_; }
  void setShouldPresentAuthenticationDialog(bool v) { shouldPresentAuthenticationDialog_ = v; }
  bool shouldPresentProxyAuthenticationDialog() const {
    return shouldPresentProxyAuthenticationDialog_;
  }
  void setShouldPresentProxyAuthenticationDialog(bool v) {
    shouldPresentProxyAuthenticationDialog_ = v;
  }
  bool shouldContinueWhenAppEntersBackground() const {
    return shouldContinueWhenAppEntersBackground_;
  }
  void setShouldContinueWhenAppEntersBackground(bool v) {
    shouldContinueWhenAppEntersBackground_ = v;
  }
  const std::string& proxyHost() const { return proxyHost_; }
  void setProxyHost(std::string v) { proxyHost_ = std::move(v); }
  int proxyPort() const { return proxyPort_; }
  void setProxyPort(int v) { proxyPort_ = v; }
  const std::string& proxyType() const { return proxyType_; }  // "HTTP", "HTTPS" or "SOCKS"
  void setProxyType(std::string v) { proxyType_ = std::move(v); }
  const std::string& proxyUsername() const { return proxyUsername_; }
  void setProxyUsername(std::string v) { proxyUsername_ = std::move(v); }
  const std::string& proxyPassword() const { return proxyPassword_; }
  void setProxyPassword(std::string v) { proxyPassword_ = std::move(v); }
  const std::string& proxyDomain() const { return proxyDomain_; }
  void setProxyDomain(std::string v) { proxyDomain_ = std::move(v); }
  const Url& PACurl() const { return PACurl_; }
  void setPACurl(Url v) { PACurl_ = std::move(v); }
  const std::string& defaultResponseEncoding() const { return defaultResponseEncoding_; }
  void setDefaultResponseEncoding(std::string v) { defaultResponseEncoding_ = std::move(v); }
  HttpCacheDelegate* downloadCache() const { return downloadCache_; }
  void setDownloadCache(HttpCacheDelegate* cache) { downloadCache_ = cache; }
  int cachePolicy() const { return cachePolicy_; }
  void setCachePolicy(int v) { cachePolicy_ = v; }
  int cacheStoragePolicy() const { return cacheStoragePolicy_; }
  void setCacheStoragePolicy(int v) { cacheStoragePolicy_ = v; }
  double secondsToCache() const { return secondsToCache_; }
  void setSecondsToCache(double v) { secondsToCache_ = v; }
  const std::string& authenticationScheme() const { return authenticationScheme_; }
  void setAuthenticationScheme(std::string v) { authenticationScheme_ = std::move(v); }
  const std::string& authenticationRealm() const { return authenticationRealm_; }
  int authenticationNeeded() const { return authenticationNeeded_; }
  const std::string& proxyAuthenticationScheme() const { return proxyAuthenticationScheme_; }
  const std::string& proxyAuthenticationRealm() const { return proxyAuthenticationRealm_; }
  int authenticationRetryCount() const { return authenticationRetryCount_; }
  int proxyAuthenticationRetryCount() const { return proxyAuthenticationRetryCount_; }
  const std::string& runLoopMode() const { return runLoopMode_; }
  void setRunLoopMode(const std::string& mode) { runLoopMode_ = mode; }
  bool isSynchronous() const { return isSynchronous_; }
  HttpRequest* mainRequest() const { return mainRequest_; }

  // ---- Body and headers
  HeaderMap requestHeaders() const { return requestHeaders_; }
  void setRequestHeaders(HeaderMap headers) { requestHeaders_ = std::move(headers); }
  void addRequestHeader(const std::string& name, const std::string& value);
  std::vector<Cookie> requestCookies() const { return requestCookies_; }
  void setRequestCookies(std::vector<Cookie> cookies) { requestCookies_ = std::move(cookies); }
  void appendPostData(const Bytes& data);
  void appendPostData(const std::string& data);
  void appendPostDataFromFile(const std::string& path);
  void setPostBody(Bytes body);
  Bytes postBody() const { return postBody_ ? *postBody_ : Bytes(); }
  uint64_t postLength() const { return postLength_; }
  bool shouldStreamPostDataFromDisk() const { return shouldStreamPostDataFromDisk_; }
  void setShouldStreamPostDataFromDisk(bool v) { shouldStreamPostDataFromDisk_ = v; }
  const std::string& postBodyFilePath() const { return postBodyFilePath_; }
  void setPostBodyFilePath(std::string path) { postBodyFilePath_ = std::move(path); }
  // Measures the body once and sets "Content-Length" (a form request writes its body first).
  virtual void buildPostBody();
  void buildRequestHeaders();

  // ---- Running and stopping
  void startAsynchronous();
  void startSynchronous();
  void start() override;
  void main() override;
  bool isConcurrent() const override { return true; }
  void cancel() override;
  bool isCancelled() const override { return cancelled_ || plat::Operation::isCancelled(); }
  // Clears delegate, queue, progress receivers and blocks, then cancels: the owner hears nothing
  // more, not even reports already on their way.
  void clearDelegatesAndCancel();
  // Follows the redirect the owner was asked to confirm (to `url`).
  void redirectToURL(const Url& url);

  // ---- Credentials (HttpRequest_auth.cpp)
  using CredentialsPtr = std::shared_ptr<const plat::http::Credentials>;
  // After the delegate or the dialog filled in username/password (or the proxy fields).
  void retryUsingSuppliedCredentials();
  // Ends a request waiting for credentials with "Authentication needed".
  void cancelAuthentication();
  void addBasicAuthenticationHeaderWithUsername(const std::string& username,
                                                const std::string& password);
  static std::vector<HttpSessionCredentials> sessionCredentialsStore();
  static std::vector<HttpSessionCredentials> sessionProxyCredentialsStore();
  static void storeAuthenticationCredentialsInSessionStore(const HttpSessionCredentials& entry);
  static void storeProxyAuthenticationCredentialsInSessionStore(
      const HttpSessionCredentials& entry);
  static void removeAuthenticationCredentialsFromSessionStore(const CredentialsPtr& credentials);
  static void removeProxyAuthenticationCredentialsFromSessionStore(
      const CredentialsPtr& credentials);
  static void clearSessionCredentials();
  // The device secret store as the keychain of credentials, one default credential per
  // protection space (server: host, port, protocol, realm; proxy: host, port, realm).
  static void saveCredentials_forHost(const plat::http::Credentials& credentials,
                                      const std::string& host, int port,
                                      const std::string& protocol, const std::string& realm);
  static void saveCredentials_forProxy(const plat::http::Credentials& credentials,
                                       const std::string& host, int port, const std::string& realm);
  static std::optional<plat::http::Credentials> savedCredentialsForHost(const std::string& host,
                                                                        int port,
                                                                        const std::string& protocol,
                                                                        const std::string& realm);
  static std::optional<plat::http::Credentials> savedCredentialsForProxy(const std::string& host,
                                                                         int port,
                                                                         const std::string& realm);
  static void removeCredentialsForHost(const std::string& host, int port,
                                       const std::string& protocol, const std::string& realm);
  static void removeCredentialsForProxy(const std::string& host, int port,
                                        const std::string& realm);
  static std::string base64forData(const Bytes& data);

  // ---- Results
  int responseStatusCode() const { return responseStatusCode_; }
  const std::string& responseStatusMessage() const { return responseStatusMessage_; }
  const HeaderMap& responseHeaders() const { return responseHeaders_; }
  const std::vector<Cookie>& responseCookies() const { return responseCookies_; }
  uint64_t contentLength() const { return contentLength_; }
  uint64_t partialDownloadSize() const { return partialDownloadSize_; }
  uint64_t totalBytesRead() const { return totalBytesRead_; }
  uint64_t totalBytesSent() const { return totalBytesSent_; }
  const std::string& responseEncoding() const { return responseEncoding_; }
  HttpErrorPtr error() const;
  bool complete() const { return complete_; }
  bool inProgress() const { return inProgress_; }
  int redirectCount() const { return redirectCount_; }
  int retryCount() const { return retryCount_; }
  bool didUseCachedResponse() const { return didUseCachedResponse_; }
  bool isResponseCompressed() const;
  // The body: inflated afresh on each call when it came gzip-compressed; nothing when the
  // request holds no body (a file download, a failed stream) or inflation fails.
  std::optional<Bytes> responseData() const;
  // responseData() as text in responseEncoding(); nothing without data or when it can't be read.
  std::optional<std::string> responseString() const;
  const std::optional<Bytes>& rawResponseData() const { return rawResponseData_; }

  // ---- Class-wide settings (HttpRequest_settings.cpp)
  static double defaultTimeOutSeconds();
  static void setDefaultTimeOutSeconds(double seconds);
  // "Name version (model; system version; locale)" from the bundle and device, made once; "" when
  // the bundle has no name.
  static std::string defaultUserAgentString();
  static void setDefaultUserAgentString(const std::string& userAgent);
  static std::vector<Cookie> sessionCookies();
  static void setSessionCookies(std::vector<Cookie> cookies);
  static void addSessionCookie(const Cookie& cookie);
  static void clearSession();
  static HttpCacheDelegate* defaultCache();
  static void setDefaultCache(HttpCacheDelegate* cache);
  static bool isNetworkInUse();
  static void setShouldUpdateNetworkActivityIndicator(bool update);
  static void showNetworkActivityIndicator();
  static void hideNetworkActivityIndicator();
  static void hideNetworkActivityIndicatorAfterDelay();
  static void hideNetworkActivityIndicatorIfNeeeded();
  // The status-bar indicator's state, and the screen layer's hook that shows it (called on the
  // main thread).
  static bool isNetworkActivityIndicatorVisible();
  static void setNetworkActivityIndicatorHandler(std::function<void(bool visible)> handler);

  static HttpSharedQueue& sharedQueue();
  static plat::RunLoop& threadForRequest(HttpRequest* request);
  // For tests of an exit that comes while the first request starts the network thread: `hook`
  // runs on the starting thread once the thread runs, before that request goes on. Set it before
  // the first request; nullptr for none.
  static void setNetworkThreadStartedHook(void (*hook)());
  static bool isMultitaskingSupported() { return false; }
  // Deletes the file when it exists; false (and *error, code 8) when it could not.
  static bool removeFileAtPath(const std::string& path, HttpErrorPtr* error);
  // The MIME type for the file's extension; nothing when no file is there.
  static std::optional<std::string> mimeTypeForFileAtPath(const std::string& path);
  // The MIME type and IANA character set named by a "Content-Type" value.
  static void parseMimeType(std::string* mimeType, std::string* encoding,
                            const std::string& contentType);
  // Closes and forgets idle kept connections whose time ran out.
  static void expirePersistentConnections();
  // ---- Bandwidth shared by all requests (HttpRequest_throttle.cpp). Nothing is throttled unless
  // a limit is set or the WWAN limit is on (neither in this application); usage is still counted.
  // Throttling applies while a limit is set, unless it is for WWAN only and the device is not on
  // WWAN.
  static bool isBandwidthThrottled();
  static uint64_t maxBandwidthPerSecond();
  static void setMaxBandwidthPerSecond(uint64_t bytes);
  // The mean of the last (up to 6) one-second windows.
  static uint64_t averageBandwidthUsedPerSecond();
  static void incrementBandwidthUsedInLastSecond(uint64_t bytes);
  // Closes the current window when it has ended, and sets the wake-up time when it is overspent.
  static void measureBandwidthUsage();
  // How many body bytes may be read now (0 when the window's budget is spent).
  static uint64_t maxUploadReadLength();
  // When paused connections may go on; nothing when none is set.
  static std::optional<double> throttleWakeUpTime();
  // true: 14800 bytes per second while the device is on WWAN, following reachability changes.
  static void setShouldThrottleBandwidthForWWAN(bool throttle);
  static void throttleBandwidthForWWANUsingLimit(uint64_t limit);
  static void registerForNetworkReachabilityNotifications();
  static void unsubscribeFromNetworkReachabilityNotifications();
  static bool isNetworkReachableViaWWAN();
  static void reachabilityChanged();
  // Pauses this request's connection while the budget is spent and resumes it at the wake-up
  // time (called from the status check, the stream's events and body reads).
  void performThrottling();

  // When a response stops being current (unix time): now plus `maxAge`, else now plus the
  // "max-age" of "Cache-Control", else the "Expires" date; nothing when none is known.
  static std::optional<double> expiryDateForRequest(const HttpRequest& request, double maxAge);
  // An HTTP date, with or without the weekday and the seconds; nothing when it can't be read.
  static std::optional<double> dateFromRFC1123String(const std::string& text);

  // The shared error objects.
  static HttpErrorPtr requestTimedOutError();
  static HttpErrorPtr authenticationError();
  static HttpErrorPtr requestCancelledError();
  static HttpErrorPtr unableToCreateRequestError();
  static HttpErrorPtr tooMuchRedirectionError();

 protected:
  explicit HttpRequest(const Url& url);
  template <class Request>
  static std::shared_ptr<Request> make(const Url& url) {
    std::shared_ptr<Request> request(new Request(url));
    return request;
  }
  std::shared_ptr<HttpRequest> self() {
    return std::static_pointer_cast<HttpRequest>(shared_from_this());
  }
  // Copies this request's settings into `other` (copy() of subclasses builds on it). `other` is
  // new and seen by no other thread yet, so its own lock is not taken.
  void copySettingsInto(HttpRequest& other) const NO_THREAD_SAFETY_ANALYSIS;
  void copyExchangeSettingsInto(HttpRequest& other) const;
  // Gives `other` (new, as above) a temporary body file of its own holding this one's bytes.
  void copyTemporaryBodyFileInto(HttpRequest& other) const NO_THREAD_SAFETY_ANALYSIS;

  void failWithError(const HttpErrorPtr& error) REQUIRES(cancelledLock_);
  // A failure found while the request is being set up: error() gives it at once, the callbacks
  // hear of it when the request starts (so that it reaches the delegate the owner sets afterwards).
  void failWhenStarted(const HttpErrorPtr& error) {
    plat::LockGuard lock(cancelledLock_);
    if (!setupError_) setupError_ = error;
  }
  void setupPostBody();
  void setHaveBuiltPostBody(bool built) { haveBuiltPostBody_ = built; }
  bool haveBuiltPostBody() const { return haveBuiltPostBody_; }
  // The body was built into a temporary file of this request's own, which it removes at its end
  // (or has already).
  bool builtBodyInTemporaryFile() const;
  void setPostLength(uint64_t length) { postLength_ = length; }

 private:
  friend class HttpNetworkQueue;
  friend class HttpSharedQueue;
  void setSharedQueue(HttpSharedQueue* queue) { sharedQueue_ = queue; }

  // Lifecycle (HttpRequest.cpp).
  void cancelOnRequestThread();
  void markAsFinished();
  void cancelLoad() REQUIRES(cancelledLock_);
  void performOnWorkingThread(std::function<void()> task);
  bool removeTemporaryFile(std::string& path) REQUIRES(cancelledLock_);
  bool removeTemporaryDownloadFile() REQUIRES(cancelledLock_);
  bool removeTemporaryUncompressedDownloadFile() REQUIRES(cancelledLock_);
  bool removeTemporaryUploadFile() REQUIRES(cancelledLock_);
  bool removeTemporaryCompressedUploadFile() REQUIRES(cancelledLock_);
  void releaseBlocksOnMainThread() REQUIRES(cancelledLock_);

  // Body and headers (HttpRequest_body.cpp).
  void applyCookieHeader() REQUIRES(cancelledLock_);
  void applyAuthorizationHeader() REQUIRES(cancelledLock_);
  void updatePartialDownloadSize() REQUIRES(cancelledLock_);
  void closePostBodyWriteStream();
  void writeToPostBodyFile(const uint8_t* data, size_t length);

  // On the wire (HttpRequest_wire.cpp).
  void startRequest() REQUIRES(cancelledLock_);
  void attachConnection() REQUIRES(cancelledLock_);
  void handleNetworkEvent(plat::http::HttpStream::Event event);
  void handleBytesAvailable() REQUIRES(cancelledLock_);
  void handleStreamComplete() REQUIRES(cancelledLock_);
  void handleStreamError() REQUIRES(cancelledLock_);
  void readResponseHeaders() REQUIRES(cancelledLock_);
  void decideConnectionReuse();

  // Downloads to a file (HttpRequest_download.cpp).
  void writeToDownloadFile(const uint8_t* raw, size_t rawLength, const Bytes* inflated)
      REQUIRES(cancelledLock_);
  bool openDownloadStream(std::string& path, FILE*& stream, const char* prefix)
      REQUIRES(cancelledLock_);
  bool writeDownloadBytes(FILE* stream, const std::string& path, const uint8_t* bytes,
                          size_t length) REQUIRES(cancelledLock_);
  HttpErrorPtr finishDownloadFile() REQUIRES(cancelledLock_);
  void prepareDownloadFileForRetry() REQUIRES(cancelledLock_);
  bool decideResumedRange() REQUIRES(cancelledLock_);
  HttpErrorPtr incompletePartError() const REQUIRES(cancelledLock_);
  bool inflatePartialDownload() REQUIRES(cancelledLock_);
  void failInflatingDownload(const HttpErrorPtr& error) REQUIRES(cancelledLock_);
  void failWithFileError(const std::string& description, int code) REQUIRES(cancelledLock_);
  bool overResponseCeiling(uint64_t bytes) const {
    return maxResponseBytes_ > 0 && bytes > maxResponseBytes_;
  }
  void failAsTooLarge() REQUIRES(cancelledLock_);
  bool willRedirect() REQUIRES(cancelledLock_);
  bool willAskDelegateToConfirmRedirect();
  void performRedirect();
  void updateStatus();
  void checkRequestStatus();
  bool shouldTimeOut() const;
  bool retryUsingNewConnection() REQUIRES(cancelledLock_);
  void releaseConnectionRecord();
  void scheduleReadStream();
  void unscheduleReadStream();
  void destroyReadStream();
  void useDataFromCache() REQUIRES(cancelledLock_);
  // Proxies (HttpRequest_proxy.cpp).
  bool configureProxies() REQUIRES(cancelledLock_);
  bool fetchPACFile() REQUIRES(cancelledLock_);
  void finishedDownloadingPACFile(HttpRequest& download);
  void runPACScriptThenStart(std::optional<std::string> bytes);
  void startAfterPAC();
  void cancelPACWork();
  void runPACScript(const std::string& script) REQUIRES(cancelledLock_);
  void useProxyFromPACAnswer(const std::string& answer);
  void attemptToApplyCredentialsAndResume();

  // Credentials (HttpRequest_auth.cpp). A server's challenge and a proxy's take one path, over
  // the side's own fields and calls.
  struct ChallengeSide;
  static const ChallengeSide kServerSide, kProxySide;
  void answerChallenge(const ChallengeSide& side) REQUIRES(cancelledLock_);
  CredentialsPtr findCredentials() REQUIRES(cancelledLock_);
  CredentialsPtr findProxyCredentials() REQUIRES(cancelledLock_);
  bool applyCredentials(const CredentialsPtr& credentials) REQUIRES(cancelledLock_);
  bool applyProxyCredentials(const CredentialsPtr& credentials) REQUIRES(cancelledLock_);
  std::optional<HttpSessionCredentials> findSessionAuthenticationCredentials()
      REQUIRES(cancelledLock_);
  std::optional<HttpSessionCredentials> findSessionProxyAuthenticationCredentials()
      REQUIRES(cancelledLock_);
  void saveLoginsLetIn() REQUIRES(cancelledLock_);
  void endHandshakesLetIn() REQUIRES(cancelledLock_);
  storedlogin::Named namedServerLogin() const REQUIRES(cancelledLock_);
  storedlogin::Named namedProxyLogin(const std::string& scheme) const REQUIRES(cancelledLock_);
  bool willAskDelegateForCredentials() REQUIRES(cancelledLock_);
  bool willAskDelegateForProxyCredentials() REQUIRES(cancelledLock_);
  // On the main thread, where owners set the delegate and the queue: read there without the
  // request's lock, as they always were, since the delegate asked may call back into the request.
  void askDelegateForCredentials() NO_THREAD_SAFETY_ANALYSIS;
  void askDelegateForProxyCredentials() NO_THREAD_SAFETY_ANALYSIS;
  bool showAuthenticationDialog();
  bool showProxyAuthenticationDialog();
  void presentDialogOnMainThread();
  void failAuthentication();
  plat::http::ResponseHead lastResponseHead() const;
  bool handshakeHoldsConnection() const;
  void restartConnectionBoundHandshakes() REQUIRES(cancelledLock_);
  bool ownCredentialsGoHere() const REQUIRES(cancelledLock_);
  bool ownerAnsweredHere() const REQUIRES(cancelledLock_);
  const Url& urlGivingLogin() const REQUIRES(cancelledLock_);
  std::string connectionLogin() const REQUIRES(cancelledLock_);

  // Reporting and progress (HttpRequest_reporting.cpp).
  enum class Receiver { Queue, UploadDelegate, DownloadDelegate };
  using Urgency = HttpMainThreadMailbox::Urgency;
  // Runs `task` on the main thread: at once when called there, else handed over; a task that
  // may wait lets a sleeping main thread sleep on until one that must not wait comes (or about a
  // millisecond). The task keeps alive what it uses: every report holds its request.
  void onMainThread(std::function<void()> task, Urgency urgency);
  void requestStarted() REQUIRES(cancelledLock_);
  void requestRedirected() REQUIRES(cancelledLock_);
  void requestReceivedResponseHeaders(const HeaderMap& headers) REQUIRES(cancelledLock_);
  void requestWillRedirectToURL(const Url& url) REQUIRES(cancelledLock_);
  void requestFinished() REQUIRES(cancelledLock_);
  void reportFinished();
  void reportFailure();
  void updateProgressIndicators();
  void updateDownloadProgress();
  void updateUploadProgress();
  void incrementDownloadSizeBy(int64_t amount);
  void incrementUploadSizeBy(int64_t amount);
  void removeUploadProgressSoFar();
  void removeDownloadProgressSoFar();
  void settleUploadOfDroppedBody() REQUIRES(cancelledLock_);
  void updateProgressIndicator(Receiver receiver, uint64_t progress, uint64_t total);
  void sendProgress(Receiver receiver,
                    std::function<void(HttpProgressDelegate&, HttpRequest&)> call);
  // The same call to the queue, then to the receiver (each read again when it runs).
  void sendToQueueAnd(Receiver receiver,
                      const std::function<void(HttpProgressDelegate&, HttpRequest&)>& call);
  HttpProgressDelegate* progressReceiver(Receiver receiver) const;
  // Runs the block in `field` on the main thread, read when it runs; nothing when none is set.
  template <class Field, class... Args>
  void callBlockOnMainThread(Field HttpRequest::*field, Args... args);
  bool delegateTakesData() const;
  // A receiver field read under the request's lock. A report reads each receiver just before its
  // call: the call before may have cleared it, or destroyed its owner and with it the queue.
  template <class Field>
  Field lockedRead(Field HttpRequest::*field) const {
    plat::LockGuard lock(cancelledLock_);
    return this->*field;
  }
  // Body data handed to an owner that takes it itself (HttpRequest_handover.cpp): the network
  // thread stops reading while the main thread has much of it still to take.
  void passOnReceivedData(Bytes data);
  void handOverTaken(size_t bytes);
  bool handOverIsFull();
  void resumeHandOver();

  // ---- Fields
  // Who touches a field when decides how it is kept:
  // - Shared while the request runs: the owner's thread, the main thread's reports and the working
  //   thread all reach these. Each is GUARDED_BY(cancelledLock_) or atomic.
  // - Settings: the owner sets them before the start; from then on the working thread reads them
  //   and changes the few the exchange decides (the proxy found, the cache dropped for a body,
  //   the headers it adds). Owners read those back in the reports or after the finish.
  // - Credentials: set by the owner before the start, or while the request waits for them and
  //   before retryUsingSuppliedCredentials() hands it back to the working thread.
  // - The exchange: the working thread's alone while the request runs. The reports that speak of
  //   them are posted after the fields are written (the main-thread mailbox orders the two), and
  //   the rest is read after the finish, so none is locked.

  // Shared while the request runs.
  // Guards the fields marked with it, and is held by the working thread while it runs the request.
  // Recursive: the request's methods take it and call one another (a retry holding it applies the
  // credentials, which take it again).
  mutable plat::RecursiveMutex cancelledLock_;
  // The loop the request runs on, set when it starts; cancel() reads it on any thread.
  std::atomic<plat::RunLoop*> workingLoop_{nullptr};
  Url url_ GUARDED_BY(cancelledLock_);  // changed by a redirect
  // The next address: the working thread's choice, or the owner's in redirectToURL().
  Url redirectURL_ GUARDED_BY(cancelledLock_);
  std::string requestMethod_ GUARDED_BY(cancelledLock_) = "GET";  // a 303 makes it a GET
  HttpErrorPtr error_ GUARDED_BY(cancelledLock_);
  HttpErrorPtr setupError_ GUARDED_BY(cancelledLock_);
  HttpRequestDelegate* delegate_ GUARDED_BY(cancelledLock_) = nullptr;
  // delegate_'s respondsTo(), asked when it was set
  DelegateAnswers delegateAnswers_ GUARDED_BY(cancelledLock_);
  HttpNetworkQueue* queue_ GUARDED_BY(cancelledLock_) = nullptr;
  HttpProgressDelegate* uploadProgressDelegate_ GUARDED_BY(cancelledLock_) = nullptr;
  HttpProgressDelegate* downloadProgressDelegate_ GUARDED_BY(cancelledLock_) = nullptr;
  RequestSelector didStartSelector_ GUARDED_BY(cancelledLock_);
  RequestSelector didFinishSelector_ GUARDED_BY(cancelledLock_);
  RequestSelector didFailSelector_ GUARDED_BY(cancelledLock_);
  std::function<void(HttpRequest&, const HeaderMap&)> didReceiveResponseHeadersSelector_
      GUARDED_BY(cancelledLock_);
  std::function<void(HttpRequest&, const Url&)> willRedirectSelector_ GUARDED_BY(cancelledLock_);
  std::function<void(HttpRequest&, const Bytes&)> didReceiveDataSelector_
      GUARDED_BY(cancelledLock_);
  Block startedBlock_ GUARDED_BY(cancelledLock_);
  Block completionBlock_ GUARDED_BY(cancelledLock_);
  Block failureBlock_ GUARDED_BY(cancelledLock_);
  Block authenticationNeededBlock_ GUARDED_BY(cancelledLock_);
  Block proxyAuthenticationNeededBlock_ GUARDED_BY(cancelledLock_);
  Block requestRedirectedBlock_ GUARDED_BY(cancelledLock_);
  HeadersBlock headersReceivedBlock_ GUARDED_BY(cancelledLock_);
  ProgressBlock bytesReceivedBlock_ GUARDED_BY(cancelledLock_);
  ProgressBlock bytesSentBlock_ GUARDED_BY(cancelledLock_);
  SizeBlock downloadSizeIncrementedBlock_ GUARDED_BY(cancelledLock_);
  SizeBlock uploadSizeIncrementedBlock_ GUARDED_BY(cancelledLock_);
  DataBlock dataReceivedBlock_ GUARDED_BY(cancelledLock_);
  std::atomic<bool> complete_{false};
  std::atomic<bool> inProgress_{false};
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> cancelRequested_{false};  // cancel() was called, on any thread
  // Counted on the network thread, read by owners on theirs (progress, a wait for the first bytes).
  std::atomic<uint64_t> totalBytesRead_ = 0, totalBytesSent_ = 0;
  std::atomic<size_t> bytesInHandOver_{0};  // handed to the main thread, not yet taken there
  std::atomic<bool> resumeWanted_{false};   // the working thread waits for the main thread

  // Settings.
  double timeOutSeconds_;
  HttpCacheDelegate* downloadCache_ = nullptr;
  int cachePolicy_ = 0, cacheStoragePolicy_ = 0;
  double secondsToCache_ = 0;
  HttpRequest* mainRequest_ = nullptr;  // set when a HEAD request is made for it
  // The main request of a HEAD request, and the hold on it while the HEAD request runs: its owner
  // may cancel it and let go of it meanwhile (in a queue, the HEAD request is not its to cancel).
  std::weak_ptr<HttpRequest> mainRequestRef_;
  std::shared_ptr<HttpRequest> mainRequestHold_;
  HttpSharedQueue* sharedQueue_ = nullptr;  // the class-wide queue, when it holds the request
  bool isSynchronous_ = false;
  std::string runLoopMode_ = plat::kDefaultRunLoopMode;
  std::shared_ptr<Bytes> postBody_;
  bool shouldStreamPostDataFromDisk_ = false;
  std::string postBodyFilePath_;
  FILE* postBodyWriteStream_ = nullptr;  // the owner appends; the start closes it
  HeaderMap requestHeaders_;
  std::vector<Cookie> requestCookies_;
  bool useCookiePersistence_ = true, useKeychainPersistence_ = false, useSessionPersistence_ = true;
  bool allowCompressedResponse_ = true, shouldCompressRequestBody_ = false;
  bool shouldWaitToInflateCompressedResponses_ = true;
  uint64_t maxResponseBytes_ = 0;
  std::string downloadDestinationPath_, temporaryFileDownloadPath_;
  bool allowResumeForFileDownloads_ = false;
  std::string userAgent_;
  bool shouldResetUploadProgress_ = true, shouldResetDownloadProgress_ = true;
  bool showAccurateProgress_ = true;
  std::string defaultResponseEncoding_ = "ISO-8859-1";
  plat::Value userInfo_;
  int64_t tag_ = 0;
  bool useHTTPVersionOne_ = false, shouldRedirect_ = true;
  bool shouldUseRFC2616RedirectBehaviour_ = false;
  bool validatesSecureCertificate_ = true;
  std::shared_ptr<plat::stream::TlsIdentity> clientCertificateIdentity_;
  std::vector<std::shared_ptr<plat::stream::TlsCertificate>> clientCertificates_;
  std::string proxyHost_;
  int proxyPort_ = 0;
  std::string proxyType_;
  Url PACurl_;
  bool isPACFileRequest_ = false;  // this request fetches a proxy configuration script
  std::string authenticationScheme_;
  bool shouldPresentAuthenticationDialog_ = false, shouldPresentProxyAuthenticationDialog_ = true;
  bool shouldPresentCredentialsBeforeChallenge_ = true;
  int numberOfTimesToRetryOnTimeout_ = 0;
  bool shouldAttemptPersistentConnection_ = true;
  double persistentConnectionTimeoutSeconds_ = 60.0;
  bool shouldContinueWhenAppEntersBackground_ = false;

  // Credentials.
  std::string username_, password_, domain_;
  std::string proxyUsername_, proxyPassword_, proxyDomain_;

  // The exchange.
  Url originalURL_;
  std::optional<plat::http::RequestMessage> request_;
  std::shared_ptr<plat::http::HttpStream> readStream_;
  bool readStreamIsScheduled_ = false;
  std::shared_ptr<HttpConnectionRecord> connectionInfo_;
  bool connectionCanBeReused_ = false;
  std::optional<uint32_t> requestID_;
  std::shared_ptr<plat::Timer> statusTimer_;
  bool haveBuiltPostBody_ = false;
  std::shared_ptr<Bytes> compressedPostBody_;
  std::string compressedPostBodyFilePath_;
  bool didCreateTemporaryPostDataFile_ = false;
  uint64_t postLength_ = 0, uploadBufferSize_ = 0;
  bool haveBuiltRequestHeaders_ = false;
  HeaderMap responseHeaders_;
  bool haveResponseHeaders_ = false;
  std::vector<Cookie> responseCookies_;
  int responseStatusCode_ = 0;
  std::string responseStatusMessage_;
  std::string responseEncoding_;
  uint64_t contentLength_ = 0, partialDownloadSize_ = 0;
  uint64_t lastBytesRead_ = 0, lastBytesSent_ = 0;
  // What this attempt told the receivers of its download, taken back when it starts over.
  uint64_t downloadBytesReported_ = 0, downloadSizeAdded_ = 0;
  // The same for the upload; the size added can be negative (the buffer taken out of a queue's).
  int64_t uploadBytesReported_ = 0, uploadSizeAdded_ = 0;
  // A redirect dropped the body after it went out: its upload figures stand for the request.
  bool uploadSettled_ = false;
  double lastActivityTime_ = 0;  // 0: none yet
  bool updatedProgress_ = false;
  std::optional<Bytes> rawResponseData_;
  std::unique_ptr<HttpDataDecompressor> dataDecompressor_;
  std::string temporaryUncompressedDataDownloadPath_;
  FILE* fileDownloadOutputStream_ = nullptr;
  FILE* inflatedFileDownloadOutputStream_ = nullptr;
  bool appendsToPartialDownload_ = false;      // the reply continues the partial file
  std::optional<ContentRange> downloadRange_;  // the range of a part (206) being downloaded
  bool downloadComplete_ = false;
  bool readWaitsForBudget_ = false;  // offered bytes left unread under a spent budget
  bool handOverPaused_ = false;      // not reading until the main thread has taken its share
  bool didUseCachedResponse_ = false;
  bool needsRedirect_ = false;
  int redirectCount_ = 0;
  int retryCount_ = 0;
  bool willRetryRequest_ = false;
  int authenticationNeeded_ = 0;
  int authenticationRetryCount_ = 0, proxyAuthenticationRetryCount_ = 0;
  int authenticationTriesBeforeHandshake_ = 0, proxyAuthenticationTriesBeforeHandshake_ = 0;
  int unaskedCredentialTries_ = 0;  // since the owner last supplied credentials
  Url credentialsSuppliedFor_;      // where the owner last supplied them, when asked
  std::vector<Url> urlLoginsLeftBehind_;  // URLs a redirect left that named a user, in order
  std::shared_ptr<plat::http::Authentication> requestAuthentication_, proxyAuthentication_;
  CredentialsPtr requestCredentials_, proxyCredentials_;
  // Applied with the keychain on and not yet let in: saved once the server or proxy takes them.
  bool savesLoginWhenLetIn_ = false, savesProxyLoginWhenLetIn_ = false;
  Url authenticationOrigin_;  // where requestAuthentication_ came from
  std::string authenticationRealm_;
  std::string proxyAuthenticationScheme_, proxyAuthenticationRealm_;
  std::shared_ptr<HttpRequest> PACFileRequest_;  // the download of this request's script
  std::shared_ptr<void> pacWork_;                // the script's reading, download or run
};
