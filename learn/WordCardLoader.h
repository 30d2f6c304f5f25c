// Reads a word's card content from the study store: the head data always, the data of the
// optional sections only when "review_list_sort" shows them.
#pragma once

#include <string>

#include "learn/WordCardContent.h"

namespace WordCardLoader {

// `word` is a headword of the library; `sortValue` is "review_list_sort" as stored ("" for the
// default).
WordCardContent load(const std::string& word, const std::string& sortValue);

// The learner's own and adopted mnemonic, and own and adopted grammar note, as stored now.
WordNoteTexts mnemonicTexts(const std::string& word);
WordNoteTexts grammarTexts(const std::string& word);

}  // namespace WordCardLoader
