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
    kinds['{'] = JsonTokenKindObjectBegin;
    kinds['}'] = JsonTokenKindObjectEnd;
    kinds['['] = JsonTokenKindArrayBegin;
    kinds[']'] = JsonTokenKindArrayEnd;
    kinds[':'] = JsonTokenKindSeparator;
    kinds[','] = JsonTokenKindComma;
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

// An integer of up to 15 digits starting at `start`, as the number token there would read it,
// taken eight digits at a time: `value` and true, with the position after it. False, changing
// nothing, for everything else (decimals, minus zero, leading zeros, longer numbers, the end of
// the input), which the number token reads.
inline bool jsonShortInteger(JsonParseState& state, size_t start, int64_t& value) {
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
  const unsigned char* p = state.input;
  size_t i = start + (p[start] == '-');
  if (i + 16 > state.length) return false;
  uint64_t word;
  std::memcpy(&word, p + i, sizeof word);
  size_t count = digitsIn(word);
  if (count == 0) return false;
  uint64_t magnitude = valueOf(word, count);
  if (count == 8) {
    std::memcpy(&word, p + i + 8, sizeof word);
    size_t more = digitsIn(word);
    if (more == 8) return false;
    if (more > 0) magnitude = magnitude * kJsonPowersOfTen[more] + valueOf(word, more);
    count += more;
  }
  unsigned char next = p[i + count];
  if (next == '.' || next == 'e' || next == 'E' || (p[i] == '0' && (count > 1 || i > start)))
    return false;
  value = i > start ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  state.atIndex = i + count;
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
    } else if (c != ' ' && c != '\t') {
      if (JsonTokenKind kind = jsonPunctuation(c)) {
        jsonSetPunctuation(state, kind, i);
        return true;
      }
      break;
    }
  }
  return jsonScanToken(state, i);
}
