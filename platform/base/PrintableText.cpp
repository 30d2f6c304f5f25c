#include "platform/base/PrintableText.h"

#include <cstdio>

#include "platform/base/Utf.h"

namespace plat {

namespace {

void appendEscape(std::string& out, const char* format, unsigned value) {
  char escape[8];
  std::snprintf(escape, sizeof escape, format, value);
  out += escape;
}

}  // namespace

std::string printableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    const size_t start = pos;
    const char32_t c = utf::decodeNext(text, pos);
    if (c == 0xFFFD && pos - start == 1) {
      // Not UTF-8: the byte itself.
      appendEscape(out, "\\x%02x", static_cast<unsigned char>(text[start]));
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == 0x1B) {
      out += "\\e";
    } else if (c < 0x20 || c == 0x7F) {
      appendEscape(out, "\\x%02x", static_cast<unsigned>(c));
    } else if (c >= 0x80 && c <= 0x9F) {
      appendEscape(out, "\\u%04x", static_cast<unsigned>(c));
    } else {
      out.append(text.substr(start, pos - start));
    }
  }
  return out;
}

}  // namespace plat
