// The English-Chinese dictionary of the word data (ecdict.txt: "word TAB British phonetic TAB
// translation [TAB rank TAB rank]", the translation's lines joined by a literal "\n", each line
// "vt. 把…存档, 存档" or "[计] 挡案库", the ranks the word's in two corpora of written and
// spoken English, 0 for none): the Chinese meanings of a word by part of speech, in the card's
// own labels, and how common the word is outside film subtitles.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace tools {

struct TranslatedPart {
  std::string label;                // "n.", "v.", "adj.", "adv.", "prep."
  std::vector<std::string> senses;  // Chinese, main sense first
};

struct TranslatedWord {
  std::vector<std::string> phonetics;  // British variants in IPA as the card shows it ("ˈɑːkaɪv")
  std::vector<TranslatedPart> parts;
  int corpusRank = 0;  // the better of its two corpus ranks, 0 when unranked
};

// Throws BuildError naming the file and line of a malformed record.
std::unordered_map<std::string, TranslatedWord> loadEnglishChinese(const std::string& path,
                                                                   size_t sensesPerPart);

// The parts of one translation: lines of one part of speech joined (vt. and vi. make v.), at most
// `sensesPerPart` senses each without leading or trailing notes in brackets. Lines of a subject
// field ("[计]", "[医]", "[网络]") and lines without a known part of speech are left out.
std::vector<TranslatedPart> translatedParts(const std::string& translation, size_t sensesPerPart);

}  // namespace tools
