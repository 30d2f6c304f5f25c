#include "platform/base/Utf.h"

namespace plat::utf {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

size_t unitsOf(char32_t c) {
  return c >= 0x10000 ? 2 : 1;
}

bool isContinuation(unsigned char b) {
  return (b & 0xC0) == 0x80;
}

// The valid sequence at pos, or nothing (its length 0).
size_t validSequence(std::string_view s, size_t pos, char32_t& out) {
  const auto b = [&](size_t i) { return static_cast<unsigned char>(s[pos + i]); };
  const unsigned char first = b(0);
  const size_t left = s.size() - pos;
  if (first < 0x80) {
    out = first;
    return 1;
  }
  size_t length;
  char32_t c, min;
  if ((first & 0xE0) == 0xC0) {
    length = 2, c = first & 0x1F, min = 0x80;
  } else if ((first & 0xF0) == 0xE0) {
    length = 3, c = first & 0x0F, min = 0x800;
  } else if ((first & 0xF8) == 0xF0) {
    length = 4, c = first & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (left < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if (!isContinuation(b(i))) return 0;
    c = (c << 6) | (b(i) & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  out = c;
  return length;
}

void append(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

char32_t lowerOf(char32_t c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
      (c >= 0x410 && c <= 0x42F) || (c >= 0xFF21 && c <= 0xFF3A))
    return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  if (c == 0x130) return 'i';
  if (c == 0x178) return 0xFF;
  // Latin Extended-A pairs capital and small letters side by side; the parity of the capital
  // flips at the gaps.
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c % 2 == 0 ? c + 1 : c;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c % 2 == 1 ? c + 1 : c;
  return c;
}

}  // namespace

char32_t decodeNext(std::string_view utf8, size_t& pos) {
  char32_t c;
  size_t n = validSequence(utf8, pos, c);
  if (n == 0) {
    ++pos;
    return kReplacement;
  }
  pos += n;
  return c;
}

bool isValidUtf8(std::string_view text) {
  char32_t c;
  for (size_t pos = 0; pos < text.size();) {
    size_t n = validSequence(text, pos, c);
    if (n == 0) return false;
    pos += n;
  }
  return true;
}

std::string sanitizeUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) append(out, decodeNext(text, pos));
  return out;
}

size_t utf16Length(std::string_view utf8) {
  size_t units = 0;
  for (size_t pos = 0; pos < utf8.size();) units += unitsOf(decodeNext(utf8, pos));
  return units;
}

size_t utf16IndexOfByte(std::string_view utf8, size_t byteOffset) {
  size_t units = 0;
  for (size_t pos = 0; pos < utf8.size();) {
    char32_t c = decodeNext(utf8, pos);
    if (pos > byteOffset) return units;  // the character that covers byteOffset
    units += unitsOf(c);
  }
  return units;
}

size_t byteOffsetOfUtf16(std::string_view utf8, size_t utf16Index) {
  size_t units = 0;
  for (size_t pos = 0; pos < utf8.size();) {
    size_t before = pos;
    char32_t c = decodeNext(utf8, pos);
    units += unitsOf(c);
    if (units > utf16Index) return before;
  }
  return utf8.size();
}

std::string substringUtf16(std::string_view utf8, size_t start, size_t length) {
  size_t from = byteOffsetOfUtf16(utf8, start);
  size_t end = length > SIZE_MAX - start ? utf8.size() : byteOffsetOfUtf16(utf8, start + length);
  return std::string(utf8.substr(from, end - from));
}

std::u16string toUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    char32_t c = decodeNext(utf8, pos);
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string fromUtf16(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    append(out, c);
  }
  return out;
}

std::string fromCodePoint(char32_t c) {
  std::string out;
  append(out, c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) ? kReplacement : c);
  return out;
}

std::string asciiLowercase(std::string_view text) {
  std::string out(text);
  for (char& ch : out)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + 32);
  return out;
}

std::string asciiUppercase(std::string_view text) {
  std::string out(text);
  for (char& ch : out)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
  return out;
}

std::string lowercase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    size_t before = pos;
    char32_t c;
    size_t n = validSequence(text, pos, c);
    if (n == 0) {  // keep damaged bytes as they are: lower-casing must not change them
      out += text[pos++];
      continue;
    }
    pos += n;
    char32_t lower = lowerOf(c);
    if (lower == c) {
      out.append(text.substr(before, n));
    } else {
      append(out, lower);
    }
  }
  return out;
}

}  // namespace plat::utf
