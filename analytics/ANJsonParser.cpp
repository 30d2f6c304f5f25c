#include <charconv>
#include <cstring>

#include "analytics/ANJson.h"
#include "analytics/AnalyticsLog.h"
#include "platform/base/Utf.h"

namespace {

// Bytes at which a plain run inside a string ends: the quote, the backslash, control bytes and
// the terminating NUL.
struct StopSet {
  bool stops[256] = {};
  StopSet() {
    stops[0] = true;
    for (int b = 1; b < 0x20; ++b) stops[b] = true;
    stops[static_cast<unsigned char>('"')] = true;
    stops[static_cast<unsigned char>('\\')] = true;
  }
};

const StopSet& stopSet() {
  static const StopSet set;
  return set;
}

bool isSpace(char ch) {
  return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

bool isDigit(char ch) {
  return ch >= '0' && ch <= '9';
}

int hexValue(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return -1;
}

}  // namespace

std::string ANJsonBase::traceDescription() const {
  std::string text = "(\n";
  for (size_t i = 0; i < trace_.size(); ++i) {
    text += anFormat("    \"Error Domain=%s Code=%d \\\"%s\\\"\"", kANJsonErrorDomain,
                     trace_[i].code, trace_[i].message.c_str());
    text += i + 1 < trace_.size() ? ",\n" : "\n";
  }
  return text + ")";
}

std::optional<plat::Value> ANJsonParser::objectWithString(const char* text) {
  auto value = fragmentWithString(text);
  if (!value) return std::nullopt;
  if (value->isArray() || value->isDictionary()) return value;
  addError(4, "Valid fragment, but not JSON");
  return std::nullopt;
}

std::optional<plat::Value> ANJsonParser::fragmentWithString(const char* text) {
  resetRun();
  if (!text) {
    addError(12, "Input was 'nil'");
    return std::nullopt;
  }
  c_ = text;
  plat::Value value;
  if (!scanValue(value)) return std::nullopt;
  skipWhitespace();
  if (*c_) {
    addError(10, "Garbage after JSON");
    return std::nullopt;
  }
  return value;
}

void ANJsonParser::skipWhitespace() {
  while (isSpace(*c_)) ++c_;
}

bool ANJsonParser::scanValue(plat::Value& out) {
  skipWhitespace();
  char ch = *c_;
  switch (ch) {
    case '{':
      ++c_;
      return scanRestOfDictionary(out);
    case '[':
      ++c_;
      return scanRestOfArray(out);
    case '"': {
      ++c_;
      std::string text;
      if (!scanRestOfString(text)) return false;
      out = plat::Value(std::move(text));
      return true;
    }
    case 't':
      ++c_;
      if (!scanLiteral("rue", "Expected 'true'")) return false;
      out = plat::Value(true);
      return true;
    case 'f':
      ++c_;
      if (!scanLiteral("alse", "Expected 'false'")) return false;
      out = plat::Value(false);
      return true;
    case 'n':
      ++c_;
      if (!scanLiteral("ull", "Expected 'null'")) return false;
      out = plat::Value();
      return true;
    case '+':
      addError(2, "Leading + disallowed in number");
      return false;
    case '\0':
      addError(11, "Unexpected end of string");
      return false;
    default:
      if (ch == '-' || isDigit(ch)) return scanNumber(out);
      addError(3, "Unrecognised leading character");
      return false;
  }
}

bool ANJsonParser::scanLiteral(const char* rest, const char* error) {
  size_t length = std::strlen(rest);
  if (std::strncmp(c_, rest, length) != 0) {
    addError(3, error);
    return false;
  }
  c_ += length;
  return true;
}

bool ANJsonParser::scanRestOfArray(plat::Value& out) {
  ++depth_;
  if (tooDeep()) {
    addError(7, "Nested too deep");
    return false;
  }
  out = plat::Value::array();
  while (*c_) {
    skipWhitespace();
    if (*c_ == ']') {
      ++c_;
      --depth_;
      return true;
    }
    plat::Value element;
    if (!scanValue(element)) {
      addError(3, "Expected value while parsing array");
      return false;
    }
    out.append(std::move(element));
    skipWhitespace();
    if (*c_ == ',') {
      ++c_;
      skipWhitespace();
      if (*c_ == ']') {
        addError(9, "Trailing comma disallowed in array");
        return false;
      }
    } else if (*c_ && *c_ != ']') {
      // Two elements without a separator between them.
      addError(3, "Expected value while parsing array");
      return false;
    }
  }
  addError(11, "End of input while parsing array");
  return false;
}

bool ANJsonParser::scanRestOfDictionary(plat::Value& out) {
  ++depth_;
  if (tooDeep()) {
    addError(7, "Nested too deep");
    return false;
  }
  out = plat::Value::dictionary();
  while (*c_) {
    skipWhitespace();
    if (*c_ == '}') {
      ++c_;
      --depth_;
      return true;
    }
    std::string key;
    if (*c_ != '"') {
      addError(3, "Object key string expected");
      return false;
    }
    ++c_;
    if (!scanRestOfString(key)) {
      addError(3, "Object key string expected");
      return false;
    }
    skipWhitespace();
    if (*c_ != ':') {
      addError(3, "Expected ':' separating key and value");
      return false;
    }
    ++c_;
    plat::Value value;
    if (!scanValue(value)) {
      addError(3, "Object value expected for key: " + key);
      return false;
    }
    out.set(key, std::move(value));
    skipWhitespace();
    if (*c_ == ',') {
      ++c_;
      skipWhitespace();
      if (*c_ == '}') {
        addError(9, "Trailing comma disallowed in object");
        return false;
      }
    } else if (*c_ && *c_ != '}') {
      // Two members without a separator between them.
      addError(3, "Object key string expected");
      return false;
    }
  }
  addError(11, "End of input while parsing object");
  return false;
}

bool ANJsonParser::scanRestOfString(std::string& out) {
  const StopSet& stops = stopSet();
  for (;;) {
    const char* start = c_;
    while (!stops.stops[static_cast<unsigned char>(*c_)]) ++c_;
    if (c_ != start) {
      std::string_view run(start, static_cast<size_t>(c_ - start));
      if (!plat::utf::isValidUtf8(run)) {
        addError(6, "Broken unicode character");
        return false;
      }
      out.append(run);
    }
    unsigned char ch = static_cast<unsigned char>(*c_);
    if (ch == '"') {
      ++c_;
      return true;
    }
    if (ch == '\\') {
      ++c_;
      if (!scanEscape(out)) return false;
      continue;
    }
    if (ch == 0) {
      addError(11, "Unexpected EOF while parsing string");
      return false;
    }
    addError(5, anFormat("Unescaped control character '0x%x'", ch));
    return false;
  }
}

bool ANJsonParser::scanEscape(std::string& out) {
  char ch = *c_;
  switch (ch) {
    case '"':
    case '\\':
    case '/':
      out.push_back(ch);
      break;
    case 'b':
      out.push_back('\b');
      break;
    case 'f':
      out.push_back('\f');
      break;
    case 'n':
      out.push_back('\n');
      break;
    case 'r':
      out.push_back('\r');
      break;
    case 't':
      out.push_back('\t');
      break;
    case 'u': {
      ++c_;
      char32_t unit = 0;
      if (!scanUnicodeChar(unit)) {
        addError(6, "Broken unicode character");
        return false;
      }
      if (unit == 0) {
        out.push_back('\0');
      } else {
        out += plat::utf::fromCodePoint(unit);
      }
      return true;
    }
    default:
      addError(8, anFormat("Illegal escape sequence '0x%x'", static_cast<unsigned char>(ch)));
      return false;
  }
  ++c_;
  return true;
}

bool ANJsonParser::scanHexQuad(char16_t& out) {
  unsigned value = 0;
  for (int i = 0; i < 4; ++i) {
    int digit = hexValue(*c_);
    if (digit < 0) {
      addError(6, "Missing hex digit in quad");
      return false;
    }
    ++c_;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  out = static_cast<char16_t>(value);
  return true;
}

bool ANJsonParser::scanUnicodeChar(char32_t& out) {
  char16_t high = 0;
  if (!scanHexQuad(high)) {
    addError(6, "Missing hex quad");
    return false;
  }
  if (high >= 0xD800 && high < 0xDC00) {
    char16_t low = 0;
    if (!(c_[0] == '\\' && c_[1] == 'u')) {
      addError(6, "Missing low character in surrogate pair");
      return false;
    }
    c_ += 2;
    if (!scanHexQuad(low)) {
      addError(6, "Missing low character in surrogate pair");
      return false;
    }
    if (low < 0xDC00 || low > 0xDFFF) {
      addError(6, "Invalid low surrogate char");
      return false;
    }
    out = 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (low - 0xDC00);
    return true;
  }
  if (high >= 0xDC00 && high < 0xE000) {
    addError(6, "Invalid high character in surrogate pair");
    return false;
  }
  out = high;
  return true;
}

// Significant digits of a number's text: those of its mantissa, leading zeros left out.
static size_t significantDigits(std::string_view text) {
  size_t count = 0;
  for (char ch : text) {
    if (ch == 'e' || ch == 'E') break;
    if (isDigit(ch) && (count > 0 || ch != '0')) ++count;
  }
  return count;
}

// The exact value of the number is kept: integers that fit as integers, other numbers as doubles
// when a double gives back the same decimal text (15 significant digits at most, within range),
// everything else as a decimal holding the text itself.
bool ANJsonParser::scanNumber(plat::Value& out) {
  const char* start = c_;
  bool integral = true;
  if (*c_ == '-') {
    ++c_;
    if (!isDigit(*c_)) {
      addError(2, "No digits after initial minus");
      return false;
    }
  }
  if (*c_ == '0') {
    ++c_;
    if (isDigit(*c_)) {
      addError(2, "Leading 0 disallowed in number");
      return false;
    }
  } else {
    while (isDigit(*c_)) ++c_;
  }
  if (*c_ == '.') {
    ++c_;
    integral = false;
    if (!isDigit(*c_)) {
      addError(2, "No digits after decimal point");
      return false;
    }
    while (isDigit(*c_)) ++c_;
  }
  if (*c_ == 'e' || *c_ == 'E') {
    ++c_;
    integral = false;
    if (*c_ == '-' || *c_ == '+') ++c_;
    if (!isDigit(*c_)) {
      addError(2, "No digits after exponent");
      return false;
    }
    while (isDigit(*c_)) ++c_;
  }
  if (integral) {
    int64_t whole = 0;
    auto [end, error] = std::from_chars(start, c_, whole);
    if (error == std::errc() && end == c_) {
      out = plat::Value(static_cast<long long>(whole));
      return true;
    }
    uint64_t positive = 0;
    auto [uend, uerror] = std::from_chars(start, c_, positive);
    if (uerror == std::errc() && uend == c_) {
      out = plat::Value(static_cast<unsigned long long>(positive));
      return true;
    }
  }
  constexpr size_t kExactDoubleDigits = 15;
  std::string_view text(start, static_cast<size_t>(c_ - start));
  double real = 0;
  auto [end, error] = std::from_chars(start, c_, real);
  if (end == c_ && error == std::errc() && !integral &&
      significantDigits(text) <= kExactDoubleDigits &&
      (real != 0 || significantDigits(text) == 0)) {
    out = plat::Value(real);
    return true;
  }
  if (end != c_ || (error != std::errc() && error != std::errc::result_out_of_range)) {
    addError(2, "Failed creating decimal instance");
    return false;
  }
  out = plat::Value::decimal(std::string(text));
  return true;
}
