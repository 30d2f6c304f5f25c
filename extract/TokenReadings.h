// What a token may stand for in the word library, worked out once per distinct spelling of a
// text; where the token stands in its sentence then picks among the readings.
//
// A lower-case token is read against the lower-case headwords first (the record of forms, the
// word itself, the suffix rules), and only when none answers against the headwords stored with
// capitals: "states" is state, never States, while "monday" is Monday. A capitalised token
// inside a sentence is the capitalised headword where there is one (China, May); at the start
// of a sentence it may be either, so both come. A headword that is also another's irregular form
// ("left" of leave, "saw" of see) gives both words when both are taught, and itself alone after
// a determiner, a possessive or an adjective, where it can only be the noun; so does a spelling
// that is one word's plural and another's third person ("leaves": leaf or leave).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "extract/HeadwordIndex.h"

struct Readings {
  static constexpr uint32_t kAbsent = HeadwordIndex::kAbsent;

  std::array<uint32_t, 3> words{kAbsent, kAbsent, kAbsent};  // headword numbers, in order
  uint8_t count = 0;
  // words[1] is another word's form that a determiner or adjective before the token rules out.
  bool secondIsAForm = false;

  void add(uint32_t word);
  bool empty() const { return count == 0; }
};

// The readings of one spelling, in a sentence and at its start, and what the spelling says of
// the word after it.
struct SpellingReadings {
  Readings inSentence;
  Readings atStart;
  bool isDeterminer = false;      // a, the, my ... : the word after it is a noun or adjective
  bool isAdjective = false;       // has an adjective sense
  bool isPlainAdjective = false;  // first an adjective, and never an adverb
};

class TokenReader {
 public:
  explicit TokenReader(const HeadwordIndex& index) : index_(index) {}

  // `spelling` as written, dots and underscores around it included.
  SpellingReadings read(std::string_view spelling) const;

  // The readings where the sentence tells no more: a lower-case token's inside a sentence.
  Readings readLowerCase(std::string_view lower) const;

 private:
  // The same, and `own` set to the headword spelled `lower` itself, or kAbsent.
  Readings readLowerCase(std::string_view lower, uint32_t& own) const;
  // A headword that is also recorded as a form of `form.base`: itself, its base or both.
  Readings ownOrBase(uint32_t own, FormRecord::Form form, std::string_view lower) const;
  // A spelling that is one word's plural and another's third person ("leaves", "lives"): the
  // noun, and the verb where no determiner or adjective stands before it.
  Readings nounOrVerb(FormRecord::Form form) const;
  bool mayBeAnUnrecordedForm(uint32_t own, std::string_view lower) const;
  // The capitalised headword that `word` (first letter upper-case) is, by itself or its plural.
  uint32_t readCapitalised(std::string_view word) const;

  const HeadwordIndex& index_;
};
