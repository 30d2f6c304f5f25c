// One line of a word's Chinese meanings as the library keeps it, "n. 鸡蛋；蛋": the part of
// speech before the first space and the senses after it, parted by full-width semicolons.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct MeaningLine {
  std::string partOfSpeech;  // "n.", "adj." ...; empty when the line names none
  std::vector<std::string> senses;

  // The part of speech alone, which the line's text keeps.
  static std::string_view partOfSpeechOf(std::string_view text) {
    const size_t space = text.find(' ');
    if (space != std::string_view::npos && space > 0 && text[space - 1] == '.')
      return text.substr(0, space);
    return {};
  }

  static MeaningLine parse(std::string_view text) {
    MeaningLine line;
    line.partOfSpeech = std::string(partOfSpeechOf(text));
    if (!line.partOfSpeech.empty()) text.remove_prefix(line.partOfSpeech.size() + 1);
    static constexpr std::string_view kSeparator = "\xEF\xBC\x9B";  // "；"
    while (!text.empty()) {
      const size_t end = text.find(kSeparator);
      const std::string_view sense = text.substr(0, end);
      if (!sense.empty()) line.senses.emplace_back(sense);
      if (end == std::string_view::npos) break;
      text.remove_prefix(end + kSeparator.size());
    }
    return line;
  }
};
