#include "tools/library/OpenWordData.h"

#include <cctype>
#include <charconv>

#include "tools/library/SourceLines.h"

namespace tools {

std::unordered_map<std::string, std::vector<std::string>> loadPronunciations(
    const std::string& path) {
  std::unordered_map<std::string, std::vector<std::string>> pronunciations;
  SourceLines file(path);
  for (size_t i = 0; i < file.size(); ++i) {
    std::vector<std::string_view> fields = splitFields(file.line(i), '\t');
    if (fields.size() != 2 || fields[0].empty() || fields[1].empty())
      throw file.error(i, "expected a word and its phonemes");
    std::string word;
    for (char c : fields[0].substr(0, fields[0].find('(')))
      word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    pronunciations[word].emplace_back(fields[1]);
  }
  return pronunciations;
}

std::vector<std::pair<std::string, long>> loadFrequencies(const std::string& path) {
  std::vector<std::pair<std::string, long>> words;
  SourceLines file(path);
  for (size_t i = 0; i < file.size(); ++i) {
    std::vector<std::string_view> fields = splitFields(file.line(i), '\t');
    long count = 0;
    if (fields.size() == 2 && !fields[0].empty()) {
      auto [ptr, ec] =
          std::from_chars(fields[1].data(), fields[1].data() + fields[1].size(), count);
      if (ec != std::errc() || ptr != fields[1].data() + fields[1].size()) count = 0;
    }
    if (count <= 0) throw file.error(i, "expected a word and a positive count");
    words.emplace_back(std::string(fields[0]), count);
  }
  return words;
}

std::unordered_set<std::string> loadWordSet(const std::string& path) {
  std::unordered_set<std::string> words;
  SourceLines file(path);
  for (size_t i = 0; i < file.size(); ++i) {
    std::string_view word = file.line(i);
    if (word.empty() || word.find_first_not_of("abcdefghijklmnopqrstuvwxyz") != word.npos)
      throw file.error(i, "expected one lower-case word");
    words.emplace(word);
  }
  return words;
}

}  // namespace tools
