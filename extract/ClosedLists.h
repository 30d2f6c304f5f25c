// The closed lists of words that extraction reads a sentence by: function words, modals, titles,
// the adverbs that stand between a subject and its verb, the nouns that end a place's name. Each
// list is one bit; every spelling of every list goes once into one word table with the bits of
// the lists it stands in, so that a spelling is tested with one lookup however many lists there
// are, instead of being compared with each word of each list. Callers look a spelling up once
// (per distinct spelling of a text, not per token) and keep its marks.
//
// A new list: a bit in `List`, its words in ClosedLists.cpp. Lists hold lower-case words,
// but for the titles, which are written with their capital ("Mr", not "mr").
#pragma once

#include <cstdint>
#include <string_view>

class ClosedLists {
 public:
  enum List : uint32_t {
    kModal = 1u << 0,             // will, can, may ...
    kDeterminer = 1u << 1,        // a, the, my ...: a noun or its adjective follows
    kSubjectPronoun = 1u << 2,    // I, you, we, they: a verb follows
    kThirdPerson = 1u << 3,       // he, she, who, someone, nothing ...: a verb's third person
    kPerfectAuxiliary = 1u << 4,  // have, has, had, having: a past participle follows
    // Adverbs that stand between a subject and its verb and say nothing of the verb's form.
    kBetweenSubjectAndVerb = 1u << 5,
    kAdjectiveForPeople = 1u << 6,       // "the rich", "the elderly"
    kPronounOfAnAbbreviation = 1u << 7,  // "US", "IT", "WHO", "ME"
    kEndsAPlacesName = 1u << 8,          // street, university, company ...
    kNoName = 1u << 9,                   // starts sentences and names no one: the, every, when ...
    kTitle = 1u << 10,                   // Mr, Mrs, Miss, Aunt, Captain ... (with the capital)
    kAbbreviatedTitle = 1u << 11,        // Mr, Mrs, Dr, St ...: a title whose dot is no full stop
    kDoAuxiliary = 1u << 12,             // do, does, did: a base form follows their subject
    kNumber = 1u << 13,                  // three, twenty, hundreds: a count that starts a noun
    // Prepositions and adverbs of place that follow a verb without its object ("lives in
    // Beijing", "leaves at noon"), never the noun of a compound; not "of" ("the lives of").
    kAfterVerbWithoutObject = 1u << 14,
    kInvertsWithSubject = 1u << 15,  // am, is, are, was, were: "are you pleased?"
    kObjectPronoun = 1u << 16,       // him, them, themselves ...: a verb's object
    kEndsAStreetsName = 1u << 17,    // lane, way, hill ...: a street's, or a surname
    // Dear, Hi, Hello ...: a greeting that starts a letter's line ("Dear Tom,"), found as
    // written with its capital and in lower case.
    kGreeting = 1u << 18,
    kLowerCaseInTitles = 1u << 19,  // of, and, the ...: what a title-case line leaves in lower case
    // that, which, and, because ...: a word that starts another clause, or joins one.
    kStartsAClause = 1u << 20,
    // someone, everybody, nothing ...: a pronoun that a clause without its verb may tell more of
    // ("Someone interested in the club should email me").
    kIndefinitePronoun = 1u << 21,
    kJoinsVerbs = 1u << 22,  // and, or: "He cooked and dried the rice"
    // up, out, off, down, away: a verb's particle, which an adjective takes none of ("The pond
    // dried up").
    kParticle = 1u << 23,
    // lie: a verb that takes no object, whose past is another verb's present ("lay"): before
    // an object that past is the other's present ("The wise lay their plans").
    kTakesNoObject = 1u << 24,
    // cafe, naive, resume ...: words English borrows with their accents, which are the same word
    // without them ("café"); other words with accents are none of the library's ("rosé").
    kWrittenWithAccents = 1u << 25,
    // after, before, once: a word that starts another clause or is a preposition or an adverb
    // of the clause it stands in ("after lunch is finished", "after school should").
    kMayStartAClause = 1u << 26,
    // inch, mile, way, day, while ...: a distance or a time, which follows a verb as no object
    // does ("Dust lay an inch thick", "The boy lay a whole day in bed").
    kMeasure = 1u << 27,
    kMonth = 1u << 28,  // january ... december: "May 3" is the month
    // will, should, must ...: modals that a clause of time does not take ("after he will" is
    // none), unlike "can" and "could".
    kNoModalOfTime = 1u << 29,
    kThirdPersonAuxiliary = 1u << 30,  // is, has, does: a verb's third person, no modal's verb
  };
  using Marks = uint32_t;  // List bits

  // The lists that `spelling`, exactly as given, stands in; 0 for none. Safe on any thread.
  static Marks of(std::string_view spelling);
  // The same for `spelling` lower-cased ("The" is the determiner "the"). Titles are lower-cased
  // too, and so found only as written by of().
  static Marks ofIgnoringCase(std::string_view spelling);
};
