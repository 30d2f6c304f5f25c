// Latin letters with accents, which English writes in the words it borrows ("café", "naïve",
// "résumé"): a word that holds them is one word, read as the same word without them, the way the
// library keeps it ("cafe", "naive", "resume"). Accents typed apart from their letter (a letter,
// then a combining accent) count the same.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace accents {

// The plain letters that `point` stands for ("e" for é, "ss" for ß, "AE" for Æ), "" for a
// combining accent, or nothing when it is neither an accented Latin letter nor an accent.
std::optional<std::string_view> plainLettersOf(char32_t point);

// `word` (UTF-8) with its accented letters made plain and its accents dropped; nothing where a
// character is neither ASCII nor one of those.
std::optional<std::string> plain(std::string_view word);

}  // namespace accents
