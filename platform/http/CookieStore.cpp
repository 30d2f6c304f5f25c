#include "platform/http/CookieStore.h"

#include <algorithm>

#include "platform/base/Clock.h"

namespace plat::http {

// Never destroyed: the network thread and the request queues' workers store and read cookies
// until they stop, which may be after the process has begun to destroy its static objects.
CookieStore& CookieStore::shared() {
  static auto* store = new CookieStore;
  return *store;
}

void CookieStore::setCookies(const std::vector<Cookie>& cookies) {
  const double now = Clock::current().now();
  std::lock_guard<std::mutex> lock(mutex_);
  std::erase_if(cookies_, [now](const Cookie& c) { return c.isExpired(now); });
  for (const Cookie& cookie : cookies) {
    auto same = std::find_if(cookies_.begin(), cookies_.end(),
                             [&](const Cookie& c) { return c.sameIdentity(cookie); });
    if (cookie.isExpired(now)) {
      if (same != cookies_.end()) cookies_.erase(same);
    } else if (same != cookies_.end()) {
      double created = same->created;
      *same = cookie;
      same->created = created;  // a replaced cookie keeps its place in the order
    } else {
      cookies_.push_back(cookie);
    }
  }
}

std::vector<Cookie> CookieStore::cookiesForUrl(const Url& url) const {
  const double now = Clock::current().now();
  std::vector<Cookie> result;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Cookie& cookie : cookies_)
      if (cookie.matches(url, now)) result.push_back(cookie);
  }
  std::stable_sort(result.begin(), result.end(), [](const Cookie& a, const Cookie& b) {
    if (a.path.size() != b.path.size()) return a.path.size() > b.path.size();
    return a.created < b.created;
  });
  return result;
}

void CookieStore::deleteCookie(const Cookie& cookie) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::erase_if(cookies_, [&](const Cookie& c) { return c.sameIdentity(cookie); });
}

std::vector<Cookie> CookieStore::allCookies() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cookies_;
}

void CookieStore::removeAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  cookies_.clear();
}

}  // namespace plat::http
