// What a token may stand for in the word library, worked out once per distinct spelling of a
// text; where the token stands in its sentence then picks among the readings (TokenContext.h).
//
// A lower-case token is read against the lower-case headwords first (the record of forms, the
// word itself, the suffix rules), and only when none answers against the headwords stored with
// capitals: "states" is state, never States, while "monday" is Monday. A capitalised token
// inside a sentence is the capitalised headword where there is one (China, May); at the start
// of a sentence it may be either, so both come. A headword that is also another's irregular form
// ("left" of leave, "saw" of see) gives both words when both are taught, and so does a spelling
// that is one word's plural and another's third person ("leaves": leaf or leave); the words
// before it may then leave one. A plural headword ("glasses") gives its singular too where that
// is first a noun or means what it means (not "goods"), and a spelling that is the plural of two
// headwords ("bases") gives both. An adverb in "-ly" that is
// no headword gives its adjective ("patiently": patient).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "extract/ClosedLists.h"
#include "extract/HeadwordIndex.h"

struct Readings {
  static constexpr uint32_t kAbsent = HeadwordIndex::kAbsent;

  // What the words before the token may decide of words[0] and words[1].
  enum class Kind : uint8_t {
    kPlain,       // every word comes, wherever the token stands
    kOwnOrForm,   // words[0] a word of its own, words[1] the word whose form it also is
    kOwnOrPast,   // the same, the form being a past ("left": leave)
    kNounOrVerb,  // words[0] the noun whose plural it is, words[1] the verb whose third person
    kOwnOrThirdPerson,  // words[0] a word of its own, words[1] the verb whose third person
                        // it also is, only where a subject stands before it ("it means")
    // A month's name at a sentence's start that is a word in lower case too ("May", "March"):
    // the lower-case words first, the month last.
    kWordOrMonth,
    kNounsOrVerb,  // words[0] and words[1] nouns whose plural it is, words[0] also the verb
                   // whose third person it is, or the noun that may stand as one ("bases":
                   // base, basis; "axes": ax, axis)
  };

  std::array<uint32_t, 3> words{kAbsent, kAbsent, kAbsent};  // headword numbers, in order
  uint8_t count = 0;
  Kind kind = Kind::kPlain;
  // kOwnOrPast: words[0] is a verb too, and as likely as the past after "we": first a verb
  // ("found") or commoner than the verb whose past it is ("rent" of rend).
  bool ownMayBePresent = false;
  // kOwnOrPast, kOwnOrForm: words[0] has a verb sense ("saw" does, "spoke" does not).
  bool ownIsAVerb = false;
  // kOwnOrPast: a regular past that is a word of its own ("filled", "dried"). It is the verb's
  // where the words before make it a past, but that word after a question's "be" and its
  // subject ("are you pleased?"); before a pronoun the noun before it is its subject ("the
  // soldiers armed themselves").
  bool pastIsAWordOfItsOwn = false;
  // ... and its verb's card opens with another part of speech ("dried" of dry, "tired" of
  // tire): words[0] alone where nothing decides.
  bool verbOnlyWhereDecided = false;
  // kOwnOrPast: the verb whose past it is takes no object, where words[0] is a verb that does
  // ("lay" of lie): before an object it is words[0]'s present.
  bool pastTakesNoObject = false;

  void add(uint32_t word);
  bool empty() const { return count == 0; }
};

// What a word says of the word right after it.
enum class Lead : uint8_t {
  kNothing,
  kNoun,         // a, the, my ...: a noun or its adjective follows
  kSubject,      // I, you, we, they: a verb follows
  kThirdPerson,  // he, she, it, someone, nothing ...: a verb in its past or third person follows
  kNounFirst,    // a word first a noun, which may be the subject of a verb that follows
  kPerfect,      // have, has, had, having: a past participle follows
  kBaseForm,     // a modal verb or "to": a verb's base form follows
  // "can" right after a noun that a determiner or adjective leads: the modal before its verb
  // ("the old man can lay bricks") or the end of a compound noun ("the old tin can lay in the
  // sink").
  kModalOrNoun,
};

// The readings of one spelling, in a sentence and at its start, and what the spelling says of
// the words around it.
struct SpellingReadings {
  Readings inSentence;
  Readings atStart;
  Lead lead = Lead::kNothing;
  bool isAdjective = false;       // has an adjective sense
  bool isNoun = false;            // its first reading has a noun sense
  bool isPlainAdjective = false;  // first an adjective, and never an adverb
  bool isTitle = false;           // Mr, Mrs, Dr ...: a name follows
  bool isModal = false;           // will, can, may ... in any case; `lead` is then kBaseForm
  bool isDoAuxiliary() const { return lists & ClosedLists::kDoAuxiliary; }  // "does she lay"
  // A modal that ends compound nouns: "can" ("tin can", "oil can"), where the library
  // has it as a noun.
  bool modalEndsCompounds = false;
  // What the spelling says of the next word where it is no modal: a capitalised headword's
  // ("May" the month, first a noun), else its lower-case word's.
  Lead leadAsAWord = Lead::kNothing;
  bool isThe = false;
  // An adverb such as "never" or "quietly": the subject before it leads the verb after it.
  bool standsBetweenSubjectAndVerb = false;
  // An adjective that "the" makes a noun for people, which a plural verb follows ("the rich").
  bool namesPeopleAfterThe = false;
  // An adjective that is also a noun one can count ("chief"): after a determiner and before a
  // past and its object, the subject ("the chief left the room").
  bool isCountableNoun = false;
  // A verb's past, participle or third person by the record, a form of be, have or a modal: a
  // sentence's verb, where it follows a noun ("the old wound healed", "the old saw was rusty").
  bool mayBeTheVerb = false;
  // ... or any form of a verb ("make"): a pronoun right after it may be its object.
  bool mayBeAVerb = false;
  // A verb's past or participle by the record ("clapped", "turned").
  bool mayBeAPast = false;
  // The marker of the form the record has it as, 0 for none: '#' a plural, '@' a third person,
  // '$' a past ...
  char formMarker = 0;
  // A verb's third person by the record, "is", "has" or "does" ("says", "leaves"): no modal
  // stands before it.
  bool mayBeAThirdPerson() const {
    return formMarker == '@' || (lists & ClosedLists::kThirdPersonAuxiliary) ||
           inSentence.kind == Readings::Kind::kNounOrVerb ||
           inSentence.kind == Readings::Kind::kNounsOrVerb ||
           inSentence.kind == Readings::Kind::kOwnOrThirdPerson;
  }
  bool startsWithCapital = false;
  // Written in capitals, two letters or more ("US", "TV").
  bool inCapitals = false;
  // A pronoun written in capitals that no headword stored so answers to ("US", "IT"): an
  // abbreviation, unless the words around it are written in capitals too.
  bool pronounInCapitals = false;
  // Written with a capital and then lower case ("Brook", not "I" or "TV"), with no headword
  // stored with capitals to answer to it.
  bool capitalNoWord = false;
  // Its lower-case readings are none, or none a book teaches ("Lucy", "Tom").
  bool rareInLowerCase = false;
  // ... and it is spelled in the syllables of a Chinese given name in "-ing", and no lower-case
  // headword of its own but for a syllable alone ("Liming", "Lining", "Ping"; not "Programming"
  // or "Ending"): a name rather than a verb's form inside a sentence, where the text never writes
  // it in lower case, which only the text can tell (the caller clears it where the text does).
  bool mayBeANameInIng = false;
  // ... and at a sentence's start too, where it is no headword of its own and no reading of it is
  // a verb ("Daming": dame), which no -ing form can be ("Lining the box", "Running").
  bool mayBeANameAtStart = false;
  // The closed lists the spelling stands in, which these tell of.
  ClosedLists::Marks lists = 0;
  // A number ("three"), which starts an object as a determiner does ("axes three coaches").
  bool isNumber() const { return lists & ClosedLists::kNumber; }
  // A preposition or adverb of place that follows a verb without its object ("lives in").
  bool followsVerbWithoutObject() const { return lists & ClosedLists::kAfterVerbWithoutObject; }
  // A form of "be" that a question puts before its subject ("are you pleased?").
  bool invertsWithSubject() const { return lists & ClosedLists::kInvertsWithSubject; }
  bool isObjectPronoun() const { return lists & ClosedLists::kObjectPronoun; }  // him, them ...
  bool isGreeting() const { return lists & ClosedLists::kGreeting; }            // "Dear", "Hi"
  // A word that a title-case line leaves in lower case ("of", "and", "the").
  bool staysLowInTitles() const { return lists & ClosedLists::kLowerCaseInTitles; }
  bool startsAClause() const { return lists & ClosedLists::kStartsAClause; }  // that, and ...
  // after, before, once: another clause's start, or a preposition or adverb of this one.
  bool mayStartAClause() const { return lists & ClosedLists::kMayStartAClause; }
  bool joinsVerbs() const { return lists & ClosedLists::kJoinsVerbs; }        // and, or
  bool isParticle() const { return lists & ClosedLists::kParticle; }          // up, out ...
  bool isMeasure() const { return lists & ClosedLists::kMeasure; }            // inch, way, day ...
  // someone, nobody, everything ...
  bool isIndefinitePronoun() const { return lists & ClosedLists::kIndefinitePronoun; }
  // Capitalised and no word (capitalNoWord), it ends the name of a place or a body, not a
  // person's ("University", "Park").
  bool endsAPlacesName() const {
    return capitalNoWord && (lists & ClosedLists::kEndsAPlacesName);
  }
  // ... or it ends such a name or a street's, which may be a person's too ("Way", "Hill").
  bool mayEndAPlacesName() const {
    return capitalNoWord &&
           (lists & (ClosedLists::kEndsAPlacesName | ClosedLists::kEndsAStreetsName));
  }
};

class TokenReader {
 public:
  explicit TokenReader(const HeadwordIndex& index);

  // `spelling` as written, dots and underscores around it included; `mayHoldAccents` false
  // where the caller knows it is all ASCII, which spares the look.
  SpellingReadings read(std::string_view spelling, bool mayHoldAccents = true) const;

  // The readings where the sentence tells no more: a lower-case token's inside a sentence.
  Readings readLowerCase(std::string_view lower) const;

 private:
  // The same, and `found` set to what the index holds of `lower` itself.
  Readings readLowerCase(std::string_view lower, HeadwordIndex::Found& found) const;
  // A headword that is also recorded as a form of `form.base`: itself, its base or both.
  Readings ownOrBase(uint32_t own, FormRecord::Form form, std::string_view lower) const;
  // A spelling that is one word's plural and another's third person ("leaves", "lives"), or
  // two words' plural ("axes", "bases").
  Readings nounOrVerb(FormRecord::Form form, std::string_view lower) const;
  // The adjective of an adverb in "-ly" that is no headword, or kAbsent.
  uint32_t adjectiveOfAdverb(std::string_view lower) const;
  // A word with accents that English does not borrow ("André", "rosé"), `plain` without them:
  // no reading of its own.
  SpellingReadings readAsForeign(std::string_view plain) const;
  Lead leadOf(std::string_view lower, ClosedLists::Marks lists, const Readings& readings) const;
  bool mayBeAnUnrecordedForm(uint32_t own, std::string_view lower) const;
  // The capitalised headword that `word` (first letter upper-case) is, by itself or its plural.
  uint32_t readCapitalised(std::string_view word) const;

  const HeadwordIndex& index_;
};
