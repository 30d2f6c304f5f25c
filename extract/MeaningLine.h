// One line of a word's Chinese meanings as the library keeps it, "n. 鸡蛋；蛋": the part of
// speech before the first space and the senses after it, parted by full-width semicolons.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct MeaningLine {
  std::string partOfSpeech;  // "n.", "adj." ...; empty when the line names none
  std::vector<std::string> senses;

  static MeaningLine parse(std::string_view text) {
    MeaningLine line;
    const size_t space = text.find(' ');
    if (space != std::string_view::npos && space > 0 && text[space - 1] == '.') {
      line.partOfSpeech = std::string(text.substr(0, space));
      text.remove_prefix(space + 1);
    }
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
