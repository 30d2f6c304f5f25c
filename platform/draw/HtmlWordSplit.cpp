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

// How many trailing bytes of `text` are opening marks.
size_t trailingOpeningMarks(std::string_view text) {
  size_t length = 0;
  for (bool matched = true; matched;) {
    matched = false;
    for (std::string_view mark : kOpeningMarks) {
      const std::string_view rest = text.substr(0, text.size() - length);
      if (rest.size() >= mark.size() && rest.substr(rest.size() - mark.size()) == mark) {
        length += mark.size();
        matched = true;
        break;
      }
    }
  }
  return length;
}

// The engine leaves a run of Latin letters and marks whole ("Documents（", "“walked”“studies”").
// A line may still break where a closing mark meets an opening one, so the run is cut there.
std::vector<std::string> cutBetweenMarks(const std::string& text) {
  std::vector<std::string> cuts;
  size_t start = 0;
  for (size_t at = 0; at < text.size(); ++at) {
    const size_t closing = leadingMarks(std::string_view(text).substr(at), kClosingMarks);
    if (closing == 0) continue;
    const size_t next = at + closing;
    if (next < text.size() && leadingMarks(std::string_view(text).substr(next), kOpeningMarks)) {
      cuts.push_back(text.substr(start, next - start));
      start = next;
    }
    at = next - 1;
  }
  cuts.push_back(text.substr(start));
  return cuts;
}

}  // namespace

std::vector<TextPiece> keepPunctuationWithWords(const std::vector<TextPiece>& input) {
  std::vector<TextPiece> pieces;
  for (const TextPiece& piece : input) {
    if (piece.space) {
      pieces.push_back(piece);
      continue;
    }
    for (std::string& cut : cutBetweenMarks(piece.text)) {
      // Opening marks at the end of a run belong to what follows it.
      const size_t opening = trailingOpeningMarks(cut);
      if (opening > 0 && opening < cut.size()) {
        pieces.push_back({cut.substr(0, cut.size() - opening), false});
        cut.erase(0, cut.size() - opening);
      }
      pieces.push_back({std::move(cut), false});
    }
  }
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
