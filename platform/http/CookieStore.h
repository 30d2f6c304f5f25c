// The process-wide cookie store shared by every HTTP request: cookies received from servers, and
// the cookies a request to a URL carries. Safe to use from any thread. Cookies live for the run of
// the process.
#pragma once

#include <mutex>
#include <vector>

#include "platform/http/Cookie.h"

namespace plat::http {

class CookieStore {
 public:
  static CookieStore& shared();

  // Stores cookies received from `url`; a cookie replaces one of the same name, domain and path,
  // and an already expired cookie removes it.
  void setCookies(const std::vector<Cookie>& cookies);
  // The cookies a request to `url` carries: longer paths first, then older cookies first.
  std::vector<Cookie> cookiesForUrl(const Url& url) const;
  void deleteCookie(const Cookie& cookie);
  std::vector<Cookie> allCookies() const;
  void removeAll();

 private:
  mutable std::mutex mutex_;
  std::vector<Cookie> cookies_;
};

}  // namespace plat::http
