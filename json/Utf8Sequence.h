// The one rule for well-formed UTF-8 that the decoder and the encoder share: no overlong forms, no
// surrogates, nothing above U+10FFFF and, where asked, no noncharacters (U+FDD0..U+FDEF and every
// code point ending in FFFE or FFFF).
#pragma once

#include <cstddef>
#include <cstdint>

enum class Utf8Status : uint8_t { Valid, Illegal, Truncated };

struct Utf8Sequence {
  Utf8Status status;
  uint8_t length;      // bytes of a valid sequence
  uint32_t codePoint;  // of a valid sequence
};

inline bool isUnicodeNoncharacter(uint32_t codePoint) {
  return (codePoint >= 0xFDD0 && codePoint <= 0xFDEF) || (codePoint & 0xFFFE) == 0xFFFE;
}

// Reads the sequence that starts with the byte bytes[0] (0x80 or more); `available` counts the
// bytes from there to the end of the input. Truncated: the input ends before the bytes its lead
// announces, and every byte after the lead up to the end is a continuation byte.
Utf8Sequence readUtf8Sequence(const unsigned char* bytes, size_t available,
                              bool rejectNoncharacters);

// How many bytes an invalid sequence covers when it is replaced: the lead byte and the continuation
// bytes right after it, at most as many as the lead byte announces.
size_t invalidUtf8Span(const unsigned char* bytes, size_t available);

inline constexpr char kUtf8ReplacementCharacter[] = "\xEF\xBF\xBD";
