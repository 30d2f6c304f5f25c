// The decoder's tokenizer: one pass over the input, strings validated as strict UTF-8 and decoded
// only when they hold escapes, numbers converted with range checks, precise error texts.
#pragma once

#include <cstring>

#include "json/JsonParseState.h"

inline constexpr uint64_t kJsonPowersOfTen[] = {1,      10,      100,      1000,     10000,
                                                100000, 1000000, 10000000, 100000000};

// Skips spaces, tabs, newlines (counting lines) and, with the options, comments and Unicode
// newlines.
void jsonSkipWhitespace(JsonParseState& state);

// The one-byte token each byte stands for, or JsonTokenKindInvalid: a table, as the byte after a
// value is a comma or a closing bracket as often as not, which a chain of tests mispredicts.
struct JsonPunctuationTable {
  JsonTokenKind kinds[256] = {};
  constexpr JsonPunctuationTable() {
    kinds[static_cast<unsigned char>('{')] = JsonTokenKindObjectBegin;
    kinds[static_cast<unsigned char>('}')] = JsonTokenKindObjectEnd;
    kinds[static_cast<unsigned char>('[')] = JsonTokenKindArrayBegin;
    kinds[static_cast<unsigned char>(']')] = JsonTokenKindArrayEnd;
    kinds[static_cast<unsigned char>(':')] = JsonTokenKindSeparator;
    kinds[static_cast<unsigned char>(',')] = JsonTokenKindComma;
  }
};
inline constexpr JsonPunctuationTable kJsonPunctuation;

inline JsonTokenKind jsonPunctuation(unsigned char c) {
  return kJsonPunctuation.kinds[c];
}

inline void jsonSetPunctuation(JsonParseState& state, JsonTokenKind kind, size_t at) {
  state.token.kind = kind;
  state.token.text = state.input + at;
  state.token.textLength = 1;
  state.atIndex = at + 1;
}

// The token at or after byte `at`: everything but plain punctuation after plain white space.
bool jsonScanToken(JsonParseState& state, size_t at);
// The string or number token whose first byte is at `start` (the position, with the token's kind
// still invalid, where its errors are reported).
bool jsonScanString(JsonParseState& state, size_t start);
bool jsonScanNumber(JsonParseState& state, size_t start);

// The number starting at `start` when it has a common form, read as the number token there would
// read it (to the same value and kind) but eight digits at a time: integers of up to 16 digits,
// and decimals of up to 15 digits with an exponent of one or two digits. It leaves the position
// after the number. False, changing nothing, for everything else (minus zero, leading zeros,
// longer numbers, numbers at the end of the input, bad ones), which the number token reads.
// This form reads the `length` bytes at `p` and gives the position after the number, or 0.
[[gnu::always_inline]] inline size_t jsonShortNumberAt(const unsigned char* p, size_t length,
                                                       size_t start, plat::Value& number) {
  auto digitsIn = [](uint64_t word) -> size_t {  // the digits the word starts with
    constexpr uint64_t kHigh = 0x8080808080808080ULL, kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    uint64_t low = word & kLow7;
    uint64_t digit = (low + 0x5050505050505050ULL) & ~(low + 0x4646464646464646ULL) & ~word;
    uint64_t stops = ~digit & kHigh;
    return stops ? static_cast<size_t>(__builtin_ctzll(stops)) >> 3 : 8;
  };
  auto valueOf = [](uint64_t word, size_t count) {  // of the first `count` (1 to 8) digits
    unsigned shift = static_cast<unsigned>(8 - count) * 8;
    if (shift) word = word << shift | 0x3030303030303030ULL >> (64 - shift);
    word -= 0x3030303030303030ULL;
    word = word * 10 + (word >> 8);
    uint64_t low = (word & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32));
    uint64_t high = ((word >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32));
    return (low + high) >> 32;
  };
  bool negative = p[start] == '-';
  size_t i = start + negative;
  // Room for the longest form read here and the byte after it.
  if (i + 40 > length) return 0;
  uint64_t word;
  std::memcpy(&word, p + i, sizeof word);
  size_t count = digitsIn(word);
  if (count == 0 || (p[i] == '0' && (count > 1 || negative))) return 0;
  uint64_t digits = valueOf(word, count);
  if (count == 8) {
    std::memcpy(&word, p + i + 8, sizeof word);
    size_t more = digitsIn(word);
    if (more == 8 && p[i + 16] >= '0' && p[i + 16] <= '9') return 0;
    if (more > 0) digits = digits * kJsonPowersOfTen[more] + valueOf(word, more);
    count += more;
  }
  i += count;
  if (p[i] != '.' && p[i] != 'e' && p[i] != 'E') {
    number = plat::Value(static_cast<long long>(negative ? 0 - digits : digits));
    return i;
  }
  // A double holds up to 15 digits exactly (more can be beyond 2^53).
  if (count > 15) return 0;
  int scale = 0;
  if (p[i] == '.') {
    std::memcpy(&word, p + i + 1, sizeof word);
    size_t fraction = digitsIn(word);
    if (fraction == 0 || fraction == 8 || count + fraction > 15) return 0;
    digits = digits * kJsonPowersOfTen[fraction] + valueOf(word, fraction);
    scale = -static_cast<int>(fraction);
    i += 1 + fraction;
  }
  if (p[i] == 'e' || p[i] == 'E') {
    size_t at = i + 1;
    bool down = p[at] == '-';
    if (p[at] == '-' || p[at] == '+') ++at;
    std::memcpy(&word, p + at, sizeof word);
    size_t written = digitsIn(word);
    if (written == 0 || written > 2) return 0;
    int exponent = static_cast<int>(valueOf(word, written));
    scale += down ? -exponent : exponent;
    i = at + written;
  }
  if (scale < -22 || scale > 22) return 0;
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  // Up to 15 digits and a power of ten up to 22 are exact in a double: one multiplication or
  // division rounds correctly.
  double value = static_cast<double>(digits);
  value = scale < 0 ? value / kPowers[-scale] : value * kPowers[scale];
  number = plat::Value(negative ? -value : value);
  return i;
}

[[gnu::always_inline]] inline bool jsonShortNumber(JsonParseState& state, size_t start,
                                                   plat::Value& number) {
  size_t end = jsonShortNumberAt(state.input, state.length, start, number);
  if (end == 0) return false;
  state.atIndex = end;
  return true;
}

// A mask with the high bit set in each of the 8 bytes that is a quote, a backslash, below 0x20 or
// 0x80 and above: the bytes a string scan must stop at. The lowest set bit marks the first one
// (bits above it may be set falsely).
inline uint64_t jsonSpecialBytes(uint64_t word) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL, kHigh = 0x8080808080808080ULL;
  uint64_t quote = word ^ (kOnes * '"');
  uint64_t backslash = word ^ (kOnes * '\\');
  uint64_t special = (word - kOnes * 0x20) | (quote - kOnes) | (backslash - kOnes);
  special &= ~word;  // bytes 0x80 and above are added below
  return (special | word) & kHigh;
}

// The string whose opening quote is at `start` when it is short plain ASCII (no escapes, control
// or non-ASCII bytes, the closing quote within 24 bytes), as the string token there would read
// it: its bytes in the input and the position after it. 0, changing nothing, for every other
// string, which the string token reads. Keys and short values are mostly such.
inline size_t jsonShortPlainStringAt(const unsigned char* input, size_t length, size_t start,
                                     std::string_view& bytes) {
  const unsigned char* p = input + start + 1;
  if (start + 1 + 24 > length) return 0;
  for (size_t k = 0; k < 24; k += 8) {
    uint64_t word;
    std::memcpy(&word, p + k, sizeof word);
    if (uint64_t special = jsonSpecialBytes(word)) {
      size_t at = k + (static_cast<size_t>(__builtin_ctzll(special)) >> 3);
      if (p[at] != '"') return 0;
      bytes = std::string_view(reinterpret_cast<const char*>(p), at);
      return start + 1 + at + 1;
    }
  }
  return 0;
}

// The same, moving the parse state's position past the string; false for every other string.
inline bool jsonShortPlainString(JsonParseState& state, size_t start, std::string_view& bytes) {
  size_t end = jsonShortPlainStringAt(state.input, state.length, start, bytes);
  if (end == 0) return false;
  state.atIndex = end;
  return true;
}

// Moves past spaces, tabs and newlines (counting lines): the white space read before any token.
// The index of the first other byte, or the length.
inline size_t jsonSkipPlainSpace(JsonParseState& state) {
  const unsigned char* p = state.input;
  size_t n = state.length;
  size_t i = state.atIndex;
  for (; i < n; ++i) {
    unsigned char c = p[i];
    if (c > ' ') break;  // one test for the common case, a token with no space before it
    if (c == '\n')
      ++state.lineNumber;
    else if (c != ' ' && c != '\t')
      break;
  }
  state.atIndex = i;
  return i;
}

// Reads the next token into state.token and moves past it. On failure an error is recorded and
// false returned. Punctuation, the commonest token, is read here without a call.
inline bool jsonNextToken(JsonParseState& state) {
  const unsigned char* p = state.input;
  size_t n = state.length;
  size_t i = state.atIndex;
  for (; i < n; ++i) {
    unsigned char c = p[i];
    if (c == '\n') {
      ++state.lineNumber;
    } else if (c > ' ' || (c != ' ' && c != '\t')) {
      if (JsonTokenKind kind = jsonPunctuation(c)) {
        jsonSetPunctuation(state, kind, i);
        return true;
      }
      break;
    }
  }
  return jsonScanToken(state, i);
}
