#include "json/Utf8Sequence.h"

namespace {

// Continuation bytes a lead byte announces; 0 for a byte that cannot lead.
size_t announcedContinuations(unsigned char lead) {
  if (lead >= 0xC0 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  if (lead >= 0xF0 && lead <= 0xF7) return 3;
  if (lead >= 0xF8 && lead <= 0xFB) return 4;
  if (lead >= 0xFC && lead <= 0xFD) return 5;
  return 0;
}

bool isContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

}  // namespace

Utf8Sequence readUtf8Sequence(const unsigned char* bytes, size_t available,
                              bool rejectNoncharacters) {
  const Utf8Sequence illegal{Utf8Status::Illegal, 0, 0};
  unsigned char lead = bytes[0];
  size_t continuations = announcedContinuations(lead);
  // Cut off by the end of the input: that is reported as such even when the bytes present could
  // never make a valid sequence, so no option replaces it.
  if (continuations >= available && invalidUtf8Span(bytes, available) == available)
    return {Utf8Status::Truncated, 0, 0};
  if (lead < 0xC2 || lead > 0xF4) return illegal;
  // The second byte's range depends on the lead, which excludes overlong forms, surrogates and
  // code points above U+10FFFF.
  unsigned char low = 0x80, high = 0xBF;
  if (lead == 0xE0) low = 0xA0;
  if (lead == 0xED) high = 0x9F;
  if (lead == 0xF0) low = 0x90;
  if (lead == 0xF4) high = 0x8F;
  uint32_t codePoint = lead & (0x3F >> continuations);
  // Every byte read here lies inside the input: a sequence longer than the input has a byte that
  // is no continuation before the end, and the loop stops there.
  for (size_t i = 1; i <= continuations; ++i) {
    unsigned char byte = bytes[i];
    if (i == 1 ? (byte < low || byte > high) : !isContinuation(byte)) return illegal;
    codePoint = (codePoint << 6) | (byte & 0x3F);
  }
  if (rejectNoncharacters && isUnicodeNoncharacter(codePoint)) return illegal;
  return {Utf8Status::Valid, static_cast<uint8_t>(continuations + 1), codePoint};
}

size_t invalidUtf8Span(const unsigned char* bytes, size_t available) {
  size_t span = 1;
  size_t announced = announcedContinuations(bytes[0]);
  while (span <= announced && span < available && isContinuation(bytes[span])) ++span;
  return span;
}
