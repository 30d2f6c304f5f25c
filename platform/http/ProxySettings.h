// Which proxy a request to a URL goes through: the process environment's http_proxy,
// https_proxy, all_proxy and no_proxy (upper-case names too), else a direct connection; and the
// proxy configuration script the environment names.
#pragma once

#include <optional>
#include <string>

#include "platform/http/Url.h"

namespace plat::http {

struct ProxyServer {
  enum class Type { Http, Socks };
  Type type = Type::Http;
  std::string host;
  int port = 0;

  bool operator==(const ProxyServer& other) const = default;
  std::string description() const;  // "http://host:port" or "socks://host:port"
};

// The proxy configuration script named by the environment's "auto_proxy" (or "AUTO_PROXY"):
// an http, https or file URL; nullopt when none is set or it can't be read.
std::optional<Url> systemAutoConfigurationUrl();

// The proxy for `url`; nullopt for a direct connection.
std::optional<ProxyServer> systemProxyForUrl(const Url& url);

// A proxy named by a setting's text ("host:port", "http://host:port", "socks5://host:1080");
// nullopt when unreadable.
std::optional<ProxyServer> parseProxySetting(const std::string& text);

// Whether `host` is exempt by a no_proxy list ("*", "example.com", ".example.com", "10.0.0.1").
bool isExemptFromProxy(const std::string& host, const std::string& noProxyList);

}  // namespace plat::http
