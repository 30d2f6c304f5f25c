#include "platform/base/DateFormat.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "platform/base/Calendar.h"

namespace plat {
namespace {

const char* const kMonths[] = {"January",   "February", "March",    "April",
                               "May",       "June",     "July",     "August",
                               "September", "October",  "November", "December"};
const char* const kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

bool isPatternLetter(char c) {
  return std::strchr("yMdHmsSEz", c) != nullptr && c != 0;
}

std::string padded(int64_t value, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", width, static_cast<long long>(value));
  return buf;
}

std::string zoneText(int offset) {
  if (offset == 0) return "GMT";
  int a = std::abs(offset);
  std::string out = std::string("GMT") + (offset < 0 ? '-' : '+') + std::to_string(a / 3600);
  if (a / 60 % 60) {
    out += ':';
    out += padded(a / 60 % 60, 2);
  }
  return out;
}

class TextReader {
 public:
  explicit TextReader(std::string_view text) : text_(text) {}
  bool atEnd() const { return pos_ >= text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[pos_]; }

  bool literal(std::string_view s) {
    if (text_.substr(pos_, s.size()) != s) return false;
    pos_ += s.size();
    return true;
  }

  // minDigits..maxDigits decimal digits.
  bool digits(int minDigits, int maxDigits, int64_t& out) {
    int n = 0;
    out = 0;
    while (n < maxDigits && std::isdigit(static_cast<unsigned char>(peek()))) {
      out = out * 10 + (text_[pos_++] - '0');
      ++n;
    }
    return n >= minDigits;
  }

  // One of the names, whole or as its first three letters, in any letter case; its index.
  bool name(const char* const* names, int count, int& index) {
    for (int full = 1; full >= 0; --full) {
      for (int i = 0; i < count; ++i) {
        size_t len = full ? std::strlen(names[i]) : 3;
        if (len > text_.size() - pos_) continue;
        bool same = true;
        for (size_t k = 0; k < len && same; ++k)
          same = std::tolower(static_cast<unsigned char>(text_[pos_ + k])) ==
                 std::tolower(static_cast<unsigned char>(names[i][k]));
        if (same) {
          pos_ += len;
          index = i;
          return true;
        }
      }
    }
    return false;
  }

  // GMT, UTC, UT, Z, GMT+8, GMT+08:00, +0800, -05:00, and the North American abbreviations.
  bool zone(int& offset) {
    static const struct {
      const char* name;
      int hours;
    } kNamed[] = {{"GMT", 0},  {"UTC", 0},  {"UT", 0},   {"EST", -5}, {"EDT", -4}, {"CST", -6},
                  {"CDT", -5}, {"MST", -7}, {"MDT", -6}, {"PST", -8}, {"PDT", -7}, {"Z", 0}};
    offset = 0;
    bool named = false;
    for (const auto& z : kNamed) {
      if (literal(z.name)) {
        offset = z.hours * 3600;
        named = true;
        break;
      }
    }
    if (peek() != '+' && peek() != '-') return named;
    int sign = text_[pos_++] == '-' ? -1 : 1;
    int64_t h = 0, m = 0;
    size_t start = pos_;
    if (!digits(1, 4, h)) return false;
    if (pos_ - start > 2) {  // hhmm
      m = h % 100;
      h /= 100;
    } else if (literal(":") && !digits(2, 2, m)) {
      return false;
    }
    if (h > 18 || m > 59) return false;
    offset += sign * static_cast<int>(h * 3600 + m * 60);
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

DateFormat::DateFormat(const std::string& pattern, std::shared_ptr<const TimeZone> zone)
    : zone_(zone ? std::move(zone) : TimeZone::utc()) {
  auto addLiteral = [this](char c) {
    if (tokens_.empty() || tokens_.back().letter != 0) tokens_.push_back({});
    tokens_.back().literal += c;
  };
  for (size_t i = 0; i < pattern.size();) {
    char c = pattern[i];
    if (c == '\'') {
      if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
        addLiteral('\'');
        i += 2;
        continue;
      }
      size_t j = i + 1;
      for (; j < pattern.size(); ++j) {
        if (pattern[j] != '\'') {
          addLiteral(pattern[j]);
        } else if (j + 1 < pattern.size() && pattern[j + 1] == '\'') {
          addLiteral('\'');
          ++j;
        } else {
          break;
        }
      }
      i = j + 1;
    } else if (isPatternLetter(c)) {
      size_t j = i;
      while (j < pattern.size() && pattern[j] == c) ++j;
      tokens_.push_back({c, static_cast<int>(j - i), {}});
      i = j;
    } else {
      addLiteral(c);
      ++i;
    }
  }
}

std::string DateFormat::format(double unixTime) const {
  const int offset = zone_->offsetAt(unixTime);
  const DateTime f = calendar::breakDown(unixTime, offset);
  std::string out;
  for (const Token& t : tokens_) {
    switch (t.letter) {
      case 0:
        out += t.literal;
        break;
      case 'y':
        out += t.count == 2 ? padded((f.year % 100 + 100) % 100, 2) : padded(f.year, t.count);
        break;
      case 'M':
        if (t.count >= 4)
          out += kMonths[f.month - 1];
        else if (t.count == 3)
          out += std::string(kMonths[f.month - 1], 3);
        else
          out += padded(f.month, t.count);
        break;
      case 'd':
        out += padded(f.day, t.count);
        break;
      case 'H':
        out += padded(f.hour, t.count);
        break;
      case 'm':
        out += padded(f.minute, t.count);
        break;
      case 's':
        out += padded(f.second, t.count);
        break;
      case 'S': {
        // Truncated, not rounded, so that a fraction never carries into the seconds.
        int digits = std::min(t.count, 9);
        int64_t scaled = static_cast<int64_t>(f.fraction * std::pow(10.0, digits));
        out += padded(scaled, digits) + std::string(static_cast<size_t>(t.count - digits), '0');
        break;
      }
      case 'E':
        out += t.count >= 4 ? kWeekdays[f.weekday] : std::string(kWeekdays[f.weekday], 3);
        break;
      case 'z':
        out += zoneText(offset);
        break;
    }
  }
  return out;
}

std::optional<double> DateFormat::parse(const std::string& text) const {
  TextReader in(text);
  DateTime f;
  std::optional<int> textOffset;
  for (const Token& t : tokens_) {
    int64_t v = 0;
    int index = 0;
    switch (t.letter) {
      case 0:
        if (!in.literal(t.literal)) return std::nullopt;
        break;
      case 'y':
        if (t.count == 2) {
          if (!in.digits(2, 2, v)) return std::nullopt;
          f.year = v < 70 ? 2000 + v : 1900 + v;
        } else {
          if (!in.digits(t.count, std::max(t.count, 4), v)) return std::nullopt;
          f.year = v;
        }
        break;
      case 'M':
        if (t.count >= 3) {
          if (!in.name(kMonths, 12, index)) return std::nullopt;
          f.month = index + 1;
        } else {
          if (!in.digits(1, 2, v) || v < 1 || v > 12) return std::nullopt;
          f.month = static_cast<int>(v);
        }
        break;
      case 'd':
        if (!in.digits(1, 2, v) || v < 1) return std::nullopt;
        f.day = static_cast<int>(v);
        break;
      case 'H':
        if (!in.digits(1, 2, v) || v > 23) return std::nullopt;
        f.hour = static_cast<int>(v);
        break;
      case 'm':
        if (!in.digits(1, 2, v) || v > 59) return std::nullopt;
        f.minute = static_cast<int>(v);
        break;
      case 's':
        if (!in.digits(1, 2, v) || v > 59) return std::nullopt;
        f.second = static_cast<int>(v);
        break;
      case 'S':
        if (!in.digits(t.count, t.count, v)) return std::nullopt;
        f.fraction = static_cast<double>(v) / std::pow(10.0, t.count);
        break;
      case 'E':
        if (!in.name(kWeekdays, 7, index)) return std::nullopt;
        break;
      case 'z': {
        int offset = 0;
        if (!in.zone(offset)) return std::nullopt;
        textOffset = offset;
        break;
      }
    }
  }
  if (!in.atEnd() || f.day > calendar::daysInMonth(f.year, f.month)) return std::nullopt;
  if (textOffset) return calendar::compose(f, *textOffset);
  return Calendar(zone_).date(f);
}

std::string DateFormat::formatRFC1123(double unixTime) {
  // Never destroyed: the network thread dates cookies and cached replies until it stops.
  static const DateFormat* format =
      new DateFormat("EEE, dd MMM yyyy HH:mm:ss 'GMT'", TimeZone::utc());
  return format->format(unixTime);
}

std::optional<double> DateFormat::parseRFC1123(const std::string& text) {
  const bool weekday = text.find(',') != std::string::npos;
  const bool seconds = std::count(text.begin(), text.end(), ':') == 2;
  DateFormat format(
      std::string(weekday ? "EEE, " : "") + "dd MMM yyyy HH:mm" + (seconds ? ":ss" : "") + " z",
      TimeZone::utc());
  return format.parse(text);
}

}  // namespace plat
