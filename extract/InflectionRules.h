// The ladder that reduces a lower-cased token to a headword: the library's record of inflected
// forms, the token itself, the token without the dots and underscores around it, then the "ed",
// "s"/"es" and "ing" rules. Each step offers candidates in a fixed order to
// `isHeadword(std::string_view) -> bool`, which remembers what it accepts, and the record to
// `recordedBase(std::string_view) -> bool`, which remembers the base it finds; the first
// candidate accepted ends the ladder. Written once for the extraction's in-memory index and for
// lookups in the store, so that both reduce every token alike.
#pragma once

#include <string>
#include <string_view>

namespace inflection {

// A stem with one letter put after it ("stud" + 'y'); short enough to stay off the heap mostly.
inline std::string withLetter(std::string_view stem, char letter) {
  std::string candidate;
  candidate.reserve(stem.size() + 1);
  candidate.append(stem);
  candidate += letter;
  return candidate;
}

inline bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

inline bool isVowel(char c) {
  return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u';
}

// A stem ending in one vowel and one consonant ("us", "writ", "hop") lost an "e" before "ing":
// a verb ending so doubles its consonant instead (hopping, ridding).
inline bool lostAnE(std::string_view stem) {
  const size_t n = stem.size();
  if (n < 2 || isVowel(stem[n - 1]) || stem[n - 1] == 'w' || stem[n - 1] == 'x' ||
      stem[n - 1] == 'y' || !isVowel(stem[n - 2]))
    return false;
  return n == 2 || !isVowel(stem[n - 3]);
}

// The token without the dots and underscores before and after it ("walked." at the end of a
// sentence, "...and" after an ellipsis).
inline std::string_view trimmed(std::string_view token) {
  const size_t first = token.find_first_not_of("._");
  if (first == std::string_view::npos) return {};
  return token.substr(first, token.find_last_not_of("._") - first + 1);
}

// Offers a candidate unless it is empty (a rule whose condition does not hold offers nothing).
template <class IsHeadword>
bool offer(std::string_view candidate, IsHeadword& isHeadword) {
  return !candidate.empty() && isHeadword(candidate);
}

// "ed": used -> use, walked -> walk, stopped -> stop, studied -> study.
template <class IsHeadword>
bool pastTense(std::string_view t, IsHeadword& isHeadword) {
  const size_t L = t.size();
  if (!endsWith(t, "ed")) return false;
  return offer(t.substr(0, L - 1), isHeadword) || offer(t.substr(0, L - 2), isHeadword) ||
         (L >= 4 && t[L - 3] == t[L - 4] && offer(t.substr(0, L - 3), isHeadword)) ||
         (L >= 3 && t[L - 3] == 'i' && offer(withLetter(t.substr(0, L - 3), 'y'), isHeadword));
}

// "s" / "es": books -> book, studies -> study (before "ski" for skies), boxes -> box, and a
// doubled s or z last: quizzes -> quiz, nonplusses -> nonplus.
template <class IsHeadword>
bool plural(std::string_view t, IsHeadword& isHeadword) {
  const size_t L = t.size();
  if (!endsWith(t, "s")) return false;
  if (isHeadword(t.substr(0, L - 1))) return true;  // asked even when empty, as it always was
  if (!endsWith(t, "es")) return false;
  return (L >= 5 && t[L - 3] == 'i' && offer(withLetter(t.substr(0, L - 3), 'y'), isHeadword)) ||
         offer(t.substr(0, L - 2), isHeadword) ||
         (L >= 6 && (endsWith(t, "sses") || endsWith(t, "zzes")) &&
          offer(t.substr(0, L - 3), isHeadword));
}

// An "ing" reading leaves a base of three letters at least: "Ming" and "Bing" are names, not
// forms of me and be. The few verbs of two letters (doing, going, being) are on their cards; one
// whose last letter doubles shows it in the stem ("upping": up), which counts.
constexpr size_t kShortestBaseOfIng = 3;

// "ing": walking -> walk, making -> make (before "us" for using), running -> run, (l)ying -> (l)y.
// `shortestBase` is the shortest candidate offered, but for the base of a doubled letter, whose
// stem before "ing" must be that long.
template <class IsHeadword>
bool presentParticiple(std::string_view t, IsHeadword& isHeadword,
                       size_t shortestBase = kShortestBaseOfIng) {
  const size_t L = t.size();
  if (!endsWith(t, "ing")) return false;
  const auto offerBase = [&](std::string_view candidate) {
    return candidate.size() >= shortestBase && offer(candidate, isHeadword);
  };
  const std::string_view stem = t.substr(0, L - 3);
  const bool eFirst = lostAnE(stem);
  return (eFirst && offerBase(withLetter(stem, 'e'))) || offerBase(stem) ||
         (!eFirst && offerBase(withLetter(stem, 'e'))) ||
         (L >= 5 && L - 3 >= shortestBase && t[L - 4] == t[L - 5] &&
          offer(t.substr(0, L - 4), isHeadword)) ||
         (L >= 4 && t[L - 4] == 'i' && offerBase(withLetter(t.substr(0, L - 4), 'y')));
}

// "er" / "est": colder -> cold, later -> late, bigger -> big, happiest -> happy.
template <class IsHeadword>
bool comparison(std::string_view t, IsHeadword& isHeadword) {
  const size_t L = t.size();
  const size_t ending = endsWith(t, "est") ? 3 : endsWith(t, "er") ? 2 : 0;
  if (ending == 0) return false;
  const std::string_view stem = t.substr(0, L - ending);
  const size_t n = stem.size();
  return offer(stem, isHeadword) || offer(withLetter(stem, 'e'), isHeadword) ||
         (n >= 2 && stem[n - 1] == stem[n - 2] && offer(stem.substr(0, n - 1), isHeadword)) ||
         (n >= 1 && stem[n - 1] == 'i' &&
          offer(withLetter(stem.substr(0, n - 1), 'y'), isHeadword));
}

// Whether `form` is what the suffix rules make of `base` (interesting of interest, later of
// late), not an irregular form (saw of see, found of find); doing is do's, however short.
inline bool isRegularForm(std::string_view form, std::string_view base) {
  auto isBase = [base](std::string_view candidate) { return candidate == base; };
  return pastTense(form, isBase) || plural(form, isBase) || presentParticiple(form, isBase, 1) ||
         comparison(form, isBase);
}

// The whole ladder. Tokens of one letter are looked up only as they are, tokens of under four
// letters are not reduced by the suffix rules.
template <class IsHeadword, class RecordedBase>
bool reduce(std::string_view token, IsHeadword& isHeadword, RecordedBase& recordedBase) {
  if (recordedBase(token) || isHeadword(token)) return true;
  if (token.size() < 2) return false;
  const std::string_view word = trimmed(token);
  if (word.empty()) return false;
  if (word.size() < token.size() && (recordedBase(word) || isHeadword(word))) return true;
  if (word.size() < 4) return false;
  return pastTense(word, isHeadword) || plural(word, isHeadword) ||
         presentParticiple(word, isHeadword);
}

}  // namespace inflection
