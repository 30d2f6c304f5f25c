// The library's record of inflected forms turned round: for each form on a headword's card
// ("@sees $saw %seen ^seeing" of see) the headword it is a form of and the marker it stands
// under, so that extraction reaches "see" from "saw" and "be" from "is", which no suffix rule
// could. Whether a form that is a headword of its own gives itself, its base or both is decided
// by the reader (TokenReadings); the record only says what the cards say. Forms are kept
// lower-cased; bases are numbers of the caller's choosing. The spellings join the caller's word
// table, so that one lookup finds a word and the form it is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "extract/InflectionRules.h"
#include "extract/TextArena.h"
#include "extract/WordTable.h"

class FormRecord {
 public:
  static constexpr uint32_t kAbsent = WordTable::kAbsent;

  // The card markers: '#' plural, '@' third person, '$' past, '%' past participle, '^' present
  // participle, '&' comparative, '*' superlative. '$' without a base marks a verb whose past
  // is spelled as itself ("cut").
  struct Form {
    uint32_t base = kAbsent;
    char marker = 0;
    // A second base whose card gives the same spelling as a plural or third person ("leaves":
    // leave's @ and leaf's #, "lives": life's # and live's @, "axes": ax's # and axis's #),
    // since a text may mean either; else kAbsent.
    uint32_t otherBase = kAbsent;
    // The base's card gives the spelling as its plural and as its third person ("archives"):
    // a noun's plural and its verb's form alike.
    bool pluralAndThirdPerson = false;
  };

  // Spellings new to `table` are added to it, their text kept in `arena`; both outlive the record.
  FormRecord(WordTable& table, TextArena& arena) : table_(table), arena_(arena) {}
  FormRecord(const FormRecord&) = delete;
  FormRecord& operator=(const FormRecord&) = delete;

  // Records the forms of one record text for `base`. A form recorded before keeps its first
  // base: texts come in the order of their headwords' use, the commoner base first ("lives":
  // life); a plural or third person that is also another word's plural or third person keeps
  // the second as otherBase. A
  // third person or present participle that the suffix rules cannot make of the word is some other
  // word's form copied onto this card (felt carrying feels and feeling of feel): it is left out, or
  // every "feeling" would read as felt.
  void add(uint32_t base, std::string_view baseWord, std::string_view text);

  // Records one form outside the card's record (see kPresentOfBe).
  void add(uint32_t base, std::string_view form, char marker) { insert(form, {base, marker}); }

  // What is recorded of every spelling of the table, by its number (Form{} for none); the
  // record is left empty.
  std::vector<Form> take() {
    forms_.resize(table_.size());
    return std::move(forms_);
  }

  // The present tense of "be", which the card's markers have no name for.
  static constexpr std::string_view kPresentOfBe[] = {"am", "are"};

 private:
  void insert(std::string_view spelling, Form form);
  // Marks a headword whose card gives itself as its past ("cut", "put") by '$' without a base,
  // unless it is recorded as another's form.
  void markPastOfItself(std::string_view spelling);

  WordTable& table_;
  TextArena& arena_;
  std::vector<Form> forms_;  // by the table's number of the spelling, up to the last recorded
  std::string word_, form_;  // kept between records, so that reading one allocates nothing
};
