// The contrast ratio of two colours (1 to 21, as accessibility guidelines define it), for the
// screen tests that judge whether a text or a button stands out from what lies behind it.
#pragma once

#include <algorithm>
#include <cmath>

#include "platform/draw/Color.h"

namespace testsupport {

inline double contrast(const plat::Color& a, const plat::Color& b) {
  auto luminance = [](const plat::Color& c) {
    auto channel = [](double v) {
      return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b);
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace testsupport
