// How the text of a page is cut into the pieces a line may break between. The layout engine cuts
// Chinese text before every character; Chinese typesetting keeps a closing mark ("，" "。" "”" …)
// with the character before it and an opening mark ("“" "（" "《" …) with the one after it, so
// that no line starts with a closing mark or ends with an opening one.
#pragma once

#include <string>
#include <vector>

namespace plat::html {

struct TextPiece {
  std::string text;
  bool space = false;  // white space between words
};

std::vector<TextPiece> keepPunctuationWithWords(const std::vector<TextPiece>& pieces);

}  // namespace plat::html
