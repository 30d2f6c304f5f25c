// Makes the word library's text files (the folder that buildLearnDb reads) from open data:
// headwords chosen and ordered by frequency (inflected forms counted for their base form), with
// every word of the English-Chinese dictionary's exam lists, Chinese meanings and British
// phonetics from that dictionary, American phonetics from the pronouncing dictionary, WordNet's
// definitions, examples, synonyms, antonyms, derived words and phrases, inflected forms, words of
// similar spelling, books by frequency band and exam books.
#pragma once

#include <string>

namespace tools {

struct WordLibrarySources {
  std::string wordNet;   // folder of WordNet 3 (data.noun, index.noun, noun.exc, cntlist.rev ...)
  std::string wordData;  // folder of cedict.txt, cmudict.txt, frequencies.txt, ecdict.txt,
                         // exchange.txt and names.txt
  std::string curated;   // our own lists: function_words.tsv, meaning_overrides.tsv,
                         // examples_zh.tsv, excluded_words.txt, unfit_words.txt,
                         // bookless_words.txt, unbanded_words.txt, kept_off_synonyms.txt,
                         // chinese_slips.tsv, english_first.tsv, word_ids.tsv, book_bands.tsv,
                         // exam_books.tsv, capitalised_words.txt, added_words.txt,
                         // uncountable_nouns.txt
};

struct WordLibraryCounts {
  int words = 0;
  int withPhonetics = 0;
  int meanings = 0;
  int examples = 0;
  int books = 0;
  int newWords = 0;  // headwords without a recorded id; listed in new_word_ids.tsv
};

// Writes the folder `output` (created when missing). Every word of word_ids.tsv keeps its id and
// stays in the library unless excluded since; new words take ids above the record's highest.
// Throws BuildError naming the first missing or malformed source, or when the sources yield
// fewer words than the books need.
WordLibraryCounts makeWordLibrary(const WordLibrarySources& sources, const std::string& output);

}  // namespace tools
