#include "extract/TokenReadings.h"

#include <optional>
#include <string>

#include "extract/Accents.h"
#include "extract/ChineseSyllables.h"
#include "extract/InflectionRules.h"
#include "platform/base/Utf.h"

namespace {

// What a function word says of the word after it. Demonstratives and quantifiers ("that",
// "some") stand as pronouns before a verb too often ("some left early") to tell.
Lead leadOfFunctionWord(std::string_view lower, ClosedLists::Marks lists) {
  if (lists & ClosedLists::kDeterminer) return Lead::kNoun;
  if (lists & ClosedLists::kSubjectPronoun) return Lead::kSubject;
  if (lists & ClosedLists::kThirdPerson) return Lead::kThirdPerson;
  if (lists & ClosedLists::kPerfectAuxiliary) return Lead::kPerfect;
  if (lower == "to" || (lists & ClosedLists::kModal)) return Lead::kBaseForm;
  return Lead::kNothing;
}

bool isUpper(char c) {
  return c >= 'A' && c <= 'Z';
}

// "Brook", "McDonald"; not "I", "TV" or "NASA".
bool isCapitalised(std::string_view word) {
  return word.size() >= 2 && isUpper(word[0]) && word[1] >= 'a' && word[1] <= 'z';
}

bool isInCapitals(std::string_view word) {
  if (word.size() < 2) return false;
  for (char c : word)
    if (!isUpper(c)) return false;
  return true;
}

// Whether `word` holds a byte of a character outside ASCII: an accented letter, from a token.
bool hasAccents(std::string_view word) {
  for (char c : word)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

// A spelling in lower case, made for every distinct spelling of a text: in place for a word of
// ordinary length, in a string of its own only for a longer one.
class LowerCase {
 public:
  explicit LowerCase(std::string_view word) {
    if (word.size() > sizeof(letters_)) {
      longer_ = plat::utf::asciiLowercase(word);
      view_ = longer_;
      return;
    }
    for (size_t k = 0; k < word.size(); ++k)
      letters_[k] = isUpper(word[k]) ? static_cast<char>(word[k] - 'A' + 'a') : word[k];
    view_ = std::string_view(letters_, word.size());
  }
  LowerCase(const LowerCase&) = delete;
  LowerCase& operator=(const LowerCase&) = delete;

  std::string_view view() const { return view_; }

 private:
  char letters_[32];
  std::string longer_;
  std::string_view view_;
};

// Whether `plain`, a word whose accents were dropped, is the word English borrows with them
// ("cafe", "cafes" of "cafés"), not another word spelled so ("rose" of "rosé", "long" of a
// syllable's "lóng").
bool isWrittenWithAccents(std::string_view plain) {
  const std::string lower = plat::utf::asciiLowercase(inflection::trimmed(plain));
  if (ClosedLists::of(lower) & ClosedLists::kWrittenWithAccents) return true;
  return inflection::endsWith(lower, "s") &&
         (ClosedLists::of(std::string_view(lower).substr(0, lower.size() - 1)) &
          ClosedLists::kWrittenWithAccents);
}

// Accepts the first candidate that is a headword with an adjective sense.
struct Adjective {
  bool operator()(std::string_view candidate) {
    number = index.findExact(candidate);
    return number != HeadwordIndex::kAbsent && index.isAdjective(number);
  }
  const HeadwordIndex& index;
  uint32_t number = HeadwordIndex::kAbsent;
};

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

TokenReader::TokenReader(const HeadwordIndex& index) : index_(index) {}

void Readings::add(uint32_t word) {
  if (word == kAbsent || count == words.size()) return;
  for (uint8_t i = 0; i < count; ++i)
    if (words[i] == word) return;
  words[count++] = word;
}

SpellingReadings TokenReader::read(std::string_view spelling, bool mayHoldAccents) const {
  // A word with accents is the same word without them, or none: never a piece of itself.
  if (mayHoldAccents && hasAccents(spelling)) {
    const std::optional<std::string> plain = accents::plain(spelling);
    if (plain && isWrittenWithAccents(*plain)) return read(*plain, false);
    return readAsForeign(plain ? inflection::trimmed(*plain) : std::string_view());
  }
  SpellingReadings out;
  const std::string_view word = inflection::trimmed(spelling);
  if (word.empty()) return out;
  const LowerCase lowerCase(word);
  const std::string_view lower = lowerCase.view();
  const ClosedLists::Marks lists = ClosedLists::of(lower);
  HeadwordIndex::Found found;
  out.inSentence = out.atStart = readLowerCase(lower, found);
  const uint32_t own = found.exact;
  if (word.size() < spelling.size()) {
    // A headword written with its dots ("e.g.") is that headword.
    const std::string whole = plat::utf::asciiLowercase(spelling);
    if (const uint32_t number = index_.find(whole); number != HeadwordIndex::kAbsent) {
      out.inSentence = out.atStart = Readings();
      out.inSentence.add(number);
      out.atStart.add(number);
    }
  }
  out.lead = leadOf(lower, lists, out.inSentence);
  out.isNoun = !out.inSentence.empty() && index_.isNoun(out.inSentence.words[0]);
  out.isThe = out.lead == Lead::kNoun && lower == "the";
  // An adverb in "-ly" is one where it is no headword, or one that is no adjective, noun or verb
  // ("quietly"; not "early", "family" or "reply").
  const bool adverbInLy =
      inflection::endsWith(lower, "ly") &&
      (own == HeadwordIndex::kAbsent ||
       (!index_.isAdjective(own) && !index_.isNoun(own) && !index_.isVerb(own)));
  out.standsBetweenSubjectAndVerb = adverbInLy || (lists & ClosedLists::kBetweenSubjectAndVerb);
  out.isModal = out.lead == Lead::kBaseForm && lower != "to";
  out.lists = lists;
  const char marker = found.form.marker;
  out.mayBeTheVerb = marker == '$' || marker == '%' || marker == '@' || out.isModal ||
                     out.lead == Lead::kPerfect;
  out.mayBeAVerb = out.mayBeTheVerb;
  out.mayBeAPast = marker == '$' || marker == '%';
  out.formMarker = marker;
  if (out.isModal && own != HeadwordIndex::kAbsent) {
    out.modalEndsCompounds = lower == "can" && index_.isNoun(own);
    out.leadAsAWord = index_.isFirstANoun(own) ? Lead::kNounFirst : Lead::kNothing;
  }
  out.startsWithCapital = isUpper(word.front());
  out.inCapitals = isInCapitals(word);
  if (out.startsWithCapital) {
    if (const uint32_t capital = readCapitalised(word); capital != HeadwordIndex::kAbsent) {
      out.inSentence = Readings();
      out.inSentence.add(capital);
      out.atStart.add(capital);
      // A month that is a word in lower case too ("May", "March"): the words before a number
      // or a year may leave the month alone ("May 3").
      if ((lists & ClosedLists::kMonth) && out.atStart.kind == Readings::Kind::kPlain &&
          out.atStart.count > 1)
        out.atStart.kind = Readings::Kind::kWordOrMonth;
      const Lead lead = index_.isFirstANoun(capital) ? Lead::kNounFirst : Lead::kNothing;
      if (out.isModal)
        out.leadAsAWord = lead;  // "May spoke first", but "May we go?"
      else
        out.lead = lead;
    } else if (out.inCapitals) {
      out.pronounInCapitals = lists & ClosedLists::kPronounOfAnAbbreviation;
    } else if (isCapitalised(word)) {
      out.capitalNoWord = true;
      out.rareInLowerCase = true;
      for (uint8_t i = 0; i < out.inSentence.count; ++i)
        if (index_.inBook(out.inSentence.words[i])) out.rareInLowerCase = false;
      // A Chinese given name in -ing ("Liming"); a headword of its own is none ("Ending"), but
      // for a syllable alone ("Ping").
      if (inflection::endsWith(lower, "ing") && !out.inSentence.empty() &&
          (own == HeadwordIndex::kAbsent || lower.size() == 4) &&
          chinese::isSpelledInSyllables(lower)) {
        out.mayBeANameInIng = true;
        out.mayBeANameAtStart = own == HeadwordIndex::kAbsent;
        for (uint8_t i = 0; i < out.inSentence.count; ++i)
          if (index_.isVerb(out.inSentence.words[i])) out.mayBeANameAtStart = false;
      }
    }
  }
  if (own != HeadwordIndex::kAbsent) {
    out.isAdjective = index_.isAdjective(own);
    out.isPlainAdjective = index_.isPlainAdjective(own);
    out.namesPeopleAfterThe = out.isAdjective && (lists & ClosedLists::kAdjectiveForPeople);
    out.isCountableNoun = out.isAdjective && index_.isCountableNoun(own);
    out.mayBeAVerb = out.mayBeAVerb || index_.isVerb(own);
  }

  return out;
}

SpellingReadings TokenReader::readAsForeign(std::string_view plain) const {
  // Capitalised, it stands in its sentence as a name does: a subject whose verb follows ("André
  // lives by the sea", "Mr Muñoz leaves at six"). It may be a word of another language too, so
  // the capitals beside it stay words ("Système International").
  SpellingReadings out;
  if (!isCapitalised(plain)) return out;
  out.startsWithCapital = true;
  out.capitalNoWord = true;
  return out;
}

Lead TokenReader::leadOf(std::string_view lower, ClosedLists::Marks lists,
                         const Readings& readings) const {
  const Lead lead = leadOfFunctionWord(lower, lists);
  if (lead != Lead::kNothing || readings.empty()) return lead;
  return index_.isFirstANoun(readings.words[0]) ? Lead::kNounFirst : Lead::kNothing;
}

Readings TokenReader::readLowerCase(std::string_view lower) const {
  HeadwordIndex::Found found;
  return readLowerCase(lower, found);
}

Readings TokenReader::readLowerCase(std::string_view lower, HeadwordIndex::Found& found) const {
  Readings out;
  found = index_.lookUp(lower);
  const uint32_t own = found.exact;
  const FormRecord::Form form = found.form;
  if (own != HeadwordIndex::kAbsent && form.base != HeadwordIndex::kAbsent && form.base != own)
    return ownOrBase(own, form, lower);
  LowerCaseFirst lowerCaseWord{index_};
  if (own != HeadwordIndex::kAbsent && mayBeAnUnrecordedForm(own, lower)) {
    // A headword that the rules make another's form, though no card records it ("lied",
    // "shorts"). A plural is a noun of a noun: "news" is none of new's, "sideways" no plural.
    if (lower.size() >= 4 && inflection::plural(lower, lowerCaseWord) &&
        lowerCaseWord.number != own) {
      if (index_.isFirstANoun(own) && index_.isNoun(lowerCaseWord.number))
        return ownOrBase(own, {lowerCaseWord.number, '#'}, lower);
      out.add(own);
      return out;
    }
    if (!index_.inBook(own) || inflection::endsWith(lower, "ed")) {
      if (bySuffixRules(lower, lowerCaseWord) && lowerCaseWord.number != own)
        return ownOrBase(own, {lowerCaseWord.number, 0}, lower);
    }
  }
  if (own == HeadwordIndex::kAbsent && form.otherBase != HeadwordIndex::kAbsent)
    return nounOrVerb(form, lower);
  out.add(own != HeadwordIndex::kAbsent ? own : form.base);
  if (!out.empty()) return out;

  lowerCaseWord.firstByKey = found.byKey;
  if (bySuffixRules(lower, lowerCaseWord))
    out.add(lowerCaseWord.number);
  else  // no lower-case word: one stored with capitals ("monday", "english", "mondays")
    out.add(lowerCaseWord.firstByKey);
  if (out.empty()) out.add(adjectiveOfAdverb(lower));
  return out;
}

// The adverb is left to the learner's eye: "patiently" is read as patient, "happily" as happy,
// "gently" as gentle, "truly" as true, "fully" as full, "basically" as basic.
uint32_t TokenReader::adjectiveOfAdverb(std::string_view lower) const {
  if (lower.size() < 5 || !inflection::endsWith(lower, "ly")) return HeadwordIndex::kAbsent;
  const std::string_view stem = lower.substr(0, lower.size() - 2);
  const std::string_view withoutY = lower.substr(0, lower.size() - 1);
  Adjective adjective{index_};
  const bool found =
      adjective(stem) ||
      (stem.back() == 'i' &&
       adjective(inflection::withLetter(stem.substr(0, stem.size() - 1), 'y'))) ||
      (!inflection::isVowel(stem.back()) && adjective(inflection::withLetter(withoutY, 'e'))) ||
      adjective(inflection::withLetter(stem, 'e')) ||
      adjective(inflection::withLetter(stem, 'l')) ||
      (inflection::endsWith(stem, "ical") && adjective(stem.substr(0, stem.size() - 2)));
  return found ? adjective.number : HeadwordIndex::kAbsent;
}

// Whether the rules must be asked if `lower`, a headword of its own, is another's form that no
// card records: only where that would give more than itself (see ownOrBase), which spares most
// words the rules' lookups.
bool TokenReader::mayBeAnUnrecordedForm(uint32_t own, std::string_view lower) const {
  // No plural ends in "ss" ("canvass"), and such a word is no past or participle either.
  if (inflection::endsWith(lower, "ss")) return false;
  if (!index_.inBook(own) || inflection::endsWith(lower, "ed")) return true;
  return inflection::endsWith(lower, "s") && index_.isFirstANoun(own);  // "shorts", "goods"
}

Readings TokenReader::ownOrBase(uint32_t own, FormRecord::Form form, std::string_view lower) const {
  Readings out;
  const uint32_t base = form.base;
  const std::string baseWord = plat::utf::asciiLowercase(index_.word(base));
  const bool regular = inflection::isRegularForm(lower, baseWord);
  if (form.marker == '#' || form.pluralAndThirdPerson) {
    // A plural that no book teaches and that means what its singular means was counted as a
    // word by a frequency list alone ("eggs"); one with a sense of its own stays ("glasses"),
    // after its singular where that is first a noun or means what it means, which it is then
    // as often ("raise your arms", "respondents"); "goods" and "shorts" are seldom good's or
    // short's.
    const bool meansItsBase = index_.meansItsBase(own);
    const bool counted = !index_.inBook(own) && meansItsBase && index_.inBook(base);
    const bool oftenTheBase = index_.isFirstANoun(base) || meansItsBase;
    // One that is also the verb's third person keeps the verb, whichever its card gives first
    // ("she archives her emails").
    const bool verbToo =
        form.pluralAndThirdPerson && regular && index_.isVerb(base) && index_.inBook(base);
    if (counted || verbToo || (regular && index_.inBook(base) && oftenTheBase)) out.add(base);
    if (!counted) out.add(own);
    if (verbToo && out.count == 2) out.kind = Readings::Kind::kNounsOrVerb;
  } else if (regular) {
    // "interesting", "feeling": a word of its own; "located", "earlier" only when taught. A
    // past that is a word of its own too ("filled", "learned", "lied" a song, "dried") is the
    // verb's where the words before make it a past, whichever sense the verb's card opens with;
    // where nothing decides, only where that is the verb's ("tired" alone is no tyre's).
    if (!index_.inBook(own) && index_.inBook(base)) {
      out.add(base);
    } else if (form.marker == '@' && index_.isVerb(base) && index_.inBook(base)) {
      // A word of its own that is also a verb's third person ("means", "remains"): the verb's
      // after a subject ("it means").
      out.add(own);
      out.add(base);
      out.kind = Readings::Kind::kOwnOrThirdPerson;
    } else {
      out.add(own);
      const bool firstAVerb = index_.isFirstAVerb(base);
      if (inflection::endsWith(lower, "ed") &&
          (firstAVerb || (index_.isVerb(base) && index_.inBook(base)))) {
        out.add(base);
        out.kind = Readings::Kind::kOwnOrPast;
        out.pastIsAWordOfItsOwn = true;
        out.verbOnlyWhereDecided = !firstAVerb;
      }
    }
  } else if (!index_.inBook(own)) {
    out.add(base);  // "said", "lied": forms that a frequency list counted as words
  } else if (!index_.inBook(base) || form.marker == '&' || form.marker == '*') {
    out.add(own);  // "more", "less", "further": words of their own wherever they stand
  } else {
    out.add(own);
    out.add(base);
    const bool past = form.marker == '$' || form.marker == '%';
    out.kind = past ? Readings::Kind::kOwnOrPast : Readings::Kind::kOwnOrForm;
    out.pastTakesNoObject = past && (ClosedLists::of(baseWord) & ClosedLists::kTakesNoObject);
  }
  out.ownIsAVerb = index_.isVerb(own);
  out.ownMayBePresent =
      out.kind == Readings::Kind::kOwnOrPast &&
      (index_.isFirstAVerb(own) || (index_.isVerb(own) && index_.isCommonerThan(own, base)));
  return out;
}

Readings TokenReader::nounOrVerb(FormRecord::Form form, std::string_view lower) const {
  Readings out;
  const bool firstIsANoun = form.marker == '#';
  const uint32_t noun = firstIsANoun ? form.base : form.otherBase;
  const uint32_t verb = firstIsANoun ? form.otherBase : form.base;
  // As with a headword that is another's form: a word no book teaches yields to one taught.
  if (!index_.inBook(verb) && index_.inBook(noun)) {
    out.add(noun);
  } else if (!index_.inBook(noun) && index_.inBook(verb)) {
    out.add(verb);
  } else if (!index_.isFirstAVerb(verb)) {
    // Two nouns' plural ("axes", and "bases" of base, whose third person it also is): both,
    // the commoner first.
    out.add(form.base);
    out.add(form.otherBase);
    // Only the noun whose plural is made by the rules may stand as a verb: "the company axes
    // jobs" is ax's, never axis's.
    const auto makesItByTheRules = [&](uint32_t noun) {
      return inflection::isRegularForm(lower, plat::utf::asciiLowercase(index_.word(noun)));
    };
    if (!firstIsANoun ||
        (makesItByTheRules(form.base) && !makesItByTheRules(form.otherBase)))
      out.kind = Readings::Kind::kNounsOrVerb;
  } else {
    out.add(noun);
    out.add(verb);
    out.kind = Readings::Kind::kNounOrVerb;
  }
  return out;
}

uint32_t TokenReader::readCapitalised(std::string_view word) const {
  ExactWord capitalisedWord{index_};
  if (capitalisedWord(word)) return capitalisedWord.number;
  if (word.size() >= 4 && inflection::plural(word, capitalisedWord)) return capitalisedWord.number;
  return HeadwordIndex::kAbsent;
}
