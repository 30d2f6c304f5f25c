// The English-Chinese dictionary's record of inflections (exchange.txt: "word TAB p:saw/d:seen/
// i:seeing/3:sees" on a base form, "0:see/1:p" on an inflected one): the real forms of a word,
// same-form pasts included ("p:set/d:set"), and the base form of an inflected word.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace tools {

class WordExchange {
 public:
  // Throws BuildError naming the file and line of a malformed record.
  static WordExchange load(const std::string& path);

  // Whether the dictionary records any form of `word`; when it does, a form it leaves out is
  // taken to be no real form.
  bool knows(const std::string& word) const { return entries_.count(word) > 0; }

  // The forms of one card marker ('#' plural, '@' third person, '$' past, '%' past participle,
  // '^' present participle, '&' comparative, '*' superlative). A form equal to the word itself is
  // kept only for a past or past participle of a word that is its own base ("set", "cut"). The
  // record of an inflected word that is a word of its own too ("felt", "ground") copies forms of
  // its base ("feels", "grinds"): those are the base's, not the word's, and are left out.
  std::vector<std::string> formsOf(const std::string& word, char marker) const;

  // Whether every form the record gives `word` for the marker is its base's ("felt" has "feels"
  // for the third person, and no form of its own there).
  bool onlyItsBasesForms(const std::string& word, char marker) const;

  // The base form that `word` is an inflection of, and the part of speech of that inflection as
  // a WordNet letter ('n', 'v' or 'a'); empty when the word is no inflection of another.
  struct Base {
    std::string lemma;
    char pos = 0;
  };
  Base baseOf(const std::string& word) const;

 private:
  struct Entry {
    std::unordered_map<char, std::vector<std::string>> forms;  // by card marker
    std::string lemma;  // "0:" (the word's base form), when recorded
    std::string kinds;  // "1:" (which inflections of the base the word is: "pd", "s3")
  };
  bool isItsBasesForm(const std::string& word, const Entry& entry, const std::string& form) const;

  std::unordered_map<std::string, Entry> entries_;
};

}  // namespace tools
