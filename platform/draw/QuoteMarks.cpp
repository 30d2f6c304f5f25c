#include "platform/draw/QuoteMarks.h"

#include "platform/base/Utf.h"

namespace plat {
namespace {

constexpr char32_t kLeftSingle = U'\u2018';
constexpr char32_t kRightSingle = U'\u2019';
constexpr char32_t kLeftDouble = U'\u201C';
constexpr char32_t kRightDouble = U'\u201D';

enum class Script { Western, Cjk, Neither };

bool isQuoteMark(char32_t c) {
  return c == kLeftSingle || c == kRightSingle || c == kLeftDouble || c == kRightDouble;
}

bool opens(char32_t c) {
  return c == kLeftSingle || c == kLeftDouble;
}

// Below the general punctuation block lie the Latin, Greek, Cyrillic and phonetic letters with
// ASCII's digits and marks; from the CJK radicals on, the Chinese, Japanese and Korean blocks and
// their full-width forms. Spaces, symbols and emoji belong to neither.
Script scriptOf(char32_t c) {
  if (c <= U' ' || c == 0x7F || c == 0xA0) return Script::Neither;
  if (c < 0x2000) return Script::Western;
  if ((c >= 0x2E80 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFAFF) ||
      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF) ||
      (c >= 0x20000 && c <= 0x3FFFF))
    return Script::Cjk;
  return Script::Neither;
}

struct CodePoint {
  char32_t value;
  size_t start;
  size_t end;
};

// Decodes UTF-8; a malformed byte stands for itself as U+FFFD, a code point of no script.
std::vector<CodePoint> decode(std::string_view text) {
  std::vector<CodePoint> points;
  points.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    const size_t start = pos;
    const char32_t value = utf::decodeNext(text, pos);
    points.push_back({value, start, pos});
  }
  return points;
}

bool isDigit(char32_t c) {
  return c >= U'0' && c <= U'9';
}

struct Side {
  Script script = Script::Neither;
  bool digits = false;  // digits lay between the mark and that script
};

// What lies from `at` in steps of `step`: the script of the first code point that is neither a
// quotation mark nor a digit, which both scripts write alike ("“2019”年", "“1990s”").
Side sideOf(const std::vector<CodePoint>& points, size_t at, int step) {
  Side side;
  for (auto i = static_cast<std::ptrdiff_t>(at) + step;
       i >= 0 && i < static_cast<std::ptrdiff_t>(points.size()); i += step) {
    const char32_t c = points[static_cast<size_t>(i)].value;
    if (isQuoteMark(c)) continue;
    if (!isDigit(c)) {
      side.script = scriptOf(c);
      break;
    }
    side.digits = true;
  }
  return side;
}

Script scriptOfMark(const std::vector<CodePoint>& points, size_t at) {
  const int inward = opens(points[at].value) ? 1 : -1;
  const Side inside = sideOf(points, at, inward);
  if (inside.script != Script::Neither) return inside.script;
  const Side outside = sideOf(points, at, -inward);
  if (outside.script != Script::Neither) return outside.script;
  // A number quoted on its own reads as Western text.
  return inside.digits || outside.digits ? Script::Western : Script::Neither;
}

}  // namespace

std::vector<ByteRange> westernQuoteMarks(std::string_view text) {
  std::vector<ByteRange> marks;
  if (text.find("\xE2\x80") == std::string_view::npos) return marks;  // no mark at all
  const std::vector<CodePoint> points = decode(text);
  for (size_t i = 0; i < points.size(); ++i) {
    if (!isQuoteMark(points[i].value)) continue;
    if (scriptOfMark(points, i) != Script::Western) continue;
    if (!marks.empty() && marks.back().end == points[i].start) {
      marks.back().end = points[i].end;
    } else {
      marks.push_back({points[i].start, points[i].end});
    }
  }
  return marks;
}

}  // namespace plat
