// The parts of a WordNet 3 database folder (data.*, index.*, *.exc, cntlist.rev) that the word
// library uses: each lemma's senses in order of use, the synsets with their words, pointers,
// definitions and examples, the exception lists of irregular forms, and how often each part of
// speech of a lemma was met in the tagged texts.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace tools {

// Parts of speech in WordNet's letters: n noun, v verb, a adjective, r adverb.
inline constexpr std::array<char, 4> kWordNetPos = {'n', 'v', 'a', 'r'};
int posIndex(char pos);  // 0..3, satellites ('s') count as adjectives

// The runs of ASCII letters of a gloss or an example, in lower case, as the glosses are counted.
std::vector<std::string> lowerCaseWords(const std::string& text);

struct WordNetPointer {
  std::string symbol;  // "!" antonym, "&" similar to, "+" derivationally related, ";u" usage ...
  uint32_t offset = 0;
  char pos = 'n';
  int source = 0;  // the word of this synset it leaves from (1-based), 0 for the whole synset
  int target = 0;  // the word of the target synset it reaches (1-based), 0 for all
};

struct Synset {
  char pos = 'n';
  std::vector<std::string> words;  // as written, with "_" between the words of a phrase
  std::vector<WordNetPointer> pointers;
  std::string definition;
  std::vector<std::string> examples;
};

class WordNet {
 public:
  // Reads the folder; throws BuildError naming the first missing or malformed file and line.
  static WordNet load(const std::string& folder);

  // Senses of a lemma (lower case, "_" between words) in one part of speech, most used first.
  const std::vector<uint32_t>& senses(const std::string& lemma, char pos) const;
  const Synset* synset(char pos, uint32_t offset) const;
  bool isLemma(const std::string& lemma) const { return index_.count(lemma) > 0; }
  // Every lemma with its senses by part of speech.
  const std::unordered_map<std::string, std::array<std::vector<uint32_t>, 4>>& index() const {
    return index_;
  }
  // Tagged occurrences of the lemma's senses in one part of speech.
  int tagCount(const std::string& lemma, char pos) const;
  // Base forms that the exception list of `pos` gives for an irregular form ("went" -> "go").
  std::vector<std::string> exceptionBases(const std::string& form, char pos) const;
  // Irregular forms that the exception list of `pos` gives for a base form ("go" -> "went", ...).
  std::vector<std::string> exceptionForms(const std::string& base, char pos) const;
  // How often the definitions and examples, written by WordNet's own lexicographers, use the
  // word as spelt (lower case): a plural they use ("waters", "foods") is one the language has.
  int usesInGlosses(const std::string& word) const;

 private:
  std::unordered_map<std::string, std::array<std::vector<uint32_t>, 4>> index_;
  std::array<std::unordered_map<uint32_t, Synset>, 4> synsets_;
  std::unordered_map<std::string, std::array<int, 4>> tagCounts_;
  std::array<std::multimap<std::string, std::string>, 4> formToBase_;
  std::array<std::multimap<std::string, std::string>, 4> baseToForm_;
  mutable std::unordered_map<std::string, int> glossWords_;  // counted on first use
};

}  // namespace tools
