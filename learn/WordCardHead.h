// The plain-text parts of the word card: the three head lines (phonetics, meanings, inflections)
// and the card's text that word extraction reads.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "learn/WordCardContent.h"

namespace WordCardHead {

// "美[us] 英[uk]", or "[us]" when the UK phonetics is empty or the same; "" without US phonetics.
std::string phoneticsLine(const std::optional<WordPhonetics>& phonetics);

// The meanings one per line; a stored backslash-n inside a meaning is a line break too.
std::string meaningLines(const std::vector<WordMeaning>& meanings);

// A line break and the inflection text in square brackets with its markers named; "" when the
// word has no inflection text.
std::string inflectionLine(const std::vector<std::string>& inflections);

// The words of the card for extraction, each piece followed by one space: the inflected forms,
// then the data of the shown sections (example sentences, English meaning, antonyms and
// synonyms, phrases, derived and similar words).
std::string extractionText(const WordCardContent& content);

}  // namespace WordCardHead
