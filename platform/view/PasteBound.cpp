#include "platform/view/PasteBound.h"

#include <algorithm>

namespace plat {

PasteBound PasteBound::ofCharacters(size_t characters) {
  PasteBound bound;
  bound.characters = characters;
  return bound;
}

bool PasteBound::fits(std::string_view held, std::string_view pasted) const {
  if (pasted.size() > mostBytesRead()) return false;
  return characters == 0 || characterCount(held) + characterCount(pasted) <= characters;
}

size_t PasteBound::mostBytesRead() const {
  // A character takes at most four bytes of UTF-8: a text longer than that has too many.
  return characters == 0 ? bytes : std::min(bytes, characters * 4);
}

std::string PasteBound::message() const {
  if (characters > 0)
    return "文本太长，这一栏最多填" + std::to_string(characters) + "个字";
  const std::string most = bytes % (1 << 20) == 0 ? std::to_string(bytes >> 20) + "MB"
                                                  : std::to_string(bytes >> 10) + "KB";
  return "文本太长，只能粘贴" + most + "以内的文本";
}

size_t characterCount(std::string_view text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

}  // namespace plat
