#include "platform/draw/DisplayText.h"

namespace plat {

namespace {

constexpr std::string_view kZeroWidthSpace = "\xe2\x80\x8b";
constexpr std::string_view kEllipsis = "\xe2\x80\xa6";

bool startsCodePoint(unsigned char byte) {
  return (byte & 0xC0) != 0x80;
}

// Spaces break a line, and so does every character from the CJK blocks on (lead byte E3 and up).
bool breaksByItself(unsigned char lead) {
  return lead == ' ' || lead == '\n' || lead == '\t' || lead >= 0xE3;
}

}  // namespace

std::string boundedDisplayText(std::string_view text, size_t maxCharacters, size_t longestRun) {
  std::string shown;
  shown.reserve(std::min(text.size(), maxCharacters * 4) + 8);
  size_t characters = 0, run = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (startsCodePoint(byte)) {
      if (characters++ == maxCharacters) {
        shown += kEllipsis;
        break;
      }
      if (breaksByItself(byte)) {
        run = 0;
      } else if (++run > longestRun) {
        shown += kZeroWidthSpace;
        run = 1;
      }
    }
    shown += static_cast<char>(byte);
  }
  return shown;
}

}  // namespace plat
