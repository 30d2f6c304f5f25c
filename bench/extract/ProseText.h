// Prose as learners paste it: the approved texts of the extraction tests (tests/tools/texts/*.txt:
// news, a program's guide, a story), with their sentences, names, titles and capitals, joined in
// the order of their names and repeated to a size. The word-list text of EnglishText.h reads the
// library's headwords in a row and leaves most of that out.
#pragma once

#include <cstddef>
#include <string>

namespace bench {

// Made once per size; exits with a message when no approved text can be read.
const std::string& proseText(size_t bytes);

// `text` repeated to `bytes`, less the end of a character that the size would cut in two.
std::string repeatedTo(const std::string& text, size_t bytes);

}  // namespace bench
