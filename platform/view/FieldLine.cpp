#include "platform/view/FieldLine.h"

#include <algorithm>
#include <string>

#include "platform/draw/TextLayout.h"

namespace plat::fieldline {
namespace {

constexpr size_t kFirstTry = 64;  // characters: a field of a phone's width shows fewer

bool continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The byte where the `count`-th character from the start begins (the size when there are fewer).
size_t afterCharacters(std::string_view text, size_t count) {
  size_t i = 0;
  for (size_t seen = 0; i < text.size(); ++i) {
    if (continuation(text[i])) continue;
    if (seen++ == count) return i;
  }
  return text.size();
}

// The byte where the `count`-th character from the end begins (0 when there are fewer).
size_t beforeCharacters(std::string_view text, size_t count) {
  size_t i = text.size();
  for (size_t seen = 0; i > 0 && seen < count;) {
    --i;
    if (!continuation(text[i])) ++seen;
  }
  return i;
}

// Doubles the characters taken until they reach past `width`, the whole text or the most a
// frame looks at: the measuring adds up to about twice what is finally shown.
template <typename Take>
std::string_view filling(std::string_view text, const Font& font, double width, Take take) {
  for (size_t count = kFirstTry;; count *= 2) {
    const std::string_view part = take(std::min(count, kMostShownCharacters));
    if (part.size() == text.size() || count >= kMostShownCharacters ||
        measureText(std::string(part), font).width > width)
      return part;
  }
}

}  // namespace

std::string_view first(std::string_view text, size_t count) {
  return text.substr(0, afterCharacters(text, count));
}

std::string_view last(std::string_view text, size_t count) {
  return text.substr(beforeCharacters(text, count));
}

std::string_view head(std::string_view text, const Font& font, double width) {
  return filling(text, font, width, [&](size_t count) { return first(text, count); });
}

std::string_view tail(std::string_view text, const Font& font, double width) {
  return filling(text, font, width, [&](size_t count) { return last(text, count); });
}

}  // namespace plat::fieldline
