#include "platform/http/ProxySettings.h"

#include <unistd.h>

#include <array>
#include <cstring>
#include <string_view>

#include "platform/http/HeaderMap.h"

namespace plat::http {
namespace {

// The proxy variables of the environment, read in one pass over it: every request asks for
// several of them, and the environment may change between requests.
class ProxyEnvironment {
 public:
  ProxyEnvironment() {
    for (char** entry = environ; entry && *entry; ++entry) {
      if (!mayBeProxyVariable(**entry)) continue;
      const char* equals = std::strchr(*entry, '=');
      if (!equals) continue;
      const std::string_view name(*entry, static_cast<size_t>(equals - *entry));
      if (name.size() < 6 || (!name.ends_with("_proxy") && !name.ends_with("_PROXY"))) continue;
      for (size_t i = 0; i < kNames.size(); ++i) {
        // The first of repeated names, as getenv() finds it.
        if (name == kNames[i] && !values_[i]) values_[i] = equals + 1;
      }
    }
  }

  // The lower-case variable unless it is empty, else the upper-case one.
  std::string get(std::string_view lowerName, std::string_view upperName) const {
    const char* value = find(lowerName);
    if (!value || !*value) value = find(upperName);
    return value ? value : "";
  }

 private:
  static constexpr std::array<std::string_view, 10> kNames = {
      "auto_proxy", "AUTO_PROXY",  "no_proxy",    "NO_PROXY",  "http_proxy",
      "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"};

  const char* find(std::string_view name) const {
    for (size_t i = 0; i < kNames.size(); ++i)
      if (kNames[i] == name) return values_[i];
    return nullptr;
  }

  std::array<const char*, kNames.size()> values_{};

  // Whether an entry starting with `first` may be one of the names: most are passed over here.
  static bool mayBeProxyVariable(char first) {
    const char lower = static_cast<char>(first | 0x20);
    return lower == 'a' || lower == 'n' || lower == 'h';
  }
};

std::string trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

}  // namespace

std::string ProxyServer::description() const {
  return std::string(type == Type::Socks ? "socks://" : "http://") + host + ":" +
         std::to_string(port);
}

std::optional<ProxyServer> parseProxySetting(const std::string& text) {
  std::string value = trim(text);
  if (value.empty()) return std::nullopt;
  if (value.find("://") == std::string::npos) value = "http://" + value;
  auto url = Url::parse(value);
  if (!url || url->host().empty()) return std::nullopt;
  ProxyServer proxy;
  const std::string& scheme = url->scheme();
  if (scheme.rfind("socks", 0) == 0) {
    proxy.type = ProxyServer::Type::Socks;
    proxy.port = url->port().value_or(1080);
  } else if (scheme == "http" || scheme == "https") {
    proxy.port = url->port().value_or(scheme == "https" ? 443 : 80);
  } else {
    return std::nullopt;
  }
  proxy.host = url->host();
  return proxy;
}

bool isExemptFromProxy(const std::string& host, const std::string& noProxyList) {
  if (noProxyList.empty()) return false;
  const std::string name = lowercased(host);
  size_t start = 0;
  while (start <= noProxyList.size()) {
    size_t comma = noProxyList.find(',', start);
    std::string entry = lowercased(trim(noProxyList.substr(start, comma - start)));
    if (entry == "*") return true;
    if (!entry.empty() && entry[0] == '.') entry.erase(0, 1);
    size_t colon = entry.find(':');
    if (colon != std::string::npos && entry.find(':', colon + 1) == std::string::npos)
      entry.erase(colon);  // a port in the entry applies to every port here
    if (!entry.empty() &&
        (name == entry || (name.size() > entry.size() &&
                           name.compare(name.size() - entry.size(), entry.size(), entry) == 0 &&
                           name[name.size() - entry.size() - 1] == '.')))
      return true;
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return false;
}

std::optional<Url> systemAutoConfigurationUrl() {
  const std::string setting = trim(ProxyEnvironment().get("auto_proxy", "AUTO_PROXY"));
  if (setting.empty()) return std::nullopt;
  return Url::parse(setting);
}

std::optional<ProxyServer> systemProxyForUrl(const Url& url) {
  if (url.host().empty()) return std::nullopt;
  const ProxyEnvironment environment;
  if (isExemptFromProxy(url.host(), environment.get("no_proxy", "NO_PROXY"))) return std::nullopt;
  std::string setting = url.isSecure() ? environment.get("https_proxy", "HTTPS_PROXY")
                                       : environment.get("http_proxy", "HTTP_PROXY");
  if (setting.empty()) setting = environment.get("all_proxy", "ALL_PROXY");
  return parseProxySetting(setting);
}

}  // namespace plat::http
