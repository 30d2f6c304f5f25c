// The data of one word as the word card shows it, in plain form: what WordsMgr reads from the
// store, and what the card's renderers turn into its head lines and section pages. A list that was
// not fetched stays empty.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct WordPhonetics {
  std::string us;
  std::string uk;
};

struct WordMeaning {
  std::string text;
  int meaningId = 0;
};

struct WordExample {
  std::string sentence;
  std::string translation;
  int meaningId = 0;
};

// Answer counts of the word's study record.
struct WordAnswerCounts {
  int know = 0;
  int fuzzy = 0;
  int forget = 0;
};

struct WordCardContent {
  std::string word;                          // the headword
  std::optional<WordPhonetics> phonetics;    // type 0, first row
  std::vector<WordMeaning> meanings;         // type 1
  std::vector<std::string> inflections;      // type 2; the first one is used
  std::optional<WordAnswerCounts> counts;    // type 4
  std::vector<WordExample> examples;         // type 3
  std::vector<std::string> editors;          // type 5: "<seconds since 1970> <name>"
  std::vector<std::string> englishMeanings;  // type 6
  std::vector<std::string> antonyms;         // type 7, first list
  std::vector<std::string> synonyms;         // type 7, second list
  std::vector<std::string> phrases;          // type 8
  std::vector<std::string> paronyms;         // type 9, first list: derived words
  std::vector<std::string> similar;          // type 9, second list: similar words

  // Sections 3, 6, 7, 8 and 9 are shown, so their data were fetched.
  bool show_example = false;
  bool show_englishMeaning = false;
  bool show_jinfan = false;
  bool show_phrases = false;
  bool show_other = false;
};

// The learner's texts of a word for the mnemonic or grammar section, as stored (not escaped).
struct WordNoteTexts {
  std::string own;
  std::string adopted;
};
