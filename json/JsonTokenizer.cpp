#include "json/JsonTokenizer.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "json/JsonRaise.h"
#include "json/Utf8Sequence.h"
#include "platform/base/Utf.h"

[[gnu::cold]] void jsonRecordError(JsonParseState& state, std::string message) {
  if (state.error) return;
  JsonError error;
  error.localizedDescription = std::move(message);
  error.atIndex = state.atIndex;
  error.lineNumber = state.lineNumber;
  state.error = std::move(error);
}

namespace {

// Length of the newline at `i`, or 0.
size_t newlineLength(const unsigned char* p, size_t n, size_t i, bool unicodeNewlines) {
  unsigned char c = p[i];
  if (c == '\n') return 1;
  if (c == '\r') return i + 1 < n && p[i + 1] == '\n' ? 2 : 1;
  if (!unicodeNewlines) return 0;
  if (c == 0xC2 && i + 1 < n && p[i + 1] == 0x85) return 2;
  if (c == 0xE2 && i + 2 < n && p[i + 1] == 0x80 && (p[i + 2] == 0xA8 || p[i + 2] == 0xA9))
    return 3;
  return 0;
}

[[gnu::cold]] bool unexpectedToken(JsonParseState& state) {
  jsonRecordError(state,
                  "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', "
                  "'null', '\"STRING\"', 'NUMBER'.");
  return false;
}

bool isDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}

bool isContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// True when the 16 bytes at `p` start with five whole three-byte sequences (and the lead of a
// sixth) whose leads are E1..EF but ED, with no EF B7 or EF BF: a form that can hold no overlong,
// surrogate or noncharacter code point. Long Chinese text is almost all of this form.
constexpr size_t kCommonBlockBytes = 15;

bool isCommonThreeByteBlock(const unsigned char* p) {
  unsigned lead = 0, continuation = 0, ef = 0, b7OrBf = 0;
#if defined(__SSE2__)
  __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  auto bytes = [](int c) { return _mm_set1_epi8(static_cast<char>(c)); };
  auto mask = [](__m128i v) { return static_cast<unsigned>(_mm_movemask_epi8(v)); };
  __m128i fromE1 = _mm_sub_epi8(x, bytes(0xE1));
  __m128i leadRange = _mm_cmpeq_epi8(_mm_subs_epu8(fromE1, bytes(0x0E)), _mm_setzero_si128());
  lead = mask(_mm_andnot_si128(_mm_cmpeq_epi8(x, bytes(0xED)), leadRange));
  continuation = mask(_mm_cmpeq_epi8(_mm_and_si128(x, bytes(0xC0)), bytes(0x80)));
  ef = mask(_mm_cmpeq_epi8(x, bytes(0xEF)));
  b7OrBf = mask(_mm_or_si128(_mm_cmpeq_epi8(x, bytes(0xB7)), _mm_cmpeq_epi8(x, bytes(0xBF))));
#else
  for (unsigned k = 0; k < 16; ++k) {
    unsigned char c = p[k];
    lead |= unsigned{c >= 0xE1 && c <= 0xEF && c != 0xED} << k;
    continuation |= unsigned{isContinuation(c)} << k;
    ef |= unsigned{c == 0xEF} << k;
    b7OrBf |= unsigned{c == 0xB7 || c == 0xBF} << k;
  }
#endif
  constexpr unsigned kLeads = 0x9249;  // bytes 0, 3, 6, 9, 12 and 15
  return lead == kLeads && continuation == (~kLeads & 0xFFFF) && (ef & b7OrBf >> 1) == 0;
}

// ---- strings

class StringScanner {
 public:
  StringScanner(JsonParseState& state, size_t start)
      : state_(state), p_(state.input), n_(state.length), start_(start) {}

  bool scan() {
    size_t i = plainRun(start_ + 1);
    if (i < n_ && p_[i] == '"')
      return finish(
          i, std::string_view(reinterpret_cast<const char*>(p_ + start_ + 1), i - start_ - 1));
    return copyFrom(i);
  }

 private:
  [[gnu::cold]] bool fail(const char* message) {
    jsonRecordError(state_, message);
    return false;
  }

  [[gnu::cold]] bool controlCharacter(unsigned char c) {
    jsonRecordError(state_, jsonFormat("Invalid character < 0x20 found in string: 0x%2.2x.", c));
    return false;
  }

  bool finish(size_t quote, std::string_view value) {
    JsonParseToken& token = state_.token;
    token.kind = JsonTokenKindString;
    token.text = p_ + start_;
    token.textLength = quote + 1 - start_;
    token.value.kind = JsonValueKindString;
    token.value.bytes = value;
    state_.atIndex = quote + 1;
    return true;
  }

  bool replaceOr(const char* message) {
    if (!(state_.options & JsonParseFlagReplaceInvalidUnicode)) return fail(message);
    state_.scratch.append(kUtf8ReplacementCharacter);
    return true;
  }

  // Reads four hex digits at `at`.
  bool readHex4(size_t at, uint32_t& value) {
    value = 0;
    for (size_t k = 0; k < 4; ++k) {
      if (at + k >= n_) return fail("Invalid string.");
      unsigned char c = p_[at + k];
      uint32_t digit;
      if (c >= '0' && c <= '9') {
        digit = c - '0';
      } else if (c >= 'a' && c <= 'f') {
        digit = c - 'a' + 10;
      } else if (c >= 'A' && c <= 'F') {
        digit = c - 'A' + 10;
      } else {
        jsonRecordError(state_, jsonFormat("Unexpected character found in \\u Unicode escape "
                                           "sequence.  Found '%c', expected [0-9a-fA-F].",
                                           c));
        return false;
      }
      value = value * 16 + digit;
    }
    return true;
  }

  // A \u escape whose backslash is at `i`; moves `i` past what it consumed.
  bool unicodeEscape(size_t& i) {
    uint32_t value;
    if (!readHex4(i + 2, value)) return false;
    i += 6;
    const char* illegal = "Illegal \\u Unicode escape sequence.";
    if (value >= 0xD800 && value <= 0xDBFF) {
      const char* unpaired =
          "Required a second \\u Unicode escape sequence following a surrogate \\u Unicode escape "
          "sequence.";
      if (i >= n_) return fail("Invalid string.");
      if (p_[i] != '\\') return replaceOr(unpaired);
      if (i + 1 >= n_) return fail("Invalid string.");
      if (p_[i + 1] != 'u') return replaceOr(unpaired);
      uint32_t low;
      if (!readHex4(i + 2, low)) return false;
      i += 6;
      if (low < 0xDC00 || low > 0xDFFF) return replaceOr(illegal);
      value = 0x10000 + ((value - 0xD800) << 10) + (low - 0xDC00);
    } else if ((value >= 0xDC00 && value <= 0xDFFF) || value == 0) {
      return replaceOr(illegal);
    }
    if (isUnicodeNoncharacter(value)) return replaceOr(illegal);
    state_.scratch += plat::utf::fromCodePoint(value);
    return true;
  }

  // The end of the bytes from `i` on that stand for themselves: ASCII other than quotes,
  // backslashes and control characters, and valid UTF-8 sequences.
  size_t plainRun(size_t i) const {
    while (i < n_) {
      while (i + 8 <= n_) {
        uint64_t word;
        std::memcpy(&word, p_ + i, sizeof word);
        if (uint64_t special = jsonSpecialBytes(word)) {
          i += static_cast<size_t>(__builtin_ctzll(special)) >> 3;
          break;
        }
        i += 8;
      }
      if (i >= n_) break;
      unsigned char c = p_[i];
      if (c < 0x80) {
        if (c < 0x20 || c == '"' || c == '\\') return i;
        ++i;
        continue;
      }
      // A stretch of non-ASCII characters, such as Chinese text.
      while (i < n_ && p_[i] >= 0x80) {
        // Two CJK characters at a time while they keep coming, and sixteen bytes at a time once
        // the stretch proves long.
        for (size_t pairs = 1; i + 8 <= n_; ++pairs) {
          uint64_t word;
          std::memcpy(&word, p_ + i, sizeof word);
          if (!twoCommonThreeByteSequences(word)) break;
          i += 6;
          if (pairs >= 2)
            while (i + 16 <= n_ && isCommonThreeByteBlock(p_ + i)) i += kCommonBlockBytes;
        }
        if (unsigned char next = p_[i]; next < 0x80) {
          if (next < 0x20 || next == '"' || next == '\\') return i;
          break;  // plain ASCII again: the outer loop takes it
        }
        size_t length = commonSequenceLength(i);
        if (length == 0) {
          Utf8Sequence sequence = readUtf8Sequence(p_ + i, n_ - i, true);
          if (sequence.status != Utf8Status::Valid) return i;
          length = sequence.length;
        }
        i += length;
      }
    }
    return n_;
  }

  // True when the first six bytes of `word` (in input order) are two three-byte sequences with
  // leads E1..EC: no overlong, surrogate or noncharacter forms are possible there.
  static bool twoCommonThreeByteSequences(uint64_t word) {
    constexpr uint64_t kMask = 0xC0C0F0C0C0F0ULL, kPattern = 0x8080E08080E0ULL;
    if ((word & kMask) != kPattern) return false;
    unsigned first = static_cast<unsigned char>(word),
             second = static_cast<unsigned char>(word >> 24);
    return first - 0xE1 < 0x0C && second - 0xE1 < 0x0C;
  }

  // The length of the two- or three-byte sequence at `i` when it is of a form that can hold no
  // overlong, surrogate or noncharacter code point (most of Chinese and other scripts); else 0.
  size_t commonSequenceLength(size_t i) const {
    unsigned char c = p_[i];
    if (c >= 0xE1 && i + 2 < n_) {
      unsigned char second = p_[i + 1];
      bool lead = c <= 0xEC || c == 0xEE || (c == 0xEF && second != 0xB7 && second != 0xBF);
      return lead && isContinuation(second) && isContinuation(p_[i + 2]) ? 3 : 0;
    }
    if (c >= 0xC2 && c <= 0xDF && i + 1 < n_ && isContinuation(p_[i + 1])) return 2;
    return 0;
  }

  // The copying pass: the string has escapes or bad bytes from `i` on, so it is decoded into the
  // scratch buffer.
  bool copyFrom(size_t i) {
    std::string& out = state_.scratch;
    out.assign(reinterpret_cast<const char*>(p_ + start_ + 1), i - start_ - 1);
    while (true) {
      if (i >= n_) return fail("Invalid string.");
      unsigned char c = p_[i];
      if (c == '"') return finish(i, out);
      if (c < 0x20) return controlCharacter(c);
      if (c == '\\') {
        if (!escape(i)) return false;
      } else if (c >= 0x80) {
        Utf8Sequence sequence = readUtf8Sequence(p_ + i, n_ - i, true);
        if (sequence.status == Utf8Status::Truncated)
          return fail("End of buffer reached while parsing UTF8 in \"\" string.");
        if (!replaceOr("Illegal UTF8 sequence found in \"\" string.")) return false;
        i += invalidUtf8Span(p_ + i, n_ - i);
      }
      size_t end = plainRun(i);
      out.append(reinterpret_cast<const char*>(p_ + i), end - i);
      i = end;
    }
  }

  // The escape whose backslash is at `i`; moves `i` past it.
  bool escape(size_t& i) {
    if (i + 1 >= n_) return fail("Invalid string.");
    char plain;
    switch (p_[i + 1]) {
      case '"':
        plain = '"';
        break;
      case '\\':
        plain = '\\';
        break;
      case '/':
        plain = '/';
        break;
      case 'b':
        plain = '\b';
        break;
      case 'f':
        plain = '\f';
        break;
      case 'n':
        plain = '\n';
        break;
      case 'r':
        plain = '\r';
        break;
      case 't':
        plain = '\t';
        break;
      case 'u':
        return unicodeEscape(i);
      default:
        return fail("Invalid escape sequence found in \"\" string.");
    }
    state_.scratch += plain;
    i += 2;
    return true;
  }

  JsonParseState& state_;
  const unsigned char* p_;
  size_t n_;
  size_t start_;  // the opening quote; string errors report it
};

// ---- numbers

class NumberScanner {
 public:
  NumberScanner(JsonParseState& state, size_t start)
      : state_(state), p_(state.input), n_(state.length), start_(start) {}

  bool scan() {
    size_t i = start_;
    bool negative = p_[i] == '-';
    if (negative) ++i;
    if (i >= n_) return endOfInput();
    // The digits are gathered into one number on the way: the whole part alone for an integer,
    // the whole and fraction parts for a decimal. It holds them exactly up to 19 digits.
    uint64_t digitsValue = 0;
    size_t wholeStart = i;
    if (p_[i] == '0') {
      ++i;
    } else if (isDigit(p_[i])) {
      i = readDigits(i, digitsValue);
    } else {
      return brokenAt(i);
    }
    size_t wholeDigits = i - wholeStart;
    if (i >= n_) return endOfInput();
    bool isDouble = false;
    size_t fractionDigits = 0;
    if (p_[i] == '.') {
      isDouble = true;
      size_t from = ++i;
      if (!startsDigits(i)) return false;
      i = readDigits(i, digitsValue);
      fractionDigits = i - from;
      if (i >= n_) return endOfInput();
    }
    int exponent = 0;
    if (p_[i] == 'e' || p_[i] == 'E') {
      isDouble = true;
      if (++i >= n_) return endOfInput();
      bool down = p_[i] == '-';
      if (p_[i] == '+' || p_[i] == '-') ++i;
      if (!startsDigits(i)) return false;
      for (; i < n_ && isDigit(p_[i]); ++i)
        if (exponent < kLargeExponent) exponent = exponent * 10 + (p_[i] - '0');
      if (i >= n_) return endOfInput();
      if (down) exponent = -exponent;
    }
    // Minus zero is a double, or its sign would be lost.
    if (negative && wholeDigits == 1 && p_[wholeStart] == '0') isDouble = true;

    JsonParseToken& token = state_.token;
    token.kind = JsonTokenKindNumber;
    token.text = p_ + start_;
    token.textLength = i - start_;
    state_.atIndex = i;
    if (isDouble) {
      size_t digits = wholeDigits + fractionDigits;
      int scale = exponent - static_cast<int>(fractionDigits);
      if (digits <= 19 && exactDecimal(digitsValue, scale, negative)) return true;
      return convertDouble();
    }
    // Up to 19 digits cannot overflow 64 bits; longer ones are checked digit by digit.
    uint64_t magnitude = digitsValue;
    if (wholeDigits > 19 && !convertLongInteger(negative, wholeStart, i, magnitude)) return false;
    if (negative) {
      if (magnitude > uint64_t{1} << 63) return belowMinimum();
      token.value.kind = JsonValueKindLongLong;
      token.value.number.longLongValue = static_cast<int64_t>(0 - magnitude);
    } else {
      token.value.kind = JsonValueKindUnsignedLongLong;
      token.value.number.unsignedLongLongValue = magnitude;
    }
    return true;
  }

 private:
  static constexpr int kLargeExponent = 100000;  // beyond any double; reading stops growing it

  // The high bit of each of the 8 bytes of `word` that is not an ASCII digit.
  static uint64_t nonDigits(uint64_t word) {
    constexpr uint64_t kHigh = 0x8080808080808080ULL, kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    uint64_t low = word & kLow7;
    uint64_t fromZero = low + 0x5050505050505050ULL;  // high bit: at least '0'
    uint64_t pastNine = low + 0x4646464646464646ULL;  // high bit: beyond '9'
    return ~(fromZero & ~pastNine & ~word) & kHigh;
  }

  // The number the eight digits of `word` (first digit in the lowest byte) stand for.
  static uint64_t eightDigitsValue(uint64_t word) {
    word -= 0x3030303030303030ULL;
    word = word * 10 + (word >> 8);  // pairs of digits
    uint64_t low = (word & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32));
    uint64_t high = ((word >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32));
    return (low + high) >> 32;
  }

  // Reads the digits from `i` on into `value` (times ten for each, wrapping past 19 digits) and
  // returns where they end: eight bytes at a time, as timestamps and ids are long runs of them.
  size_t readDigits(size_t i, uint64_t& value) const {
    static constexpr uint64_t kPowers[] = {1,      10,      100,      1000,     10000,
                                           100000, 1000000, 10000000, 100000000};
    while (i + 8 <= n_) {
      uint64_t word;
      std::memcpy(&word, p_ + i, sizeof word);
      uint64_t stops = nonDigits(word);
      size_t count = stops ? static_cast<size_t>(__builtin_ctzll(stops)) >> 3 : 8;
      if (count > 0) {
        // The digits moved to the top bytes, below them zeros: the same number.
        unsigned shift = static_cast<unsigned>(8 - count) * 8;
        uint64_t aligned = shift ? word << shift | (0x3030303030303030ULL >> (64 - shift)) : word;
        value = value * kPowers[count] + eightDigitsValue(aligned);
      }
      if (count < 8) return i + count;
      i += 8;
    }
    for (; i < n_ && isDigit(p_[i]); ++i) value = value * 10 + (p_[i] - '0');
    return i;
  }

  // A digit at `i`, which must not be the end of the input.
  bool startsDigits(size_t i) {
    if (i >= n_) return endOfInput();
    if (!isDigit(p_[i])) return brokenAt(i);
    return true;
  }

  [[gnu::cold]] bool brokenAt(size_t i) {
    state_.atIndex = i + 1;
    jsonRecordError(state_, "Invalid number.");
    return false;
  }

  [[gnu::cold]] bool endOfInput() {
    state_.atIndex = n_;
    jsonRecordError(state_, "Invalid number.");
    return false;
  }

  [[gnu::cold]] bool failConversion(std::string message) {
    jsonRecordError(state_, std::move(message));
    jsonRecordError(state_, "Invalid number.");
    return false;
  }

  std::string text() const {
    return std::string(reinterpret_cast<const char*>(state_.token.text), state_.token.textLength);
  }

  [[gnu::cold]] bool belowMinimum() {
    return failConversion(
        jsonFormat("The value '%s' exceeded the minimum value that could be "
                   "represented: %lld.",
                   text().c_str(), static_cast<long long>(INT64_MIN)));
  }

  [[gnu::cold]] bool convertLongInteger(bool negative, size_t from, size_t to,
                                        uint64_t& magnitude) {
    magnitude = 0;
    for (size_t i = from; i < to; ++i) {
      uint64_t digit = p_[i] - '0';
      if (magnitude > (UINT64_MAX - digit) / 10) {
        if (negative) return belowMinimum();
        return failConversion(
            jsonFormat("The value '%s' exceeded the maximum value that could "
                       "be represented: %llu.",
                       text().c_str(), static_cast<unsigned long long>(UINT64_MAX)));
      }
      magnitude = magnitude * 10 + digit;
    }
    return true;
  }

  // Most decimals in replies are short: digits that a double holds exactly (up to 2^53) and a
  // power of ten up to 22, which a double also holds exactly, give the correctly rounded value
  // with one multiplication or division. False for the rest, which the full conversion takes.
  bool exactDecimal(uint64_t digits, int scale, bool negative) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (digits > uint64_t{1} << 53 || scale < -22 || scale > 22) return false;
    double value = static_cast<double>(digits);
    value = scale < 0 ? value / kPowers[-scale] : value * kPowers[scale];
    state_.token.value.kind = JsonValueKindDouble;
    state_.token.value.number.doubleValue = negative ? -value : value;
    return true;
  }

  bool convertDouble() {
    const char* begin = reinterpret_cast<const char*>(state_.token.text);
    const char* end = begin + state_.token.textLength;
    double result = 0;
    auto [stop, status] = std::from_chars(begin, end, result);
    if (status == std::errc::result_out_of_range) {
      // The C library's conversion tells underflow (a zero result) from overflow.
      std::string copy = text();
      double rounded = std::strtod(copy.c_str(), nullptr);
      return failConversion(
          jsonFormat("The value '%s' could not be represented as a 'double' "
                     "due to %s.",
                     copy.c_str(), rounded == 0.0 ? "underflow" : "overflow"));
    }
    if (status != std::errc() || stop != end)
      return failConversion(
          "The conversion function did not consume all of the number tokens characters.");
    state_.token.value.kind = JsonValueKindDouble;
    state_.token.value.number.doubleValue = result;
    return true;
  }

  JsonParseState& state_;
  const unsigned char* p_;
  size_t n_;
  size_t start_;
};

bool literal(JsonParseState& state, const char* word, size_t length, JsonTokenKind kind) {
  size_t at = state.atIndex;
  // A literal must be followed by at least one byte of the input.
  if (at + length >= state.length || std::memcmp(state.input + at, word, length) != 0)
    return unexpectedToken(state);
  state.token.kind = kind;
  state.token.text = state.input + at;
  state.token.textLength = length;
  state.atIndex = at + length;
  return true;
}

}  // namespace

bool jsonScanString(JsonParseState& state, size_t start) {
  return StringScanner(state, start).scan();
}

bool jsonScanNumber(JsonParseState& state, size_t start) {
  return NumberScanner(state, start).scan();
}

void jsonSkipWhitespace(JsonParseState& state) {
  const unsigned char* p = state.input;
  size_t n = state.length;
  size_t i = state.atIndex;
  bool comments = state.options & JsonParseFlagComments;
  bool unicodeNewlines = state.options & JsonParseFlagUnicodeNewlines;
  while (i < n) {
    unsigned char c = p[i];
    if (c == ' ' || c == '\t') {
      ++i;
      continue;
    }
    if (size_t newline = newlineLength(p, n, i, unicodeNewlines)) {
      ++state.lineNumber;
      i += newline;
      continue;
    }
    if (!comments || c != '/' || i + 1 >= n) break;
    if (p[i + 1] == '/') {
      for (i += 2; i < n; ++i) {
        if (size_t newline = newlineLength(p, n, i, unicodeNewlines)) {
          ++state.lineNumber;
          i += newline;
          break;
        }
      }
    } else if (p[i + 1] == '*') {
      // The opening star may also begin the closing pair, so "/*/" is a whole comment.
      for (++i; i < n;) {
        if (p[i] == '*' && i + 1 < n && p[i + 1] == '/') {
          i += 2;
          break;
        }
        if (size_t newline = newlineLength(p, n, i, unicodeNewlines)) {
          ++state.lineNumber;
          i += newline;
        } else {
          ++i;
        }
      }
    } else {
      break;
    }
  }
  state.atIndex = i;
}

bool jsonScanToken(JsonParseState& state, size_t i) {
  const unsigned char* p = state.input;
  size_t n = state.length;
  if (i < n &&
      (p[i] == '\r' || (state.options & (JsonParseFlagComments | JsonParseFlagUnicodeNewlines)))) {
    state.atIndex = i;
    jsonSkipWhitespace(state);
    i = state.atIndex;
  }
  state.atIndex = i;
  state.token.kind = JsonTokenKindInvalid;
  if (i >= n) return unexpectedToken(state);
  switch (p[i]) {
    case '"':
      return jsonScanString(state, i);
    case 't':
      return literal(state, "true", 4, JsonTokenKindTrue);
    case 'f':
      return literal(state, "false", 5, JsonTokenKindFalse);
    case 'n':
      return literal(state, "null", 4, JsonTokenKindNull);
    default:
      if (p[i] == '-' || isDigit(p[i])) return jsonScanNumber(state, i);
      if (JsonTokenKind kind = jsonPunctuation(p[i])) {
        jsonSetPunctuation(state, kind, i);
        return true;
      }
      return unexpectedToken(state);
  }
}
