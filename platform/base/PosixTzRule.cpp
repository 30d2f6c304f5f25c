#include "platform/base/PosixTzRule.h"

#include <cctype>

#include "platform/base/Calendar.h"

namespace plat {
namespace {

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}
  bool atEnd() const { return pos_ >= text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[pos_]; }
  bool take(char c) {
    if (peek() != c) return false;
    ++pos_;
    return true;
  }

  // A zone abbreviation: three or more letters, or anything between < and >.
  bool name() {
    if (take('<')) {
      size_t close = text_.find('>', pos_);
      if (close == std::string_view::npos || close - pos_ < 3) return false;
      pos_ = close + 1;
      return true;
    }
    size_t begin = pos_;
    while (std::isalpha(static_cast<unsigned char>(peek()))) ++pos_;
    return pos_ - begin >= 3;
  }

  bool number(int maxValue, int& out) {
    if (!std::isdigit(static_cast<unsigned char>(peek()))) return false;
    long value = 0;
    while (std::isdigit(static_cast<unsigned char>(peek()))) {
      value = value * 10 + (text_[pos_++] - '0');
      if (value > maxValue) return false;
    }
    out = static_cast<int>(value);
    return true;
  }

  // [+-]hh[:mm[:ss]] in seconds.
  bool duration(int maxHours, int& seconds) {
    int sign = take('-') ? -1 : (take('+'), 1);
    int h = 0, m = 0, s = 0;
    if (!number(maxHours, h)) return false;
    if (take(':') && !number(59, m)) return false;
    if (take(':') && !number(59, s)) return false;
    seconds = sign * (h * 3600 + m * 60 + s);
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

std::optional<PosixTzRule> PosixTzRule::parse(std::string_view text) {
  Reader in(text);
  PosixTzRule rule;
  int west = 0;
  if (!in.name() || !in.duration(24, west)) return std::nullopt;
  rule.stdOffset_ = -west;
  if (in.atEnd()) return rule;
  if (!in.name()) return std::nullopt;
  rule.hasDst_ = true;
  rule.dstOffset_ = rule.stdOffset_ + 3600;
  if (in.peek() != ',' && !in.atEnd()) {
    if (!in.duration(24, west)) return std::nullopt;
    rule.dstOffset_ = -west;
  }
  if (in.atEnd()) {
    // No rule given: the common North American one.
    rule.start_ = {'M', 3, 2, 0, 7200};
    rule.end_ = {'M', 11, 1, 0, 7200};
    return rule;
  }
  for (Change* change : {&rule.start_, &rule.end_}) {
    if (!in.take(',')) return std::nullopt;
    if (in.take('J')) {
      change->kind = 'J';
      if (!in.number(365, change->a) || change->a < 1) return std::nullopt;
    } else if (in.take('M')) {
      change->kind = 'M';
      if (!in.number(12, change->a) || change->a < 1 || !in.take('.') || !in.number(5, change->b) ||
          change->b < 1 || !in.take('.') || !in.number(6, change->c))
        return std::nullopt;
    } else {
      change->kind = 'n';
      if (!in.number(365, change->a)) return std::nullopt;
    }
    change->time = 7200;
    if (in.take('/') && !in.duration(167, change->time)) return std::nullopt;
  }
  if (!in.atEnd()) return std::nullopt;
  return rule;
}

int64_t PosixTzRule::changeTime(const Change& change, int64_t year, int offsetBefore) const {
  int64_t day = calendar::daysFromCivil(year, 1, 1);
  if (change.kind == 'J') {
    day += change.a - 1 + (calendar::isLeapYear(year) && change.a >= 60 ? 1 : 0);
  } else if (change.kind == 'n') {
    day += change.a;
  } else {
    int64_t first = calendar::daysFromCivil(year, change.a, 1);
    int64_t d = first + (change.c - calendar::weekdayOfDays(first) + 7) % 7 + (change.b - 1) * 7;
    if (d - first >= calendar::daysInMonth(year, change.a)) d -= 7;
    day = d;
  }
  return day * 86400 + change.time - offsetBefore;
}

int PosixTzRule::offsetAt(double unixTime) const {
  if (!hasDst_) return stdOffset_;
  const int64_t year = calendar::breakDown(unixTime, stdOffset_).year;
  const double start = static_cast<double>(changeTime(start_, year, stdOffset_));
  const double end = static_cast<double>(changeTime(end_, year, dstOffset_));
  const bool inDst =
      start < end ? (unixTime >= start && unixTime < end) : !(unixTime >= end && unixTime < start);
  return inDst ? dstOffset_ : stdOffset_;
}

}  // namespace plat
