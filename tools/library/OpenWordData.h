// The plain files of the word data installed at build time, as the word library maker uses them:
// pronunciations by word, word counts in order of frequency, and lists of words.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace tools {

// cmudict.txt: "word TAB ARPAbet phonemes", alternatives as "word(2)": each word's variants in
// the dictionary's order.
std::unordered_map<std::string, std::vector<std::string>> loadPronunciations(
    const std::string& path);

// frequencies.txt: "word TAB count", most frequent first.
std::vector<std::pair<std::string, long>> loadFrequencies(const std::string& path);

// names.txt: one lower-case word a line.
std::unordered_set<std::string> loadWordSet(const std::string& path);

}  // namespace tools
