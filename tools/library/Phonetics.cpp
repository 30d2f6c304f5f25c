#include "tools/library/Phonetics.h"

#include <map>
#include <set>
#include <sstream>
#include <vector>

namespace tools {
namespace {

struct Phone {
  std::string ipa;
  bool vowel = false;
  int stress = -1;  // vowels only
  std::string arpabet;
};

const std::map<std::string, std::string>& consonants() {
  static const std::map<std::string, std::string> table = {
      {"B", "b"},  {"CH", "tʃ"}, {"D", "d"}, {"DH", "ð"}, {"F", "f"},  {"G", "ɡ"},
      {"HH", "h"}, {"JH", "dʒ"}, {"K", "k"}, {"L", "l"},  {"M", "m"},  {"N", "n"},
      {"NG", "ŋ"}, {"P", "p"},   {"R", "r"}, {"S", "s"},  {"SH", "ʃ"}, {"T", "t"},
      {"TH", "θ"}, {"V", "v"},   {"W", "w"}, {"Y", "j"},  {"Z", "z"},  {"ZH", "ʒ"}};
  return table;
}

std::optional<std::string> vowel(const std::string& name, int stress) {
  static const std::map<std::string, std::string> table = {
      {"AA", "ɑ"}, {"AE", "æ"}, {"AO", "ɔ"},  {"AW", "aʊ"}, {"AY", "aɪ"}, {"EH", "ɛ"}, {"EY", "eɪ"},
      {"IH", "ɪ"}, {"IY", "i"}, {"OW", "oʊ"}, {"OY", "ɔɪ"}, {"UH", "ʊ"},  {"UW", "u"}};
  // The unstressed central vowels have their own letters.
  if (name == "AH") return stress == 0 ? "ə" : "ʌ";
  if (name == "ER") return stress == 0 ? "ər" : "ɝ";
  auto it = table.find(name);
  if (it == table.end()) return std::nullopt;
  return it->second;
}

// Consonant sequences that can begin an English syllable (in ARPAbet).
bool isOnset(const std::vector<Phone>& phones, size_t from, size_t to) {
  static const std::set<std::string> clusters = {
      "P R",   "P L",   "B R",   "B L", "T R", "T W", "D R",  "D W",   "K R",   "K L",
      "K W",   "G R",   "G L",   "G W", "F R", "F L", "TH R", "TH W",  "SH R",  "S P",
      "S T",   "S K",   "S M",   "S N", "S L", "S W", "S F",  "S P R", "S P L", "S T R",
      "S K R", "S K W", "S K L", "P Y", "B Y", "K Y", "F Y",  "M Y",   "V Y",   "HH Y",
      "G Y",   "S P Y", "S K Y", "D Y", "T Y", "N Y", "L Y"};
  if (to - from == 0) return true;
  if (to - from == 1) return phones[from].arpabet != "NG";
  std::string key;
  for (size_t i = from; i < to; ++i) key += (i > from ? " " : "") + phones[i].arpabet;
  return clusters.count(key) > 0;
}

}  // namespace

std::optional<std::string> arpabetToIpa(const std::string& phonemes) {
  std::vector<Phone> phones;
  std::istringstream in(phonemes);
  std::string token;
  while (in >> token) {
    Phone phone;
    char last = token.back();
    if (last >= '0' && last <= '2') {
      phone.arpabet = token.substr(0, token.size() - 1);
      phone.stress = last - '0';
      std::optional<std::string> ipa = vowel(phone.arpabet, phone.stress);
      if (!ipa) return std::nullopt;
      phone.ipa = *ipa;
      phone.vowel = true;
    } else {
      auto it = consonants().find(token);
      if (it == consonants().end()) return std::nullopt;
      phone.arpabet = token;
      phone.ipa = it->second;
    }
    phones.push_back(std::move(phone));
  }
  if (phones.empty()) return std::nullopt;

  size_t syllables = 0;
  for (const Phone& p : phones) syllables += p.vowel;

  // Where each stress mark goes: before the onset of its vowel's syllable.
  std::vector<std::string> marks(phones.size());
  size_t previousVowel = std::string::npos;
  for (size_t i = 0; i < phones.size(); ++i) {
    if (!phones[i].vowel) continue;
    size_t firstConsonant = previousVowel == std::string::npos ? 0 : previousVowel + 1;
    size_t onset = i;
    while (onset > firstConsonant && isOnset(phones, onset - 1, i)) --onset;
    if (previousVowel == std::string::npos) onset = 0;
    if (syllables > 1 && phones[i].stress == 1) marks[onset] = "ˈ";
    if (syllables > 1 && phones[i].stress == 2) marks[onset] = "ˌ";
    previousVowel = i;
  }
  std::string ipa;
  for (size_t i = 0; i < phones.size(); ++i) ipa += marks[i] + phones[i].ipa;
  return ipa;
}

}  // namespace tools
