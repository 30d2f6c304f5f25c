// Answering a 401 from a server or a 407 from a proxy: finding credentials (the URL, the request,
// the session stores, the keychain), applying them and sending the request again, or asking the
// delegate or the login dialog and waiting for retryUsingSuppliedCredentials() or
// cancelAuthentication(). Credentials are never written to any log.
#include <algorithm>

#include "net/HttpAuthenticationDialog.h"
#include "net/HttpNetworkQueue.h"
#include "net/HttpRequest.h"
#include "net/HttpStoredLogin.h"
#include "platform/base/Clock.h"
#include "platform/base/Mutex.h"
#include "platform/crypto/SecretStore.h"
#include "platform/http/LoginDigest.h"

using plat::http::Authentication;
using plat::http::Credentials;
using storedlogin::splitAccountDomain;

namespace {

// Serialises the consultation of session stores, delegates and the dialog, so that requests
// refused at once ask only once. Kept recursive: under it a request applies credentials and starts
// again on its own thread, and no path back into a challenge has been ruled out.
plat::RecursiveMutex& delegateAuthenticationLock() {
  static plat::RecursiveMutex lock;
  return lock;
}

struct SessionStores {
  // Recursive: storing an entry removes the one it replaces through the public removal.
  plat::RecursiveMutex lock;
  std::vector<HttpSessionCredentials> server GUARDED_BY(lock);
  std::vector<HttpSessionCredentials> proxy GUARDED_BY(lock);
};

// Never destroyed: requests apply and store credentials on the network thread and on queue
// workers, which may still do so while the process exits.
SessionStores& sessionStores() {
  static auto* stores = new SessionStores;
  return *stores;
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

// A saved login as the request would send it (in the account domain the request gives), when it
// serves the user the request names: like a session entry, it answers for no one else. The device
// keeps no account domain with a login, so one named in a domain is served only where the request
// gives that domain.
std::optional<Credentials> savedLoginServing(std::optional<Credentials> saved,
                                             const storedlogin::Named& named, bool needsDomain,
                                             const std::string& domain) {
  if (!saved || saved->username.empty() || saved->password.empty()) return std::nullopt;
  if (needsDomain) splitAccountDomain(*saved, domain);
  if (!storedlogin::serves(*saved, named, needsDomain)) return std::nullopt;
  return saved;
}

// NTLM credentials are tried twice at most in a row: a third try would only lock the account
// sooner. A handshake let in ends the row.
constexpr int kNtlmTries = 2;

// Credentials sent again without the owner or the user being asked, at most this often per
// request: a server that names a new realm or calls every nonce stale at each try would otherwise
// have the request send them for ever. Enough for a login through a proxy to a server, NTLM on
// both.
constexpr int kUnaskedCredentialTries = 8;

HttpErrorPtr applyFailure(bool proxy) {
  return HttpError::make(kHttpUnableToApplyCredentials,
                         proxy ? "Failed to apply proxy credentials to request"
                               : "Failed to apply credentials to request");
}

}  // namespace

// ---- Session stores

std::vector<HttpSessionCredentials> HttpRequest::sessionCredentialsStore() {
  SessionStores& stores = sessionStores();
  plat::LockGuard lock(stores.lock);
  return stores.server;
}

std::vector<HttpSessionCredentials> HttpRequest::sessionProxyCredentialsStore() {
  SessionStores& stores = sessionStores();
  plat::LockGuard lock(stores.lock);
  return stores.proxy;
}

void HttpRequest::storeAuthenticationCredentialsInSessionStore(
    const HttpSessionCredentials& entry) {
  SessionStores& stores = sessionStores();
  plat::LockGuard lock(stores.lock);
  removeAuthenticationCredentialsFromSessionStore(entry.credentials);
  stores.server.push_back(entry);
}

void HttpRequest::storeProxyAuthenticationCredentialsInSessionStore(
    const HttpSessionCredentials& entry) {
  SessionStores& stores = sessionStores();
  plat::LockGuard lock(stores.lock);
  removeProxyAuthenticationCredentialsFromSessionStore(entry.credentials);
  stores.proxy.push_back(entry);
}

void HttpRequest::removeAuthenticationCredentialsFromSessionStore(
    const CredentialsPtr& credentials) {
  SessionStores& stores = sessionStores();
  plat::LockGuard lock(stores.lock);
  auto& store = stores.server;
  auto found = std::find_if(store.begin(), store.end(),
                            [&](const auto& entry) { return entry.credentials == credentials; });
  if (found != store.end()) store.erase(found);
}

void HttpRequest::removeProxyAuthenticationCredentialsFromSessionStore(
    const CredentialsPtr& credentials) {
  SessionStores& stores = sessionStores();
  plat::LockGuard lock(stores.lock);
  auto& store = stores.proxy;
  auto found = std::find_if(store.begin(), store.end(),
                            [&](const auto& entry) { return entry.credentials == credentials; });
  if (found != store.end()) store.erase(found);
}

void HttpRequest::clearSessionCredentials() {
  SessionStores& stores = sessionStores();
  plat::LockGuard lock(stores.lock);
  stores.server.clear();
  stores.proxy.clear();
}

namespace {

bool needsAccountDomain(const HttpSessionCredentials& entry) {
  return entry.authentication && entry.authentication->requiresAccountDomain();
}

}  // namespace

std::optional<HttpSessionCredentials> HttpRequest::findSessionAuthenticationCredentials() {
  SessionStores& stores = sessionStores();
  plat::LockGuard lock(stores.lock);
  const storedlogin::Named named = namedServerLogin();
  auto qualifies = [&](const HttpSessionCredentials& entry) {
    return realmsMatch(entry.authenticationRealm, authenticationRealm_) &&
           storedlogin::serves(*entry.credentials, named, needsAccountDomain(entry));
  };
  std::optional<HttpSessionCredentials> sameServer;
  for (const HttpSessionCredentials& entry : stores.server) {
    if (!qualifies(entry)) continue;
    if (entry.url.absoluteString() == url_.absoluteString()) return entry;
    if (!sameServer && entry.url.host() == url_.host() && entry.url.port() == url_.port() &&
        entry.url.scheme() == url_.scheme())
      sameServer = entry;
  }
  return sameServer;
}

std::optional<HttpSessionCredentials> HttpRequest::findSessionProxyAuthenticationCredentials() {
  SessionStores& stores = sessionStores();
  plat::LockGuard lock(stores.lock);
  for (const HttpSessionCredentials& entry : stores.proxy) {
    if (entry.host != proxyHost_ || entry.port != proxyPort_) continue;
    if (storedlogin::serves(*entry.credentials, namedProxyLogin(entry.authenticationScheme),
                            needsAccountDomain(entry)))
      return entry;
  }
  return std::nullopt;
}

// The user the request names for its server, wherever it is sent: the user of the login it would
// send here (the owner's answer to this server's question, else its URL's, else its main
// request's, else its own, as findCredentials() takes them), else of the one it would send where
// it was given; else the first user it names without a password. After a redirect to another
// server neither its URL's login nor its own is sent there, but they still name their user: no
// one else's stored login answers for it there.
storedlogin::Named HttpRequest::namedServerLogin() const {
  using storedlogin::Named;
  const Url& urlLogin = urlGivingLogin();
  const Named fromUrl{urlLogin.user(), urlLogin.password(), domain_};
  const Named fromMain =
      mainRequest_ ? Named{mainRequest_->username_, mainRequest_->password_, domain_} : Named{};
  const Named own{username_, password_, domain_};
  const bool urlHere = sameOrigin(urlLogin, url_), ownHere = ownCredentialsGoHere();
  return storedlogin::firstNamed({ownerAnsweredHere() ? own : Named{}, urlHere ? fromUrl : Named{},
                                  ownHere ? fromMain : Named{}, ownHere ? own : Named{}, fromUrl,
                                  fromMain, own});
}

// The user the request names for a proxy of `scheme`, as findProxyCredentials() would take its
// login: its main request's proxy login, else its own; for an NTLM proxy, which usually checks
// the same account as the servers behind it, its whole server login after them.
storedlogin::Named HttpRequest::namedProxyLogin(const std::string& scheme) const {
  const std::string& domain = proxyDomain_.empty() ? domain_ : proxyDomain_;
  const bool serverLoginGoes = scheme == "NTLM" && !password_.empty();
  return storedlogin::firstNamed(
      {mainRequest_
           ? storedlogin::Named{mainRequest_->proxyUsername_, mainRequest_->proxyPassword_, domain}
           : storedlogin::Named{},
       {proxyUsername_, proxyPassword_, domain},
       serverLoginGoes ? storedlogin::Named{username_, password_, domain} : storedlogin::Named{}});
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
  const bool needsDomain =
      requestAuthentication_ && requestAuthentication_->requiresAccountDomain();
  std::optional<Credentials> found;
  auto take = [&](const std::string& user, const std::string& password) {
    if (!found && !user.empty() && !password.empty()) found = Credentials{user, password, ""};
  };
  // The owner's answer to this server's question replaces the URL's login it was asked after.
  if (ownerAnsweredHere()) take(username_, password_);
  const Url& urlLogin = urlGivingLogin();
  if (sameOrigin(urlLogin, url_)) take(urlLogin.user(), urlLogin.password());
  if (ownCredentialsGoHere()) {
    if (mainRequest_) take(mainRequest_->username_, mainRequest_->password_);
    take(username_, password_);
  }
  if (found && needsDomain) splitAccountDomain(*found, domain_);
  if (!found && useKeychainPersistence_) {
    found = savedLoginServing(savedCredentialsForHost(url_.host(), url_.effectivePort(),
                                                      url_.scheme(), authenticationRealm_),
                              namedServerLogin(), needsDomain, domain_);
  }
  return found ? std::make_shared<const Credentials>(*found) : nullptr;
}

// The proxy's saved login is read whatever useKeychainPersistence says, as it always was; it too
// answers only for the user the request names.
HttpRequest::CredentialsPtr HttpRequest::findProxyCredentials() {
  const bool needsDomain = proxyAuthentication_ && proxyAuthentication_->requiresAccountDomain();
  const std::string& domain = proxyDomain_.empty() ? domain_ : proxyDomain_;
  std::optional<Credentials> found;
  auto take = [&](const std::string& user, const std::string& password) {
    if (!found && !user.empty() && !password.empty()) found = Credentials{user, password, ""};
  };
  if (mainRequest_) take(mainRequest_->proxyUsername_, mainRequest_->proxyPassword_);
  take(proxyUsername_, proxyPassword_);
  // An NTLM proxy usually checks the same account as the servers behind it.
  if (proxyAuthenticationScheme_ == "NTLM") take(username_, password_);
  if (found && needsDomain) splitAccountDomain(*found, domain);
  if (!found) {
    found = savedLoginServing(
        savedCredentialsForProxy(proxyHost_, proxyPort_, proxyAuthenticationRealm_),
        namedProxyLogin(proxyAuthenticationScheme_), needsDomain, domain);
  }
  return found ? std::make_shared<const Credentials>(*found) : nullptr;
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
  savesLoginWhenLetIn_ = useKeychainPersistence_;
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
  savesProxyLoginWhenLetIn_ = useKeychainPersistence_;
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

// The keychain keeps a login once the server or proxy let it in, not when it is sent: a mistyped
// password must not replace the saved one that works. A proxy's 407 says nothing of the server
// login behind it, which the server never saw. NTLM's negotiate message is answered by a 401 that
// carries the challenge, so its login is saved after the answer that follows.
void HttpRequest::saveLoginsLetIn() {
  const bool serverLetIn = responseStatusCode_ != 401 && responseStatusCode_ != 407;
  if (savesLoginWhenLetIn_ && requestCredentials_ && serverLetIn) {
    saveCredentials_forHost(*requestCredentials_, url_.host(), url_.effectivePort(), url_.scheme(),
                            authenticationRealm_);
    savesLoginWhenLetIn_ = false;
  }
  if (savesProxyLoginWhenLetIn_ && proxyCredentials_ && responseStatusCode_ != 407) {
    saveCredentials_forProxy(*proxyCredentials_, proxyHost_, proxyPort_, proxyAuthenticationRealm_);
    savesProxyLoginWhenLetIn_ = false;
  }
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
    if (!username_.empty() && !password_.empty() && authenticationScheme_ == "Basic" &&
        ownCredentialsGoHere()) {
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

// The request's own user name and password are for the server it was made for, or the one the
// owner answered a question of: a redirect elsewhere, which that server's owner chose, must not
// collect them before a challenge or by asking for them.
bool HttpRequest::ownCredentialsGoHere() const {
  if (!credentialsSuppliedFor_.isEmpty()) return sameOrigin(credentialsSuppliedFor_, url_);
  return redirectCount_ == 0 || sameOrigin(originalURL_, url_);
}

bool HttpRequest::ownerAnsweredHere() const {
  return !credentialsSuppliedFor_.isEmpty() && sameOrigin(credentialsSuppliedFor_, url_);
}

// The URL whose user info gives the request's URL login here: its own when it names a user; else
// the last URL a redirect left that named one for this server; else the last that named one at
// all. Like the request's own login, a URL's login goes only to the server it was given for, back
// there too, and names its user everywhere.
const HttpRequest::Url& HttpRequest::urlGivingLogin() const {
  if (!url_.user().empty() || urlLoginsLeftBehind_.empty()) return url_;
  for (auto left = urlLoginsLeftBehind_.rbegin(); left != urlLoginsLeftBehind_.rend(); ++left) {
    if (sameOrigin(*left, url_)) return *left;
  }
  return urlLoginsLeftBehind_.back();
}

// An NTLM login answers the challenge of one connection: from the negotiate message on, the
// request keeps its connection even where it would not keep one otherwise (a POST).
bool HttpRequest::handshakeHoldsConnection() const {
  return (requestAuthentication_ && requestAuthentication_->isMidHandshake()) ||
         (proxyAuthentication_ && proxyAuthentication_->isMidHandshake());
}

// The logins this request speaks with that a server or proxy binds to the connection (NTLM), as
// one text of user, domain and a digest of the password (never the password itself): the kept
// connections it may take are those that carried the same. Before a challenge its own user name
// counts as such a login: it may continue that user's connection, and no one else's. Credentials
// for a scheme that binds nothing (Basic, Digest) add nothing.
std::string HttpRequest::connectionLogin() const {
  auto side = [](const char* name, const std::shared_ptr<Authentication>& authentication,
                 const CredentialsPtr& applied, const std::string& user,
                 const std::string& password, const std::string& domain) {
    Credentials credentials;
    if (authentication) {
      if (!authentication->bindsLoginToConnection() || !applied) return std::string();
      credentials = *applied;
    } else if (!user.empty() && !password.empty()) {
      credentials.username = user;
      credentials.password = password;
      splitAccountDomain(credentials, domain);
    } else {
      return std::string();
    }
    // The password counts too, as a digest: a wrong one must not ride the connection the right
    // one logged in.
    return std::string(name) + " " + credentials.accountDomain + "\\" + credentials.username + " " +
           plat::http::loginDigest(credentials.password) + "\n";
  };
  const bool own = ownCredentialsGoHere();
  return side("server", requestAuthentication_, requestCredentials_, own ? username_ : "",
              own ? password_ : "", domain_) +
         side("proxy", proxyAuthentication_, proxyCredentials_, proxyUsername_, proxyPassword_,
              proxyDomain_.empty() ? domain_ : proxyDomain_);
}

// A new connection has had no challenge: an NTLM handshake under way starts over there with its
// negotiate message, and never answers another connection's challenge on it.
void HttpRequest::restartConnectionBoundHandshakes() {
  auto restart = [this](std::shared_ptr<Authentication>& authentication,
                        const CredentialsPtr& credentials,
                        const char* field) REQUIRES(cancelledLock_) {
    if (!authentication || !authentication->bindsLoginToConnection() || !request_) return;
    authentication = Authentication::forNewExchange(authentication);
    request_->headers.remove(field);
    if (credentials) authentication->apply(*request_, *credentials);
  };
  restart(requestAuthentication_, requestCredentials_, "Authorization");
  restart(proxyAuthentication_, proxyCredentials_, "Proxy-Authorization");
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
    plat::LockGuard lock(request->cancelledLock_);
    request->unaskedCredentialTries_ = 0;
    // An answer to a proxy's question gives the proxy's login: it sends the request's own server
    // login nowhere it would not go anyway (after a redirect, to another server).
    if (request->authenticationNeeded_ != 2) request->credentialsSuppliedFor_ = request->url_;
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
  plat::LockGuard lock(cancelledLock_);
  failWithError(authenticationError());
}

// ---- Challenges

plat::http::ResponseHead HttpRequest::lastResponseHead() const {
  plat::http::ResponseHead head;
  head.statusCode = responseStatusCode_;
  head.headers = responseHeaders_;
  return head;
}

// What a challenge from the server (401) and one from a proxy (407) each work on; one procedure
// answers both.
struct HttpRequest::ChallengeSide {
  bool proxy;
  std::shared_ptr<Authentication> HttpRequest::*authentication;
  CredentialsPtr HttpRequest::*credentials;
  std::string HttpRequest::*scheme;
  std::string HttpRequest::*realm;
  int HttpRequest::*retryCount;
  int HttpRequest::*triesBeforeHandshake;  // the count when the last handshake let in ended
  Url HttpRequest::*origin;  // where the authentication came from; none kept for a proxy
  void (*forgetSessionCredentials)(const CredentialsPtr&);
  std::optional<HttpSessionCredentials> (HttpRequest::*findSessionCredentials)();
  CredentialsPtr (HttpRequest::*findCredentials)();
  bool (HttpRequest::*applyCredentials)(const CredentialsPtr&);
  bool (HttpRequest::*willAskDelegate)();
  bool (HttpRequest::*showDialog)();
};

const HttpRequest::ChallengeSide HttpRequest::kServerSide{
    false,
    &HttpRequest::requestAuthentication_,
    &HttpRequest::requestCredentials_,
    &HttpRequest::authenticationScheme_,
    &HttpRequest::authenticationRealm_,
    &HttpRequest::authenticationRetryCount_,
    &HttpRequest::authenticationTriesBeforeHandshake_,
    &HttpRequest::authenticationOrigin_,
    &HttpRequest::removeAuthenticationCredentialsFromSessionStore,
    &HttpRequest::findSessionAuthenticationCredentials,
    &HttpRequest::findCredentials,
    &HttpRequest::applyCredentials,
    &HttpRequest::willAskDelegateForCredentials,
    &HttpRequest::showAuthenticationDialog,
};

const HttpRequest::ChallengeSide HttpRequest::kProxySide{
    true,
    &HttpRequest::proxyAuthentication_,
    &HttpRequest::proxyCredentials_,
    &HttpRequest::proxyAuthenticationScheme_,
    &HttpRequest::proxyAuthenticationRealm_,
    &HttpRequest::proxyAuthenticationRetryCount_,
    &HttpRequest::proxyAuthenticationTriesBeforeHandshake_,
    nullptr,
    &HttpRequest::removeProxyAuthenticationCredentialsFromSessionStore,
    &HttpRequest::findSessionProxyAuthenticationCredentials,
    &HttpRequest::findProxyCredentials,
    &HttpRequest::applyProxyCredentials,
    &HttpRequest::willAskDelegateForProxyCredentials,
    &HttpRequest::showProxyAuthenticationDialog,
};

// An NTLM handshake that was let in is over: its authenticate message answered one challenge on
// one connection, which now speaks for the user, and is not sent again (a server or proxy takes an
// answer to no challenge of its own as a failed login, so a server asking for its login behind an
// NTLM proxy had the proxy refuse the request). Asked again, the login starts a new handshake
// instead of taking the question as a refusal, with tries of its own. A proxy's 407 lets in
// neither side.
void HttpRequest::endHandshakesLetIn() {
  auto end = [this](const ChallengeSide& side, const char* field) REQUIRES(cancelledLock_) {
    std::shared_ptr<Authentication>& authentication = this->*side.authentication;
    if (!authentication || !authentication->bindsLoginToConnection() ||
        !authentication->isMidHandshake())
      return;
    authentication = Authentication::forNewExchange(authentication);
    if (request_) request_->headers.remove(field);
    this->*side.triesBeforeHandshake = this->*side.retryCount;
  };
  if (responseStatusCode_ == 407) return;
  end(kProxySide, "Proxy-Authorization");
  if (responseStatusCode_ != 401) end(kServerSide, "Authorization");
}

void HttpRequest::attemptToApplyCredentialsAndResume() {
  auto keepAlive = self();
  plat::LockGuard cancelled(cancelledLock_);
  if (error_ || isCancelled()) return;
  answerChallenge(authenticationNeeded_ == 2 ? kProxySide : kServerSide);
}

// The delegate lock is taken inside the request's own lock, and the session stores' lock inside
// both (by the session-store calls), always in that order.
void HttpRequest::answerChallenge(const ChallengeSide& side) {
  std::shared_ptr<Authentication>& authentication = this->*side.authentication;
  CredentialsPtr& credentials = this->*side.credentials;
  std::string& scheme = this->*side.scheme;
  const plat::http::ResponseHead head = lastResponseHead();
  // A challenge for another realm or scheme starts afresh.
  if (authentication && !authentication->updateFromResponse(head)) {
    authentication.reset();
    credentials.reset();
  }
  if (!authentication) {
    authentication = Authentication::fromResponse(head, side.proxy);
    if (!authentication) {
      destroyReadStream();
      failWithError(HttpError::make(kHttpUnableToApplyCredentials,
                                    "Failed to get authentication object from response headers"));
      return;
    }
    scheme = authentication->method();
    if (side.origin) this->*side.origin = url_;
  }
  this->*side.realm = authentication->requiresAccountDomain() ? "" : authentication->realm();
  const bool outOfNtlmTries =
      scheme == "NTLM" && this->*side.retryCount - this->*side.triesBeforeHandshake >= kNtlmTries;
  auto askForCredentials = [&] {
    return (this->*side.willAskDelegate)() || (this->*side.showDialog)();
  };
  if (unaskedCredentialTries_ >= kUnaskedCredentialTries) {
    destroyReadStream();
    failWithError(authenticationError());
    return;
  }
  auto applyAndStart = [&](const CredentialsPtr& found) REQUIRES(cancelledLock_) {
    ++unaskedCredentialTries_;
    if ((this->*side.applyCredentials)(found)) {
      startRequest();
    } else {
      failWithError(applyFailure(side.proxy));
    }
  };

  if (!authentication->isValid()) {
    const bool refused = authentication->refusal() == Authentication::Refusal::BadCredentials;
    authentication.reset();
    if (refused && outOfNtlmTries) {
      side.forgetSessionCredentials(credentials);
      credentials.reset();
    } else if (refused) {
      plat::LockGuard lock(delegateAuthenticationLock());
      if (credentials) {
        side.forgetSessionCredentials(credentials);
        credentials.reset();
      }
      if (error_ || isCancelled()) return;
      if (useSessionPersistence_) {
        if (auto entry = (this->*side.findSessionCredentials)()) {
          authentication = Authentication::forNewExchange(entry->authentication);
          ++unaskedCredentialTries_;
          if ((this->*side.applyCredentials)(entry->credentials)) {
            destroyReadStream();
            startRequest();
            return;
          }
          authentication.reset();
        }
      }
      lastActivityTime_ = plat::Clock::current().now();
      destroyReadStream();
      if (askForCredentials()) return;
    }
    destroyReadStream();
    failWithError(authenticationError());
    return;
  }

  destroyReadStream();
  if (credentials) {
    if (outOfNtlmTries && authentication->sendsCredentialsNext()) {
      failWithError(authenticationError());
    } else {
      applyAndStart(credentials);
    }
    return;
  }
  plat::LockGuard lock(delegateAuthenticationLock());
  if (error_ || isCancelled()) return;
  if (useSessionPersistence_) {
    if (auto entry = (this->*side.findSessionCredentials)()) {
      applyAndStart(entry->credentials);
      return;
    }
  }
  // A user name without a password finds nothing either: the delegate or the dialog is asked.
  CredentialsPtr found = (this->*side.findCredentials)();
  if (!found) {
    if (askForCredentials()) return;
    failWithError(authenticationError());
    return;
  }
  applyAndStart(found);
}
