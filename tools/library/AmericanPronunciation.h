// The American pronunciation a card shows: of the pronouncing dictionary's variants of a word,
// the one that fits the part of speech of its first meaning, with the joins of a compound
// found from its parts.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace tools {

class AmericanPronunciation {
 public:
  // `variants`: each word's ARPAbet variants in the dictionary's order; `isWord`: whether a
  // spelling is a word a learner knows, for the parts of compounds.
  AmericanPronunciation(std::unordered_map<std::string, std::vector<std::string>> variants,
                        std::function<bool(const std::string&)> isWord);

  // The variant for `pos`, the WordNet letter of the first meaning's part of speech (0 for
  // none), of a word of the parts of speech `parts`: "read" as a verb is R IY1 D. Where that
  // leaves a choice, the variant one of `british` (IPA) agrees with. A British spelling is
  // said as the American one ("colour"), a compound noun the dictionary lacks as its parts.
  // The empty string for a word the dictionary lacks.
  std::string phonemes(const std::string& word, char pos, const std::string& parts,
                       const std::vector<std::string>& british = {}) const;

  // The index of the phoneme that begins the later part of a compound: "weekend" is week + end
  // when its phonemes are those of week followed by those of end.
  std::set<size_t> joins(const std::string& word, const std::string& phonemes) const;

  // Whether the word's variants put the primary stress on different syllables ("record").
  bool stressVaries(const std::string& word) const;

  // The IPA of phonemes(word, pos, parts, british), or "".
  std::string ipa(const std::string& word, char pos, const std::string& parts,
                  const std::vector<std::string>& british = {}) const;

 private:
  // The dictionary's variant for the part of speech, as phonemes() describes.
  std::string variant(const std::string& word, char pos, const std::string& parts,
                      const std::vector<std::string>& british) const;
  std::string withFullNegativePrefix(const std::string& word, const std::string& phonemes,
                                     const std::vector<std::string>& british) const;
  std::string compound(const std::string& word) const;
  // Calls `visit(first part's variants, second part's variants)` for each way of splitting
  // `word` into two words of three letters or more that a learner knows, neither of them an
  // affix, shortest first part first, until it answers true.
  using Variants = std::vector<std::string>;
  void forEachSplit(const std::string& word,
                    const std::function<bool(const Variants&, const Variants&)>& visit) const;

  std::unordered_map<std::string, std::vector<std::string>> variants_;
  std::function<bool(const std::string&)> isWord_;
};

}  // namespace tools
