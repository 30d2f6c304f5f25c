#include "util/LeadingInteger.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace LeadingInteger {

int64_t of64(const std::string& text) {
  errno = 0;
  // strtoll skips leading blanks, takes a sign and the digits after it, and saturates.
  return std::strtoll(text.c_str(), nullptr, 10);
}

int64_t of64(const plat::Value& value) {
  if (value.isString()) return of64(value.asString());
  if (value.isBool()) return value.asBool() ? 1 : 0;
  if (value.isNumber()) {
    const double d = value.asDouble();
    if (std::isnan(d)) return 0;
    if (d >= 9.2e18) return std::numeric_limits<int64_t>::max();
    if (d <= -9.2e18) return std::numeric_limits<int64_t>::min();
    return value.asInt();
  }
  return 0;
}

namespace {
int32_t clamp32(int64_t n) {
  return static_cast<int32_t>(std::clamp<int64_t>(n, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}
}  // namespace

int32_t of32(const std::string& text) {
  return clamp32(of64(text));
}

int32_t of32(const plat::Value& value) {
  return clamp32(of64(value));
}

}  // namespace LeadingInteger
