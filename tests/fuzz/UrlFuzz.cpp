// URL parsing and resolution over arbitrary text: whatever parses prints a text that parses again
// to the same parts, and a reference resolved against it does too.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/http/Url.h"

namespace {

using plat::http::Url;

bool sameParts(const Url& a, const Url& b) {
  return a.scheme() == b.scheme() && a.user() == b.user() && a.password() == b.password() &&
         a.host() == b.host() && a.port() == b.port() && a.path() == b.path() &&
         a.query() == b.query() && a.fragment() == b.fragment() &&
         a.absoluteString() == b.absoluteString();
}

void roundTrip(const Url& url) {
  auto again = Url::parse(url.absoluteString());
  if (!again || !sameParts(url, *again)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // The input is a base and a reference, split at the first line feed.
  const size_t split = text.find('\n');
  const std::string base = text.substr(0, split);
  const std::string reference = split == std::string::npos ? "" : text.substr(split + 1);
  auto url = Url::parse(base);
  if (!url) return 0;
  roundTrip(*url);
  if (auto resolved = Url::resolve(reference, *url)) roundTrip(*resolved);
  return 0;
}
