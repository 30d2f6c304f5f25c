#include "tools/library/Phonetics.h"

#include <map>
#include <sstream>

namespace tools {
namespace {

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

// An unstressed "er" before a vowel is a schwa whose r begins the next syllable: "around" is
// ə-raʊnd, not ər-aʊnd.
void giveErToTheNextSyllable(std::vector<Phone>& phones) {
  for (size_t i = 0; i + 1 < phones.size(); ++i) {
    if (phones[i].arpabet != "ER" || phones[i].stress != 0) continue;
    if (phones[i + 1].arpabet == "R") phones[i].ipa = "ə";  // "ər r" is one r
    if (!phones[i + 1].isVowel()) continue;
    phones[i].ipa = "ə";
    Phone r{"R", -1, "r", false};
    phones.insert(phones.begin() + static_cast<long>(i) + 1, r);
  }
}

// The dictionary writes the u of "usual", "actual" and "graduate" as ə with a w before the
// next vowel; learners' dictionaries write ˈjuʒuəl, ˈæktʃuəl.
void writeUBeforeAVowel(std::vector<Phone>& phones) {
  static const std::set<std::string> palatal = {"JH", "ZH", "CH", "SH"};
  for (size_t i = 1; i + 2 < phones.size(); ++i) {
    if (phones[i].arpabet != "AH" || phones[i].stress != 0 || phones[i + 1].arpabet != "W" ||
        !phones[i + 2].isVowel() || !palatal.count(phones[i - 1].arpabet))
      continue;
    phones[i].arpabet = "UW";
    phones[i].ipa = "u";
    phones.erase(phones.begin() + static_cast<long>(i) + 1);
  }
}

// The dictionary marks some words with two primary stresses ("outside", "fourteen"); all but
// the last are secondary, as learners' dictionaries write them. A few it marks with secondary
// ones only ("tonsil", "polyglot"): the first is the primary.
void keepOnePrimaryStress(std::vector<Phone>& phones) {
  size_t last = phones.size();
  for (size_t i = 0; i < phones.size(); ++i)
    if (phones[i].stress == 1) last = i;
  if (last == phones.size())
    for (Phone& p : phones)
      if (p.stress == 2) {
        p.stress = 1;
        return;
      }
  for (size_t i = 0; i < last; ++i)
    if (phones[i].stress == 1) phones[i].stress = 2;
}

// The dictionary marks a weak prefix right before the primary stress as secondary ("important"
// IH2 M P AO1 R, "decide"); learners' dictionaries write ɪmˈpɔrtənt, dɪˈsaɪd. A full vowel
// ("outside" ˌaʊtˈsaɪd), an ɪ closed by r ("nearby" ˌnɪrˈbaɪ; not "irregular" ɪˈrɛɡjələr) and a secondary stress with a
// syllable between it and the primary ("information") stay written.
void dropWeakSecondaryBeforePrimary(std::vector<Phone>& phones) {
  for (size_t i = 0; i < phones.size(); ++i) {
    if (phones[i].stress != 2 || phones[i].arpabet != "IH") continue;
    const bool rEndsIt = i + 2 < phones.size() && phones[i + 1].arpabet == "R" &&
                         !phones[i + 2].isVowel();
    if (rEndsIt) continue;
    size_t next = i + 1;
    while (next < phones.size() && !phones[next].isVowel()) ++next;
    if (next < phones.size() && phones[next].stress == 1) phones[i].unmarked = true;
  }
}

// Learners' dictionaries write no secondary stress on a final "-y" ("company", "ability") or
// on the syllable that follows the primary ("contact", "actually"), unless a compound's later
// part begins there ("weekend").
void dropUnwrittenSecondaryStress(std::vector<Phone>& phones) {
  dropWeakSecondaryBeforePrimary(phones);
  size_t lastVowel = phones.size();
  for (size_t i = 0; i < phones.size(); ++i)
    if (phones[i].isVowel()) lastVowel = i;
  if (lastVowel < phones.size() && phones[lastVowel].arpabet == "IY" &&
      phones[lastVowel].stress == 2 && !phones[lastVowel].startsPart)
    phones[lastVowel].stress = 0;
  bool afterPrimary = false, joined = false;
  for (Phone& p : phones) {
    joined = joined || p.startsPart;
    if (!p.isVowel()) continue;
    if (afterPrimary && p.stress == 2 && !joined) p.unmarked = true;
    afterPrimary = p.stress == 1;
    joined = false;
  }
}

// Learners' dictionaries write at most one secondary stress before the primary. Of two, the
// one right before the primary gives way to the earlier ("elasticity" ˌilæˈstɪsəti,
// "cappuccino" ˌkæpuˈtʃinoʊ) unless the earlier is the open ɪ of a prefix that begins the word
// ("electronic" ɪˌlɛkˈtrɑnɪk); otherwise the last one stands ("investigation"
// ɪnˌvɛstəˈɡeɪʃən, "imagination" ɪˌmædʒəˈneɪʃən). Returns the vowels whose mark goes unwritten.
std::set<size_t> secondariesBeforePrimaryLeftOut(const std::vector<Phone>& phones) {
  std::vector<size_t> vowels;
  for (size_t i = 0; i < phones.size(); ++i)
    if (phones[i].isVowel()) vowels.push_back(i);
  std::vector<size_t> written;  // positions in `vowels`
  size_t primary = vowels.size();
  for (size_t k = 0; k < vowels.size(); ++k) {
    const Phone& v = phones[vowels[k]];
    if (v.stress == 1) {
      primary = k;
      break;
    }
    if (v.stress == 2 && !v.unmarked) written.push_back(k);
  }
  if (primary == vowels.size() || written.size() < 2) return {};
  size_t kept = written.back();
  const size_t earlier = written[written.size() - 2];
  if (kept + 1 == primary) {
    const size_t at = vowels[earlier];
    const bool openPrefix = at == 0 && phones[at].arpabet == "IH" && at + 2 < phones.size() &&
                            !phones[at + 1].isVowel() && phones[at + 2].isVowel();
    if (!openPrefix) kept = earlier;
  }
  std::set<size_t> leftOut;
  for (size_t k : written)
    if (k != kept) leftOut.insert(vowels[k]);
  return leftOut;
}

}  // namespace

std::optional<std::vector<Phone>> arpabetPhones(const std::string& phonemes,
                                                const std::set<size_t>& joins) {
  std::vector<Phone> phones;
  std::istringstream in(phonemes);
  std::string token;
  while (in >> token) {
    Phone phone;
    phone.startsPart = joins.count(phones.size()) > 0;
    char last = token.back();
    if (last >= '0' && last <= '2') {
      phone.arpabet = token.substr(0, token.size() - 1);
      phone.stress = last - '0';
      std::optional<std::string> ipa = vowel(phone.arpabet, phone.stress);
      if (!ipa) return std::nullopt;
      phone.ipa = *ipa;
    } else {
      auto it = consonants().find(token);
      if (it == consonants().end()) return std::nullopt;
      phone.arpabet = token;
      phone.ipa = it->second;
    }
    phones.push_back(std::move(phone));
  }
  if (phones.empty()) return std::nullopt;
  keepOnePrimaryStress(phones);
  writeUBeforeAVowel(phones);
  dropUnwrittenSecondaryStress(phones);
  // An "er" whose secondary stress goes unwritten is weak: "liberation" ˌlɪbəˈreɪʃən.
  for (size_t i : secondariesBeforePrimaryLeftOut(phones)) {
    phones[i].unmarked = true;
    if (phones[i].arpabet == "ER") {
      phones[i].stress = 0;
      phones[i].ipa = "ər";
    }
  }
  giveErToTheNextSyllable(phones);
  return phones;
}

std::string withStressMarks(const std::vector<Phone>& phones) {
  size_t syllables = 0;
  for (const Phone& p : phones) syllables += p.isVowel();

  // Where each stress mark goes: before the onset of its vowel's syllable.
  const std::set<size_t> leftOut = secondariesBeforePrimaryLeftOut(phones);
  std::vector<std::string> marks(phones.size());
  size_t previousVowel = std::string::npos;
  for (size_t i = 0; i < phones.size(); ++i) {
    if (!phones[i].isVowel()) continue;
    size_t firstConsonant = previousVowel == std::string::npos ? 0 : previousVowel + 1;
    size_t onset = i;
    while (onset > firstConsonant && !phones[onset].startsPart && isOnset(phones, onset - 1, i))
      --onset;
    if (previousVowel == std::string::npos) onset = 0;
    if (syllables > 1 && phones[i].stress == 1) marks[onset] = "ˈ";
    if (syllables > 1 && phones[i].stress == 2 && !phones[i].unmarked && !leftOut.count(i))
      marks[onset] = "ˌ";
    previousVowel = i;
  }
  std::string ipa;
  for (size_t i = 0; i < phones.size(); ++i) ipa += marks[i] + phones[i].ipa;
  return ipa;
}

std::optional<std::string> arpabetToIpa(const std::string& phonemes,
                                        const std::set<size_t>& joins) {
  std::optional<std::vector<Phone>> phones = arpabetPhones(phonemes, joins);
  if (!phones) return std::nullopt;
  return withStressMarks(*phones);
}

}  // namespace tools
