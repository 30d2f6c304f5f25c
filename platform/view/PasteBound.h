// How much text a paste may bring into a field, and what the learner is told of one past it. A
// one-line field holds a search, a name or a number: counted in characters, the text it holds
// with the paste. A text area may bound the paste itself in bytes (a text page takes what a
// text file may hold). A paste past the bound is refused whole.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace plat {

// The longest text one paste brings into a view that sets no bound of its own, in bytes.
inline constexpr size_t kMostPastedBytes = size_t{4} << 20;
// What a one-line field holds after a paste unless it says otherwise, in characters.
inline constexpr size_t kFieldCharacters = 256;

struct PasteBound {
  size_t characters = 0;            // the held text with the paste; 0: not counted in characters
  size_t bytes = kMostPastedBytes;  // the paste alone

  static PasteBound ofCharacters(size_t characters);

  // Whether `pasted` may go in after `held`.
  bool fits(std::string_view held, std::string_view pasted) const;
  // The most of a paste worth reading: any text longer is refused, and a reader that stops a
  // little past it can still tell.
  size_t mostBytesRead() const;
  // The learner's word for a paste refused: "文本太长，这一栏最多填200个字".
  std::string message() const;
};

// The characters of UTF-8 text: its lead bytes, and each stray byte as one.
size_t characterCount(std::string_view text);

}  // namespace plat
