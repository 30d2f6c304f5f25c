// The rule text of a POSIX TZ value ("CST-8", "EST5EDT,M3.2.0,M11.1.0"): the zone of a TZ
// variable that names no file, and the rule a zone file gives for the years after its table.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plat {

class PosixTzRule {
 public:
  static std::optional<PosixTzRule> parse(std::string_view text);

  int offsetAt(double unixTime) const;  // seconds east of UTC

 private:
  // When daylight time starts or ends: Jn (1..365, no leap day), n (0..365) or Mm.w.d, at `time`
  // seconds after local midnight (may be negative or past a day).
  struct Change {
    char kind = 'M';
    int a = 0, b = 0, c = 0;
    int time = 7200;
  };
  int64_t changeTime(const Change& change, int64_t year, int offsetBefore) const;

  int stdOffset_ = 0;  // east of UTC
  int dstOffset_ = 0;
  bool hasDst_ = false;
  Change start_, end_;
};

}  // namespace plat
