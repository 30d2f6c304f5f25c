#include "tools/library/AmericanFromBritish.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace tools {
namespace {

// British vowels, the longest first, and what each is in American English where that is one
// sound whatever the spelling. One ending in r takes an r of the spelling ("ɪə" ɪr); "?" is one
// that the spelling's r decides (ɔː: "law" ɔ, "board" ɔr).
struct VowelRule {
  std::string_view british;
  std::string_view american;
};
constexpr std::array<VowelRule, 24> kVowels = {
    {{"aɪə", "aɪər"}, {"aʊə", "aʊər"}, {"eɪ", "eɪ"}, {"aɪ", "aɪ"}, {"ɔɪ", "ɔɪ"}, {"aʊ", "aʊ"},
     {"əʊ", "oʊ"},    {"ɪə", "ɪr"},    {"eə", "ɛr"}, {"ʊə", "ʊr"}, {"iː", "i"},  {"uː", "u"},
     {"ɑː", "?"},     {"ɔː", "?"},     {"ɜː", "ɝ"},  {"ɪ", "ɪ"},   {"i", "i"},   {"e", "ɛ"},
     {"æ", "æ"},      {"ʌ", "ʌ"},      {"ɒ", "ɑ"},   {"ʊ", "ʊ"},   {"u", "u"},   {"ə", "?"}}};

struct Sound {
  std::string british;
  std::string american;  // "?" until the spelling's r decides
  bool vowel = false;
  bool stressed = false;  // after a primary or secondary mark, in its syllable
};

bool endsWith(const std::string& word, std::string_view end) {
  return word.size() > end.size() && word.compare(word.size() - end.size(), end.size(), end) == 0;
}

std::vector<Sound> soundsOf(const std::string& british) {
  std::vector<Sound> sounds;
  bool stressed = false;
  for (size_t at = 0; at < british.size();) {
    const std::string_view rest = std::string_view(british).substr(at);
    if (rest.rfind("ˈ", 0) == 0 || rest.rfind("ˌ", 0) == 0) {
      sounds.push_back(
          {std::string(rest.substr(0, 2)), std::string(rest.substr(0, 2)), false, false});
      stressed = true;
      at += 2;
      continue;
    }
    auto vowel = std::find_if(kVowels.begin(), kVowels.end(),
                              [&](const VowelRule& v) { return rest.rfind(v.british, 0) == 0; });
    if (vowel != kVowels.end()) {
      sounds.push_back({std::string(vowel->british), std::string(vowel->american), true, stressed});
      stressed = false;
      at += vowel->british.size();
      continue;
    }
    size_t length = 1;
    while (at + length < british.size() && (british[at + length] & 0xC0) == 0x80) ++length;
    sounds.push_back({british.substr(at, length), british.substr(at, length), false, false});
    at += length;
  }
  return sounds;
}

// The r's of the spelling that make no r of their own in British English: "rr" and "r" before a
// vowel letter are heard in both accents.
int silentRs(const std::string& word) {
  int silent = 0;
  for (size_t i = 0; i < word.size(); ++i) {
    if (word[i] != 'r' || (i > 0 && word[i - 1] == 'r')) continue;
    const char next = i + 1 < word.size() ? word[i + 1] : 0;
    if (next == 'r') continue;  // "carry", "incorrupt": heard before the vowel
    // "more", "care": a final "re" is a silent r too.
    const bool finalE = next == 'e' && i + 2 == word.size();
    if (next == 0 || finalE || std::string_view("aeiouy").find(next) == std::string_view::npos)
      ++silent;
  }
  return silent;
}

}  // namespace

std::string americanFromBritish(const std::string& word, const std::string& british) {
  if (british.empty() || endsWith(word, "isation") || endsWith(word, "ization")) return "";
  std::vector<Sound> sounds = soundsOf(british);
  // A word of one syllable carries no mark, yet its vowel is stressed: "whir" wɝ, as "her" hɝ.
  if (std::count_if(sounds.begin(), sounds.end(), [](const Sound& s) { return s.vowel; }) == 1)
    for (Sound& s : sounds) s.stressed = s.stressed || s.vowel;
  // "dictionary" ˈdɪkʃənəri is ˈdɪkʃəˌnɛri, "ceremony" -ˌmoʊni, "fertile" -təl: an ending two
  // syllables or more past the stress has a full vowel in American English that the British
  // does not show ("history" ˈhɪstəri, "story" and "smile" keep theirs).
  int syllables = 0, lastStressed = -1;
  for (const Sound& s : sounds) {
    if (s.vowel && s.stressed) lastStressed = syllables;
    syllables += s.vowel;
  }
  for (std::string_view end : {"ary", "ery", "ory", "mony"})
    if (endsWith(word, end) && lastStressed < syllables - 3) return "";
  if (endsWith(word, "ile") && syllables > 1 && lastStressed < syllables - 1) return "";
  int coloured = 0;          // British vowels that the r of the spelling already colours
  std::vector<size_t> open;  // ɑː, ɔː and ə: coloured or not, as the spelling's r's say
  for (size_t i = 0; i < sounds.size(); ++i) {
    Sound& s = sounds[i];
    // The next sound, past a stress mark ("hɒˈrɒlədʒi").
    size_t after = i + 1;
    while (after < sounds.size() && !sounds[after].vowel &&
           (sounds[after].british == "ˈ" || sounds[after].british == "ˌ"))
      ++after;
    const std::string next = after < sounds.size() ? sounds[after].british : "";
    if (!s.vowel) {
      // "tune", "new", "student": the American drops the j, not always.
      if (s.british == "j" && i > 0 &&
          std::string_view("t d n s z θ l").find(sounds[i - 1].british) != std::string_view::npos)
        return "";
      continue;
    }
    // "dog", "off", "long", "cost": ɔ or ɑ; "sorry": ɔr or ɑr.
    if (s.british == "ɒ" &&
        (next == "f" || next == "θ" || next == "s" || next == "ŋ" || next == "ɡ" || next == "r"))
      return "";
    if (s.american == "ɝ" && !s.stressed) s.american = "ər";
    if (s.american == "?")
      open.push_back(i);
    else if (s.american.back() == 'r' || s.american == "ɝ")
      ++coloured;
  }
  // The r's of the spelling left for ɑː, ɔː and ə: the long vowels take them first ("board",
  // "hard"), then a ə ("modern"), the last one where several are ("character").
  int left = silentRs(word) - coloured;
  std::vector<size_t> longs, schwas;
  for (size_t i : open) (sounds[i].british == "ə" ? schwas : longs).push_back(i);
  if (left < 0 || (left > 0 && left < static_cast<int>(longs.size()))) return "";
  for (size_t i : longs) {
    Sound& s = sounds[i];
    if (left > 0) {
      s.american = s.british == "ɔː" ? "ɔr" : "ɑr";
      --left;
    } else if (s.british == "ɔː") {
      s.american = "ɔ";
    } else {
      return "";  // "dance" æ or "father" ɑ
    }
  }
  if (left > 1 || (left == 1 && schwas.empty())) return "";
  for (size_t k = 0; k < schwas.size(); ++k)
    sounds[schwas[k]].american = left == 1 && k + 1 == schwas.size() ? "ər" : "ə";
  // Several ə with one r: the last one, where the r ends the spelling ("character",
  // "measure"); else which one it colours cannot be told ("preternatural").
  const bool rEnds = endsWith(word, "r") || endsWith(word, "re") || endsWith(word, "rs");
  if (left == 1 && schwas.size() > 1 && (!rEnds || schwas.back() + 3 < sounds.size())) return "";
  // A weak ɪ right before the primary stress carries no secondary one ("mischance" mɪsˈtʃæns).
  for (size_t k = 0; k < sounds.size(); ++k) {
    if (sounds[k].british != "ˌ") continue;
    size_t at = k + 1;
    while (at < sounds.size() && !sounds[at].vowel && sounds[at].british != "ˈ") ++at;
    if (at >= sounds.size() || sounds[at].british != "ɪ") continue;
    size_t to = at + 1;
    while (to < sounds.size() && !sounds[to].vowel && sounds[to].british != "ˈ" &&
           sounds[to].british != "r")
      ++to;
    if (to < sounds.size() && sounds[to].british == "ˈ") sounds[k].american.clear();
  }
  std::string american;
  for (const Sound& s : sounds) american += s.american;
  return american;
}

}  // namespace tools
