#include "extract/TokenContext.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "extract/InflectionRules.h"

namespace {

using Kind = Readings::Kind;

class Sentence {
 public:
  Sentence(const TextTokens& text, const std::vector<SpellingReadings>& readings)
      : tokens_(text.tokens()), text_(text), readings_(readings) {}

  const SpellingReadings& at(size_t i) const { return readings_[tokens_[i].distinct]; }
  const TextToken& token(size_t i) const { return tokens_[i]; }
  // Whether token i + 1 follows token i with only spaces between.
  bool joined(size_t i) const { return i + 1 < tokens_.size() && tokens_[i + 1].followsWord; }

  // A capitalised word that is surely a name: no headword answers to its capital, and no book
  // teaches what its letters mean in lower case ("Lucy", "Tom").
  bool isNameLike(size_t i) const { return at(i).capitalNoWord && at(i).rareInLowerCase; }

  // Whether token i stands right before a name as its title ("Aunt Rose").
  bool isTitle(size_t i) const { return joined(i) && tokens_[i + 1].followsTitle; }

  // Whether the run of capitals around token i, a name no book teaches among them, may name a
  // person: not after a determiner ("the Zantor License"), nor where it holds more than one word
  // that books teach ("Zantor Public License", "Wang Takes Gold") or a place's ("Tsinghua
  // University"). The run's first word when it starts a sentence ("Yesterday Lucy Brook") and
  // titles are no such word: any word could stand there. After a colon it is one where the run
  // is a title of its own, which no word in lower case goes on from ("included: Inferior But
  // Marketable;", "Amanda: Advanced Maryland Automatic", not "Note: Yesterday Lucy Brook came").
  // A run longer than a name names none.
  bool mayNameAPerson(size_t i) const {
    constexpr size_t kLongestName = 6;
    size_t first = i;
    while (first > 0 && tokens_[first].followsWord && at(first - 1).capitalNoWord)
      if (i - --first >= kLongestName) return false;
    const bool afterDeterminer =
        tokens_[first].startsSentence
            ? at(first).lead == Lead::kNoun
            : tokens_[first].followsWord && at(first - 1).lead == Lead::kNoun;
    if (afterDeterminer) return false;
    size_t words = 0;
    size_t k = first;
    for (; k < tokens_.size(); ++k) {
      if (k > first && !(tokens_[k].followsWord && at(k).capitalNoWord)) break;
      if (k - first >= kLongestName || at(k).endsAPlacesName()) return false;
      if (!at(k).rareInLowerCase && !tokens_[k].startsSentence && !isTitle(k) && ++words > 1)
        return false;
    }
    const bool lowerCaseGoesOn =
        k < tokens_.size() && tokens_[k].followsWord && !at(k).startsWithCapital;
    if (words > 0 && !lowerCaseGoesOn && startsTitleAfterColon(first)) return false;
    // A headline goes on past a determiner in lower case ("Han Ming Takes the Lead").
    const bool headlineGoesOn = words > 0 && k < tokens_.size() && tokens_[k].followsWord &&
                                at(k).lead == Lead::kNoun && !at(k).startsWithCapital &&
                                joined(k) && at(k + 1).capitalNoWord && !at(k + 1).rareInLowerCase;
    return !headlineGoesOn;
  }

  // Whether token i, a capitalised word in -ing spelled in Chinese syllables that the text never
  // writes in lower case, is a given name ("Liming", "Ping") rather than a verb's form: inside a
  // sentence of ordinary case, unless a determiner leads it ("the Running of the Bulls") or it
  // stands in a headline, where only a surname before it tells ("Wang Ping Opens a Shop", but
  // "Prices Keep Running"); after a greeting ("Dear Liming,"); called by name after a comma at
  // its sentence's end ("Come in, Liming."). Where its capital is one of form (a sentence's
  // start, a title-case line, the line under one), only where no reading of it is a verb
  // ("Daming", but "Running is fun", "Notes on Renting a Car"), a surname stands before it, or
  // the text names it so in a sentence (markNamesInIngAtStart).
  bool isNameInIng(size_t i) const {
    const TextToken& token = tokens_[i];
    if (token.startsSentence) return at(i).mayBeANameAtStart;
    if (token.followsWord && at(i - 1).lead == Lead::kNoun) return false;
    if (token.followsWord && at(i - 1).isGreeting()) return true;
    if (isCalledAtTheEnd(i)) return true;
    const bool capitalBefore = token.followsWord && at(i - 1).startsWithCapital;
    const bool capitalAfter = joined(i) && at(i + 1).startsWithCapital;
    const bool lowerCaseAfter = joined(i) && !at(i + 1).startsWithCapital;
    const bool inHeadline = capitalAfter || (capitalBefore && !lowerCaseAfter);
    const bool surnameBefore = token.followsWord && isNameLike(i - 1);
    if (inHeadline && !surnameBefore) return false;
    return surnameBefore || at(i).mayBeANameAtStart || !isCapitalisedByForm(i);
  }

  // Whether token i, not at a sentence's start, is capitalised by the form of its line rather
  // than as a name: it stands in a title-case line that starts a sentence ("Notes on Renting a
  // Car in Spain", "The Joy of Riding") or first in the line under a heading ("Travel
  // Notes\nRiding a bike ..."). Asked of few tokens: it walks the lines.
  [[gnu::noinline]] bool isCapitalisedByForm(size_t i) const {
    const size_t start = lineStartOf(i);
    if (!startsByForm(start, kHeadingsAbove)) return false;
    return i == start || isTitleCase(start, 2);
  }

  // Most tokens are no capital without a word of their own: they are told apart here, without
  // the frame of the whole check, which isName's callers ask for nearly every token.
  bool isName(size_t i) const { return at(i).capitalNoWord && isNameOfACapital(i); }

  bool isNameOfACapital(size_t i) const {
    const SpellingReadings& spelling = at(i);
    if (isTitle(i)) return false;
    if (spelling.mayBeANameInIng && isNameInIng(i)) return true;
    const TextToken& token = tokens_[i];
    // At a sentence's start any word is capitalised: only a rare one that a capital follows, one
    // that a surname follows alone, or a modal's spelling before a third person.
    if (token.startsSentence) {
      if (!joined(i)) return false;
      if (at(i + 1).capitalNoWord) return spelling.rareInLowerCase || standsBeforeASurnameAlone(i);
      return spelling.isModal && thirdPersonFollows(i);
    }
    if (token.followsTitle) return true;
    const bool afterCapital = token.followsWord && at(i - 1).capitalNoWord;
    const bool beforeCapital = joined(i) && at(i + 1).capitalNoWord;
    // A name after a title may have two words ("Mrs Grace Hill"): a noun that ends the run of
    // capitals there is the second, not a headline's verb ("Mrs Young Resigns").
    if (afterCapital && tokens_[i - 1].followsTitle && spelling.lead == Lead::kNounFirst &&
        !spelling.endsAPlacesName() && !(joined(i) && at(i + 1).startsWithCapital))
      return true;
    // A modal is never written with a capital inside a sentence: alone there it is a name ("her
    // son Will had come").
    const bool afterName = afterCapital && !tokens_[i - 1].startsSentence;
    if (spelling.isModal && !afterName && !beforeCapital && !(joined(i) && isSubjectPronoun(i + 1)))
      return true;
    if (spelling.rareInLowerCase) return afterCapital || beforeCapital;
    // A word beside a name is a name itself where the two name one person ("Lucy Brook", "Rose
    // Wang"), not a thing or a headline.
    const bool besideName =
        (afterCapital && isNameLike(i - 1)) || (beforeCapital && isNameLike(i + 1));
    return besideName && mayNameAPerson(i);
  }

  // Whether token i, a capital after a colon that no adjective, greeting or function word is,
  // stands before a surname that no word of the library spells, the two alone in their line's
  // part: a label's value ("Captain: Rose Chen", "Champion: Mark Evans"; not "Note: Yesterday
  // Chen came", nor "Middle Gaelic" where no label stands, nor a label itself, "Scene II: King
  // Edward:").
  bool standsBeforeASurnameAlone(size_t i) const {
    const SpellingReadings& word = at(i);
    if (!joined(i) || joined(i + 1) || word.isPlainAdjective || word.isGreeting() ||
        word.lead == Lead::kNoun || (word.lists & ClosedLists::kNoName) || !followsColon(i) ||
        precedesColon(i + 1))
      return false;
    const SpellingReadings& next = at(i + 1);
    return next.capitalNoWord && next.inSentence.empty() && !next.mayEndAPlacesName();
  }

  // Whether a verb in its third person follows token i, in lower case: no modal's verb ("Will
  // says hello", "Will leaves at six").
  bool thirdPersonFollows(size_t i) const {
    return joined(i) && at(i + 1).mayBeAThirdPerson() && !at(i + 1).startsWithCapital;
  }

  // Whether a number follows token i, spaces between ("May 3").
  bool numberFollows(size_t i) const {
    const std::vector<uint32_t>& before = text_.beforeNumbers();
    return std::binary_search(before.begin(), before.end(), i);
  }

  // Whether a distance or a time follows token i, which is then no object: "lay an inch thick",
  // "lay a whole day in bed", "lay a short way off", not "lay a mile of cable".
  bool measureFollows(size_t i) const {
    constexpr size_t kWordsBefore = 3;  // "a short", "a whole", "two long"
    for (size_t k = i + 1; k - 1 == i || (joined(k - 1) && k - i <= kWordsBefore + 1); ++k) {
      if (!joined(k - 1)) return false;
      const SpellingReadings& word = at(k);
      if (word.isMeasure())
        return !(joined(k) && text_.distinct()[tokens_[k + 1].distinct] == "of");
      if (word.lead != Lead::kNoun && !word.isNumber() && !word.isAdjective) return false;
    }
    return false;
  }

  // Whether token i, a subject, may take a plural verb: a plural by the record ("children") or by
  // its ending, a word that may be one ("bus"), "the" and an adjective for people ("the wise").
  bool mayBePlural(size_t i) const {
    if (at(i).formMarker == '#' || namesPeople(i)) return true;
    const std::string_view word = inflection::trimmed(text_.distinct()[tokens_[i].distinct]);
    const auto ends = [&](size_t k, char c) {
      return word.size() >= k && (word[word.size() - k] | 0x20) == c;
    };
    return ends(1, 's') && !ends(2, 's');
  }

  // Whether token i, written with a capital, is part of the name of a place, a body or a street
  // that a word of such names ends ("Rose Avenue", "Saw Mill Park", "Rose Way"). A word that
  // ends a street's name is another word after a headline's past ("Shares Rose Way Too Fast").
  bool isInAPlacesName(size_t i) const {
    constexpr size_t kLongestPlacesName = 4;
    if (!at(i).startsWithCapital) return false;
    for (size_t k = i + 1; k < tokens_.size() && k - i < kLongestPlacesName; ++k) {
      if (!tokens_[k].followsWord || !at(k).capitalNoWord) return false;
      if (at(k).mayEndAPlacesName()) return at(k).endsAPlacesName() || !holdsHeadlinesPast(i, k);
    }
    return false;
  }

  // Whether tokens i to k - 1, before a word that ends a street's name, hold a headline's past
  // after its subject, a capitalised noun, where words go on after token k ("Shares Rose Way Too
  // Fast", "Lost Wallet Found Close to Station"): a street's name takes a name before its word
  // ("Red Rose Lane", "Lucy Rose Way"), and ends a headline or stands in a sentence ("She lives
  // on Rose Way.").
  bool holdsHeadlinesPast(size_t i, size_t k) const {
    if (!joined(k)) return false;
    for (size_t j = i; j < k; ++j) {
      if (at(j).inSentence.kind != Kind::kOwnOrPast || !tokens_[j].followsWord) continue;
      const SpellingReadings& subject = at(j - 1);
      if (subject.startsWithCapital && subject.isNoun && !subject.isPlainAdjective &&
          !isNameLike(j - 1) && !tokens_[j].followsTitle)
        return true;
    }
    return false;
  }

  // What token i says of the one after it. A name is someone, who does what follows, and so
  // are "the rich".
  Lead leadOf(size_t i) const {
    const SpellingReadings& spelling = at(i);
    if (spelling.capitalNoWord && (spelling.inSentence.empty() || isName(i)))
      return Lead::kThirdPerson;
    if (spelling.isModal) return leadOfModal(i);
    if (namesPeople(i)) return Lead::kNounFirst;
    return spelling.lead;
  }

  // What the words before token i say of it: the word right before, or the word whose lead
  // reaches it past an adverb or a verb before "and" (subjectBefore).
  Lead leadBefore(size_t i) const { return leadOf(subjectBefore(i)); }

  // The token whose lead tells of token i: the one right before; the subject before an adverb
  // that stands between it and its verb ("he never saw", "they have always found", "the workers
  // quickly loaded"); the subject of the past that "and" joins token i to ("He cooked and dried
  // the rice").
  size_t subjectBefore(size_t i) const {
    if (i < 2 || !tokens_[i - 1].followsWord) return i - 1;
    const SpellingReadings& before = at(i - 1);
    size_t subject = i - 1;
    if (before.standsBetweenSubjectAndVerb)
      subject = i - 2;
    else if (before.joinsVerbs() && tokens_[i].followsWord && tokens_[i - 2].followsWord &&
             at(i - 2).mayBeAPast)
      subject = subjectBefore(i - 2);
    else
      return i - 1;
    const Lead lead = leadOf(subject);
    const bool passes = lead == Lead::kSubject || lead == Lead::kThirdPerson ||
                        lead == Lead::kPerfect || lead == Lead::kNounFirst;
    return passes ? subject : i - 1;
  }

  // Whether a modal or do and its subject stand right before token i, which is then a base
  // form ("Could you saw this board?", "will they found a school", "does she lay eggs").
  bool followsModalAndSubject(size_t i) const {
    if (i < 2 || !tokens_[i].followsWord || !tokens_[i - 1].followsWord || !isSubjectPronoun(i - 1))
      return false;
    return at(i - 2).isDoAuxiliary() || (at(i - 2).isModal && leadOf(i - 2) == Lead::kBaseForm);
  }

  // Whether token i can only be a noun: a determiner or possessive stands right before it ("the
  // wound", "a bit"), or a word that is first an adjective and never an adverb ("red rose";
  // "still", "only" and "all" stand before verbs), or any adjective after a determiner ("a
  // little bit"). A name is no adjective ("Mr Young lives"), nor is a capital inside a
  // sentence that no headword stored with capitals answers to, before a word in lower case
  // ("Neil Young lives"); before another capital it may be a title's ("Red Rose Lane").
  bool standsAsNoun(size_t i) const {
    const SpellingReadings& before = at(i - 1);
    if (before.lead == Lead::kNoun) return true;
    if (before.capitalNoWord) {
      const bool nameBeforeItsVerb = !tokens_[i - 1].startsSentence && !at(i).startsWithCapital;
      if (nameBeforeItsVerb || isName(i - 1)) return false;
    }
    if (before.isPlainAdjective) return true;
    return before.isAdjective && i >= 2 && tokens_[i - 1].followsWord &&
           at(i - 2).lead == Lead::kNoun;
  }

  // Whether token i - 1, which makes token i a noun where it stands as an adjective after a
  // determiner, is rather the subject of the verb that token i may be: a word that its card opens
  // as a noun ("the patient felt better"), or a noun one can count before the verb's object
  // ("the chief left the room", "the chief axes the old plan"; not "the red rose in the vase").
  bool adjectiveIsTheSubject(size_t i) const {
    const SpellingReadings& before = at(i - 1);
    if (before.lead == Lead::kNoun || !before.isAdjective || namesPeople(i - 1)) return false;
    return before.lead == Lead::kNounFirst ||
           (before.isCountableNoun && joined(i) && at(i + 1).lead == Lead::kNoun);
  }

  // Whether token i is an adjective that "the" right before it makes a noun for people ("the
  // rich"), the subject of a verb after it; one with a capital is a title's ("the Old Saw Mill").
  bool namesPeople(size_t i) const {
    const SpellingReadings& spelling = at(i);
    return spelling.namesPeopleAfterThe && !spelling.startsWithCapital && tokens_[i].followsWord &&
           at(i - 1).isThe;
  }

  // Whether a noun, its determiner or a number follows token i: the object of a verb.
  bool nounFollows(size_t i) const {
    if (!joined(i)) return false;
    const SpellingReadings& next = at(i + 1);
    return next.lead == Lead::kNoun || next.lead == Lead::kNounFirst || next.isNumber();
  }

  // Whether token i may follow a noun that is the subject of the verb token i may be, by what
  // comes after it: the verb's object, a preposition or adverb that a verb without one takes, or
  // a time's ("my friend lives in Beijing", "the bus leaves after lunch"; not "autumn leaves
  // fall" nor "the lives of"). A noun that may be a verb's form itself is none ("I saw leaves in
  // the garden").
  bool mayFollowSubjectNoun(size_t i) const {
    if (at(i - 1).mayBeTheVerb || !joined(i)) return false;
    const SpellingReadings& next = at(i + 1);
    return next.lead == Lead::kNoun || next.followsVerbWithoutObject() || next.mayStartAClause();
  }

  // Whether a form of "be" stands before the subject that leads token i, past an adverb: a
  // question or an inversion, after which a past is rather the adjective ("are you pleased?",
  // "was she puzzled", "much was Catherine then surprised").
  bool followsInvertedSubject(size_t i) const {
    size_t subject = i - 1;
    if (at(subject).standsBetweenSubjectAndVerb && subject >= 1 && tokens_[subject].followsWord)
      --subject;
    return subject >= 1 && tokens_[subject].followsWord && at(subject - 1).invertsWithSubject();
  }

  // Whether token i follows a pronoun that is rather the object of a verb right before it than
  // the subject of token i ("make you pleased", "found it crowded"); not of a word first a noun
  // ("the interest it excited").
  bool followsObjectOfAVerb(size_t i) const {
    if (i < 2 || !tokens_[i - 1].followsWord || !at(i - 1).isObjectPronoun()) return false;
    const SpellingReadings& verb = at(i - 2);
    return verb.mayBeAVerb && verb.lead == Lead::kNothing;
  }

  // Whether token i ends its clause after an adverb in "-ly" that stands between it and its
  // subject, where the adverb may rather tell how much of an adjective token i is ("Mr
  // Knightley particularly delighted.", not "she gradually learned to").
  bool endsAfterAdverbInLy(size_t i) const {
    const SpellingReadings& before = at(i - 1);
    return !joined(i) && before.standsBetweenSubjectAndVerb &&
           !(before.lists & ClosedLists::kBetweenSubjectAndVerb);
  }

  // Whether what follows token i is its object: a noun, its determiner, a number or a pronoun.
  bool objectFollows(size_t i) const {
    return nounFollows(i) || (joined(i) && at(i + 1).isObjectPronoun());
  }

  // Where the clause of token i ends, as a look for its verb ahead of it reads the words after
  // it: a mark or a stop, or a word that starts another clause ("that", "because", "when")
  // surely; "after", "before" and "once" maybe, since they may be prepositions or adverbs of
  // the clause itself ("after lunch is finished", but "interested in the club after school
  // should").
  enum class ClauseEnd : uint8_t { kGoesOn, kEnds, kMayEnd };
  ClauseEnd clauseEndAt(size_t k) const {
    if (!tokens_[k].followsWord || at(k).startsAClause()) return ClauseEnd::kEnds;
    return at(k).mayStartAClause() ? ClauseEnd::kMayEnd : ClauseEnd::kGoesOn;
  }

  // Whether what follows token i may be its object: a noun, its determiner, a number, a
  // pronoun, or a word with a noun's sense that is no preposition, adjective or past ("lay
  // waste"; not "lay in", "lay dormant", "lay coiled").
  bool mayBeItsObject(size_t i) const {
    if (objectFollows(i)) return true;
    if (!joined(i)) return false;
    const SpellingReadings& next = at(i + 1);
    return next.isNoun && !next.isPlainAdjective && !next.mayBeAPast &&
           !next.followsVerbWithoutObject() && !next.isParticle() &&
           !(next.lists & ClosedLists::kNoName);
  }

  // Whether the verb of token i's clause comes after the words that follow token i, before
  // the clause ends (clauseEndAt): a form of "be", "have" or "do", a modal, or a past after a
  // noun with no preposition after it ("The tea leaves in the cup were bitter", "Someone
  // interested in the club should email me", "Everyone pleased with the menu clapped.",
  // "Everyone pleased with the new bus timetable wrote to say so"; not "My aunt lives in a flat
  // that was cheap"). Found only past a word that may end the clause, it may be another
  // clause's ("Grandpa leaves for the park after lunch is finished"): kMaybe.
  enum class VerbAhead : uint8_t { kNone, kFollows, kMaybe };
  VerbAhead clausesVerbFollows(size_t i) const {
    constexpr size_t kLongestPhrase = 10;
    bool mayHaveEnded = false;
    for (size_t k = i + 1; k < tokens_.size() && k - i <= kLongestPhrase; ++k) {
      const ClauseEnd end = clauseEndAt(k);
      if (end == ClauseEnd::kEnds) break;
      if (end == ClauseEnd::kMayEnd) {
        mayHaveEnded = true;
        continue;
      }
      if (!isAClausesVerb(k)) continue;
      // A clause of time takes no "will", "should" or "must": such a modal is this clause's
      // ("Someone interested in the club after school should email me").
      const bool ownClauses = !mayHaveEnded || (at(k).lists & ClosedLists::kNoModalOfTime);
      return ownClauses ? VerbAhead::kFollows : VerbAhead::kMaybe;
    }
    return VerbAhead::kNone;
  }

  // Whether token k, inside the clause, is a clause's verb: a form of "be", "have" or "do", a
  // modal, or a past after a noun ("the menu clapped", "the timetable wrote to say", not "a flat
  // owned by her boss" nor "a gift sent to school").
  bool isAClausesVerb(size_t k) const {
    const SpellingReadings& word = at(k);
    if (word.invertsWithSubject() || word.isModal || word.lead == Lead::kPerfect ||
        word.isDoAuxiliary())
      return true;
    return word.mayBeAPast && at(k - 1).lead == Lead::kNounFirst &&
           !(joined(k) && (at(k + 1).lead == Lead::kNoun ||
                           (at(k + 1).followsVerbWithoutObject() && !infinitiveFollows(k))));
  }

  // Whether "to" and a verb's base form follow token i ("wrote to say"), not "to" and a noun.
  bool infinitiveFollows(size_t i) const {
    if (!joined(i) || at(i + 1).lead != Lead::kBaseForm || at(i + 1).isModal || !joined(i + 1))
      return false;
    const SpellingReadings& verb = at(i + 2);
    return verb.mayBeAVerb && !verb.startsWithCapital && verb.lead != Lead::kNoun &&
           verb.lead != Lead::kNounFirst;
  }

  // Whether token i, a past with no object, tells of an indefinite pronoun right before it as
  // the adjective of a clause without its verb, whose verb follows ("Someone interested in the
  // club should email me"; not "Someone opened the door"); kMaybe where that verb may be
  // another clause's ("Somebody worried after the call had ended").
  VerbAhead tellsOfAnIndefinitePronoun(size_t i) const {
    if (!tokens_[i].followsWord || !at(i - 1).isIndefinitePronoun() || objectFollows(i))
      return VerbAhead::kNone;
    return clausesVerbFollows(i);
  }

  // Whether a verb's particle follows token i ("dried up", "loaded up").
  bool particleFollows(size_t i) const { return joined(i) && at(i + 1).isParticle(); }

  // Whether token i is a pronoun written in capitals that stands for an abbreviation ("the US
  // sent help"), not one a headline or a shout writes so ("LET US GO").
  bool isAbbreviation(size_t i) const {
    if (!at(i).pronounInCapitals) return false;
    const bool capitalsBefore = tokens_[i].followsWord && at(i - 1).inCapitals;
    const bool capitalsAfter = joined(i) && at(i + 1).inCapitals;
    return !capitalsBefore && !capitalsAfter;
  }

 private:
  // A modal's spelling leads a base form only where it is the modal: written in lower case and
  // where no noun stands ("his will", "Grandpa's will", "a tin can", "free will" are nouns),
  // or written with a capital before its subject where a sentence or a quote starts ("May I
  // go?", not "May spoke first", "Will saw the bus" or "In May she left"). After a noun that a
  // determiner or adjective leads, "can" may be either ("the old man can lay bricks", "the old
  // tin can lay in the sink").
  Lead leadOfModal(size_t i) const {
    const SpellingReadings& spelling = at(i);
    const TextToken& token = tokens_[i];
    if (spelling.startsWithCapital) {
      if (token.startsSentence && joined(i) && isSubjectPronoun(i + 1)) return Lead::kBaseForm;
      if (spelling.capitalNoWord && isName(i)) return Lead::kThirdPerson;
      // No past follows a modal, so before one in lower case the spelling is a name or a month
      // ("Will saw the bus", "May spoke first"), the subject of that past.
      if (joined(i) && !at(i + 1).startsWithCapital &&
          at(i + 1).inSentence.kind == Kind::kOwnOrPast)
        return Lead::kThirdPerson;
      return spelling.leadAsAWord;
    }
    if (token.followsPossessive) return Lead::kNounFirst;
    if (!token.followsWord || namesPeople(i - 1)) return Lead::kBaseForm;  // "the rich can"
    if (standsAsNoun(i)) return Lead::kNounFirst;
    if (spelling.modalEndsCompounds && i >= 2 && tokens_[i - 1].followsWord && standsAsNoun(i - 1))
      return Lead::kModalOrNoun;
    return Lead::kBaseForm;
  }

  // Whether token i, inside its sentence after a comma or another mark, ends its sentence or
  // line after words in ordinary case: one called by name ("Come in, Liming.", "Thank you,
  // Liping!"), not a title's last word ("Step 4, Waiting", "Notes on Travel, Waiting"). Asked of
  // given names in -ing only.
  bool isCalledAtTheEnd(size_t i) const {
    if (tokens_[i].startsSentence || tokens_[i].followsWord) return false;
    const std::vector<uint32_t>& lineStarts = text_.lineStarts();
    const bool ends = i + 1 == tokens_.size() || tokens_[i + 1].startsSentence ||
                      std::binary_search(lineStarts.begin(), lineStarts.end(), i + 1);
    return ends && isInOrdinaryCase(lineStartOf(i), i);
  }

  // Whether tokens start to end - 1 are written as a sentence, not a title: a word in lower case
  // that a title capitalises stands there, or no capital past the first word where others follow
  // it ("Come in").
  bool isInOrdinaryCase(size_t start, size_t end) const {
    bool capitalInside = false;
    for (size_t k = start; k < end; ++k) {
      if (!at(k).startsWithCapital && !at(k).staysLowInTitles()) return true;
      if (k > start && at(k).startsWithCapital) capitalInside = true;
    }
    return end - start > 1 && !capitalInside;
  }

  // Whether token i, a word that books teach, starts its sentence as a capital right after a
  // colon.
  bool startsTitleAfterColon(size_t i) const {
    return !at(i).rareInLowerCase && !isTitle(i) && followsColon(i);
  }

  // Whether a colon follows token i.
  bool precedesColon(size_t i) const {
    const std::vector<uint32_t>& before = text_.beforeColons();
    return std::binary_search(before.begin(), before.end(), i);
  }

  // Whether token i starts its sentence as a capital right after a colon.
  bool followsColon(size_t i) const {
    const std::vector<uint32_t>& colonStarts = text_.colonStarts();
    return std::binary_search(colonStarts.begin(), colonStarts.end(), i);
  }

  bool isSubjectPronoun(size_t i) const {
    return at(i).lead == Lead::kSubject || at(i).lead == Lead::kThirdPerson;
  }

  // How many headings above one another a line may stand under ("Chapter 1\nThe Joy of
  // Riding\nRiding ...").
  static constexpr int kHeadingsAbove = 3;

  // The first token of the line token i stands in, or of its sentence where that starts later.
  size_t lineStartOf(size_t i) const {
    const std::vector<uint32_t>& lineStarts = text_.lineStarts();
    const auto after = std::upper_bound(lineStarts.begin(), lineStarts.end(), i);
    const size_t line = after == lineStarts.begin() ? 0 : *(after - 1);
    while (i > line && !tokens_[i].startsSentence) --i;
    return i;
  }

  // The first token after the line part that token `start` begins: of the next line, or of the
  // next sentence.
  size_t lineEndOf(size_t start) const {
    const std::vector<uint32_t>& lineStarts = text_.lineStarts();
    const auto next = std::upper_bound(lineStarts.begin(), lineStarts.end(), start);
    const size_t end = next == lineStarts.end() ? tokens_.size() : *next;
    size_t k = start + 1;
    while (k < end && !tokens_[k].startsSentence) ++k;
    return k;
  }

  // Whether the line part that token `start` begins (lineStartOf) takes capitals by its form: it
  // starts a sentence, or lies right under a heading, a line of title case that does.
  bool startsByForm(size_t start, int headingsAbove) const {
    if (tokens_[start].startsSentence) return true;
    if (start == 0 || headingsAbove == 0) return false;
    const size_t above = lineStartOf(start - 1);
    return startsByForm(above, headingsAbove - 1) && isTitleCase(above, 1);
  }

  // Whether the line part that token `start` begins is written in title case: every word
  // capitalised but those a title leaves in lower case ("The Joy of Riding"), with `capitals`
  // capitalised words at least.
  bool isTitleCase(size_t start, size_t capitals) const {
    size_t found = 0;
    const size_t end = lineEndOf(start);
    for (size_t k = start; k < end; ++k) {
      if (at(k).startsWithCapital)
        ++found;
      else if (!at(k).staysLowInTitles())
        return false;
    }
    return found >= capitals;
  }

  const std::vector<TextToken>& tokens_;
  // The lines and colons of the text, which few rules ask of.
  const TextTokens& text_;
  const std::vector<SpellingReadings>& readings_;
};

using VerbAhead = Sentence::VerbAhead;

Readings only(const Readings& readings, size_t k) {
  Readings out;
  out.add(readings.words[k]);
  return out;
}

// A past form after a subject: the verb's, and the word itself too where it is a verb whose
// present the subject may take ("we found a school", "they rent a flat"); that word alone where
// the past's verb takes no object and an object follows ("The wise lay their plans": lay, no
// lie).
Readings pastAfterSubject(const Sentence& sentence, const Readings& readings, size_t i) {
  if (!readings.ownMayBePresent) return only(readings, 1);
  if (!readings.pastTakesNoObject) return readings;
  const bool objectFollows = sentence.joined(i) && (sentence.at(i + 1).lead == Lead::kNoun ||
                                                    sentence.at(i + 1).isObjectPronoun());
  return objectFollows && !sentence.measureFollows(i) ? only(readings, 0) : readings;
}

// Whether token i, a past that is a word of its own with no object after it, may be the
// adjective that tells of an object before it rather than the verb of a subject: after a
// pronoun that a verb's form has as its object ("make you pleased to hear"), or at a clause's
// end after a subject and an adverb in "-ly" ("thought Mr Knightley particularly delighted").
// Both readings stay.
bool mayBeAnObjectsComplement(const Sentence& sentence, const Readings& all, size_t i) {
  if (!all.pastIsAWordOfItsOwn || sentence.objectFollows(i)) return false;
  return sentence.followsObjectOfAVerb(i) || sentence.endsAfterAdverbInLy(i);
}

// Which of the readings `all` of token i, more than one word, the words around it leave. Most
// tokens have one reading: this stays out of line, so that theirs is a short call.
[[gnu::noinline]] Readings readingsOfAForm(const Sentence& sentence, const Readings& all,
                                           size_t i) {
  const TextToken& token = sentence.token(i);
  // A word of a place's name is a noun or an adjective, never a verb: "Rose Avenue" is no rise.
  if (sentence.isInAPlacesName(i)) return all.kind == Kind::kNounsOrVerb ? all : only(all, 0);
  const bool ownWhereUndecided = all.kind == Kind::kOwnOrThirdPerson || all.verbOnlyWhereDecided;
  if (!token.followsWord) return ownWhereUndecided ? only(all, 0) : all;
  bool standsAsNoun = sentence.standsAsNoun(i);
  // A past's or a third person's subject that may be an adjective ("the chief left the room").
  const bool afterSubjectNoun = standsAsNoun &&
                                (all.kind == Kind::kOwnOrPast || all.kind == Kind::kNounsOrVerb) &&
                                sentence.adjectiveIsTheSubject(i);
  if (afterSubjectNoun) standsAsNoun = false;
  const Lead before = sentence.followsModalAndSubject(i) ? Lead::kBaseForm
                      : afterSubjectNoun                 ? Lead::kNounFirst
                                                         : sentence.leadBefore(i);
  if (standsAsNoun) {
    if (all.kind == Kind::kNounsOrVerb) return all;
    // A noun one can count that may be an adjective, then a time's clause or adverb: its verb
    // or its plural noun ("The plane leaves before the weather turns bad").
    if (all.kind == Kind::kNounOrVerb && sentence.at(i - 1).isCountableNoun && sentence.joined(i) &&
        sentence.at(i + 1).mayStartAClause())
      return all;
    // "The rich left the city", "the brave spoke first", but "the old wound healed": a past
    // after "the rich" is their verb, unless the sentence's verb follows it. Before a noun
    // without its determiner it may be either ("the young rose bush grew").
    const bool pastOfPeople = all.kind == Kind::kOwnOrPast && sentence.namesPeople(i - 1) &&
                              !(sentence.joined(i) && sentence.at(i + 1).mayBeTheVerb);
    if (!pastOfPeople) return only(all, 0);
    const bool bareNounFollows = sentence.joined(i) && sentence.at(i + 1).lead == Lead::kNounFirst;
    return bareNounFollows ? all : pastAfterSubject(sentence, all, i);
  }

  const bool objectFollows = sentence.joined(i) && sentence.at(i + 1).lead == Lead::kNoun;
  if (all.kind == Kind::kNounOrVerb) {
    if (before == Lead::kThirdPerson) return only(all, 1);
    if (before != Lead::kNounFirst) return all;
    // After a noun, the verb where its object or a preposition follows and the clause's verb
    // does not; the subject's plural noun where that verb comes after it ("The tea leaves in
    // the cup were bitter"); both where it may be another clause's.
    switch (sentence.clausesVerbFollows(i)) {
      case VerbAhead::kFollows:
        return only(all, 0);
      case VerbAhead::kNone:
        return sentence.mayFollowSubjectNoun(i) ? only(all, 1) : all;
      case VerbAhead::kMaybe:
        break;
    }
    return all;
  }
  // "It means", "the problem remains a secret"; "by means of", "second-hand clothes".
  const bool afterSubject =
      before == Lead::kThirdPerson || (before == Lead::kNounFirst && sentence.nounFollows(i));
  if (all.kind == Kind::kOwnOrThirdPerson) return only(all, afterSubject ? 1 : 0);
  if (all.kind == Kind::kNounsOrVerb) {
    // "She bases her view", "the team bases its plans": the verb's.
    return afterSubject ? only(all, 0) : all;
  }
  if (all.kind != Kind::kOwnOrPast) return all;
  switch (before) {
    case Lead::kThirdPerson:
      if (all.pastIsAWordOfItsOwn && sentence.followsInvertedSubject(i)) return only(all, 0);
      if (mayBeAnObjectsComplement(sentence, all, i)) return all;
      if (all.pastIsAWordOfItsOwn) {
        const VerbAhead verb = sentence.tellsOfAnIndefinitePronoun(i);
        if (verb == VerbAhead::kFollows) return only(all, 0);
        if (verb == VerbAhead::kMaybe) return all;
      }
      return only(all, 1);
    case Lead::kPerfect:
      return only(all, 1);
    case Lead::kSubject:
      if (all.pastIsAWordOfItsOwn && sentence.followsInvertedSubject(i)) return only(all, 0);
      if (mayBeAnObjectsComplement(sentence, all, i)) return all;
      return pastAfterSubject(sentence, all, i);
    case Lead::kNounFirst: {
      // "The dog bit the postman", but "a head wound healed": a noun is the subject where
      // the form has an object or a particle ("The pond dried up"). Before a pronoun too,
      // where the form is a past that is a word of its own and the noun is no verb's form
      // itself ("the soldiers armed themselves", not "he felt astonished himself").
      const bool noun = afterSubjectNoun || !sentence.at(sentence.subjectBefore(i)).mayBeTheVerb;
      const bool object = objectFollows || sentence.particleFollows(i) ||
                          (all.pastIsAWordOfItsOwn && noun && sentence.joined(i) &&
                           sentence.at(i + 1).isObjectPronoun());
      // After a noun that is no plural, "lay" without its object (a noun, a pronoun) is lie's
      // past: lay's present would be "lays" ("Dust lay an inch thick", "The boy lay a whole day
      // in bed"; "The enemy lay waste" stays).
      if (all.pastTakesNoObject && noun && !sentence.mayBePlural(sentence.subjectBefore(i)) &&
          !(sentence.mayBeItsObject(i) && !sentence.measureFollows(i)))
        return only(all, 1);
      // Else such a past is the word itself where its verb opens no card: "the room crowded",
      // "I felt tired".
      if (all.verbOnlyWhereDecided)
        return object && noun ? pastAfterSubject(sentence, all, i) : only(all, 0);
      return object ? pastAfterSubject(sentence, all, i) : all;
    }
    case Lead::kBaseForm:
      // After a modal, a form that is no verb of its own is the verb's too: the modal may be
      // some other word ("you may spoke" is none).
      return sentence.at(i - 1).isModal && !all.ownIsAVerb ? all : only(all, 0);
    case Lead::kModalOrNoun:
      // The modal's verb has its object ("the old man can lay bricks"); else the noun's verb
      // may be the past ("the old tin can lay in the sink").
      return sentence.nounFollows(i) ? only(all, 0) : all;
    case Lead::kNoun:
    case Lead::kNothing:
      break;
  }
  return ownWhereUndecided ? only(all, 0) : all;
}

// The tokens of the spellings that may be given names in -ing and are not marked as ones yet, in
// one pass over the text; few texts have any.
std::vector<size_t> placesOfUnmarkedNamesInIng(const std::vector<TextToken>& tokens,
                                               const std::vector<SpellingReadings>& readings) {
  // A byte a spelling: the pass over every token reads it from the cache.
  std::vector<uint8_t> unmarked(readings.size());
  for (size_t j = 0; j < readings.size(); ++j)
    unmarked[j] = readings[j].mayBeANameInIng && !readings[j].mayBeANameAtStart;
  std::vector<size_t> places;
  for (size_t i = 0; i < tokens.size(); ++i)
    if (unmarked[tokens[i].distinct]) places.push_back(i);
  return places;
}

}  // namespace

Readings readingsDecidedInContext(const TextTokens& text,
                                  const std::vector<SpellingReadings>& readings, size_t i) {
  const Sentence sentence(text, readings);
  if (sentence.isName(i) || sentence.isAbbreviation(i)) return {};
  const Readings& all = sentence.token(i).startsSentence ? sentence.at(i).atStart
                                                         : sentence.at(i).inSentence;
  if (all.kind == Kind::kPlain) return all;
  // A month before a day or a year ("Opening day: May 3").
  if (all.kind == Kind::kWordOrMonth)
    return sentence.numberFollows(i) ? only(all, all.count - 1) : all;
  return readingsOfAForm(sentence, all, i);
}

void markNamesInIngAtStart(const TextTokens& text, std::vector<SpellingReadings>& readings) {
  const std::vector<TextToken>& tokens = text.tokens();
  const Sentence sentence(text, readings);
  const std::vector<size_t> places = placesOfUnmarkedNamesInIng(tokens, readings);
  // The mark is read only at a sentence's start or where the capital may be one of form: a text
  // where no such spelling stands there needs none.
  const bool marksRead = std::any_of(places.begin(), places.end(), [&](size_t i) {
    return tokens[i].startsSentence || sentence.isCapitalisedByForm(i);
  });
  if (!marksRead) return;
  // A name is its word without the full stop that ends a sentence with it ("We waited for
  // Liming. Liming came."): the spellings are told apart, the name is not.
  const auto wordOf = [&](size_t i) {
    return inflection::trimmed(text.distinct()[tokens[i].distinct]);
  };
  std::vector<std::string_view> named;  // a few names, each once
  const auto isNamed = [&](std::string_view word) {
    return std::find(named.begin(), named.end(), word) != named.end();
  };
  for (size_t i : places)
    if (!tokens[i].startsSentence && !isNamed(wordOf(i)) && sentence.isNameInIng(i))
      named.push_back(wordOf(i));
  // Marked after the walk: the sentence reads the readings as they were.
  for (size_t i : places)
    if (isNamed(wordOf(i))) readings[tokens[i].distinct].mayBeANameAtStart = true;
}
