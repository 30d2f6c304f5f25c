// Set-Cookie values over arbitrary text: every cookie read belongs to the answering host and has
// a name, and reading never crashes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/http/Cookie.h"
#include "platform/http/Url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> values;
  for (size_t start = 0; start <= text.size();) {
    const size_t end = text.find('\n', start);
    values.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  static const plat::http::Url url = *plat::http::Url::parse("http://www.vocab.test/a/b?c");
  for (const plat::http::Cookie& cookie :
       plat::http::Cookie::parseSetCookieValues(values, url, 1'700'000'000.0)) {
    if (cookie.name.empty()) std::abort();
    const std::string domain =
        cookie.domain.empty() || cookie.domain[0] != '.' ? cookie.domain : cookie.domain.substr(1);
    const std::string& host = url.host();
    const bool ours = domain.empty() || host == domain ||
                      (host.size() > domain.size() &&
                       host.compare(host.size() - domain.size(), domain.size(), domain) == 0 &&
                       host[host.size() - domain.size() - 1] == '.');
    if (!ours) std::abort();
  }
  plat::http::parseCookieDate(text);
  return 0;
}
