#include "util/MyExtensions.h"

#include <cstring>

#include "platform/base/Utf.h"
#include "platform/crypto/Digest.h"

namespace MyExtensions {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

}  // namespace

std::string md5(std::string_view text) {
  size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  return plat::crypto::hex(plat::crypto::md5(text));
}

std::string md5(const plat::Value::Bytes& data) {
  return plat::crypto::hex(plat::crypto::md5(data.data(), data.size()));
}

std::string URLEncodedString(std::string_view text) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if (isUnreserved(c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += digits[c >> 4];
      out += digits[c & 0x0F];
    }
  }
  return out;
}

std::optional<std::string> URLDecodedString(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    int high = hexValue(text[i + 1]);
    int low = hexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  if (!plat::utf::isValidUtf8(out)) return std::nullopt;
  return out;
}

std::string turnHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  // One pass gives what the five replacements in order give: no reference is escaped again.
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '\'':
        out += "&#146;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

ComparisonResult longlongCompare(const plat::Value& receiver, const plat::Value& other) {
  int64_t a = receiver.asInt();
  int64_t b = other.asInt();
  if (a == b) return ComparisonResult::OrderedSame;
  return a < b ? ComparisonResult::OrderedAscending : ComparisonResult::OrderedDescending;
}

}  // namespace MyExtensions
