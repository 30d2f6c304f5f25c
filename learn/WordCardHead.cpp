#include "learn/WordCardHead.h"

#include "learn/TextTemplate.h"
#include "learn/WordForms.h"

namespace WordCardHead {

std::string phoneticsLine(const std::optional<WordPhonetics>& phonetics) {
  if (!phonetics || phonetics->us.empty()) return "";
  if (phonetics->uk.empty() || phonetics->uk == phonetics->us) return "[" + phonetics->us + "]";
  return "美[" + phonetics->us + "] 英[" + phonetics->uk + "]";
}

std::string meaningLines(const std::vector<WordMeaning>& meanings) {
  std::string lines;
  for (size_t i = 0; i < meanings.size(); ++i) {
    lines += meanings[i].text;
    if (i + 1 < meanings.size()) lines += '\n';
  }
  return TextTemplate::replaceAll(lines, "\\n", "\n");
}

std::string inflectionLine(const std::vector<std::string>& inflections) {
  if (inflections.empty()) return "";
  return "\n[" + WordForms::getOtherMeaningLocation(inflections.front()) + "]";
}

std::string extractionText(const WordCardContent& content) {
  std::string text;
  auto add = [&text](const std::string& piece) {
    text += piece;
    text += ' ';
  };
  auto addFirst = [&add](const std::vector<std::string>& list) {
    if (!list.empty()) add(list.front());
  };
  if (!content.inflections.empty()) {
    for (const std::string& form : WordForms::getTransformData(content.inflections.front()))
      add(form);
  }
  if (content.show_example) {
    for (const WordExample& example : content.examples) add(example.sentence);
  }
  if (content.show_englishMeaning) addFirst(content.englishMeanings);
  if (content.show_jinfan) {
    addFirst(content.antonyms);
    addFirst(content.synonyms);
  }
  if (content.show_phrases) addFirst(content.phrases);
  if (content.show_other) {
    addFirst(content.paronyms);
    addFirst(content.similar);
  }
  return text;
}

}  // namespace WordCardHead
