// The library's record of inflected forms turned round: for each form on a headword's card
// ("@sees $saw %seen ^seeing" of see) the headword it is a form of and the marker it stands
// under, so that extraction reaches "see" from "saw" and "be" from "is", which no suffix rule
// could. Whether a form that is a headword of its own gives itself, its base or both is decided
// by the reader (TokenReadings); the record only says what the cards say. Forms are kept
// lower-cased; bases are numbers of the caller's choosing.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "extract/InflectionRules.h"
#include "extract/WordTable.h"

class FormRecord {
 public:
  static constexpr uint32_t kAbsent = WordTable::kAbsent;

  // The card markers: '#' plural, '@' third person, '$' past, '%' past participle, '^' present
  // participle, '&' comparative, '*' superlative.
  struct Form {
    uint32_t base = kAbsent;
    char marker = 0;
    // A second base whose card gives the same spelling as a plural or third person ("leaves":
    // leave's @ and leaf's #, "lives": life's # and live's @, "axes": ax's # and axis's #),
    // since a text may mean either; else kAbsent.
    uint32_t otherBase = kAbsent;
  };

  // Records the forms of one record text for `base`. A form recorded before keeps its first
  // base: texts come in the order of their headwords' use, the commoner base first ("lives":
  // life); a plural or third person that is also another word's plural or third person keeps
  // the second as otherBase. A
  // third person or present participle that the suffix rules cannot make of the word is some other
  // word's form copied onto this card (felt carrying feels and feeling of feel): it is left out, or
  // every "feeling" would read as felt.
  void add(uint32_t base, std::string_view baseWord, std::string_view text);

  // Records one form outside the card's record (see kPresentOfBe).
  void add(uint32_t base, std::string_view form, char marker) {
    insert(std::string(form), {base, marker});
  }

  // The base and marker recorded for `form` (lower-case); base kAbsent when none.
  Form formOf(std::string_view form) const {
    const uint32_t number = table_.find(form);
    return number == kAbsent ? Form{} : forms_[number];
  }
  uint32_t baseOf(std::string_view form) const { return formOf(form).base; }

  // Calls `onForm(spelling, form)` for every recorded form; the spellings live as long as the
  // record.
  template <class OnForm>
  void forEach(OnForm onForm) const {
    for (size_t i = 0; i < forms_.size(); ++i) onForm(std::string_view(spellings_[i]), forms_[i]);
  }

  // The present tense of "be", which the card's markers have no name for.
  static constexpr std::string_view kPresentOfBe[] = {"am", "are"};

 private:
  void insert(std::string spelling, Form form);

  std::deque<std::string> spellings_;  // never moved once added: the table views them
  WordTable table_;
  std::vector<Form> forms_;  // by the table's number of the spelling
};
