#include "platform/view/TextEditing.h"

#include "platform/base/Utf.h"

namespace plat::textedit {
namespace {

size_t lastCharacterStart(const std::string& text) {
  size_t i = text.size();
  while (i > 0) {
    --i;
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) break;  // not a continuation byte
  }
  return i;
}

}  // namespace

TextRange appendRange(const std::string& text) {
  return {utf::utf16Length(text), 0};
}

TextRange lastCharacterRange(const std::string& text) {
  if (text.empty()) return {0, 0};
  size_t start = lastCharacterStart(text);
  size_t units = utf::utf16Length(std::string_view(text).substr(start));
  return {utf::utf16Length(text) - units, units};
}

std::string dropLastCharacter(const std::string& text) {
  return text.empty() ? text : text.substr(0, lastCharacterStart(text));
}

std::string bullets(const std::string& text) {
  std::string out;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t before = pos;
    utf::decodeNext(text, pos);
    if (pos <= before) break;
    out += "•";
  }
  return out;
}

}  // namespace plat::textedit
