// The English-Chinese dictionary of the word data (ecdict.txt: "word TAB British phonetic TAB
// translation [TAB rank TAB rank [TAB exam lists]]", the translation's lines joined by a literal
// "\n", each line "vt. 把…存档, 存档" or "[计] 挡案库", the ranks the word's in two corpora of
// written and spoken English, 0 for none, the exam lists "zk gk cet4 ..." that hold the word):
// the Chinese meanings of a word by part of speech, in the card's own labels, how common the word
// is outside film subtitles, and the exams that ask for it.
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
  std::vector<std::string> exams;  // "zk", "cet4" ...
  std::string formOf;  // "word" for "words": the base its first line names it a plural,
                       // comparative or superlative of ("字（word的复数）")
};

// The word that the first line of a translation names as the base of a plural, comparative or
// superlative, "" when it names none.
std::string formNoted(const std::string& translation);

inline constexpr size_t kNoSenseLimit = static_cast<size_t>(-1);

// Throws BuildError naming the file and line of a malformed record.
std::unordered_map<std::string, TranslatedWord> loadEnglishChinese(const std::string& path,
                                                                   size_t sensesPerPart);

// The parts of one translation: lines of one part of speech joined (vt. and vi. make v.), at most
// `sensesPerPart` senses each (kNoSenseLimit: the whole line) without leading or trailing notes
// in brackets. Lines of a subject field ("[计]", "[医]", "[网络]") and lines without a known
// part of speech are left out.
std::vector<TranslatedPart> translatedParts(const std::string& translation, size_t sensesPerPart);

}  // namespace tools
