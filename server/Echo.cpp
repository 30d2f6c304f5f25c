#include "server/Echo.h"

#include "platform/base/PrintableText.h"

namespace standin {

std::string shortened(std::string_view text, size_t longest) {
  if (text.size() <= longest) return std::string(text);
  size_t cut = longest;
  // A byte 10xxxxxx continues the character before it: cut where that character starts, no more
  // than three bytes back (bytes that are not UTF-8 are cut anywhere).
  for (int back = 0; back < 3 && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80;
       ++back)
    --cut;
  return std::string(text.substr(0, cut)) + "... (cut from " + std::to_string(text.size()) +
         " bytes)";
}

std::string echoed(std::string_view text, size_t longest) {
  return plat::printableText(shortened(text, longest));
}

}  // namespace standin
