#include "store/WordText.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/base/Utf.h"

namespace WordText {
namespace {

// Fixed offset added to the word id; it belongs to the shipped word database.
constexpr uint32_t kSeedOffset = 5839;

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
  std::u16string c = plat::utf::toUtf16(stored);
  if (c.size() < 3) return stored;
  std::vector<size_t> p = swapPartners(c.size(), wordId);
  for (size_t k = p.size(); k-- > 0;) std::swap(c[k], c[p[k]]);
  return plat::utf::fromUtf16(c);
}

std::string scramble(const std::string& text, int wordId) {
  std::u16string c = plat::utf::toUtf16(text);
  if (c.size() < 3) return text;
  std::vector<size_t> p = swapPartners(c.size(), wordId);
  for (size_t k = 0; k < p.size(); ++k) std::swap(c[k], c[p[k]]);
  return plat::utf::fromUtf16(c);
}

bool isScramblable(const std::string& text) {
  if (!plat::utf::isValidUtf8(text)) return false;
  for (unsigned char byte : text)
    if (byte >= 0xF0) return false;  // a character outside the basic plane
  return true;
}

}  // namespace WordText
