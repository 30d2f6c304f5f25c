// One HTTP cookie and the reading of "Set-Cookie" header values for the URL that sent them
// (RFC 6265: attributes, domain and path defaults, the matching rule for requests).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/http/Url.h"

namespace plat::http {

struct Cookie {
  std::string name;
  std::string value;
  // The host for a host-only cookie; "." followed by the domain for a cookie set with Domain.
  std::string domain;
  std::string path;
  std::optional<double> expires;  // unix time; none for a session cookie
  bool secure = false;
  bool httpOnly = false;
  double created = 0;  // orders cookies of equal path length

  bool isSessionOnly() const { return !expires; }
  bool isHostOnly() const { return domain.empty() || domain[0] != '.'; }
  bool isExpired(double now) const { return expires && *expires <= now; }
  // Whether a request to `url` carries this cookie.
  bool matches(const Url& url, double now) const;
  // Same name, domain and path: a newer cookie replaces an older one.
  bool sameIdentity(const Cookie& other) const {
    return name == other.name && domain == other.domain && path == other.path;
  }

  // The cookies of the "Set-Cookie" values a response from `url` carried, at time `now`. Values
  // that can't be read, or that name a domain the URL's host does not belong to, are skipped.
  static std::vector<Cookie> parseSetCookieValues(const std::vector<std::string>& values,
                                                  const Url& url, double now);
};

// A date of a cookie's Expires attribute (RFC 6265 section 5.1.1); nullopt when unreadable.
std::optional<double> parseCookieDate(const std::string& text);

}  // namespace plat::http
