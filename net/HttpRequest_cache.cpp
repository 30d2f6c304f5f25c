// How long a response may be answered from a cache.
#include <cstdlib>

#include "net/HttpRequest.h"
#include "platform/base/Clock.h"
#include "platform/base/DateFormat.h"

std::optional<double> HttpRequest::expiryDateForRequest(const HttpRequest& request, double maxAge) {
  const HeaderMap& headers = request.responseHeaders();
  if (maxAge == 0) {
    std::string cacheControl = plat::http::lowercased(headers.value("Cache-Control"));
    size_t at = cacheControl.find("max-age");
    if (at != std::string::npos) {
      at += 7;
      if (at < cacheControl.size() && cacheControl[at] == '=') ++at;
      maxAge = std::strtod(cacheControl.c_str() + at, nullptr);
    }
  }
  if (maxAge != 0) return plat::Clock::current().now() + maxAge;
  if (std::optional<std::string> expires = headers.get("Expires"))
    return dateFromRFC1123String(*expires);
  return std::nullopt;
}

std::optional<double> HttpRequest::dateFromRFC1123String(const std::string& text) {
  return plat::DateFormat::parseRFC1123(text);
}
