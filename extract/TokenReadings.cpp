#include "extract/TokenReadings.h"

#include <string>

#include "extract/InflectionRules.h"
#include "platform/base/Utf.h"

namespace {

// Words after which the next one is a noun or its adjective. Demonstratives and quantifiers
// ("that", "some") stand as pronouns before a verb too often ("some left early") to tell.
bool isDeterminer(std::string_view lower) {
  if (lower.size() > 7) return false;
  static constexpr std::string_view kDeterminers[] = {"a",     "an",      "the",  "my",  "your",
                                                      "his",   "her",     "its",  "our", "their",
                                                      "every", "another", "whose"};
  for (std::string_view determiner : kDeterminers)
    if (lower == determiner) return true;
  return false;
}

bool isUpper(char c) {
  return c >= 'A' && c <= 'Z';
}

// Accepts the first candidate that is a lower-case headword, and remembers the first that only a
// headword stored with capitals answers to, so that the rules look each candidate up once.
struct LowerCaseFirst {
  bool operator()(std::string_view candidate) {
    if (candidate.empty()) return false;
    const HeadwordIndex::Found found = index.lookUp(candidate);
    if (firstByKey == HeadwordIndex::kAbsent) firstByKey = found.byKey;
    number = found.exact;
    return number != HeadwordIndex::kAbsent;
  }
  const HeadwordIndex& index;
  uint32_t number = HeadwordIndex::kAbsent;
  uint32_t firstByKey = HeadwordIndex::kAbsent;
};

// Accepts the first candidate stored exactly so.
struct ExactWord {
  bool operator()(std::string_view candidate) {
    number = candidate.empty() ? HeadwordIndex::kAbsent : index.findExact(candidate);
    return number != HeadwordIndex::kAbsent;
  }
  const HeadwordIndex& index;
  uint32_t number = HeadwordIndex::kAbsent;
};

template <class IsHeadword>
bool bySuffixRules(std::string_view word, IsHeadword& isHeadword) {
  return word.size() >= 4 &&
         (inflection::pastTense(word, isHeadword) || inflection::plural(word, isHeadword) ||
          inflection::presentParticiple(word, isHeadword));
}

}  // namespace

void Readings::add(uint32_t word) {
  if (word == kAbsent || count == words.size()) return;
  for (uint8_t i = 0; i < count; ++i)
    if (words[i] == word) return;
  words[count++] = word;
}

SpellingReadings TokenReader::read(std::string_view spelling) const {
  SpellingReadings out;
  const std::string_view word = inflection::trimmed(spelling);
  if (word.empty()) return out;
  const std::string lower = plat::utf::asciiLowercase(word);
  uint32_t own = HeadwordIndex::kAbsent;
  out.inSentence = out.atStart = readLowerCase(lower, own);
  if (word.size() < spelling.size()) {
    // A headword written with its dots ("e.g.") is that headword.
    const std::string whole = plat::utf::asciiLowercase(spelling);
    if (const uint32_t number = index_.find(whole); number != HeadwordIndex::kAbsent) {
      out.inSentence = out.atStart = Readings();
      out.inSentence.add(number);
      out.atStart.add(number);
    }
  }
  if (isUpper(word.front())) {
    if (const uint32_t capital = readCapitalised(word); capital != HeadwordIndex::kAbsent) {
      out.inSentence = Readings();
      out.inSentence.add(capital);
      out.atStart.add(capital);
    }
  }
  out.isDeterminer = isDeterminer(lower);
  if (own != HeadwordIndex::kAbsent) {
    out.isAdjective = index_.isAdjective(own);
    out.isPlainAdjective = index_.isPlainAdjective(own);
  }
  return out;
}

Readings TokenReader::readLowerCase(std::string_view lower) const {
  uint32_t own;
  return readLowerCase(lower, own);
}

Readings TokenReader::readLowerCase(std::string_view lower, uint32_t& own) const {
  Readings out;
  const HeadwordIndex::Found found = index_.lookUp(lower);
  own = found.exact;
  const FormRecord::Form form = found.form;
  if (own != HeadwordIndex::kAbsent && form.base != HeadwordIndex::kAbsent && form.base != own)
    return ownOrBase(own, form, lower);
  LowerCaseFirst lowerCaseWord{index_};
  if (own != HeadwordIndex::kAbsent && mayBeAnUnrecordedForm(own, lower)) {
    // A headword that the rules make another's form, though no card records it ("lied").
    if (lower.size() >= 4 && inflection::plural(lower, lowerCaseWord) &&
        lowerCaseWord.number != own)
      return ownOrBase(own, {lowerCaseWord.number, '#'}, lower);
    if (bySuffixRules(lower, lowerCaseWord) && lowerCaseWord.number != own)
      return ownOrBase(own, {lowerCaseWord.number, 0}, lower);
  }
  if (own == HeadwordIndex::kAbsent && form.otherBase != HeadwordIndex::kAbsent)
    return nounOrVerb(form);
  out.add(own != HeadwordIndex::kAbsent ? own : form.base);
  if (!out.empty()) return out;

  lowerCaseWord.firstByKey = found.byKey;
  if (bySuffixRules(lower, lowerCaseWord))
    out.add(lowerCaseWord.number);
  else  // no lower-case word: one stored with capitals ("monday", "english", "mondays")
    out.add(lowerCaseWord.firstByKey);
  return out;
}

// Whether the rules must be asked if `lower`, a headword of its own, is another's form that no
// card records: only where that would give more than itself (see ownOrBase), which spares most
// words the rules' lookups.
bool TokenReader::mayBeAnUnrecordedForm(uint32_t own, std::string_view lower) const {
  return !index_.inBook(own) || inflection::endsWith(lower, "ed");
}

Readings TokenReader::ownOrBase(uint32_t own, FormRecord::Form form, std::string_view lower) const {
  Readings out;
  const uint32_t base = form.base;
  const std::string baseWord = plat::utf::asciiLowercase(index_.word(base));
  if (form.marker == '#') {
    // A plural that no book teaches and that means what its singular means was counted as a
    // word by a frequency list alone ("eggs"); one with a sense of its own stays ("glasses").
    const bool counted = !index_.inBook(own) && index_.meansItsBase(own) && index_.inBook(base);
    out.add(counted ? base : own);
  } else if (inflection::isRegularForm(lower, baseWord)) {
    // "interesting", "feeling": a word of its own; "located", "earlier" only when taught. A
    // past that is a word of its own too ("filled", "learned", "lied" a song) is as likely the
    // verb's, where that word is first a verb ("tired" is no tyre's).
    if (!index_.inBook(own) && index_.inBook(base)) {
      out.add(base);
    } else {
      out.add(own);
      if (inflection::endsWith(lower, "ed") && index_.isFirstAVerb(base)) {
        out.add(base);
        out.secondIsAForm = true;
      }
    }
  } else if (!index_.inBook(own)) {
    out.add(base);  // "said", "lied": forms that a frequency list counted as words
  } else if (!index_.inBook(base)) {
    out.add(own);
  } else {
    out.add(own);
    out.add(base);
    out.secondIsAForm = true;
  }
  return out;
}

Readings TokenReader::nounOrVerb(FormRecord::Form form) const {
  Readings out;
  const bool firstIsANoun = form.marker == '#';
  const uint32_t noun = firstIsANoun ? form.base : form.otherBase;
  const uint32_t verb = firstIsANoun ? form.otherBase : form.base;
  // As with a headword that is another's form: a word no book teaches yields to one taught.
  if (!index_.inBook(verb) && index_.inBook(noun)) {
    out.add(noun);
  } else if (!index_.inBook(noun) && index_.inBook(verb)) {
    out.add(verb);
  } else {
    out.add(noun);
    out.add(verb);
    out.secondIsAForm = true;
  }
  return out;
}

uint32_t TokenReader::readCapitalised(std::string_view word) const {
  ExactWord capitalisedWord{index_};
  if (capitalisedWord(word)) return capitalisedWord.number;
  if (word.size() >= 4 && inflection::plural(word, capitalisedWord)) return capitalisedWord.number;
  return HeadwordIndex::kAbsent;
}
