// The scrambled form in which the word database keeps its texts (meanings, examples, related
// words). Characters (UTF-16 units) are permuted by swaps drawn from a generator seeded with the
// word's id, so a text can only be read back under the id of the word it belongs to.
#pragma once

#include <string>

namespace WordText {

// Reads a stored text back into word text (the store's "t" result letter).
std::string rekey(const std::string& stored, int wordId);

// The inverse of rekey: how the database builder stores a word's text.
std::string scramble(const std::string& text, int wordId);

// Whether scramble() keeps the text: valid UTF-8 within the basic plane. A character of two
// UTF-16 units could be split by the swaps, and its halves have no UTF-8 form.
bool isScramblable(const std::string& text);

}  // namespace WordText
