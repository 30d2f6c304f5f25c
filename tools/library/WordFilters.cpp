#include "tools/library/WordFilters.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <unordered_set>

namespace tools {
namespace {

std::string lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool endsWith(const std::string& word, const std::string& suffix) {
  return word.size() > suffix.size() + 1 &&
         word.compare(word.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool isMarked(const WordNet& wordNet, char pos, uint32_t offset, const std::string& lemma) {
  const Synset* s = wordNet.synset(pos, offset);
  return s && isMarkedOffensive(wordNet, *s, lemma);
}

}  // namespace

bool isMarkedOffensive(const WordNet& wordNet, const Synset& synset, const std::string& lemma) {
  static const std::set<std::string> kDomains = {"obscenity", "disparagement", "ethnic_slur",
                                                 "vulgarism"};
  for (const WordNetPointer& ptr : synset.pointers) {
    if (ptr.symbol != ";u") continue;
    const Synset* domain = wordNet.synset(ptr.pos, ptr.offset);
    if (!domain || domain->words.empty() || !kDomains.count(lowered(domain->words[0]))) continue;
    if (ptr.source == 0 || lowered(synset.words[ptr.source - 1]) == lemma) return true;
  }
  return false;
}

bool isOffensive(const WordNet& wordNet, const std::string& lemma) {
  int senses = 0, marked = 0;
  char mainPos = 0;
  int mainUse = -1;
  for (char pos : kWordNetPos) {
    const std::vector<uint32_t>& offsets = wordNet.senses(lemma, pos);
    if (offsets.empty()) continue;
    // The main sense is the first of the part of speech used most.
    const int use = wordNet.tagCount(lemma, pos);
    if (use > mainUse) mainUse = use, mainPos = pos;
    for (uint32_t offset : offsets) {
      ++senses;
      marked += isMarked(wordNet, pos, offset, lemma);
    }
  }
  if (marked == 0) return false;
  int use = 0;
  for (char pos : kWordNetPos) use += wordNet.tagCount(lemma, pos);
  if (senses <= 2 && use <= 1) return true;
  return isMarked(wordNet, mainPos, wordNet.senses(lemma, mainPos).front(), lemma);
}

std::vector<std::string> spellingVariants(const std::string& word) {
  // Pairs of endings, British first.
  static const std::pair<const char*, const char*> kEndings[] = {{"our", "or"},
                                                                 {"tre", "ter"},
                                                                 {"bre", "ber"},
                                                                 {"ise", "ize"},
                                                                 {"ised", "ized"},
                                                                 {"ising", "izing"},
                                                                 {"isation", "ization"},
                                                                 {"yse", "yze"},
                                                                 {"ogue", "og"},
                                                                 {"ence", "ense"},
                                                                 {"mme", "m"},
                                                                 {"ll", "l"},
                                                                 {"lled", "led"},
                                                                 {"lling", "ling"},
                                                                 {"ller", "ler"},
                                                                 {"llery", "lry"},
                                                                 {"llor", "lor"},
                                                                 {"ium", "um"},
                                                                 {"ey", "ay"}};
  std::vector<std::string> variants;
  for (const auto& [british, american] : kEndings) {
    if (endsWith(word, british))
      variants.push_back(word.substr(0, word.size() - std::string(british).size()) + american);
    if (endsWith(word, american))
      variants.push_back(word.substr(0, word.size() - std::string(american).size()) + british);
  }
  // "our" before a suffix: "favourite", "neighbourhood", "colourful". A stem of two letters or
  // more keeps "four" and "for" apart.
  static const char* const kSuffixes[] = {"ite", "able", "ful",  "hood", "ing",  "er", "ed",
                                          "al",  "ist",  "less", "ly",   "ites", "ers"};
  for (const char* suffix : kSuffixes) {
    for (const auto& [from, to] : {std::pair{"our", "or"}, {"or", "our"}}) {
      const std::string ending = std::string(from) + suffix;
      if (word.size() >= ending.size() + 2 && endsWith(word, ending))
        variants.push_back(word.substr(0, word.size() - ending.size()) + to + suffix);
    }
  }
  // "ae" and "oe" in words from Greek and Latin: "anaemia", "manoeuvre".
  for (const char* digraph : {"ae", "oe"}) {
    size_t at = word.find(digraph, 1);
    if (at != std::string::npos) variants.push_back(word.substr(0, at) + "e" + word.substr(at + 2));
  }
  variants.erase(std::remove(variants.begin(), variants.end(), word), variants.end());
  return variants;
}

bool shareFirstSense(const WordNet& wordNet, const std::string& a, const std::string& b) {
  // WordNet may order the two spellings' senses differently ("minimise" puts "understate"
  // first): each one's first sense is among the other's.
  for (char pos : kWordNetPos) {
    const std::vector<uint32_t>& first = wordNet.senses(a, pos);
    const std::vector<uint32_t>& second = wordNet.senses(b, pos);
    if (first.empty() || second.empty()) continue;
    if (std::find(second.begin(), second.end(), first.front()) != second.end() &&
        std::find(first.begin(), first.end(), second.front()) != first.end())
      return true;
  }
  return false;
}

bool isTheLowerCaseWordsLine(const std::string& capitalsFirstSense,
                             const std::vector<std::string>& lowerCaseMeanings) {
  if (capitalsFirstSense.empty()) return false;
  static const std::string kSeparator = "；";
  for (const std::string& meaning : lowerCaseMeanings) {
    // "n. 北方；北部": the senses follow the part of speech.
    const size_t space = meaning.find(' ');
    std::string senses = kSeparator + meaning.substr(space == std::string::npos ? 0 : space + 1) +
                         kSeparator;
    if (senses.find(kSeparator + capitalsFirstSense + kSeparator) != std::string::npos)
      return true;
  }
  return false;
}

bool isPieceBeforeNot(const std::string& word) {
  static const std::set<std::string> kVerbs = {"do",     "does", "did",  "is",    "are",   "was",
                                               "were",   "have", "has",  "had",   "could", "would",
                                               "should", "must", "need", "might", "dare"};
  return word.size() > 1 && word.back() == 'n' && kVerbs.count(word.substr(0, word.size() - 1));
}

std::vector<std::string> withoutDoubles(const std::vector<std::string>& words,
                                        const RelatedWords& formsOf,
                                        const RelatedWords& spellingsOf) {
  const std::unordered_set<std::string> listed(words.begin(), words.end());
  std::unordered_set<std::string> doubles;
  for (const std::string& word : words)
    for (const std::string& form : formsOf(word))
      if (form != word && listed.count(form)) doubles.insert(form);
  std::vector<std::string> kept;
  for (const std::string& word : words) {
    if (doubles.count(word)) continue;
    kept.push_back(word);
    for (const std::string& other : spellingsOf(word))
      if (other != word) doubles.insert(other);
  }
  return kept;
}

}  // namespace tools
