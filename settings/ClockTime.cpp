#include "settings/ClockTime.h"

#include <cstdio>

namespace ClockTime {

std::optional<int> parse(const std::string& text) {
  int hours = 0, minutes = 0, used = 0;
  if (std::sscanf(text.c_str(), "%2d:%2d%n", &hours, &minutes, &used) != 2) return std::nullopt;
  if (size_t(used) != text.size() || hours < 0 || hours > 23 || minutes < 0 || minutes > 59)
    return std::nullopt;
  return hours * 3600 + minutes * 60;
}

std::string format(double seconds) {
  long long whole = (long long)seconds % 86400;
  if (whole < 0) whole += 86400;
  char text[8];
  std::snprintf(text, sizeof text, "%02lld:%02lld", whole / 3600, whole / 60 % 60);
  return text;
}

std::optional<int> distance(const std::string& start, const std::string& end) {
  auto s = parse(start);
  auto e = parse(end);
  if (!s || !e) return std::nullopt;
  return *e >= *s ? *e - *s : 86400 - *s + *e;
}

}  // namespace ClockTime
