#include "platform/draw/HtmlWordSplit.h"

#include <string_view>

namespace plat::html {
namespace {

constexpr std::string_view kClosingMarks[] = {"，", "。", "、", "；", "：", "？", "！", "”", "’",
                                              "）", "》", "」", "』", "】", "〉", "〕", "…"};
constexpr std::string_view kOpeningMarks[] = {"“", "‘", "（", "《", "「", "『", "【", "〈", "〔"};

// How many leading bytes of `text` are marks of the list.
template <size_t N>
size_t leadingMarks(std::string_view text, const std::string_view (&marks)[N]) {
  size_t length = 0;
  for (bool matched = true; matched;) {
    matched = false;
    for (std::string_view mark : marks) {
      if (text.substr(length, mark.size()) == mark) {
        length += mark.size();
        matched = true;
        break;
      }
    }
  }
  return length;
}

}  // namespace

std::vector<TextPiece> keepPunctuationWithWords(const std::vector<TextPiece>& pieces) {
  std::vector<TextPiece> kept;
  kept.reserve(pieces.size());
  std::string opening;  // opening marks waiting for the word they belong to
  for (const TextPiece& piece : pieces) {
    if (piece.space) {
      if (!opening.empty()) kept.push_back({std::move(opening), false});
      opening.clear();
      kept.push_back(piece);
      continue;
    }
    if (leadingMarks(piece.text, kOpeningMarks) == piece.text.size()) {
      opening += piece.text;
      continue;
    }
    std::string text = std::move(opening) + piece.text;
    opening.clear();
    // Closing marks join the word before; what follows them may start a line.
    const size_t closing = leadingMarks(text, kClosingMarks);
    if (closing > 0 && !kept.empty() && !kept.back().space) {
      kept.back().text.append(text, 0, closing);
      text.erase(0, closing);
    }
    if (!text.empty()) kept.push_back({std::move(text), false});
  }
  if (!opening.empty()) kept.push_back({std::move(opening), false});
  return kept;
}

}  // namespace plat::html
