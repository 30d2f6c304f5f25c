#include "platform/http/Url.h"

#include <arpa/inet.h>

#include <cctype>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/http/HeaderMap.h"

namespace plat::http {
namespace {

std::string lower(std::string_view text) {
  return lowercased(std::string(text));
}

// Only an IP literal goes in brackets (RFC 3986 3.2.2): an IPv6 address, or "v", a version in
// hex, "." and the address in the version's own form. A name or an IPv4 address in brackets
// would be looked up or connected to as something it does not claim to be.
bool isIpLiteral(const std::string& text) {
  if (!text.empty() && text[0] == 'v') {
    const size_t dot = text.find('.');
    if (dot == std::string::npos || dot < 2 || dot + 1 == text.size()) return false;
    for (size_t i = 1; i < dot; ++i)
      if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
    for (size_t i = dot + 1; i < text.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      if (!std::isalnum(c) && !std::strchr("-._~!$&'()*+,;=:", c)) return false;
    }
    return true;
  }
  in6_addr address;
  return inet_pton(AF_INET6, text.c_str(), &address) == 1;
}

// Characters a URL may hold as written (RFC 3986 reserved and unreserved, and "%" escapes).
bool isAllowedCharacter(unsigned char c) {
  if (c <= 0x20 || c >= 0x7f) return false;
  switch (c) {
    case '"':
    case '<':
    case '>':
    case '\\':
    case '^':
    case '`':
    case '{':
    case '|':
    case '}':
      return false;
    default:
      return true;
  }
}

bool hasValidEscapes(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    if (i + 2 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
        !std::isxdigit(static_cast<unsigned char>(text[i + 2])))
      return false;
    i += 2;
  }
  return true;
}

// RFC 3986 section 5.2.4.
std::string removeDotSegments(std::string input) {
  std::string output;
  while (!input.empty()) {
    if (input.rfind("../", 0) == 0) {
      input.erase(0, 3);
    } else if (input.rfind("./", 0) == 0) {
      input.erase(0, 2);
    } else if (input.rfind("/./", 0) == 0) {
      input.replace(0, 3, "/");
    } else if (input == "/.") {
      input = "/";
    } else if (input.rfind("/../", 0) == 0 || input == "/..") {
      input = input == "/.." ? "/" : input.substr(3);
      size_t cut = output.rfind('/');
      output.erase(cut == std::string::npos ? 0 : cut);
    } else if (input == "." || input == "..") {
      input.clear();
    } else {
      size_t next = input.find('/', input[0] == '/' ? 1 : 0);
      output += input.substr(0, next);
      input.erase(0, next == std::string::npos ? input.size() : next);
    }
  }
  return output;
}

// The parts of a reference as views into its text, which must outlive them.
struct Reference {
  std::string_view scheme;  // as written
  bool hasAuthority = false;
  std::string_view authority;
  std::string_view path;
  bool hasQuery = false;
  std::string_view query;
  bool hasFragment = false;
  std::string_view fragment;
};

std::optional<Reference> splitReference(std::string_view text) {
  for (unsigned char c : text)
    if (!isAllowedCharacter(c)) return std::nullopt;
  if (!hasValidEscapes(text)) return std::nullopt;
  Reference ref;
  std::string_view rest = text;
  size_t hash = rest.find('#');
  if (hash != std::string_view::npos) {
    ref.hasFragment = true;
    ref.fragment = rest.substr(hash + 1);
    if (ref.fragment.find('#') != std::string_view::npos) return std::nullopt;
    rest = rest.substr(0, hash);
  }
  size_t colon = rest.find(':');
  size_t firstDelimiter = rest.find_first_of("/?");
  if (colon != std::string_view::npos && colon > 0 &&
      (firstDelimiter == std::string_view::npos || colon < firstDelimiter)) {
    std::string_view scheme = rest.substr(0, colon);
    bool valid = std::isalpha(static_cast<unsigned char>(scheme[0]));
    for (unsigned char c : scheme)
      valid = valid && (std::isalnum(c) || c == '+' || c == '-' || c == '.');
    if (valid) {
      ref.scheme = scheme;
      rest.remove_prefix(colon + 1);
    }
  }
  size_t question = rest.find('?');
  if (question != std::string_view::npos) {
    ref.hasQuery = true;
    ref.query = rest.substr(question + 1);
    rest = rest.substr(0, question);
  }
  if (rest.starts_with("//")) {
    ref.hasAuthority = true;
    size_t slash = rest.find('/', 2);
    ref.authority = rest.substr(2, slash == std::string_view::npos ? slash : slash - 2);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
  }
  ref.path = rest;
  return ref;
}

}  // namespace

std::optional<Url> Url::parse(const std::string& text) {
  auto ref = splitReference(text);
  if (!ref || ref->scheme.empty()) return std::nullopt;
  Url url;
  url.scheme_ = lower(ref->scheme);
  url.hasAuthority_ = ref->hasAuthority;
  if (ref->hasAuthority) {
    std::string_view authority = ref->authority;
    size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
      url.hasUserInfo_ = true;
      std::string_view userInfo = authority.substr(0, at);
      size_t colon = userInfo.find(':');
      url.user_ = userInfo.substr(0, colon);
      if (colon != std::string_view::npos) {
        url.hasPassword_ = true;
        url.password_ = userInfo.substr(colon + 1);
      }
      authority.remove_prefix(at + 1);
    }
    std::string_view portText;
    if (!authority.empty() && authority[0] == '[') {
      size_t close = authority.find(']');
      if (close == std::string_view::npos) return std::nullopt;
      url.host_ = lower(authority.substr(1, close - 1));
      if (!isIpLiteral(url.host_)) return std::nullopt;
      url.bracketedHost_ = true;
      std::string_view after = authority.substr(close + 1);
      if (!after.empty()) {
        if (after[0] != ':') return std::nullopt;
        portText = after.substr(1);
      }
    } else {
      size_t colon = authority.rfind(':');
      url.host_ = lower(authority.substr(0, colon));
      // Only a bracketed host may hold these: printed again it would read as another URL.
      if (url.host_.find_first_of(":[]") != std::string::npos) return std::nullopt;
      if (colon != std::string_view::npos) portText = authority.substr(colon + 1);
    }
    if (!portText.empty()) {
      if (portText.size() > 5) return std::nullopt;
      int port = 0;
      for (unsigned char c : portText) {
        if (!std::isdigit(c)) return std::nullopt;
        port = port * 10 + (c - '0');
      }
      if (port > 65535) return std::nullopt;
      url.port_ = port;
    }
  }
  url.path_ = ref->path;
  url.hasQuery_ = ref->hasQuery;
  url.query_ = ref->query;
  url.hasFragment_ = ref->hasFragment;
  url.fragment_ = ref->fragment;
  url.rebuild();
  return url;
}

std::optional<Url> Url::resolve(const std::string& reference, const Url& base) {
  auto ref = splitReference(reference);
  if (!ref) return std::nullopt;
  if (!ref->scheme.empty()) {
    // An absolute reference loses its dot segments too, so "/a/../b" cannot reach past a
    // server's folders by way of a redirect.
    auto url = parse(reference);
    if (url && url->hasAuthority_) {
      url->path_ = removeDotSegments(url->path_);
      url->rebuild();
    }
    return url;
  }
  if (base.isEmpty()) return std::nullopt;

  // Rebuild the target from the base's parts and the reference's (RFC 3986 section 5.2.2).
  std::string authority;
  std::string path, query;
  bool hasQuery;
  if (ref->hasAuthority) {
    authority = ref->authority;
    path = removeDotSegments(std::string(ref->path));
    query = ref->query;
    hasQuery = ref->hasQuery;
  } else {
    std::string baseAuthority;
    if (base.hasUserInfo_) {
      baseAuthority = base.user_ + (base.hasPassword_ ? ":" + base.password_ : "") + "@";
    }
    baseAuthority += base.hostWithPort(true);
    authority = baseAuthority;
    if (ref->path.empty()) {
      path = base.path_;
      hasQuery = ref->hasQuery || base.hasQuery_;
      query = ref->hasQuery ? std::string(ref->query) : base.query_;
    } else {
      if (ref->path[0] == '/') {
        path = removeDotSegments(std::string(ref->path));
      } else {
        std::string merged;
        if (base.hasAuthority_ && base.path_.empty()) {
          merged = "/";
        } else {
          size_t slash = base.path_.rfind('/');
          if (slash != std::string::npos) merged = base.path_.substr(0, slash + 1);
        }
        merged += ref->path;
        path = removeDotSegments(merged);
      }
      hasQuery = ref->hasQuery;
      query = ref->query;
    }
  }
  std::string text = base.scheme_ + ":";
  if (ref->hasAuthority || base.hasAuthority_) text += "//" + authority;
  text += path;
  if (hasQuery) text += "?" + query;
  if (ref->hasFragment) {
    text += '#';
    text += ref->fragment;
  }
  return parse(text);
}

int Url::effectivePort() const {
  if (port_) return *port_;
  if (scheme_ == "http") return 80;
  if (scheme_ == "https") return 443;
  return 0;
}

std::string Url::requestTarget() const {
  std::string target = path_.empty() ? "/" : path_;
  if (hasQuery_) target += "?" + query_;
  return target;
}

std::string Url::hostWithPort(bool defaultPortToo) const {
  std::string host = bracketedHost_ ? "[" + host_ + "]" : host_;
  if (port_ && (defaultPortToo || *port_ != effectivePortForScheme())) {
    host += ':';
    host += std::to_string(*port_);
  }
  return host;
}

int Url::effectivePortForScheme() const {
  if (scheme_ == "http") return 80;
  if (scheme_ == "https") return 443;
  return -1;
}

void Url::rebuild() {
  std::string text = scheme_;
  text += ':';
  if (hasAuthority_) {
    text += "//";
    if (hasUserInfo_) {
      text += user_;
      if (hasPassword_) {
        text += ':';
        text += password_;
      }
      text += '@';
    }
    text += hostWithPort(true);
  }
  text += path_;
  if (hasQuery_) {
    text += '?';
    text += query_;
  }
  if (hasFragment_) {
    text += '#';
    text += fragment_;
  }
  text_ = std::move(text);
}

}  // namespace plat::http
