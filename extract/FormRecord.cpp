#include "extract/FormRecord.h"

namespace {

bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Only be and have make their present tense otherwise than by the rules (is, has).
bool hasIrregularPresent(std::string_view word) {
  return word == "be" || word == "have";
}

// What the rules make of a word in "ie" before "ing": dying of die, lying of lie.
bool isParticipleOfIe(std::string_view form, std::string_view word) {
  return inflection::endsWith(word, "ie") && form.size() == word.size() + 2 &&
         form.substr(0, word.size() - 2) == word.substr(0, word.size() - 2) &&
         inflection::endsWith(form, "ying");
}

}  // namespace

void FormRecord::add(uint32_t base, std::string_view baseWord, std::string_view text) {
  std::string& word = word_;  // lower-cased like the forms ("Monday": mondays)
  word.clear();
  for (char c : baseWord) word += lower(c);
  char marker = 0;
  for (size_t i = 0; i < text.size();) {
    if (!isLetter(text[i])) {
      if (text[i] != ' ') marker = text[i];
      ++i;
      continue;
    }
    std::string& form = form_;
    form.clear();
    for (; i < text.size() && isLetter(text[i]); ++i) form += lower(text[i]);
    if (form == word) {
      if (marker == '$') markPastOfItself(form);
      continue;
    }
    const bool present = marker == '@' || marker == '^';
    if (present && !hasIrregularPresent(word) && !inflection::isRegularForm(form, word) &&
        !isParticipleOfIe(form, word))
      continue;
    insert(form, {base, marker});
  }
}

void FormRecord::insert(std::string_view spelling, Form form) {
  uint32_t number = table_.find(spelling);
  if (number == kAbsent) {
    bool added;
    number = table_.insert(arena_.keep(spelling), added);
  }
  if (number >= forms_.size()) forms_.resize(number + 1);
  if (Form& first = forms_[number]; first.base != kAbsent) {
    // The first card's marker decides what the base is taken for: leave's "#leaves" (of leave
    // as a noun) is too rare to stand beside its "@leaves". A plural beside another word's
    // plural or third person may be either word.
    const bool twoReadings = (first.marker == '#' && (form.marker == '#' || form.marker == '@')) ||
                             (first.marker == '@' && form.marker == '#');
    if (twoReadings && first.base != form.base && first.otherBase == kAbsent)
      first.otherBase = form.base;
    if (twoReadings && first.base == form.base && first.marker != form.marker)
      first.pluralAndThirdPerson = true;
    return;
  }
  forms_[number] = form;
}

void FormRecord::markPastOfItself(std::string_view spelling) {
  const uint32_t number = table_.find(spelling);
  if (number == kAbsent) return;
  if (number >= forms_.size()) forms_.resize(number + 1);
  if (forms_[number].base == kAbsent) forms_[number].marker = '$';
}
