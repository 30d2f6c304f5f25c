#include "tests/tools/WordNetExamples.h"

#include <cctype>
#include <fstream>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace toolstest {
namespace {

struct Ending {
  std::string_view strip, add;
};

// The regular endings of each part of speech, in WordNet's own order.
const std::vector<Ending>& endingsOf(char pos) {
  static const std::vector<Ending> kNoun = {{"s", ""},      {"ses", "s"},   {"xes", "x"},
                                            {"zes", "z"},   {"ches", "ch"}, {"shes", "sh"},
                                            {"men", "man"}, {"ies", "y"}};
  static const std::vector<Ending> kVerb = {{"s", ""},   {"ies", "y"}, {"es", "e"},  {"es", ""},
                                            {"ed", "e"}, {"ed", ""},   {"ing", "e"}, {"ing", ""}};
  static const std::vector<Ending> kAdjective = {
      {"er", ""}, {"est", ""}, {"er", "e"}, {"est", "e"}};
  static const std::vector<Ending> kNone;
  switch (pos) {
    case 'n':
      return kNoun;
    case 'v':
      return kVerb;
    case 'a':
      return kAdjective;
  }
  return kNone;
}

bool isWord(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!std::isalpha(static_cast<unsigned char>(c))) return false;
  return true;
}

std::string lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Whether `token` is `lemma` (both lower case) or a form of it in part of speech `pos`.
bool isFormOf(const std::string& token, const std::string& lemma, char pos,
              const tools::WordNet& wordNet) {
  if (token == lemma) return true;
  for (const std::string& base : wordNet.exceptionBases(token, pos))
    if (base == lemma) return true;
  for (const Ending& ending : endingsOf(pos)) {
    if (token.size() <= ending.strip.size() || !token.ends_with(ending.strip)) continue;
    const std::string_view stem(token.data(), token.size() - ending.strip.size());
    if (lemma.size() == stem.size() + ending.add.size() && lemma.starts_with(stem) &&
        lemma.ends_with(ending.add))
      return true;
  }
  return false;
}

}  // namespace

std::set<ExamplePair> examplePairs(const tools::WordNet& wordNet,
                                   const std::unordered_set<std::string>& library) {
  std::set<ExamplePair> pairs;
  // Every synset is the sense of some lemma; a synset of several lemmas is met once for each.
  std::set<std::pair<char, uint32_t>> seen;
  for (const auto& [lemma, senses] : wordNet.index()) {
    for (size_t p = 0; p < senses.size(); ++p) {
      const char pos = tools::kWordNetPos[p];
      for (uint32_t offset : senses[p]) {
        if (!seen.emplace(pos, offset).second) continue;
        const tools::Synset* synset = wordNet.synset(pos, offset);
        for (const std::string& example : synset->examples) {
          const std::vector<std::string> tokens = tools::lowerCaseWords(example);
          for (const std::string& word : synset->words) {
            if (!isWord(word) || !library.count(word)) continue;
            const std::string lower = lowered(word);
            for (const std::string& token : tokens)
              if (isFormOf(token, lower, pos, wordNet)) {
                pairs.emplace(example, word);
                break;
              }
          }
        }
      }
    }
  }
  return pairs;
}

std::set<ExamplePair> readExamplePairs(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::set<ExamplePair> pairs;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const size_t tab = line.find('\t');
    if (tab == std::string::npos)
      throw std::runtime_error(path + ":" + std::to_string(number) + ": no tab after the lemma");
    pairs.emplace(line.substr(tab + 1), line.substr(0, tab));
  }
  return pairs;
}

void writeExamplePairs(const std::string& path, const std::string& head,
                       const std::set<ExamplePair>& pairs) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out << head;
  for (const auto& [example, lemma] : pairs) out << lemma << '\t' << example << '\n';
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

}  // namespace toolstest
