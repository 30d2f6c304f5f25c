// The ladder that reduces a lower-cased token to a headword: the token itself, the token without
// a trailing "." or "_", then the "ed", "s"/"es" and "ing" rules. Each step offers candidates in
// a fixed order to `isHeadword(std::string_view) -> bool`, which remembers what it accepts; the
// first candidate it accepts ends the ladder. Written once for the extraction's in-memory index
// and for lookups in the store, so that both reduce every token alike.
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

// "s" / "es": books -> book, boxes -> box, studies -> study.
template <class IsHeadword>
bool plural(std::string_view t, IsHeadword& isHeadword) {
  const size_t L = t.size();
  if (!endsWith(t, "s")) return false;
  if (isHeadword(t.substr(0, L - 1))) return true;  // asked even when empty, as it always was
  if (!endsWith(t, "es")) return false;
  return offer(t.substr(0, L - 2), isHeadword) ||
         (L >= 5 && t[L - 3] == 'i' && offer(withLetter(t.substr(0, L - 3), 'y'), isHeadword));
}

// "ing": walking -> walk, making -> make, running -> run, (l)ying -> (l)y.
template <class IsHeadword>
bool presentParticiple(std::string_view t, IsHeadword& isHeadword) {
  const size_t L = t.size();
  if (!endsWith(t, "ing")) return false;
  return offer(t.substr(0, L - 3), isHeadword) ||
         offer(withLetter(t.substr(0, L - 3), 'e'), isHeadword) ||
         (L >= 5 && t[L - 4] == t[L - 5] && offer(t.substr(0, L - 4), isHeadword)) ||
         (L >= 4 && t[L - 4] == 'i' && offer(withLetter(t.substr(0, L - 4), 'y'), isHeadword));
}

// The whole ladder. Tokens of one letter are looked up only as they are, tokens of under four
// letters are not reduced by the suffix rules.
template <class IsHeadword>
bool reduce(std::string_view token, IsHeadword& isHeadword) {
  if (isHeadword(token)) return true;
  if (token.size() < 2) return false;
  if ((endsWith(token, ".") || endsWith(token, "_")) &&
      isHeadword(token.substr(0, token.size() - 1)))
    return true;
  if (token.size() < 4) return false;
  return pastTense(token, isHeadword) || plural(token, isHeadword) ||
         presentParticiple(token, isHeadword);
}

}  // namespace inflection
