// The words that an apostrophe or a fused spelling hides. A text splits at apostrophes, so
// "didn't" comes as "didn" and "t", "I'll" as "I" and "ll": the part before "n't" stands for its
// verb ("did", "will" for "won", which alone is a form of win), and the part after the apostrophe
// for its own verb where it has one ("ll": will). "cannot" is "can" written as one word.
#pragma once

#include <string_view>

namespace contraction {

inline char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

// The verb of `word` written before "n't" ("didn" of didn't): "did", "will" for "won", "shall"
// for "shan", "can" for "can"; empty for "ain", whose verb cannot be told.
inline std::string_view verbBeforeNot(std::string_view word) {
  if (equalsIgnoringCase(word, "won")) return "will";
  if (equalsIgnoringCase(word, "shan")) return "shall";
  if (equalsIgnoringCase(word, "can")) return "can";
  if (equalsIgnoringCase(word, "ain")) return {};
  return word.substr(0, word.size() - 1);
}

// What the letters after an apostrophe stand for: a verb ("ll": will), nothing at all ("t" of
// n't, "s" and "d", which may be is, has, had, would or a possessive), or themselves (`tail`,
// for "o'clock" and names) when they are none of these.
inline std::string_view afterApostrophe(std::string_view tail) {
  if (equalsIgnoringCase(tail, "ll")) return "will";
  if (equalsIgnoringCase(tail, "ve")) return "have";
  if (equalsIgnoringCase(tail, "re")) return "are";
  if (equalsIgnoringCase(tail, "m")) return "am";
  if (equalsIgnoringCase(tail, "t") || equalsIgnoringCase(tail, "s") ||
      equalsIgnoringCase(tail, "d"))
    return {};
  return tail;
}

// A word written as one that stands for another ("cannot": can); else the word itself.
inline std::string_view unfused(std::string_view word) {
  return equalsIgnoringCase(word, "cannot") ? std::string_view("can") : word;
}

}  // namespace contraction
