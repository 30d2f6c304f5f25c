#include "tools/library/Inflections.h"

#include <algorithm>
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
      } else if (((endsWith(form, "n") && !endsWith(form, "an")) || endsWith(form, "ne")) ||
                 (form.find('u') != std::string::npos && base.find('u') == std::string::npos &&
                  !endsWith(form, "ed"))) {
        participles.push_back(form);  // taken, gone, sung (but began, ran)
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
  // The dictionary's record is complete for the words it has: a form it leaves out ("liver" of
  // live, "offer" of off) is no form, and only WordNet's exceptions may add one.
  if (exchange_.knows(base)) {
    std::vector<std::string> recorded = exchange_.formsOf(base, marker);
    // The record adds "s" to nouns that take none (sheeps, musics, knowledges): a regular
    // plural counts only when it is a word in use, as a guessed one does.
    if (marker == '#')
      recorded.erase(std::remove_if(recorded.begin(), recorded.end(),
                                    [&](const std::string& form) {
                                      return isRegularSpelling(base, form, marker) && !known_(form);
                                    }),
                     recorded.end());
    if (!recorded.empty()) return recorded;
    // An exception the dictionary knows as a word of another base ("offer") is no form.
    std::vector<std::string> irregular = irregularForms(base, pos, marker);
    irregular.erase(std::remove_if(irregular.begin(), irregular.end(),
                                   [&](const std::string& form) {
                                     return form != base && exchange_.knows(form) &&
                                            exchange_.baseOf(form).lemma != base;
                                   }),
                    irregular.end());
    return irregular;
  }
  std::vector<std::string> irregular = irregularForms(base, pos, marker);
  if (!irregular.empty()) return irregular;
  for (const std::string& candidate : regularCandidates(base, marker)) {
    if (!known_(candidate)) continue;
    // A comparative counts only with its superlative ("outer" is no comparative of "out").
    if (marker == '&' || marker == '*') {
      const char other = marker == '&' ? '*' : '&';
      bool paired = false;
      for (const std::string& c : regularCandidates(base, other)) paired = paired || known_(c);
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
    if (pos == 'a')
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
