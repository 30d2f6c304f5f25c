#include "tools/BasicPlaneText.h"

namespace tools {

std::string basicPlaneText(const std::string& text, int& dropped) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80           ? 1
                    : (lead >> 5) == 0x6  ? 2
                    : (lead >> 4) == 0xE  ? 3
                    : (lead >> 3) == 0x1E ? 4
                                          : 0;
    bool valid = length > 0 && i + length <= text.size();
    for (size_t k = 1; valid && k < length; ++k)
      valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    if (valid && length > 1) {
      // Overlong forms and UTF-16 surrogates are no characters.
      unsigned cp = lead & (0x7F >> length);
      for (size_t k = 1; k < length; ++k) cp = (cp << 6) | (text[i + k] & 0x3F);
      const unsigned minimum[] = {0, 0, 0x80, 0x800, 0x10000};
      valid = cp >= minimum[length] && !(cp >= 0xD800 && cp <= 0xDFFF) && cp <= 0x10FFFF;
    }
    if (!valid) {
      ++dropped;
      ++i;
      // A broken sequence's continuation bytes go with it.
      while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
      continue;
    }
    if (length == 4)
      ++dropped;
    else
      out.append(text, i, length);
    i += length;
  }
  return out;
}

}  // namespace tools
