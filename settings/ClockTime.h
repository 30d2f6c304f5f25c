// Times of day as the settings keep them: "HH:mm" texts and seconds since midnight.
#pragma once

#include <optional>
#include <string>

namespace ClockTime {

// Seconds since midnight of "H:mm" or "HH:mm" (hours 0-23, minutes 0-59); nothing otherwise.
std::optional<int> parse(const std::string& text);
// "HH:mm" of a number of seconds, taken within one day.
std::string format(double seconds);
// The forward distance from `start` to `end` in seconds, running past midnight when end is
// earlier; nothing when either is no time.
std::optional<int> distance(const std::string& start, const std::string& end);

}  // namespace ClockTime
