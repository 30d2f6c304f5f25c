// Answering a 401 from a server or a 407 from a proxy: finding credentials (the URL, the request,
// the session stores, the keychain), applying them and sending the request again, or asking the
// delegate or the login dialog and waiting for retryUsingSuppliedCredentials() or
// cancelAuthentication(). Credentials are never written to any log.
#include <algorithm>
#include <mutex>

#include "net/HttpAuthenticationDialog.h"
#include "net/HttpNetworkQueue.h"
#include "net/HttpRequest.h"
#include "platform/base/Clock.h"
#include "platform/crypto/SecretStore.h"

using plat::http::Authentication;
using plat::http::Credentials;

namespace {

// Serialises the consultation of session stores, delegates and the dialog, so that requests
// refused at once ask only once.
std::recursive_mutex& delegateAuthenticationLock() {
  static std::recursive_mutex lock;
  return lock;
}

std::recursive_mutex& sessionCredentialsLock() {
  static std::recursive_mutex lock;
  return lock;
}

std::vector<HttpSessionCredentials>& serverStore() {
  static std::vector<HttpSessionCredentials> store;
  return store;
}

std::vector<HttpSessionCredentials>& proxyStore() {
  static std::vector<HttpSessionCredentials> store;
  return store;
}

bool sameOrigin(const plat::http::Url& a, const plat::http::Url& b) {
  return a.scheme() == b.scheme() && a.host() == b.host() && a.effectivePort() == b.effectivePort();
}

// Realms match where both have one.
bool realmsMatch(const std::optional<std::string>& entry, const std::string& request) {
  return !entry || request.empty() || *entry == request;
}

std::string serverSpace(const std::string& host, int port, const std::string& protocol,
                        const std::string& realm) {
  return "HttpCredential " + protocol + "://" + host + ":" + std::to_string(port) + " " + realm;
}

std::string proxySpace(const std::string& host, int port, const std::string& realm) {
  return "HttpProxyCredential " + host + ":" + std::to_string(port) + " " + realm;
}

void saveSecret(const std::string& space, const Credentials& credentials) {
  const std::string data = credentials.username + '\n' + credentials.password;
  if (!plat::SecretStore::update(space, data)) plat::SecretStore::add(space, data);
}

std::optional<Credentials> readSecret(const std::string& space) {
  auto data = plat::SecretStore::find(space);
  if (!data) return std::nullopt;
  const size_t newline = data->find('\n');
  if (newline == std::string::npos) return std::nullopt;
  return Credentials{data->substr(0, newline), data->substr(newline + 1), ""};
}

// The account domain for a scheme that needs one: the given domain, else the part before a
// single "\" of the user name (which keeps the part after it); else none.
void splitAccountDomain(Credentials& credentials, const std::string& domain) {
  if (!domain.empty()) {
    credentials.accountDomain = domain;
    return;
  }
  const size_t slash = credentials.username.find('\\');
  if (slash != std::string::npos &&
      credentials.username.find('\\', slash + 1) == std::string::npos) {
    credentials.accountDomain = credentials.username.substr(0, slash);
    credentials.username = credentials.username.substr(slash + 1);
  }
}

// NTLM credentials are tried twice at most: a third try would only lock the account sooner.
constexpr int kNtlmTries = 2;

HttpErrorPtr applyFailure(bool proxy) {
  return HttpError::make(kHttpUnableToApplyCredentials,
                         proxy ? "Failed to apply proxy credentials to request"
                               : "Failed to apply credentials to request");
}

}  // namespace

// ---- Session stores

std::vector<HttpSessionCredentials> HttpRequest::sessionCredentialsStore() {
  std::lock_guard<std::recursive_mutex> lock(sessionCredentialsLock());
  return serverStore();
}

std::vector<HttpSessionCredentials> HttpRequest::sessionProxyCredentialsStore() {
  std::lock_guard<std::recursive_mutex> lock(sessionCredentialsLock());
  return proxyStore();
}

void HttpRequest::storeAuthenticationCredentialsInSessionStore(
    const HttpSessionCredentials& entry) {
  std::lock_guard<std::recursive_mutex> lock(sessionCredentialsLock());
  removeAuthenticationCredentialsFromSessionStore(entry.credentials);
  serverStore().push_back(entry);
}

void HttpRequest::storeProxyAuthenticationCredentialsInSessionStore(
    const HttpSessionCredentials& entry) {
  std::lock_guard<std::recursive_mutex> lock(sessionCredentialsLock());
  removeProxyAuthenticationCredentialsFromSessionStore(entry.credentials);
  proxyStore().push_back(entry);
}

void HttpRequest::removeAuthenticationCredentialsFromSessionStore(
    const CredentialsPtr& credentials) {
  std::lock_guard<std::recursive_mutex> lock(sessionCredentialsLock());
  auto& store = serverStore();
  auto found = std::find_if(store.begin(), store.end(),
                            [&](const auto& entry) { return entry.credentials == credentials; });
  if (found != store.end()) store.erase(found);
}

void HttpRequest::removeProxyAuthenticationCredentialsFromSessionStore(
    const CredentialsPtr& credentials) {
  std::lock_guard<std::recursive_mutex> lock(sessionCredentialsLock());
  auto& store = proxyStore();
  auto found = std::find_if(store.begin(), store.end(),
                            [&](const auto& entry) { return entry.credentials == credentials; });
  if (found != store.end()) store.erase(found);
}

void HttpRequest::clearSessionCredentials() {
  std::lock_guard<std::recursive_mutex> lock(sessionCredentialsLock());
  serverStore().clear();
  proxyStore().clear();
}

std::optional<HttpSessionCredentials> HttpRequest::findSessionAuthenticationCredentials() {
  std::lock_guard<std::recursive_mutex> lock(sessionCredentialsLock());
  const bool own = !username_.empty() && !password_.empty();
  auto qualifies = [&](const HttpSessionCredentials& entry) {
    return realmsMatch(entry.authenticationRealm, authenticationRealm_) &&
           (!own ||
            (entry.credentials->username == username_ && entry.credentials->password == password_));
  };
  std::optional<HttpSessionCredentials> sameServer;
  for (const HttpSessionCredentials& entry : serverStore()) {
    if (!qualifies(entry)) continue;
    if (entry.url.absoluteString() == url_.absoluteString()) return entry;
    if (!sameServer && entry.url.host() == url_.host() && entry.url.port() == url_.port() &&
        entry.url.scheme() == url_.scheme())
      sameServer = entry;
  }
  return sameServer;
}

std::optional<HttpSessionCredentials> HttpRequest::findSessionProxyAuthenticationCredentials() {
  std::lock_guard<std::recursive_mutex> lock(sessionCredentialsLock());
  for (const HttpSessionCredentials& entry : proxyStore())
    if (entry.host == proxyHost_ && entry.port == proxyPort_) return entry;
  return std::nullopt;
}

// ---- Keychain

void HttpRequest::saveCredentials_forHost(const Credentials& credentials, const std::string& host,
                                          int port, const std::string& protocol,
                                          const std::string& realm) {
  saveSecret(serverSpace(host, port, protocol, realm), credentials);
}

void HttpRequest::saveCredentials_forProxy(const Credentials& credentials, const std::string& host,
                                           int port, const std::string& realm) {
  saveSecret(proxySpace(host, port, realm), credentials);
}

std::optional<Credentials> HttpRequest::savedCredentialsForHost(const std::string& host, int port,
                                                                const std::string& protocol,
                                                                const std::string& realm) {
  return readSecret(serverSpace(host, port, protocol, realm));
}

std::optional<Credentials> HttpRequest::savedCredentialsForProxy(const std::string& host, int port,
                                                                 const std::string& realm) {
  return readSecret(proxySpace(host, port, realm));
}

void HttpRequest::removeCredentialsForHost(const std::string& host, int port,
                                           const std::string& protocol, const std::string& realm) {
  plat::SecretStore::remove(serverSpace(host, port, protocol, realm));
}

void HttpRequest::removeCredentialsForProxy(const std::string& host, int port,
                                            const std::string& realm) {
  plat::SecretStore::remove(proxySpace(host, port, realm));
}

std::string HttpRequest::base64forData(const Bytes& data) {
  return Authentication::base64(std::string(data.begin(), data.end()));
}

// ---- Finding and applying

HttpRequest::CredentialsPtr HttpRequest::findCredentials() {
  std::string user, password;
  auto take = [&](const std::string& u, const std::string& p) {
    if (user.empty() || password.empty()) {
      if (!u.empty() && !p.empty()) {
        user = u;
        password = p;
      }
    }
  };
  take(url_.user(), url_.password());
  if (mainRequest_) take(mainRequest_->username_, mainRequest_->password_);
  take(username_, password_);
  if ((user.empty() || password.empty()) && useKeychainPersistence_) {
    if (auto saved = savedCredentialsForHost(url_.host(), url_.effectivePort(), url_.scheme(),
                                             authenticationRealm_))
      take(saved->username, saved->password);
  }
  if (user.empty() || password.empty()) return nullptr;
  Credentials credentials{user, password, ""};
  if (requestAuthentication_ && requestAuthentication_->requiresAccountDomain())
    splitAccountDomain(credentials, domain_);
  return std::make_shared<const Credentials>(credentials);
}

HttpRequest::CredentialsPtr HttpRequest::findProxyCredentials() {
  std::string user, password;
  if (mainRequest_ && !mainRequest_->proxyUsername_.empty() &&
      !mainRequest_->proxyPassword_.empty()) {
    user = mainRequest_->proxyUsername_;
    password = mainRequest_->proxyPassword_;
  } else if (!proxyUsername_.empty() && !proxyPassword_.empty()) {
    user = proxyUsername_;
    password = proxyPassword_;
  }
  // An NTLM proxy usually checks the same account as the servers behind it.
  if ((user.empty() || password.empty()) && proxyAuthenticationScheme_ == "NTLM" &&
      !username_.empty() && !password_.empty()) {
    user = username_;
    password = password_;
  }
  if (user.empty() || password.empty()) {
    if (auto saved = savedCredentialsForProxy(proxyHost_, proxyPort_, proxyAuthenticationRealm_)) {
      user = saved->username;
      password = saved->password;
    }
  }
  if (user.empty() || password.empty()) return nullptr;
  Credentials credentials{user, password, ""};
  if (proxyAuthentication_ && proxyAuthentication_->requiresAccountDomain())
    splitAccountDomain(credentials, proxyDomain_.empty() ? domain_ : proxyDomain_);
  return std::make_shared<const Credentials>(credentials);
}

// Only applies that send the credentials count as tries: NTLM's negotiate message carries none.
bool HttpRequest::applyCredentials(const CredentialsPtr& credentials) {
  if (!requestAuthentication_ || requestAuthentication_->sendsCredentialsNext())
    ++authenticationRetryCount_;
  if (!credentials || !requestAuthentication_ || !request_) return false;
  if (!requestAuthentication_->apply(*request_, *credentials)) {
    removeAuthenticationCredentialsFromSessionStore(credentials);
    return false;
  }
  if (useKeychainPersistence_) {
    saveCredentials_forHost(*credentials, url_.host(), url_.effectivePort(), url_.scheme(),
                            authenticationRealm_);
  }
  if (useSessionPersistence_) {
    HttpSessionCredentials entry;
    entry.authentication = requestAuthentication_;
    entry.credentials = credentials;
    entry.url = url_;
    entry.authenticationScheme = authenticationScheme_;
    if (!authenticationRealm_.empty()) entry.authenticationRealm = authenticationRealm_;
    storeAuthenticationCredentialsInSessionStore(entry);
  }
  requestCredentials_ = credentials;
  return true;
}

bool HttpRequest::applyProxyCredentials(const CredentialsPtr& credentials) {
  if (!proxyAuthentication_ || proxyAuthentication_->sendsCredentialsNext())
    ++proxyAuthenticationRetryCount_;
  if (!credentials || !proxyAuthentication_ || !request_) return false;
  if (!proxyAuthentication_->apply(*request_, *credentials)) {
    removeProxyAuthenticationCredentialsFromSessionStore(credentials);
    return false;
  }
  if (useKeychainPersistence_)
    saveCredentials_forProxy(*credentials, proxyHost_, proxyPort_, proxyAuthenticationRealm_);
  if (useSessionPersistence_) {
    HttpSessionCredentials entry;
    entry.authentication = proxyAuthentication_;
    entry.credentials = credentials;
    entry.host = proxyHost_;
    entry.port = proxyPort_;
    entry.authenticationScheme = proxyAuthenticationScheme_;
    storeProxyAuthenticationCredentialsInSessionStore(entry);
  }
  proxyCredentials_ = credentials;
  return true;
}

// Credentials known before any challenge: a Basic header for the request's own user and password
// once the scheme is known to be Basic, else what the session stores hold for this server and
// proxy. Nothing held for another origin (before a redirect) goes along.
void HttpRequest::applyAuthorizationHeader() {
  if (requestAuthentication_ && !sameOrigin(authenticationOrigin_, url_)) {
    requestAuthentication_.reset();
    requestCredentials_.reset();
  }
  if (!shouldPresentCredentialsBeforeChallenge_ || !request_) return;
  if (!requestHeaders_.contains("Authorization")) {
    if (!username_.empty() && !password_.empty() && authenticationScheme_ == "Basic") {
      request_->headers.set("Authorization", Authentication::basicValue(username_, password_));
    } else if (useSessionPersistence_) {
      if (auto entry = findSessionAuthenticationCredentials()) {
        auto authentication = Authentication::forNewExchange(entry->authentication);
        if (authentication->apply(*request_, *entry->credentials)) {
          authenticationScheme_ = entry->authenticationScheme;
          requestAuthentication_ = authentication;
          requestCredentials_ = entry->credentials;
          authenticationOrigin_ = url_;
        } else {
          removeAuthenticationCredentialsFromSessionStore(entry->credentials);
        }
      }
    }
  }
  if (useSessionPersistence_ && !proxyHost_.empty()) {
    if (auto entry = findSessionProxyAuthenticationCredentials()) {
      auto authentication = Authentication::forNewExchange(entry->authentication);
      if (authentication->apply(*request_, *entry->credentials)) {
        proxyAuthentication_ = authentication;
        proxyAuthenticationScheme_ = entry->authenticationScheme;
        proxyCredentials_ = entry->credentials;
      } else {
        removeProxyAuthenticationCredentialsFromSessionStore(entry->credentials);
      }
    }
  }
}

void HttpRequest::addBasicAuthenticationHeaderWithUsername(const std::string& username,
                                                           const std::string& password) {
  addRequestHeader("Authorization", Authentication::basicValue(username, password));
  authenticationScheme_ = "Basic";
}

// An NTLM login answers the challenge of one connection: from the negotiate message on, the
// request keeps its connection even where it would not keep one otherwise (a POST).
bool HttpRequest::handshakeHoldsConnection() const {
  return (requestAuthentication_ && requestAuthentication_->isMidHandshake()) ||
         (proxyAuthentication_ && proxyAuthentication_->isMidHandshake());
}

// ---- Asking

bool HttpRequest::willAskDelegateForCredentials() {
  if (isSynchronous_) return false;
  const bool delegateAnswers =
      delegate_ ? delegateAnswers_.has(HttpDelegateCallback::AuthenticationNeeded)
                : queue_ && queue_->respondsTo(HttpDelegateCallback::AuthenticationNeeded);
  if (!delegateAnswers && !authenticationNeededBlock_) return false;
  auto request = self();
  plat::RunLoop::main().perform([request] { request->askDelegateForCredentials(); });
  return true;
}

bool HttpRequest::willAskDelegateForProxyCredentials() {
  if (isSynchronous_) return false;
  const bool delegateAnswers =
      delegate_ ? delegateAnswers_.has(HttpDelegateCallback::ProxyAuthenticationNeeded)
                : queue_ && queue_->respondsTo(HttpDelegateCallback::ProxyAuthenticationNeeded);
  if (!delegateAnswers && !proxyAuthenticationNeededBlock_) return false;
  auto request = self();
  plat::RunLoop::main().perform([request] { request->askDelegateForProxyCredentials(); });
  return true;
}

void HttpRequest::askDelegateForCredentials() {
  if (delegate_ && delegateAnswers_.has(HttpDelegateCallback::AuthenticationNeeded)) {
    delegate_->authenticationNeededForRequest(*this);
  } else if (queue_ && queue_->respondsTo(HttpDelegateCallback::AuthenticationNeeded)) {
    queue_->authenticationNeededForRequest(*this);
  } else if (authenticationNeededBlock_) {
    authenticationNeededBlock_();
  }
}

void HttpRequest::askDelegateForProxyCredentials() {
  if (delegate_ && delegateAnswers_.has(HttpDelegateCallback::ProxyAuthenticationNeeded)) {
    delegate_->proxyAuthenticationNeededForRequest(*this);
  } else if (queue_ && queue_->respondsTo(HttpDelegateCallback::ProxyAuthenticationNeeded)) {
    queue_->proxyAuthenticationNeededForRequest(*this);
  } else if (proxyAuthenticationNeededBlock_) {
    proxyAuthenticationNeededBlock_();
  }
}

// The dialog lives on the main thread; a request waits until it answers (or, with no window to
// show it in, cancels).
bool HttpRequest::showAuthenticationDialog() {
  if (isSynchronous_ || !shouldPresentAuthenticationDialog_) return false;
  presentDialogOnMainThread();
  return true;
}

bool HttpRequest::showProxyAuthenticationDialog() {
  if (isSynchronous_ || !shouldPresentProxyAuthenticationDialog_) return false;
  presentDialogOnMainThread();
  return true;
}

void HttpRequest::presentDialogOnMainThread() {
  auto request = self();
  auto present = [request] {
    HttpAuthenticationDialog::presentAuthenticationDialogForRequest(request);
  };
  if (plat::RunLoop::isMainThread()) {
    present();
  } else {
    plat::RunLoop::main().perform(present);
  }
}

void HttpRequest::retryUsingSuppliedCredentials() {
  auto request = self();
  performOnWorkingThread([request] {
    std::lock_guard<std::recursive_mutex> lock(request->cancelledLock_);
    if (request->request_) {
      request->attemptToApplyCredentialsAndResume();
    } else {
      request->main();
    }
  });
}

void HttpRequest::cancelAuthentication() {
  auto request = self();
  performOnWorkingThread([request] { request->failAuthentication(); });
}

void HttpRequest::failAuthentication() {
  std::lock_guard<std::recursive_mutex> lock(cancelledLock_);
  failWithError(authenticationError());
}

// ---- Challenges

plat::http::ResponseHead HttpRequest::lastResponseHead() const {
  plat::http::ResponseHead head;
  head.statusCode = responseStatusCode_;
  head.headers = responseHeaders_;
  return head;
}

void HttpRequest::attemptToApplyCredentialsAndResume() {
  auto keepAlive = self();
  std::lock_guard<std::recursive_mutex> cancelled(cancelledLock_);
  if (error_ || isCancelled()) return;
  if (authenticationNeeded_ == 2) {
    attemptToApplyProxyCredentialsAndResume();
    return;
  }
  const plat::http::ResponseHead head = lastResponseHead();
  // A challenge for another realm or scheme starts afresh.
  if (requestAuthentication_ && !requestAuthentication_->updateFromResponse(head)) {
    requestAuthentication_.reset();
    requestCredentials_.reset();
  }
  if (!requestAuthentication_) {
    requestAuthentication_ = Authentication::fromResponse(head, false);
    if (!requestAuthentication_) {
      destroyReadStream();
      failWithError(HttpError::make(kHttpUnableToApplyCredentials,
                                    "Failed to get authentication object from response headers"));
      return;
    }
    authenticationScheme_ = requestAuthentication_->method();
    authenticationOrigin_ = url_;
  }
  authenticationRealm_ =
      requestAuthentication_->requiresAccountDomain() ? "" : requestAuthentication_->realm();

  if (!requestAuthentication_->isValid()) {
    const bool refused =
        requestAuthentication_->refusal() == Authentication::Refusal::BadCredentials;
    requestAuthentication_.reset();
    if (refused && authenticationScheme_ == "NTLM" && authenticationRetryCount_ >= kNtlmTries) {
      removeAuthenticationCredentialsFromSessionStore(requestCredentials_);
      requestCredentials_.reset();
    } else if (refused) {
      std::lock_guard<std::recursive_mutex> lock(delegateAuthenticationLock());
      if (requestCredentials_) {
        removeAuthenticationCredentialsFromSessionStore(requestCredentials_);
        requestCredentials_.reset();
      }
      if (error_ || isCancelled()) return;
      if (useSessionPersistence_) {
        if (auto entry = findSessionAuthenticationCredentials()) {
          requestAuthentication_ = Authentication::forNewExchange(entry->authentication);
          if (applyCredentials(entry->credentials)) {
            destroyReadStream();
            startRequest();
            return;
          }
          requestAuthentication_.reset();
        }
      }
      lastActivityTime_ = plat::Clock::current().now();
      destroyReadStream();
      if (willAskDelegateForCredentials() || showAuthenticationDialog()) return;
    }
    destroyReadStream();
    failWithError(authenticationError());
    return;
  }

  destroyReadStream();
  if (requestCredentials_) {
    const bool ntlm = authenticationScheme_ == "NTLM";
    if (ntlm && requestAuthentication_->sendsCredentialsNext() &&
        authenticationRetryCount_ >= kNtlmTries) {
      failWithError(authenticationError());
    } else if (applyCredentials(requestCredentials_)) {
      startRequest();
    } else {
      failWithError(applyFailure(false));
    }
    return;
  }
  std::lock_guard<std::recursive_mutex> lock(delegateAuthenticationLock());
  if (error_ || isCancelled()) return;
  if (useSessionPersistence_) {
    if (auto entry = findSessionAuthenticationCredentials()) {
      if (applyCredentials(entry->credentials)) {
        startRequest();
      } else {
        failWithError(applyFailure(false));
      }
      return;
    }
  }
  // A user name without a password finds nothing either: the delegate or the dialog is asked.
  CredentialsPtr credentials = findCredentials();
  if (!credentials) {
    if (willAskDelegateForCredentials() || showAuthenticationDialog()) return;
    failWithError(authenticationError());
    return;
  }
  if (applyCredentials(credentials)) {
    startRequest();
  } else {
    failWithError(applyFailure(false));
  }
}

void HttpRequest::attemptToApplyProxyCredentialsAndResume() {
  auto keepAlive = self();
  std::lock_guard<std::recursive_mutex> cancelled(cancelledLock_);
  if (error_ || isCancelled()) return;
  const plat::http::ResponseHead head = lastResponseHead();
  if (proxyAuthentication_ && !proxyAuthentication_->updateFromResponse(head)) {
    proxyAuthentication_.reset();
    proxyCredentials_.reset();
  }
  if (!proxyAuthentication_) {
    proxyAuthentication_ = Authentication::fromResponse(head, true);
    if (!proxyAuthentication_) {
      destroyReadStream();
      failWithError(HttpError::make(kHttpUnableToApplyCredentials,
                                    "Failed to get authentication object from response headers"));
      return;
    }
    proxyAuthenticationScheme_ = proxyAuthentication_->method();
  }
  proxyAuthenticationRealm_ =
      proxyAuthentication_->requiresAccountDomain() ? "" : proxyAuthentication_->realm();

  if (!proxyAuthentication_->isValid()) {
    const bool refused = proxyAuthentication_->refusal() == Authentication::Refusal::BadCredentials;
    proxyAuthentication_.reset();
    if (refused && proxyAuthenticationScheme_ == "NTLM" &&
        proxyAuthenticationRetryCount_ >= kNtlmTries) {
      removeProxyAuthenticationCredentialsFromSessionStore(proxyCredentials_);
      proxyCredentials_.reset();
    } else if (refused) {
      std::lock_guard<std::recursive_mutex> lock(delegateAuthenticationLock());
      if (proxyCredentials_) {
        removeProxyAuthenticationCredentialsFromSessionStore(proxyCredentials_);
        proxyCredentials_.reset();
      }
      if (error_ || isCancelled()) return;
      if (useSessionPersistence_) {
        if (auto entry = findSessionProxyAuthenticationCredentials()) {
          proxyAuthentication_ = Authentication::forNewExchange(entry->authentication);
          if (applyProxyCredentials(entry->credentials)) {
            destroyReadStream();
            startRequest();
            return;
          }
          proxyAuthentication_.reset();
        }
      }
      lastActivityTime_ = plat::Clock::current().now();
      destroyReadStream();
      if (willAskDelegateForProxyCredentials() || showProxyAuthenticationDialog()) return;
    }
    destroyReadStream();
    failWithError(authenticationError());
    return;
  }

  destroyReadStream();
  if (proxyCredentials_) {
    const bool ntlm = proxyAuthenticationScheme_ == "NTLM";
    if (ntlm && proxyAuthentication_->sendsCredentialsNext() &&
        proxyAuthenticationRetryCount_ >= kNtlmTries) {
      failWithError(authenticationError());
    } else if (applyProxyCredentials(proxyCredentials_)) {
      startRequest();
    } else {
      failWithError(applyFailure(true));
    }
    return;
  }
  std::lock_guard<std::recursive_mutex> lock(delegateAuthenticationLock());
  if (error_ || isCancelled()) return;
  if (useSessionPersistence_) {
    if (auto entry = findSessionProxyAuthenticationCredentials()) {
      if (applyProxyCredentials(entry->credentials)) {
        startRequest();
      } else {
        failWithError(applyFailure(true));
      }
      return;
    }
  }
  CredentialsPtr credentials = findProxyCredentials();
  if (!credentials) {
    if (willAskDelegateForProxyCredentials() || showProxyAuthenticationDialog()) return;
    failWithError(authenticationError());
    return;
  }
  if (applyProxyCredentials(credentials)) {
    startRequest();
  } else {
    failWithError(applyFailure(true));
  }
}
