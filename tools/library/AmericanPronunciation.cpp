#include "tools/library/AmericanPronunciation.h"

#include <algorithm>
#include <sstream>

#include "tools/library/BritishFromAmerican.h"
#include "tools/library/Phonetics.h"

namespace tools {
namespace {

// Homographs whose sounds part by meaning, not by a rule of stress or voicing: the variant for
// each part of speech.
struct Homograph {
  const char* word;
  char pos;
  const char* phonemes;
};
constexpr Homograph kHomographs[] = {
    {"read", 'v', "R IY1 D"},
    {"read", 'n', "R IY1 D"},
    {"live", 'v', "L IH1 V"},
    {"live", 'a', "L AY1 V"},
    {"live", 'r', "L AY1 V"},
    {"lead", 'v', "L IY1 D"},
    {"lead", 'n', "L IY1 D"},
    {"wound", 'n', "W UW1 N D"},
    {"wound", 'v', "W UW1 N D"},
    {"wind", 'n', "W IH1 N D"},
    {"wind", 'v', "W AY1 N D"},
    {"tear", 'n', "T IH1 R"},
    {"tear", 'v', "T EH1 R"},
    {"bow", 'v', "B AW1"},
    {"bow", 'n', "B OW1"},
    {"sow", 'v', "S OW1"},
    {"bass", 'n', "B EY1 S"},
    {"bass", 'a', "B EY1 S"},
    {"research", 'n', "R IY0 S ER1 CH"},
};

// Prefixes and suffixes that are words as well ("con", "pro", "ism") but no part of a compound
// ("contact", "program", "tourism"); "with" is one in "without".
bool isAffix(const std::string& first, const std::string& second) {
  static const std::set<std::string> prefixes = {"con", "com", "col", "cor", "dis", "mis",
                                                 "pro", "pre", "per", "sub", "sur", "sup",
                                                 "non", "with"};
  static const std::set<std::string> suffixes = {"ism", "ion", "ate", "ize", "ist"};
  return prefixes.count(first) > 0 || suffixes.count(second) > 0;
}

// The prefixes of the noun and verb pairs that part by stress ("record", "object", "permit").
bool hasStressShiftPrefix(const std::string& word) {
  static const char* const prefixes[] = {"ab", "ac", "ad", "af", "at",  "com", "con",   "de",
                                         "di", "dis", "en", "es", "ex", "im",  "in",    "ob",
                                         "per", "pre", "pro", "re", "sub", "sur", "sus",
                                         "trans", "up"};
  return std::any_of(std::begin(prefixes), std::end(prefixes),
                     [&](const char* p) { return word.rfind(p, 0) == 0; });
}

// The American spellings a British one may have: "colour" color, "organise" organize,
// "centre" center, "sceptic" skeptic, "analyse" analyze, "defence" defense, "travelled"
// traveled, "catalogue" catalog, "manoeuvre" maneuver; each rule alone, then all together.
std::vector<std::string> americanSpellings(const std::string& word) {
  struct Rule {
    const char* from;
    const char* to;
    bool atEnd;
  };
  static const Rule rules[] = {
      {"our", "or", false},          {"isation", "ization", false}, {"ise", "ize", true},
      {"ised", "ized", true},        {"ises", "izes", true},        {"ising", "izing", true},
      {"iser", "izer", true},        {"tre", "ter", true},          {"tres", "ters", true},
      {"sceptic", "skeptic", false}, {"yse", "yze", true},          {"ence", "ense", true},
      {"lled", "led", true},         {"lling", "ling", true},       {"ogue", "og", true},
      {"oeu", "eu", false},          {"vre", "ver", true},          {"ae", "e", false}};
  std::vector<std::string> spellings;
  std::string all = word;
  for (const Rule& r : rules) {
    const std::string from = r.from;
    auto respell = [&](std::string text) {
      size_t at = r.atEnd ? (text.size() >= from.size() ? text.size() - from.size() : 0)
                          : text.find(from, 1);
      if (at == std::string::npos || at == 0 || text.compare(at, from.size(), from) != 0)
        return text;
      return text.replace(at, from.size(), r.to);
    };
    const std::string one = respell(word);
    if (one != word) spellings.push_back(one);
    all = respell(all);
  }
  if (all != word) spellings.push_back(all);
  return spellings;
}

std::vector<std::string> tokens(const std::string& phonemes) {
  std::vector<std::string> out;
  std::istringstream in(phonemes);
  for (std::string t; in >> t;) out.push_back(t);
  return out;
}

std::string withoutStress(const std::string& phonemes) {
  std::string out;
  for (char c : phonemes)
    if (c < '0' || c > '2') out += c;
  return out;
}

// The syllable that carries the word's (last) primary stress.
int stressedSyllable(const std::string& phonemes) {
  int syllable = 0, stressed = -1;
  for (const std::string& t : tokens(phonemes)) {
    const char last = t.back();
    if (last < '0' || last > '2') continue;
    if (last == '1') stressed = syllable;
    ++syllable;
  }
  return stressed;
}

size_t syllableCount(const std::string& phonemes) {
  return static_cast<size_t>(
      std::count_if(phonemes.begin(), phonemes.end(), [](char c) { return c >= '0' && c <= '2'; }));
}

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Keeps the variants `keep` accepts, when it accepts some but not all.
void narrow(std::vector<std::string>& variants,
            const std::function<bool(const std::string&)>& keep) {
  const auto kept = std::count_if(variants.begin(), variants.end(), keep);
  if (kept == 0 || kept == static_cast<long>(variants.size())) return;
  variants.erase(std::remove_if(variants.begin(), variants.end(),
                                [&](const std::string& v) { return !keep(v); }),
                 variants.end());
}

// Where the part of speech leaves several variants, the one the British dictionary's agrees
// with ("sometimes" ˈsʌmtaɪmz rather than səmˈtaɪmz), else the first.
std::string agreeingWith(const std::vector<std::string>& british,
                         const std::vector<std::string>& candidates) {
  for (const std::string& v : candidates) {
    std::optional<std::vector<Phone>> phones = arpabetPhones(v);
    if (!phones) continue;
    for (const std::string& b : british)
      if (britishAgreesWith(b, *phones)) return v;
  }
  return candidates.front();
}

}  // namespace

AmericanPronunciation::AmericanPronunciation(
    std::unordered_map<std::string, std::vector<std::string>> variants,
    std::function<bool(const std::string&)> isWord)
    : variants_(std::move(variants)), isWord_(std::move(isWord)) {}

// The negative prefix "un-" keeps its full vowel, which the pronouncing dictionary weakens
// ("unarmed" AH0 N AA1 R M D): ˌʌnˈɑrmd, as the British ˌʌnˈɑːmd. A prefix is one the British
// says ʌn, or one before a word said as it is alone ("un|ethical"); "unless" and "until" have
// none.
std::string AmericanPronunciation::withFullNegativePrefix(
    const std::string& word, const std::string& phonemes,
    const std::vector<std::string>& british) const {
  if (word.rfind("un", 0) != 0 || phonemes.rfind("AH0 N ", 0) != 0 || word == "unless" ||
      word == "until")
    return phonemes;
  const bool britishSaysIt = std::any_of(british.begin(), british.end(), [](const std::string& b) {
    const size_t at = b.rfind("ˌ", 0) == 0 || b.rfind("ˈ", 0) == 0 ? std::string("ˈ").size() : 0;
    return b.compare(at, std::string("ʌn").size(), "ʌn") == 0;
  });
  const auto rest = variants_.find(word.substr(2));
  const bool beforeAWord =
      rest != variants_.end() &&
      std::any_of(rest->second.begin(), rest->second.end(), [&](const std::string& v) {
        return withoutStress(v) == withoutStress(phonemes.substr(std::string("AH0 N ").size()));
      });
  if (!britishSaysIt && !beforeAWord) return phonemes;
  return "AH2" + phonemes.substr(3);
}

std::string AmericanPronunciation::phonemes(const std::string& word, char pos,
                                            const std::string& parts,
                                            const std::vector<std::string>& british) const {
  return withFullNegativePrefix(word, variant(word, pos, parts, british), british);
}

std::string AmericanPronunciation::variant(const std::string& word, char pos,
                                           const std::string& parts,
                                           const std::vector<std::string>& british) const {
  auto found = variants_.find(word);
  for (const std::string& spelling : americanSpellings(word)) {
    if (found != variants_.end()) break;
    found = variants_.find(spelling);
  }
  if (found == variants_.end() || found->second.empty()) return pos == 'n' ? compound(word) : "";
  std::vector<std::string> candidates = found->second;
  for (const Homograph& h : kHomographs)
    if (word == h.word && pos == h.pos &&
        std::find(candidates.begin(), candidates.end(), h.phonemes) != candidates.end())
      return h.phonemes;
  // Variants of another syllable count are other ways of saying it ("police" as plis), and an
  // unstressed one is a weak form ("good" as ɡɪd), not another word.
  const std::string first = candidates.front();
  candidates.erase(std::remove_if(candidates.begin(), candidates.end(),
                                  [&](const std::string& v) {
                                    return syllableCount(v) != syllableCount(first) ||
                                           (stressedSyllable(v) < 0 && stressedSyllable(first) >= 0);
                                  }),
                   candidates.end());
  // The rules part a verb from a noun or adjective of the same spelling.
  const bool verb = pos == 'v';
  const bool pair = parts.find('v') != std::string::npos &&
                    parts.find_first_of("na") != std::string::npos;
  if (!pair || (!verb && pos != 'n' && pos != 'a')) return agreeingWith(british, candidates);
  // "a ˈrecord", "to reˈcord"; "a ˈpresent", "to preˈsent": words of two syllables that begin
  // with a prefix ("effect" is never ˈifɛkt).
  if (syllableCount(first) == 2 && hasStressShiftPrefix(word)) {
    int earliest = 99, latest = -1;
    for (const std::string& v : candidates) {
      earliest = std::min(earliest, stressedSyllable(v));
      latest = std::max(latest, stressedSyllable(v));
    }
    narrow(candidates, [&](const std::string& v) {
      return stressedSyllable(v) == (verb ? latest : earliest);
    });
  }
  // "to estimate" -eɪt, "an estimate" -ət.
  narrow(candidates, [&](const std::string& v) { return endsWith(v, "EY2 T") == verb; });
  // "to use" juz, "a use" jus; "to close" kloʊz, "close" kloʊs.
  narrow(candidates, [&](const std::string& v) { return endsWith(v, " Z") == verb; });
  return agreeingWith(british, candidates);
}

std::string AmericanPronunciation::compound(const std::string& word) const {
  // A compound noun the dictionary lacks ("motorway", "nightgown") is said as its parts, the
  // first stressed: ˈmoʊtərˌweɪ.
  std::string said;
  forEachSplit(word, [&](const Variants& first, const Variants& second) {
    std::string later = second.front();
    std::replace(later.begin(), later.end(), '1', '2');
    said = first.front() + " " + later;
    return true;
  });
  return said;
}

void AmericanPronunciation::forEachSplit(
    const std::string& word,
    const std::function<bool(const Variants&, const Variants&)>& visit) const {
  for (size_t split = 3; split + 3 <= word.size(); ++split) {
    const std::string first = word.substr(0, split), second = word.substr(split);
    auto a = variants_.find(first), b = variants_.find(second);
    if (a == variants_.end() || b == variants_.end() || isAffix(first, second) || !isWord_(first) ||
        !isWord_(second))
      continue;
    if (visit(a->second, b->second)) return;
  }
}

std::set<size_t> AmericanPronunciation::joins(const std::string& word,
                                              const std::string& phonemes) const {
  const std::string whole = withoutStress(phonemes);
  // Parts of three letters or more: "up|on" and "with|in" are no compounds to a learner. The
  // shortest first part wins: "out|side", not "outs|ide".
  // A negative prefix ends its syllable: "unarmed" ˌʌnˈɑrmd.
  if (word.rfind("un", 0) == 0 && phonemes.rfind("AH2 N ", 0) == 0) return {2};
  std::set<size_t> join;
  forEachSplit(word, [&](const Variants& first, const Variants& second) {
    for (const std::string& pa : first)
      for (const std::string& pb : second)
        if (withoutStress(pa + " " + pb) == whole) {
          join = {tokens(pa).size()};
          return true;
        }
    return false;
  });
  if (!join.empty()) return join;
  // Parts a learner knows whatever their count in the films: "over|come", "under|estimate",
  // "six|teen" (not sɪkˈstin).
  static const std::pair<const char*, const char*> kKnownParts[] = {
      {"over", ""}, {"under", ""}, {"out", ""}, {"", "teen"}};
  for (const auto& [prefix, suffix] : kKnownParts) {
    const std::string first = *prefix ? std::string(prefix) : word.substr(0, word.size() - 4);
    if (word.size() <= first.size() + 2 || word.compare(0, first.size(), first) != 0) continue;
    if (*suffix && word.compare(first.size(), std::string::npos, suffix) != 0) continue;
    auto a = variants_.find(first), b = variants_.find(word.substr(first.size()));
    if (a == variants_.end() || b == variants_.end()) continue;
    for (const std::string& pa : a->second)
      for (const std::string& pb : b->second)
        if (withoutStress(pa + " " + pb) == whole) return {tokens(pa).size()};
  }
  return join;
}

bool AmericanPronunciation::stressVaries(const std::string& word) const {
  auto found = variants_.find(word);
  if (found == variants_.end()) return false;
  const std::string& first = found->second.front();
  // An unstressed variant ("this" as a weak form) is no other word.
  if (stressedSyllable(first) < 0) return false;
  for (const std::string& v : found->second)
    if (syllableCount(v) == syllableCount(first) && stressedSyllable(v) >= 0 &&
        stressedSyllable(v) != stressedSyllable(first))
      return true;
  return false;
}

std::string AmericanPronunciation::ipa(const std::string& word, char pos, const std::string& parts,
                                       const std::vector<std::string>& british) const {
  const std::string chosen = phonemes(word, pos, parts, british);
  if (chosen.empty()) return "";
  return arpabetToIpa(chosen, joins(word, chosen)).value_or("");
}

}  // namespace tools
