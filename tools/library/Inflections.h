// Inflected forms of a headword and the base forms of an inflected word. They come from the
// English-Chinese dictionary's record of inflections where it has the word; elsewhere irregular
// forms come from WordNet's exception lists and regular ones from the spelling rules, kept only
// when the word is known to the frequency list or the pronouncing dictionary (so "informations"
// or "beautifuler" never appear).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/library/WordExchange.h"
#include "tools/library/WordNet.h"

namespace tools {

class Inflections {
 public:
  using KnownWord = std::function<bool(const std::string&)>;
  using PluralTest = std::function<bool(const std::string& noun, const std::string& plural)>;

  // What the sources say of a form beside the dictionary's record.
  struct Evidence {
    KnownWord known;          // a word in use: a guessed regular form must be one
    KnownWord spelled;        // some source spells the form so; the record's other forms are typos
                              // ("cloathing", "buffetted")
    PluralTest pluralStands;  // a plural the noun may show ("advices" may not)
    std::function<long(const std::string&)> inUse;  // how often a word is used, 0 for unknown
    KnownWord headword;  // a word with a card of its own, which is no other word's variant
  };

  Inflections(const WordNet& wordNet, const WordExchange& exchange, KnownWord known)
      : Inflections(wordNet, exchange, Evidence{known, known, nullptr, nullptr, nullptr}) {}
  Inflections(const WordNet& wordNet, const WordExchange& exchange, Evidence evidence)
      : wordNet_(wordNet), exchange_(exchange), evidence_(std::move(evidence)) {}

  // The forms text of a headword for its parts of speech (WordNet letters, most used first), with
  // markers: # plural, @ 3rd person singular, $ past, % past participle, ^ present participle,
  // & comparative, * superlative. Example: "#books @books $booked %booked ^booking".
  std::string formsText(const std::string& base, const std::vector<char>& parts) const;

  // The forms of one marker ('#' plural ...) of a base form in part of speech `pos`.
  std::vector<std::string> formsOf(const std::string& base, char pos, char marker) const {
    return forms(base, pos, marker);
  }

  // The WordNet lemmas that `word` is an inflected form of (never `word` itself).
  std::vector<std::string> baseForms(const std::string& word) const;

 private:
  // Regular candidates of one marker, in order of preference.
  static std::vector<std::string> regularCandidates(const std::string& base, char marker);
  static bool isRegularSpelling(const std::string& base, const std::string& form, char marker);
  std::vector<std::string> forms(const std::string& base, char pos, char marker) const;
  std::vector<std::string> recordedForms(const std::string& base, char pos, char marker) const;
  std::vector<std::string> irregularVariants(const std::string& base, char pos, char marker,
                                             const std::vector<std::string>& recorded) const;
  bool isAnotherWordsForm(const std::string& base, const std::string& form) const;
  bool isRecorded(const std::string& base, const std::string& form) const;
  // Whether the comparative's superlative (or the superlative's comparative) is recorded or in
  // use.
  bool hasTheOtherDegree(const std::string& base, char marker) const;
  std::vector<std::string> guessedForms(const std::string& base, char pos, char marker) const;
  bool known(const std::string& word) const { return evidence_.known(word); }

  std::vector<std::string> irregularForms(const std::string& base, char pos, char marker) const;

  const WordNet& wordNet_;
  const WordExchange& exchange_;
  Evidence evidence_;
};

}  // namespace tools
