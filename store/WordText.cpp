#include "store/WordText.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace WordText {
namespace {

// Fixed offset added to the word id; it belongs to the shipped word database.
constexpr uint32_t kSeedOffset = 5839;

// UTF-8 to UTF-16 units. A lone surrogate (which a scrambled text may hold when characters outside
// the basic plane were split) is carried as its own three-byte form; invalid bytes become U+FFFD.
std::vector<uint16_t> toUnits(const std::string& text) {
  std::vector<uint16_t> units;
  units.reserve(text.size());
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  size_t n = text.size();
  for (size_t i = 0; i < n;) {
    unsigned char c = s[i];
    uint32_t cp = 0xFFFD;
    size_t len = 1;
    auto cont = [&](size_t k) { return i + k < n && (s[i + k] & 0xC0) == 0x80; };
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0 && cont(1)) {
      cp = ((c & 0x1Fu) << 6) | (s[i + 1] & 0x3Fu);
      len = 2;
      if (cp < 0x80) cp = 0xFFFD;
    } else if ((c & 0xF0) == 0xE0 && cont(1) && cont(2)) {
      cp = ((c & 0x0Fu) << 12) | ((s[i + 1] & 0x3Fu) << 6) | (s[i + 2] & 0x3Fu);
      len = 3;
      if (cp < 0x800) cp = 0xFFFD;
    } else if ((c & 0xF8) == 0xF0 && cont(1) && cont(2) && cont(3)) {
      cp = ((c & 0x07u) << 18) | ((s[i + 1] & 0x3Fu) << 12) | ((s[i + 2] & 0x3Fu) << 6) |
           (s[i + 3] & 0x3Fu);
      len = 4;
      if (cp < 0x10000 || cp > 0x10FFFF) cp = 0xFFFD;
    }
    i += len;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      units.push_back(static_cast<uint16_t>(0xD800 + (cp >> 10)));
      units.push_back(static_cast<uint16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      units.push_back(static_cast<uint16_t>(cp));
    }
  }
  return units;
}

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string fromUnits(const std::vector<uint16_t>& units) {
  std::string out;
  out.reserve(units.size() * 3);
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t u = units[i];
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] < 0xE000) {
      appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else {
      appendUtf8(out, u);
    }
  }
  return out;
}

// The swap partners: m = (n + 1) / 2 draws of a 32-bit linear congruential generator.
std::vector<size_t> swapPartners(size_t n, int wordId) {
  uint32_t state = static_cast<uint32_t>(wordId) + kSeedOffset;
  std::vector<size_t> partners((n + 1) / 2);
  for (size_t& p : partners) {
    state = state * 214013u + 2531011u;
    p = ((state >> 16) & 0x7FFFu) % n;
  }
  return partners;
}

}  // namespace

std::string rekey(const std::string& stored, int wordId) {
  std::vector<uint16_t> c = toUnits(stored);
  if (c.size() < 3) return stored;
  std::vector<size_t> p = swapPartners(c.size(), wordId);
  for (size_t k = p.size(); k-- > 0;) std::swap(c[k], c[p[k]]);
  return fromUnits(c);
}

std::string scramble(const std::string& text, int wordId) {
  std::vector<uint16_t> c = toUnits(text);
  if (c.size() < 3) return text;
  std::vector<size_t> p = swapPartners(c.size(), wordId);
  for (size_t k = 0; k < p.size(); ++k) std::swap(c[k], c[p[k]]);
  return fromUnits(c);
}

}  // namespace WordText
