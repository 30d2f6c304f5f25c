#include "learn/WordForms.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include "platform/base/Utf.h"

namespace WordForms {
namespace {

constexpr const char* kHighlightOpen = "<span style=\"color:#ff0000\">";
constexpr const char* kHighlightClose = "</span>";

bool isAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Word characters as a pattern's word boundary sees them: letters, digits, marks and the
// underscore of any script. Spaces, punctuation and symbols (Latin-1 signs, the general
// punctuation and symbol blocks, CJK and full-width punctuation) are not.
bool isWordChar(char32_t c) {
  if (c < 0x80) {
    return (c >= '0' && c <= '9') || isAsciiLetter(static_cast<char>(c)) || c == '_';
  }
  if (c <= 0xBF) return c == 0xAA || c == 0xB5 || c == 0xBA;
  if (c == 0xD7 || c == 0xF7) return false;
  if (c >= 0x2000 && c <= 0x2BFF) return false;
  if (c >= 0x3000 && c <= 0x303F) return c >= 0x3005 && c <= 0x3007;
  if (c >= 0xFE30 && c <= 0xFE6F) return false;
  if (c >= 0xFF01 && c <= 0xFF65) {
    const bool digit = c >= 0xFF10 && c <= 0xFF19;
    const bool letter = (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A);
    return digit || letter || c == 0xFF3F;
  }
  return c != 0xFFFD;
}

char32_t foldCase(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
  std::string lower = plat::utf::lowercase(plat::utf::fromCodePoint(c));
  size_t pos = 0;
  return plat::utf::decodeNext(lower, pos);
}

// A text as code points, with the byte offset where each starts (and the size at the end).
struct DecodedText {
  std::vector<char32_t> chars;
  std::vector<size_t> offsets;
};

DecodedText decode(std::string_view text) {
  DecodedText decoded;
  size_t pos = 0;
  while (pos < text.size()) {
    decoded.offsets.push_back(pos);
    decoded.chars.push_back(plat::utf::decodeNext(text, pos));
  }
  decoded.offsets.push_back(text.size());
  return decoded;
}

bool wordAt(const std::vector<char32_t>& chars, size_t i) {
  return i < chars.size() && isWordChar(chars[i]);
}

bool boundaryAt(const std::vector<char32_t>& chars, size_t i) {
  const bool before = i > 0 && isWordChar(chars[i - 1]);
  return before != wordAt(chars, i);
}

bool matchesAt(const std::vector<char32_t>& folded, const std::vector<char32_t>& pattern,
               size_t i) {
  if (folded.size() - i < pattern.size()) return false;
  return std::equal(pattern.begin(), pattern.end(), folded.begin() + static_cast<long>(i));
}

}  // namespace

std::vector<std::string> getTransformData(const std::string& text) {
  std::vector<std::string> forms;
  size_t i = 0;
  while (i < text.size()) {
    if (!isAsciiLetter(text[i])) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < text.size() && isAsciiLetter(text[end])) ++end;
    std::string run = text.substr(i, end - i);
    if (std::find(forms.begin(), forms.end(), run) == forms.end()) forms.push_back(run);
    i = end;
  }
  return forms;
}

std::string getOtherMeaningLocation(const std::string& text) {
  static const std::array<std::pair<char, const char*>, 7> kLabels = {{
      {'@', "第三人称单数"},
      {'#', "复数"},
      {'$', "过去式"},
      {'%', "过去分词"},
      {'^', "现在分词"},
      {'&', "比较级"},
      {'*', "最高级"},
  }};
  std::string result;
  result.reserve(text.size() * 2);
  for (char c : text) {
    auto label = std::find_if(kLabels.begin(), kLabels.end(),
                              [c](const auto& entry) { return entry.first == c; });
    if (label != kLabels.end())
      result += label->second;
    else
      result += c;
  }
  return result;
}

std::string findStr(const std::string& text, const std::string& form) {
  if (form.empty() || text.empty()) return text;
  const DecodedText decoded = decode(text);
  std::vector<char32_t> folded(decoded.chars.size());
  std::transform(decoded.chars.begin(), decoded.chars.end(), folded.begin(), foldCase);
  std::vector<char32_t> pattern = decode(form).chars;
  std::transform(pattern.begin(), pattern.end(), pattern.begin(), foldCase);

  std::string result;
  result.reserve(text.size() + 32);
  bool inTag = false;
  size_t i = 0;
  while (i < decoded.chars.size()) {
    if (decoded.chars[i] == '<') inTag = true;
    const size_t end = i + pattern.size();
    if (!inTag && matchesAt(folded, pattern, i) && boundaryAt(decoded.chars, i) &&
        boundaryAt(decoded.chars, end)) {
      result += kHighlightOpen;
      result.append(text, decoded.offsets[i], decoded.offsets[end] - decoded.offsets[i]);
      result += kHighlightClose;
      i = end;
      continue;
    }
    if (decoded.chars[i] == '>') inTag = false;
    result.append(text, decoded.offsets[i], decoded.offsets[i + 1] - decoded.offsets[i]);
    ++i;
  }
  return result;
}

std::string highlightForms(const std::string& text, const std::vector<std::string>& forms) {
  std::string result = text;
  for (const std::string& form : forms) result = findStr(result, form);
  return result;
}

}  // namespace WordForms
