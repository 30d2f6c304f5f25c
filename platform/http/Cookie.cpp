#include "platform/http/Cookie.h"

#include <arpa/inet.h>

#include <cctype>
#include <cstring>
#include <ctime>

namespace plat::http {
namespace {

std::string trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool isIpAddress(const std::string& host) {
  unsigned char buffer[16];
  return inet_pton(AF_INET, host.c_str(), buffer) == 1 ||
         inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

// RFC 6265 section 5.1.3.
bool domainMatches(const std::string& host, const std::string& domain) {
  if (host == domain) return true;
  if (isIpAddress(host) || host.size() <= domain.size()) return false;
  return host.compare(host.size() - domain.size(), domain.size(), domain) == 0 &&
         host[host.size() - domain.size() - 1] == '.';
}

// RFC 6265 section 5.1.4.
bool pathMatches(const std::string& requestPath, const std::string& cookiePath) {
  if (requestPath == cookiePath) return true;
  if (requestPath.compare(0, cookiePath.size(), cookiePath) != 0) return false;
  return cookiePath.back() == '/' || requestPath[cookiePath.size()] == '/';
}

std::string defaultPath(const Url& url) {
  const std::string& path = url.path();
  if (path.empty() || path[0] != '/') return "/";
  size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::optional<Cookie> parseOne(const std::string& text, const Url& url, double now) {
  size_t semicolon = text.find(';');
  std::string pair = text.substr(0, semicolon);
  size_t equals = pair.find('=');
  if (equals == std::string::npos) return std::nullopt;
  Cookie cookie;
  cookie.name = trim(pair.substr(0, equals));
  cookie.value = trim(pair.substr(equals + 1));
  if (cookie.name.empty()) return std::nullopt;
  cookie.created = now;

  std::optional<double> maxAgeExpiry, expiresDate;
  std::string domainAttribute, pathAttribute;
  while (semicolon != std::string::npos) {
    size_t next = text.find(';', semicolon + 1);
    std::string attribute = text.substr(
        semicolon + 1, next == std::string::npos ? std::string::npos : next - semicolon - 1);
    semicolon = next;
    size_t eq = attribute.find('=');
    std::string key = lower(trim(attribute.substr(0, eq)));
    std::string value = eq == std::string::npos ? "" : trim(attribute.substr(eq + 1));
    if (key == "expires") {
      if (auto date = parseCookieDate(value)) expiresDate = date;
    } else if (key == "max-age") {
      char* end = nullptr;
      long long seconds = std::strtoll(value.c_str(), &end, 10);
      if (!value.empty() && end && *end == '\0' &&
          (std::isdigit(static_cast<unsigned char>(value[0])) || value[0] == '-')) {
        maxAgeExpiry = seconds <= 0 ? 0.0 : now + static_cast<double>(seconds);
      }
    } else if (key == "domain") {
      domainAttribute = lower(value);
      if (!domainAttribute.empty() && domainAttribute[0] == '.') domainAttribute.erase(0, 1);
    } else if (key == "path") {
      pathAttribute = value;
    } else if (key == "secure") {
      cookie.secure = true;
    } else if (key == "httponly") {
      cookie.httpOnly = true;
    }
  }
  cookie.expires = maxAgeExpiry ? maxAgeExpiry : expiresDate;

  const std::string& host = url.host();
  if (domainAttribute.empty()) {
    cookie.domain = host;
  } else {
    if (!domainMatches(host, domainAttribute)) return std::nullopt;
    cookie.domain = host == domainAttribute && isIpAddress(host) ? host : "." + domainAttribute;
  }
  cookie.path =
      !pathAttribute.empty() && pathAttribute[0] == '/' ? pathAttribute : defaultPath(url);
  return cookie;
}

int monthNumber(const std::string& token) {
  static const char* kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                  "jul", "aug", "sep", "oct", "nov", "dec"};
  std::string prefix = lower(token.substr(0, 3));
  for (int i = 0; i < 12; ++i)
    if (prefix == kMonths[i]) return i + 1;
  return 0;
}

bool isDelimiter(unsigned char c) {
  return c == 0x09 || (c >= 0x20 && c <= 0x2f) || (c >= 0x3b && c <= 0x40) ||
         (c >= 0x5b && c <= 0x60) || (c >= 0x7b && c <= 0x7e);
}

}  // namespace

bool Cookie::matches(const Url& url, double now) const {
  if (isExpired(now)) return false;
  if (secure && !url.isSecure()) return false;
  const std::string& host = url.host();
  if (isHostOnly()) {
    if (host != domain) return false;
  } else if (!domainMatches(host, domain.substr(1))) {
    return false;
  }
  std::string path = url.path().empty() ? "/" : url.path();
  return pathMatches(path, this->path);
}

std::vector<Cookie> Cookie::parseSetCookieValues(const std::vector<std::string>& values,
                                                 const Url& url, double now) {
  std::vector<Cookie> cookies;
  if (url.host().empty()) return cookies;
  for (const std::string& value : values) {
    if (auto cookie = parseOne(value, url, now)) cookies.push_back(std::move(*cookie));
  }
  return cookies;
}

std::optional<double> parseCookieDate(const std::string& text) {
  int hour = -1, minute = -1, second = -1, day = -1, month = 0, year = -1;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isDelimiter(static_cast<unsigned char>(text[i]))) ++i;
    size_t start = i;
    while (i < text.size() && !isDelimiter(static_cast<unsigned char>(text[i]))) ++i;
    std::string token = text.substr(start, i - start);
    if (token.empty()) continue;
    int h, m, s;
    char rest;
    if (hour < 0 && std::sscanf(token.c_str(), "%2d:%2d:%2d%c", &h, &m, &s, &rest) == 3) {
      hour = h, minute = m, second = s;
    } else if (day < 0 && std::isdigit(static_cast<unsigned char>(token[0])) && token.size() <= 2 &&
               (token.size() == 1 || std::isdigit(static_cast<unsigned char>(token[1])))) {
      day = std::stoi(token);
    } else if (month == 0 && monthNumber(token) > 0 && token.size() >= 3) {
      month = monthNumber(token);
    } else if (year < 0 && token.size() >= 2 && token.size() <= 4 &&
               std::isdigit(static_cast<unsigned char>(token[0])) &&
               std::isdigit(static_cast<unsigned char>(token[1]))) {
      year = std::atoi(token.c_str());
      if (year >= 70 && year <= 99) year += 1900;
      if (year >= 0 && year <= 69) year += 2000;
    }
  }
  if (day < 1 || day > 31 || month == 0 || year < 1601 || hour < 0 || hour > 23 || minute > 59 ||
      second > 59)
    return std::nullopt;
  struct tm parts {};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  return static_cast<double>(timegm(&parts));
}

}  // namespace plat::http
