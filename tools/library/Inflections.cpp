#include "tools/library/Inflections.h"

#include <algorithm>
#include <map>
#include <set>

namespace tools {
namespace {

bool isVowel(char c) {
  return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u';
}

bool endsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Consonant-vowel-consonant endings double their last letter: stop -> stopped.
std::string doubled(const std::string& base) {
  size_t n = base.size();
  if (n < 3) return "";
  char last = base[n - 1];
  if (isVowel(last) || last == 'w' || last == 'x' || last == 'y') return "";
  if (!isVowel(base[n - 2]) || isVowel(base[n - 3])) return "";
  return base + last;
}

std::string sibilantPlural(const std::string& base) {
  if (endsWith(base, "s") || endsWith(base, "x") || endsWith(base, "z") || endsWith(base, "ch") ||
      endsWith(base, "sh"))
    return base + "es";
  if (base.size() > 1 && base.back() == 'y' && !isVowel(base[base.size() - 2]))
    return base.substr(0, base.size() - 1) + "ies";
  return "";
}

// An irregular verb form that is a past participle rather than a past: taken, gone, sung (but
// began, ran).
bool isParticipleSpelling(const std::string& base, const std::string& form) {
  return (endsWith(form, "n") && !endsWith(form, "an")) || endsWith(form, "ne") ||
         (form.find('u') != std::string::npos && base.find('u') == std::string::npos &&
          !endsWith(form, "ed"));
}

// Verbs whose past participle is the base itself, which no exception list says.
bool participleIsBase(const std::string& base) {
  static const std::set<std::string> verbs = {"come", "become", "overcome", "run", "outrun"};
  return verbs.count(base) > 0;
}

}  // namespace

// The form is the base with an ending ("sheeps") or what the spelling rules make of it.
bool Inflections::isRegularSpelling(const std::string& base, const std::string& form,
                                    char marker) {
  if (form.size() > base.size() && form.compare(0, base.size(), base) == 0) return true;
  const std::vector<std::string> regular = regularCandidates(base, marker);
  return std::find(regular.begin(), regular.end(), form) != regular.end();
}

std::vector<std::string> Inflections::regularCandidates(const std::string& base, char marker) {
  std::vector<std::string> out;
  const bool consonantY = base.size() > 1 && base.back() == 'y' && !isVowel(base[base.size() - 2]);
  const std::string stem = base.substr(0, base.size() - 1);
  switch (marker) {
    case '#':
    case '@': {
      std::string special = sibilantPlural(base);
      if (!special.empty()) return {special};
      if (endsWith(base, "o")) out.push_back(base + "es");
      out.push_back(base + "s");
      break;
    }
    case '$':
    case '%':
      if (endsWith(base, "e")) return {base + "d"};
      if (consonantY) return {stem + "ied"};
      if (std::string d = doubled(base); !d.empty()) out.push_back(d + "ed");
      out.push_back(base + "ed");
      break;
    case '^':
      if (endsWith(base, "ie")) return {base.substr(0, base.size() - 2) + "ying"};
      if (endsWith(base, "e") && !endsWith(base, "ee") && !endsWith(base, "ye") &&
          !endsWith(base, "oe") && base.size() > 2)
        out.push_back(stem + "ing");
      if (std::string d = doubled(base); !d.empty()) out.push_back(d + "ing");
      out.push_back(base + "ing");
      break;
    case '&':
    case '*': {
      const std::string ending = marker == '&' ? "er" : "est";
      if (endsWith(base, "e")) return {base + ending.substr(1)};
      if (consonantY) return {stem + "i" + ending};
      if (std::string d = doubled(base); !d.empty()) out.push_back(d + ending);
      out.push_back(base + ending);
      break;
    }
  }
  return out;
}

// The forms of WordNet's exception list that suit the marker.
std::vector<std::string> Inflections::irregularForms(const std::string& base, char pos,
                                                     char marker) const {
  std::vector<std::string> irregular;
  std::vector<std::string> pasts, participles;
  for (const std::string& form : wordNet_.exceptionForms(base, pos)) {
    if (form.find('_') != std::string::npos) continue;
    if (pos == 'v') {
      if (endsWith(form, "ing")) {
        if (marker == '^') irregular.push_back(form);
      } else if (endsWith(form, "s") && !endsWith(form, "ss")) {
        if (marker == '@') irregular.push_back(form);
      } else if (isParticipleSpelling(base, form)) {
        participles.push_back(form);
      } else {
        pasts.push_back(form);
      }
    } else if (pos == 'a') {
      // Superlatives end in "st" (best, worst, least), comparatives do not (worse, better).
      if (endsWith(form, "st") == (marker == '*')) irregular.push_back(form);
    } else {
      irregular.push_back(form);
    }
  }
  if (marker == '$') return pasts.empty() ? participles : pasts;
  if (marker == '%') {
    if (participleIsBase(base)) return {base};
    return participles.empty() ? pasts : participles;
  }
  return irregular;
}

namespace {

// Determiners and adverbs compared with other words: "less" and "least" are as much forms of
// "little" as "littler", "more" and "most" are those of "many" and "much".
const std::vector<std::string>* suppletiveComparison(const std::string& base, char marker) {
  static const std::map<std::string, std::pair<std::vector<std::string>, std::vector<std::string>>>
      kForms = {{"little", {{"less"}, {"least"}}},
                {"many", {{"more"}, {"most"}}},
                {"much", {{"more"}, {"most"}}}};
  const auto found = kForms.find(base);
  if (found == kForms.end() || (marker != '&' && marker != '*')) return nullptr;
  return marker == '&' ? &found->second.first : &found->second.second;
}

}  // namespace

std::vector<std::string> Inflections::forms(const std::string& base, char pos, char marker) const {
  // The one verb whose present tense is irregular too.
  if (base == "be" && pos == 'v') {
    switch (marker) {
      case '@':
        return {"is"};
      case '$':
        return {"was", "were"};
      case '%':
        return {"been"};
      case '^':
        return {"being"};
    }
  }
  if (pos == 'a')
    if (const std::vector<std::string>* compared = suppletiveComparison(base, marker))
      return *compared;
  std::vector<std::string> found;
  // The dictionary's record is complete for the words it has: a form it leaves out ("liver" of
  // live, "offer" of off) is no form, and only WordNet's exceptions may add one. Where it gives
  // only the base's forms ("feels" for felt), the word's own are guessed as for a word it lacks.
  if (exchange_.knows(base) && !exchange_.onlyItsBasesForms(base, marker))
    found = recordedForms(base, pos, marker);
  else
    found = guessedForms(base, pos, marker);
  if (marker == '#' && evidence_.pluralStands)
    found.erase(std::remove_if(found.begin(), found.end(),
                               [&](const std::string& plural) {
                                 return plural != base && !evidence_.pluralStands(base, plural);
                               }),
                found.end());
  return found;
}

std::vector<std::string> Inflections::recordedForms(const std::string& base, char pos,
                                                    char marker) const {
  std::vector<std::string> recorded;
  for (const std::string& form : exchange_.formsOf(base, marker)) {
    // A spelling no other source has is the record's typo ("cloathing" for clothing,
    // "buffetted"): the regular spelling that a source has stands instead, and a form that
    // follows no spelling rule either is left out.
    std::string kept = form;
    if (form != base && !evidence_.spelled(form)) {
      const std::vector<std::string> regular = regularCandidates(base, marker);
      // "spokeswomen": the plural of a compound of "man" or "woman" follows its last word.
      const bool manToMen =
          marker == '#' && endsWith(base, "man") && form == base.substr(0, base.size() - 3) + "men";
      const bool followsTheRules =
          manToMen || std::find(regular.begin(), regular.end(), form) != regular.end();
      // A spelling that follows the rules gives way only to the record's own other spelling of
      // the same ending ("buffeted" beside the participle "buffetted"): "stagged" does not
      // become "staged", which is another word's.
      const auto spelled = std::find_if(regular.begin(), regular.end(), [&](const std::string& c) {
        return c != form && evidence_.spelled(c) && (!followsTheRules || isRecorded(base, c));
      });
      // A third person is always the regular one: "lambasts" in the record of lambaste (the
      // form of its variant lambast) is lambastes.
      if (spelled != regular.end())
        kept = *spelled;
      else if (!followsTheRules && marker == '@' && regular.size() == 1)
        kept = regular.front();
      else if (!followsTheRules)
        continue;
    }
    // The record adds "s" to nouns that take none (sheeps, musics, knowledges): a regular
    // plural counts only when it is a word in use, as a guessed one does.
    if (marker == '#' && isRegularSpelling(base, kept, marker) && !known(kept)) continue;
    // A comparative or superlative without the other, in the record or in use, that WordNet
    // knows as a word of its own is that word: "number" of numb, "voider" of void.
    if ((marker == '&' || marker == '*') && !hasTheOtherDegree(base, marker) &&
        wordNet_.isLemma(kept))
      continue;
    if (std::find(recorded.begin(), recorded.end(), kept) == recorded.end())
      recorded.push_back(kept);
  }
  if (!recorded.empty()) {
    for (const std::string& variant : irregularVariants(base, pos, marker, recorded))
      recorded.push_back(variant);
    return recorded;
  }
  // An exception the dictionary knows as a word of another base ("offer") is no form.
  std::vector<std::string> irregular = irregularForms(base, pos, marker);
  irregular.erase(
      std::remove_if(irregular.begin(), irregular.end(),
                     [&](const std::string& form) { return isAnotherWordsForm(base, form); }),
      irregular.end());
  return irregular;
}

// WordNet's exception lists know irregular forms that the dictionary's record leaves out beside
// its own ("proven" beside "proved", "gotten" beside "got", "learnt", "dwarves" beside
// "dwarfs"). Texts use them, so the card lists them as well: each one in use (20 uses in the
// subtitles, and one for every hundred of the record's form: not "wrought" of work), that no
// suffix rule makes ("modelled" reaches "model" anyway), that the record names no other word's
// form ("cola" beside "colon") and that is no word of its own: no noun ("abode", "media"), no
// headword ("molten"), and an adjective ("proven", "sunken") only where the record names this
// word its base. A participle is no past ("proven" is no past of prove).
std::vector<std::string> Inflections::irregularVariants(
    const std::string& base, char pos, char marker,
    const std::vector<std::string>& recorded) const {
  std::vector<std::string> variants;
  if (!evidence_.inUse || !evidence_.headword) return variants;
  const long recordedUse = evidence_.inUse(recorded.front());
  for (const std::string& form : irregularForms(base, pos, marker)) {
    if (std::find(recorded.begin(), recorded.end(), form) != recorded.end()) continue;
    if (pos == 'v' && marker == '$' && isParticipleSpelling(base, form)) continue;
    const long use = evidence_.inUse(form);
    if (use < 20 || use * 100 < recordedUse) continue;
    const std::vector<std::string> rules = regularCandidates(base, marker);
    const std::string doubledEnding = base + base.back();
    if (std::find(rules.begin(), rules.end(), form) != rules.end() ||
        form.rfind(doubledEnding, 0) == 0)
      continue;
    const std::string recordedBase = exchange_.baseOf(form).lemma;
    if (!recordedBase.empty() && recordedBase != form && recordedBase != base) continue;
    if (evidence_.headword(form) || !wordNet_.senses(form, 'n').empty()) continue;
    if (wordNet_.isLemma(form) && recordedBase != base) continue;
    variants.push_back(form);
  }
  return variants;
}

bool Inflections::hasTheOtherDegree(const std::string& base, char marker) const {
  const char other = marker == '&' ? '*' : '&';
  if (!exchange_.formsOf(base, other).empty()) return true;
  const std::vector<std::string> regular = regularCandidates(base, other);
  return std::any_of(regular.begin(), regular.end(),
                     [&](const std::string& form) { return known(form); });
}

bool Inflections::isRecorded(const std::string& base, const std::string& form) const {
  for (char marker : {'#', '@', '$', '%', '^', '&', '*'}) {
    const std::vector<std::string> recorded = exchange_.formsOf(base, marker);
    if (std::find(recorded.begin(), recorded.end(), form) != recorded.end()) return true;
  }
  return false;
}

bool Inflections::isAnotherWordsForm(const std::string& base, const std::string& form) const {
  return form != base && exchange_.knows(form) && exchange_.baseOf(form).lemma != base;
}

std::vector<std::string> Inflections::guessedForms(const std::string& base, char pos,
                                                   char marker) const {
  std::vector<std::string> irregular = irregularForms(base, pos, marker);
  if (!irregular.empty()) return irregular;
  for (const std::string& candidate : regularCandidates(base, marker)) {
    // The record may spell it under another marker only: "canters" the plural is the third
    // person too.
    if (!known(candidate) && !isRecorded(base, candidate)) continue;
    // The record names it a form of another word in use: "has" is no plural of the
    // interjection "ha", nor "corpses" of "corps" (but "cookies" stays cookie's beside a rare
    // "cooky", and the record's slips such as "stupidest" of "stupide" count for nothing).
    const std::string recordedBase = exchange_.baseOf(candidate).lemma;
    if (!recordedBase.empty() && recordedBase != base && evidence_.inUse &&
        evidence_.inUse(recordedBase) * 2 >= evidence_.inUse(base))
      continue;
    // A comparative counts only with its superlative ("outer" is no comparative of "out").
    if (marker == '&' || marker == '*') {
      const char other = marker == '&' ? '*' : '&';
      bool paired = false;
      for (const std::string& c : regularCandidates(base, other)) paired = paired || known(c);
      if (!paired) continue;
    }
    return {candidate};
  }
  return {};
}
std::string Inflections::formsText(const std::string& base, const std::vector<char>& parts) const {
  std::string text;
  std::set<std::string> written;
  auto add = [&](char marker, char pos) {
    for (const std::string& form : forms(base, pos, marker)) {
      if (form == base && marker != '$' && marker != '%') continue;  // "set": past set
      std::string entry = std::string(1, marker) + form;
      if (!written.insert(entry).second) continue;
      text += (text.empty() ? "" : " ") + entry;
    }
  };
  for (char pos : parts) {
    if (pos == 'n') add('#', 'n');
    if (pos == 'v')
      for (char marker : {'@', '$', '%', '^'}) add(marker, 'v');
    if (pos == 'a' || (pos == 'r' && suppletiveComparison(base, '&')))
      for (char marker : {'&', '*'}) add(marker, 'a');
  }
  return text;
}

std::vector<std::string> Inflections::baseForms(const std::string& word) const {
  static const struct {
    char pos;
    const char* suffix;
    const char* ending;
  } kRules[] = {{'n', "s", ""},      {'n', "ses", "s"},   {'n', "xes", "x"},   {'n', "zes", "z"},
                {'n', "ches", "ch"}, {'n', "shes", "sh"}, {'n', "men", "man"}, {'n', "ies", "y"},
                {'v', "s", ""},      {'v', "ies", "y"},   {'v', "es", "e"},    {'v', "es", ""},
                {'v', "ed", "e"},    {'v', "ed", ""},     {'v', "ing", "e"},   {'v', "ing", ""},
                {'a', "er", ""},     {'a', "est", ""},    {'a', "er", "e"},    {'a', "est", "e"}};
  std::vector<std::string> bases;
  auto add = [&](const std::string& base, char pos) {
    // A phrase ("comic_strip", which WordNet gives for "comics") is never a headword.
    if (base == word || base.empty() || base.find('_') != std::string::npos ||
        wordNet_.senses(base, pos).empty())
      return;
    if (std::find(bases.begin(), bases.end(), base) == bases.end()) bases.push_back(base);
  };
  if (const WordExchange::Base recorded = exchange_.baseOf(word); !recorded.lemma.empty())
    add(recorded.lemma, recorded.pos);
  for (char pos : {'n', 'v', 'a', 'r'})
    for (const std::string& base : wordNet_.exceptionBases(word, pos)) add(base, pos);
  for (const auto& rule : kRules) {
    if (!endsWith(word, rule.suffix)) continue;
    std::string base = word.substr(0, word.size() - std::char_traits<char>::length(rule.suffix));
    if (base.size() < 2) continue;
    add(base + rule.ending, rule.pos);
  }
  return bases;
}

}  // namespace tools
