// Which curly quotation marks stand in Western text. The system font is a CJK face, whose ‘ ’ “ ”
// are full-width: right for Chinese text, but in English they open a gap ("don’ t"). Text
// layout draws the marks found here from a Latin face instead.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace plat {

struct ByteRange {
  size_t start = 0;
  size_t end = 0;  // one past the last byte

  bool operator==(const ByteRange&) const = default;
};

// The UTF-8 byte ranges of the marks in `text` that belong to Western text. A mark belongs to the
// text it quotes: an opening mark (‘ “) to what follows it, a closing mark or apostrophe (’ ”) to
// what precedes it. Where that side holds no letter (a space, the end of the text), the other side
// decides. Neighbouring marks and digits are looked past ("“2019”年" is Chinese); a mark with no
// letter on either side stays CJK, unless it quotes a number alone.
std::vector<ByteRange> westernQuoteMarks(std::string_view text);

}  // namespace plat
