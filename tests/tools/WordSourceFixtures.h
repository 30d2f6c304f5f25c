// Small extracts of the open word sources, written by the tests themselves: a few WordNet
// synsets with their index, exception lists and tag counts, dictionary entries, pronunciations,
// word counts, and our own lists.
#pragma once

#include <string>

namespace toolstest {

// Writes the WordNet files into `folder`.
void writeWordNetExtract(const std::string& folder);
// Writes cedict.txt, ecdict.txt, cmudict.txt and frequencies.txt into `folder`.
void writeWordDataExtract(const std::string& folder);
// Writes function_words.tsv, meaning_overrides.tsv, examples_zh.tsv, excluded_words.txt,
// word_ids.tsv, book_bands.tsv, exam_books.tsv, capitalised_words.txt, added_words.txt and
// uncountable_nouns.txt into `folder`.
void writeCuratedExtract(const std::string& folder);

}  // namespace toolstest
