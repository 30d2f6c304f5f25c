// The library's record of inflected forms turned round: for each form on a headword's card
// ("@sees $saw %seen ^seeing" of see) the headword it is a form of, so that extraction reaches
// "see" from "saw" rather than the rare headword "saw", and "be" from "is", which no suffix rule
// could. Forms are kept lower-cased; bases are numbers of the caller's choosing.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "extract/WordTable.h"

class FormRecord {
 public:
  static constexpr uint32_t kAbsent = WordTable::kAbsent;

  // Records the forms of one record text for `base`, skipping a form that `isOwnHeadword` says
  // stands in the library as a word of its own. A form recorded before keeps its first base:
  // texts come in the order of their headwords' use, the commoner base first ("lives": life).
  template <class IsOwnHeadword>
  void add(uint32_t base, std::string_view baseWord, std::string_view text,
           IsOwnHeadword isOwnHeadword) {
    forEachForm(text, [&](std::string form) {
      if (form != baseWord && !isOwnHeadword(form)) insert(std::move(form), base);
    });
  }

  // Records one form outside the card's record (see kPresentOfBe).
  void add(uint32_t base, std::string_view form) { insert(std::string(form), base); }

  // The base recorded for `form` (lower-case), or kAbsent.
  uint32_t baseOf(std::string_view form) const {
    const uint32_t number = table_.find(form);
    return number == kAbsent ? kAbsent : bases_[number];
  }

  // The present tense of "be", which the card's markers have no name for.
  static constexpr std::string_view kPresentOfBe[] = {"am", "are"};

 private:
  // Calls `onForm` with each form of a record text, lower-cased: its runs of ASCII letters (the
  // markers and spaces between them are no letters).
  template <class OnForm>
  static void forEachForm(std::string_view text, OnForm onForm);

  void insert(std::string form, uint32_t base);

  std::deque<std::string> forms_;  // never moved once added: the table views them
  WordTable table_;
  std::vector<uint32_t> bases_;  // by the table's number of the form
};

template <class OnForm>
void FormRecord::forEachForm(std::string_view text, OnForm onForm) {
  auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  for (size_t i = 0; i < text.size();) {
    if (!isLetter(text[i])) {
      ++i;
      continue;
    }
    std::string form;
    for (; i < text.size() && isLetter(text[i]); ++i)
      form += static_cast<char>(text[i] >= 'A' && text[i] <= 'Z' ? text[i] - 'A' + 'a' : text[i]);
    onForm(std::move(form));
  }
}
