// Turns instants into text and back after a pattern such as "yyyy-MM-dd HH:mm:ss", in a given
// time zone. Pattern letters: yyyy (yy), M MM MMM MMMM, d dd, H HH, m mm, s ss, S.. (fraction),
// EEE EEEE (weekday), z (zone); text in single quotes is literal, '' is a quote. Parsing is
// strict: the whole text must match, fields must be in range and name a real date; missing date
// fields default to 1970-01-01.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/Clock.h"

namespace plat {

class DateFormat {
 public:
  DateFormat(const std::string& pattern, std::shared_ptr<const TimeZone> zone);

  std::string format(double unixTime) const;
  std::optional<double> parse(const std::string& text) const;

  // "Sun, 06 Nov 1994 08:49:37 GMT"
  static std::string formatRFC1123(double unixTime);
  // The HTTP date forms: with or without the weekday and the seconds, any zone the text names.
  static std::optional<double> parseRFC1123(const std::string& text);

 private:
  struct Token {
    char letter = 0;  // 0 for literal text
    int count = 0;
    std::string literal;
  };

  std::vector<Token> tokens_;
  std::shared_ptr<const TimeZone> zone_;
};

}  // namespace plat
