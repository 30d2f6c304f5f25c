#include "tools/library/BritishFromAmerican.h"

#include <algorithm>
#include <map>
#include <set>
#include <string_view>

#include "platform/base/Utf.h"

namespace tools {
namespace {

constexpr std::u32string_view kVowelLetters = U"ɪieæʌɑɒɔʊuəɜaː";

std::u32string decoded(const std::string& text) {
  std::u32string out;
  for (size_t at = 0; at < text.size();) out += plat::utf::decodeNext(text, at);
  return out;
}

bool isVowelLetter(char32_t c) {
  return kVowelLetters.find(c) != std::u32string_view::npos;
}

// The consonants as both accents share them: no r, j or w (the American "-uate" is -əweɪt);
// tʃ and dʒ as t and d (the older
// British "edju" beside "ɛdʒə"); ʒ as ʃ; ŋ as n; no t, p or k slipped in between a nasal and a
// consonant ("prince" prɪnts), nor a final t after n.
std::u32string skeleton(const std::u32string& consonants) {
  std::u32string out;
  for (size_t i = 0; i < consonants.size(); ++i) {
    char32_t c = consonants[i];
    if (c == U'r' || c == U'j' || c == U'w') continue;
    if ((c == U'ʃ' || c == U'ʒ') && !out.empty() && (out.back() == U't' || out.back() == U'd'))
      continue;
    if (c == U'ʒ') c = U'ʃ';
    if (c == U'ŋ') c = U'n';
    if (c == U'ɡ') c = U'g';
    out += c;
  }
  std::u32string tidy;
  for (size_t i = 0; i < out.size(); ++i) {
    const bool stop = out[i] == U't' || out[i] == U'p' || out[i] == U'k';
    if (stop && i > 0 && i + 1 < out.size() && (out[i - 1] == U'n' || out[i - 1] == U'm')) continue;
    tidy += out[i];
  }
  // A French "-ant" may end nasal in British English: "restaurant" ˈrestərɒŋ.
  if (tidy.size() > 2 && tidy.compare(tidy.size() - 2, 2, U"nt") == 0) tidy.pop_back();
  return tidy;
}

struct Reading {
  std::u32string consonants;
  int syllables = 0;
  int stressedSyllable = -1;  // -1 when no syllable is marked
};

Reading readBritish(const std::u32string& ipa) {
  Reading r;
  bool inVowel = false;
  for (char32_t c : ipa) {
    const bool vowel = isVowelLetter(c);
    if (c == U'ˈ') r.stressedSyllable = r.syllables;
    if (vowel && !inVowel) ++r.syllables;
    if (!vowel && c != U'ˈ' && c != U'ˌ') r.consonants += c;
    inVowel = vowel;
  }
  return r;
}

// The nucleus of syllable `syllable` (the first when -1): the letters of its first vowel run.
std::u32string nucleus(const std::u32string& ipa, int syllable) {
  int seen = -1;
  for (size_t from = 0; from < ipa.size(); ++from) {
    if (!isVowelLetter(ipa[from]) || (from > 0 && isVowelLetter(ipa[from - 1]))) continue;
    if (++seen < std::max(syllable, 0)) continue;
    size_t to = from;
    while (to < ipa.size() && isVowelLetter(ipa[to])) ++to;
    return ipa.substr(from, to - from);
  }
  return U"";
}

// British vowels that may stand for each American stressed vowel. A stressed ʌ or ɛ is never ə
// or eɪ in British English: "ˈpəŋktʃuəl" and "kəˈleɪktɪv" are typing slips ("again" has ˈe too).
bool vowelsCorrespond(const std::string& arpabet, const std::u32string& british) {
  static const std::map<std::string, std::vector<std::u32string>> table = {
      {"AA", {U"ɒ", U"ɑː", U"ɔː", U"æ"}},
      {"AE", {U"æ", U"ɑː"}},
      {"AH", {U"ʌ", U"ɒ", U"ɔː"}},
      {"AO", {U"ɔː", U"ɒ"}},
      {"AW", {U"aʊ"}},
      {"AY", {U"aɪ"}},
      {"EH", {U"e", U"eə", U"æ"}},
      {"ER", {U"ɜː", U"ʌ", U"ə"}},
      {"EY", {U"eɪ", U"e", U"eə"}},
      {"IH", {U"ɪ", U"ɪə", U"iː", U"i", U"ə"}},
      {"IY", {U"iː", U"i", U"ɪ", U"ɪə"}},
      {"OW", {U"əʊ", U"ɒ", U"ɔː"}},
      {"OY", {U"ɔɪ"}},
      {"UH", {U"ʊ", U"ʊə", U"ɔː", U"uː"}},
      {"UW", {U"uː", U"ʊ", U"u", U"ʊə"}}};
  auto it = table.find(arpabet);
  if (it == table.end()) return false;
  // "e" and "ə" do not stand for the diphthongs they begin, eɪ and əʊ.
  auto isDiphthongOf = [&](const std::u32string& v) {
    return (v == U"e" || v == U"ə") && british.size() > 1 &&
           (british[1] == U'ɪ' || british[1] == U'ʊ');
  };
  return std::any_of(it->second.begin(), it->second.end(), [&](const std::u32string& v) {
    return british.compare(0, v.size(), v) == 0 && !isDiphthongOf(v);
  });
}

bool holds(const std::string& word, std::string_view letters) {
  return word.find(letters) != std::string::npos;
}

bool isCodaR(const std::vector<Phone>& p, size_t i) {
  return i < p.size() && p[i].arpabet == "R" && (i + 1 == p.size() || !p[i + 1].isVowel());
}

bool isOneOf(const std::string& arpabet, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(), [&](const char* n) { return arpabet == n; });
}

// The British vowel of American vowel p[i], or "" when it cannot be told from the American.
std::string britishVowel(const std::string& word, const std::vector<Phone>& p, size_t i) {
  const Phone& v = p[i];
  const bool rAfter = isCodaR(p, i + 1);
  const bool rVowel = i + 2 < p.size() && p[i + 1].arpabet == "R" && p[i + 2].isVowel();
  const std::string next = i + 1 < p.size() ? p[i + 1].arpabet : "";
  const std::string after = i + 2 < p.size() ? p[i + 2].arpabet : "";
  const std::string& a = v.arpabet;
  if (a == "AH") return v.stress == 0 ? "ə" : "ʌ";
  if (a == "ER") return v.stress == 0 ? "ə" : (i + 1 < p.size() && p[i + 1].isVowel() ? "" : "ɜː");
  if (a == "AW") return rAfter ? "aʊə" : "aʊ";
  if (a == "AY") return rAfter ? "aɪə" : "aɪ";
  if (a == "OY") return "ɔɪ";
  if (a == "EY") return rAfter ? "eə" : "eɪ";
  if (a == "OW") return rAfter ? "ɔː" : "əʊ";
  if (a == "AA") {
    if (rAfter) return "ɑː";
    return holds(word, "o") && !holds(word, "a") ? "ɒ" : "";
  }
  if (a == "AE") {
    // "bath", "dance", "can't", "half", "example": ɑː in British English, when stressed
    // ("translation" keeps æ).
    if (v.stress == 0 && !rAfter) return "æ";
    if (rAfter || isOneOf(next, {"F", "TH", "S"})) return "";
    if (next == "N" && isOneOf(after, {"T", "S", "CH", "D", "SH"})) return "";
    if ((next == "M" && after == "P") || (next == "L" && isOneOf(after, {"F", "V"}))) return "";
    return "æ";
  }
  if (a == "AO") {
    if (rAfter) return "ɔː";
    if (rVowel) return "";
    for (std::string_view long_ : {"au", "aw", "al", "ough", "oa"})
      if (holds(word, long_)) return "ɔː";
    return holds(word, "o") ? "ɒ" : "";
  }
  if (rVowel) return "";  // "very" or "Mary", "mirror" or "serious": not to be told
  if (a == "EH") return rAfter ? "eə" : "e";
  if (a == "IH") return rAfter ? "ɪə" : "ɪ";
  const bool weak = v.stress == 0 || v.unmarked;
  if (a == "IY") return rAfter ? "ɪə" : weak ? "i" : "iː";
  if (a == "UH") return rAfter ? "" : "ʊ";
  if (a == "UW") {
    // "new", "tune", "student": njuː, tjuːn, ˈstjuːdənt; but "include", "solution" ɪnˈkluːd,
    // səˈluːʃən, as learners' dictionaries write an l before u today.
    const std::string before = i > 0 ? p[i - 1].arpabet : "";
    const bool yod = isOneOf(before, {"T", "D", "N", "S", "Z", "TH"}) &&
                     (holds(word, "u") || holds(word, "ew") || holds(word, "eu"));
    if (rAfter || yod) return "";
    return weak ? "u" : "uː";
  }
  return "";
}

// Words whose British form differs from the American other than by the accents' rules.
bool isOwnBritishForm(const std::string& word) {
  static const std::set<std::string> words = {
      "either",      "neither", "tomato",  "vitamin", "privacy", "schedule",   "leisure",
      "route",       "herb",    "garage",  "ballet",  "adult",   "zebra",      "lever",
      "clerk",       "derby",   "dynasty", "been",    "ate",     "lieutenant", "laboratory",
      "controversy", "figure",  "missile", "fertile", "hostile", "mobile",     "fragile"};
  return words.count(word) > 0;
}

}  // namespace

bool britishAgreesWith(const std::string& british, const std::vector<Phone>& american,
                       bool sameStress) {
  const std::u32string ipa = decoded(british);
  const Reading b = readBritish(ipa);
  std::u32string consonants;
  int syllables = 0, stressed = -1;
  std::string stressedVowel;
  for (const Phone& p : american) {
    if (!p.isVowel()) {
      consonants += decoded(p.ipa);
      continue;
    }
    if (p.stress == 1 || (stressed < 0 && syllables == 0)) {
      stressed = p.stress == 1 ? syllables : stressed;
      stressedVowel = p.arpabet;
    }
    ++syllables;
  }
  if (skeleton(consonants) != skeleton(b.consonants)) return false;
  // Syllabic consonants ("ˈpreznt") follow the stressed vowel: the syllables before it count.
  if (sameStress && syllables > 1 && stressed >= 0 && b.stressedSyllable >= 0 &&
      stressed != b.stressedSyllable)
    return false;
  // A weak form ("and" ənd) says nothing of the strong one's vowel.
  if (stressed < 0 && stressedVowel == "AH") return true;
  if (vowelsCorrespond(stressedVowel, nucleus(ipa, stressed))) return true;
  // Where the accents stress otherwise, or the British drops a weak syllable ("necessarily"
  // ˈnesɪsərɪli, "extraordinary" ɪkˈstrɔːdənəri), the two stressed vowels correspond.
  return !sameStress && b.stressedSyllable >= 0 &&
         vowelsCorrespond(stressedVowel, nucleus(ipa, b.stressedSyllable));
}

std::string britishFromAmerican(const std::string& word, const std::vector<Phone>& american,
                                const std::string& otherSense) {
  if (isOwnBritishForm(word)) return "";
  // "-ile" is aɪl in British English ("fertile", "missile").
  if (word.size() > 4 && word.compare(word.size() - 3, 3, "ile") == 0) return "";
  if (std::none_of(american.begin(), american.end(), [](const Phone& p) { return p.isVowel(); }))
    return "";  // "hm"
  const std::u32string other = decoded(otherSense);
  const bool sameSyllables =
      !otherSense.empty() &&
      readBritish(other).syllables == std::count_if(american.begin(), american.end(),
                                                    [](const Phone& p) { return p.isVowel(); });
  std::vector<Phone> british;
  int syllable = 0;
  for (size_t i = 0; i < american.size(); ++i) {
    Phone phone = american[i];
    if (isCodaR(american, i)) continue;
    if (phone.isVowel()) {
      phone.ipa = britishVowel(word, american, i);
      // An unstressed "er" keeps the full vowel British gives it in the other sense: "a record"
      // ˈrekɔːd beside "to record" rɪˈkɔːd. Without that sense it cannot be told.
      if (phone.arpabet == "ER" && phone.stress == 0 && !otherSense.empty()) {
        const std::u32string full = sameSyllables ? nucleus(other, syllable) : U"";
        phone.ipa = full == U"ɔː" ? "ɔː" : full == U"ɑː" ? "ɑː" : full == U"ɜː" ? "ɜː" : "";
      }
      if (phone.ipa.empty()) return "";
      ++syllable;
    }
    british.push_back(std::move(phone));
  }
  return withStressMarks(british);
}

std::vector<Phone> withBritishStress(const std::vector<Phone>& american,
                                     const std::string& british) {
  const std::u32string ipa = decoded(british);
  const Reading b = readBritish(ipa);
  std::vector<size_t> vowels;
  for (size_t i = 0; i < american.size(); ++i)
    if (american[i].isVowel()) vowels.push_back(i);
  if (b.stressedSyllable < 0 || vowels.size() != static_cast<size_t>(b.syllables) ||
      vowels.size() < 2 || american[vowels[b.stressedSyllable]].stress != 2 ||
      !britishAgreesWith(british, american, false))
    return american;
  // The syllables the British marks secondary ("ˌəʊvəˈkʌm").
  std::set<int> secondary;
  int seen = 0;
  bool inVowel = false;
  for (char32_t c : ipa) {
    const bool vowel = isVowelLetter(c);
    if (c == U'ˌ') secondary.insert(seen);
    if (vowel && !inVowel) ++seen;
    inVowel = vowel;
  }
  std::vector<Phone> moved = american;
  for (size_t k = 0; k < vowels.size(); ++k) {
    Phone& v = moved[vowels[k]];
    if (static_cast<int>(k) == b.stressedSyllable) {
      v.stress = 1;
      v.unmarked = false;
    } else if (v.stress == 1) {
      // A weak ɪ right before the primary keeps no secondary stress ("mischance").
      const bool weakBefore = v.arpabet == "IH" && static_cast<int>(k) + 1 == b.stressedSyllable;
      v.stress = secondary.count(static_cast<int>(k)) && !weakBefore ? 2 : 0;
      v.unmarked = false;
    }
    if (v.stress == 0 && v.arpabet == "ER") v.ipa = "ər";
    if (v.stress == 0 && v.arpabet == "AH") v.ipa = "ə";
    if (v.stress > 0 && v.arpabet == "ER") v.ipa = "ɝ";
    if (v.stress > 0 && v.arpabet == "AH") v.ipa = "ʌ";
  }
  return moved;
}

std::string britishFor(const std::string& word, const std::vector<std::string>& dictionary,
                       const std::vector<Phone>& american, bool homograph) {
  // The accents may stress a word differently ("overlook", "debris"); only a homograph's
  // variants part by stress.
  // The dictionary sometimes gives the American vowel of "chance" first (tʃæns, tʃɑːns): the
  // British one, where another variant has it, is the one a British column shows.
  std::string agreeing;
  for (const std::string& british : dictionary) {
    // A word of several syllables that the dictionary typed with no primary stress ("mammal"
    // mæməl) gets one made from the American, which marks it.
    const Reading reading = readBritish(decoded(british));
    if (reading.syllables > 1 && reading.stressedSyllable < 0) continue;
    if (!britishAgreesWith(british, american, homograph)) continue;
    if (agreeing.empty()) agreeing = british;
    std::string withAe = british;
    for (size_t at = withAe.find("ɑː"); at != std::string::npos; at = withAe.find("ɑː", at))
      withAe.replace(at, std::string("ɑː").size(), "æ");
    if (withAe != british && withAe == agreeing) return british;
  }
  if (!agreeing.empty()) return agreeing;
  if (!homograph) return britishFromAmerican(word, american);
  const bool weakEr = std::any_of(american.begin(), american.end(), [](const Phone& p) {
    return p.arpabet == "ER" && p.stress == 0;
  });
  if (dictionary.empty() && weakEr) return "";
  // A homograph's British is the other sense's: made from the American, with the full vowels
  // that sense shows where the American weakens one to "er".
  return britishFromAmerican(word, american, dictionary.empty() ? "" : dictionary.front());
}

}  // namespace tools
