// An absolute URL, parsed into its parts, and the resolution of a relative reference (such as a
// redirect's "Location") against it. Scheme and host are kept in lower case.
#pragma once

#include <optional>
#include <string>

namespace plat::http {

class Url {
 public:
  Url() = default;

  // An absolute URL ("scheme:" followed by the rest); nullopt for text that is not one (no scheme,
  // spaces or control characters, a bad port, brackets around anything but an IP literal).
  static std::optional<Url> parse(const std::string& text);
  // `reference` resolved against `base` (RFC 3986 section 5); nullopt when it can't be read.
  static std::optional<Url> resolve(const std::string& reference, const Url& base);

  bool isEmpty() const { return text_.empty(); }
  const std::string& absoluteString() const { return text_; }
  const std::string& scheme() const { return scheme_; }
  const std::string& user() const { return user_; }
  const std::string& password() const { return password_; }
  const std::string& host() const { return host_; }  // without brackets for IPv6 literals
  std::optional<int> port() const { return port_; }
  // The port to connect to: the explicit one, else 80 for http and 443 for https (0 otherwise).
  int effectivePort() const;
  const std::string& path() const { return path_; }    // as written, may be empty
  const std::string& query() const { return query_; }  // without "?"
  bool hasQuery() const { return hasQuery_; }
  const std::string& fragment() const { return fragment_; }
  bool hasAuthority() const { return hasAuthority_; }

  // Path and query as sent in a request line: "/" when the path is empty.
  std::string requestTarget() const;
  // "host" or "host:port" as sent in a Host header (brackets around IPv6 literals).
  std::string hostHeader() const { return hostWithPort(false); }
  bool isSecure() const { return scheme_ == "https"; }

  bool operator==(const Url& other) const { return text_ == other.text_; }
  bool operator!=(const Url& other) const { return !(*this == other); }

 private:
  void rebuild();
  // "host:port" with the explicit port, also (when asked) when it is the scheme's default.
  std::string hostWithPort(bool defaultPortToo) const;
  int effectivePortForScheme() const;  // -1 for schemes without a default

  std::string text_;
  std::string scheme_, user_, password_, host_, path_, query_, fragment_;
  std::optional<int> port_;
  bool hasAuthority_ = false;
  bool bracketedHost_ = false;  // an IP literal, written in brackets
  bool hasQuery_ = false;
  bool hasFragment_ = false;
  bool hasUserInfo_ = false;
  bool hasPassword_ = false;
};

}  // namespace plat::http
