// Texts of the open word data made plain for the card, which shows them as they stand.
#pragma once

#include <string>

namespace wordtext {

// WordNet quotes a word inside a gloss as `word' (a grave accent, then an apostrophe): the card
// shows "word" instead. An apostrophe inside the quoted words ("`don't'") stays.
std::string plainGloss(const std::string& gloss);

// Whether two headwords are one edit apart: one letter inserted, dropped or changed, or two
// neighbouring letters swapped. Words that only share letters are not.
bool oneEditApart(const std::string& a, const std::string& b);

}  // namespace wordtext
