// Settings kept once for every request: the time-out default, the default User-Agent, the cookies
// received during this run, the default cache and the network activity indicator.
#include <algorithm>

#include "net/HttpRequest.h"
#include "net/HttpRequestShared.h"
#include "platform/base/Bundle.h"
#include "platform/base/Device.h"
#include "platform/base/Mutex.h"
#include "platform/http/CookieStore.h"

namespace {

struct Settings {
  plat::Mutex mutex;
  double defaultTimeOutSeconds GUARDED_BY(mutex) = 30.0;
  std::optional<std::string> defaultUserAgent GUARDED_BY(mutex);
  HttpCacheDelegate* defaultCache GUARDED_BY(mutex) = nullptr;

  plat::Mutex sessionCookiesLock;
  std::optional<std::vector<plat::http::Cookie>> sessionCookies GUARDED_BY(sessionCookiesLock);

  plat::Mutex indicatorMutex;
  bool indicatorVisible GUARDED_BY(indicatorMutex) = false;
  std::function<void(bool)> indicatorHandler GUARDED_BY(indicatorMutex);
};

Settings& settings() {
  static Settings* instance = new Settings();
  return *instance;
}

const char kIndicatorOwnerTag = 0;
const void* const kIndicatorOwner = &kIndicatorOwnerTag;

}  // namespace

double HttpRequest::defaultTimeOutSeconds() {
  plat::LockGuard lock(settings().mutex);
  return settings().defaultTimeOutSeconds;
}

void HttpRequest::setDefaultTimeOutSeconds(double seconds) {
  plat::LockGuard lock(settings().mutex);
  settings().defaultTimeOutSeconds = seconds;
}

std::string HttpRequest::defaultUserAgentString() {
  Settings& s = settings();
  plat::LockGuard lock(s.mutex);
  if (s.defaultUserAgent) return *s.defaultUserAgent;
  const plat::Bundle& bundle = plat::Bundle::main();
  std::string name = bundle.infoValue("CFBundleDisplayName");
  if (name.empty()) name = bundle.infoValue("CFBundleName");
  // No name, no default: nothing is kept, so a later bundle may still give one.
  if (name.empty()) return "";
  const std::string shortVersion = bundle.infoValue("CFBundleShortVersionString");
  const std::string bundleVersion = bundle.infoValue("CFBundleVersion");
  std::string version = shortVersion.empty() ? bundleVersion : shortVersion;
  if (!shortVersion.empty() && !bundleVersion.empty() && shortVersion != bundleVersion)
    version = shortVersion + " rv:" + bundleVersion;
  const plat::DeviceInfo device = plat::Device::current();
  s.defaultUserAgent = name + " " + version + " (" + device.model + "; " + device.systemName + " " +
                       device.systemVersion + "; " + device.localeIdentifier + ")";
  return *s.defaultUserAgent;
}

void HttpRequest::setDefaultUserAgentString(const std::string& userAgent) {
  plat::LockGuard lock(settings().mutex);
  // An empty text forgets the default, which is then made again on next use.
  if (userAgent.empty()) {
    settings().defaultUserAgent.reset();
  } else {
    settings().defaultUserAgent = userAgent;
  }
}

HttpCacheDelegate* HttpRequest::defaultCache() {
  plat::LockGuard lock(settings().mutex);
  return settings().defaultCache;
}

void HttpRequest::setDefaultCache(HttpCacheDelegate* cache) {
  plat::LockGuard lock(settings().mutex);
  settings().defaultCache = cache;
}

// ---- Session cookies

std::vector<plat::http::Cookie> HttpRequest::sessionCookies() {
  Settings& s = settings();
  plat::LockGuard lock(s.sessionCookiesLock);
  if (!s.sessionCookies) s.sessionCookies.emplace();
  return *s.sessionCookies;
}

void HttpRequest::setSessionCookies(std::vector<Cookie> cookies) {
  Settings& s = settings();
  plat::LockGuard lock(s.sessionCookiesLock);
  if (s.sessionCookies) {
    for (const Cookie& cookie : *s.sessionCookies)
      plat::http::CookieStore::shared().deleteCookie(cookie);
  }
  s.sessionCookies = std::move(cookies);
}

void HttpRequest::addSessionCookie(const Cookie& cookie) {
  Settings& s = settings();
  plat::LockGuard lock(s.sessionCookiesLock);
  if (!s.sessionCookies) s.sessionCookies.emplace();
  auto& list = *s.sessionCookies;
  auto same = std::find_if(list.begin(), list.end(), [&](const Cookie& c) {
    return c.domain == cookie.domain && c.path == cookie.path && c.name == cookie.name;
  });
  if (same != list.end()) list.erase(same);
  list.push_back(cookie);
}

void HttpRequest::clearSession() {
  setSessionCookies({});
  clearSessionCredentials();
  if (HttpCacheDelegate* cache = defaultCache()) cache->clearCachedResponsesForStoragePolicy(0);
}

// ---- Network activity indicator

bool HttpRequest::isNetworkInUse() {
  HttpRequestShared& shared = HttpRequestShared::get();
  plat::LockGuard lock(shared.connectionsLock);
  return shared.runningRequestCount > 0;
}

void HttpRequest::setShouldUpdateNetworkActivityIndicator(bool update) {
  HttpRequestShared& shared = HttpRequestShared::get();
  plat::LockGuard lock(shared.connectionsLock);
  shared.shouldUpdateNetworkActivityIndicator = update;
}

namespace {

void setIndicator(bool visible) {
  Settings& s = settings();
  std::function<void(bool)> handler;
  {
    plat::LockGuard lock(s.indicatorMutex);
    if (s.indicatorVisible == visible) return;
    s.indicatorVisible = visible;
    handler = s.indicatorHandler;
  }
  // The screen layer shows it on the main thread.
  if (handler) plat::RunLoop::main().perform([handler, visible] { handler(visible); });
}

}  // namespace

void HttpRequest::showNetworkActivityIndicator() {
  setIndicator(true);
}
void HttpRequest::hideNetworkActivityIndicator() {
  setIndicator(false);
}

void HttpRequest::hideNetworkActivityIndicatorAfterDelay() {
  plat::RunLoop& loop = plat::RunLoop::current();
  loop.cancelPerforms(kIndicatorOwner, "hide");
  loop.performAfter(0.5, kIndicatorOwner, "hide", [] { hideNetworkActivityIndicatorIfNeeeded(); });
}

void HttpRequest::hideNetworkActivityIndicatorIfNeeeded() {
  HttpRequestShared& shared = HttpRequestShared::get();
  plat::LockGuard lock(shared.connectionsLock);
  if (shared.runningRequestCount == 0) hideNetworkActivityIndicator();
}

bool HttpRequest::isNetworkActivityIndicatorVisible() {
  plat::LockGuard lock(settings().indicatorMutex);
  return settings().indicatorVisible;
}

void HttpRequest::setNetworkActivityIndicatorHandler(std::function<void(bool)> handler) {
  plat::LockGuard lock(settings().indicatorMutex);
  settings().indicatorHandler = std::move(handler);
}
