#include "extract/ClosedLists.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "extract/WordTable.h"

namespace {

class Table {
 public:
  Table() {
    add(ClosedLists::kModal,
        {"will", "would", "shall", "should", "can", "could", "may", "might", "must"});
    // Demonstratives and quantifiers ("that", "some") stand as pronouns before a verb too often
    // ("some left early") to be determiners or subjects here.
    add(ClosedLists::kDeterminer, {"a", "an", "the", "my", "your", "his", "her", "its", "our",
                                   "their", "every", "another", "whose"});
    add(ClosedLists::kSubjectPronoun, {"i", "you", "we", "they"});
    add(ClosedLists::kThirdPerson,
        {"he", "she", "it", "who", "someone", "anyone", "anybody", "nobody", "nothing", "everyone",
         "everybody", "everything", "somebody", "something", "anything"});
    add(ClosedLists::kPerfectAuxiliary, {"have", "has", "had", "having"});
    add(ClosedLists::kDoAuxiliary, {"do", "does", "did"});
    add(ClosedLists::kNumber,
        {"one",      "two",     "three", "four",    "five",     "six",       "seven",
         "eight",    "nine",    "ten",   "eleven",  "twelve",   "twenty",    "thirty",
         "forty",    "fifty",   "sixty", "seventy", "eighty",   "ninety",    "hundred",
         "thousand", "million", "dozen", "dozens",  "hundreds", "thousands", "millions"});
    add(ClosedLists::kAfterVerbWithoutObject,
        {"in",     "on",      "at",    "with",    "for",    "from",    "to",     "into",
         "near",   "by",      "under", "over",    "behind", "beside",  "across", "along",
         "around", "through", "among", "without", "within", "outside", "inside", "above",
         "below",  "beyond",  "here",  "there",   "nearby", "abroad",  "alone",  "together"});
    add(ClosedLists::kInvertsWithSubject, {"am", "is", "are", "was", "were"});
    // "her" is a determiner, and so an object's start already.
    add(ClosedLists::kObjectPronoun,
        {"me", "him", "us", "them", "it", "you", "myself", "yourself", "himself", "herself",
         "itself", "ourselves", "yourselves", "themselves"});
    // "still" and "only" are adjectives too ("still water").
    add(ClosedLists::kBetweenSubjectAndVerb,
        {"never", "always",  "often",    "hardly", "also",      "already", "ever",
         "just",  "usually", "rarely",   "seldom", "sometimes", "once",    "then",
         "soon",  "finally", "suddenly", "really", "nearly",    "almost"});
    // The list is closed, since after "the" most adjectives lead their noun ("the red rose",
    // "the grey felt").
    add(ClosedLists::kAdjectiveForPeople,
        {"rich",    "poor",    "old",      "young",      "elderly", "dead",   "living",   "sick",
         "injured", "wounded", "homeless", "unemployed", "blind",   "deaf",   "disabled", "wealthy",
         "weak",    "strong",  "brave",    "innocent",   "guilty",  "hungry", "needy"});
    // ... and the others that stand for people after "the" far oftener than before a thing's
    // name ("the lost", not "the beautiful", "the good" or "the great").
    add(ClosedLists::kAdjectiveForPeople,
        {"famous",        "talented",    "jobless",    "faithful",
         "lost",          "gifted",      "privileged", "underprivileged",
         "disadvantaged", "oppressed",   "powerful",   "powerless",
         "dying",         "deceased",    "accused",    "missing",
         "wise",          "foolish",     "righteous",  "wicked",
         "lonely",        "desperate",   "vulnerable", "affluent",
         "mighty",        "meek",        "humble",     "proud",
         "insane",        "bereaved",    "educated",   "uneducated",
         "illiterate",    "married",     "unmarried",  "starving",
         "persecuted",    "fallen",      "lucky",      "unlucky",
         "fortunate",     "unfortunate", "hopeless",   "helpless",
         "skilled",       "unskilled",   "retired",    "aged",
         "infirm",        "frail",       "destitute",  "ignorant",
         "handicapped"});
    add(ClosedLists::kPronounOfAnAbbreviation, {"us", "it", "who", "me"});
    // Nobody's surname: "Tsinghua University", "Zhongshan Park", "Lumon Industries", "Church St."
    add(ClosedLists::kEndsAPlacesName,
        {"street",      "st",         "road",     "rd",         "avenue",     "ave",
         "square",      "park",       "garden",   "gardens",    "station",    "airport",
         "zoo",         "stadium",    "river",    "lake",       "mountain",   "mountains",
         "island",      "bay",        "beach",    "university", "college",    "school",
         "academy",     "institute",  "hospital", "museum",     "library",    "hotel",
         "restaurant",  "temple",     "palace",   "theatre",    "theater",    "company",
         "corporation", "industries", "bank",     "group",      "foundation", "society",
         "association", "council",    "club",     "crescent"});
    // Words that end a street's name and a surname as often ("Rose Way", "Saw Hill", "Mrs Grace
    // Hill"): what stands before them in a run of capitals is no verb, but a person may bear them.
    add(ClosedLists::kEndsAStreetsName,
        {"lane", "way", "drive", "court", "close", "place", "hill", "walk"});
    // Function words, which no one is named; the modals are left out ("Dr. Will Brook").
    add(ClosedLists::kNoName,
        {"the",   "a",      "an",    "this",  "that", "these", "those", "there", "then", "i",
         "you",   "he",     "she",   "it",    "we",   "they",  "my",    "your",  "his",  "her",
         "its",   "our",    "their", "every", "each", "all",   "some",  "in",    "on",   "at",
         "after", "before", "when",  "while", "if",   "but",   "and",   "so",    "as",   "for",
         "from",  "with",   "what",  "why",   "how",  "where"});
    add(ClosedLists::kNoName,
        {"everyone", "everybody", "everything", "someone", "somebody", "something", "anyone",
         "anybody",  "anything",  "nobody",     "nothing", "none",     "no",        "not",
         "any",      "both",      "either",     "neither", "many",     "much",      "most",
         "few",      "several",   "another",    "such",    "me",       "us",        "him",
         "them",     "who",       "whom",       "whose",   "which",    "or",        "nor",
         "yet",      "although",  "though",     "because", "since",    "unless",    "until",
         "whether",  "to",        "of",         "by",      "about",    "during",    "without",
         "through",  "into",      "against",    "among",   "between",  "here",      "now",
         "yes",      "please",    "perhaps",    "is",      "are",      "was",       "were",
         "do",       "does",      "did",        "have",    "has",      "had"});
    add(ClosedLists::kGreeting,
        {"Dear", "Dearest", "Hi", "Hello", "Hey", "dear", "dearest", "hi", "hello", "hey"});
    add(ClosedLists::kLowerCaseInTitles,
        {"a",    "an",   "the",  "and",  "but",   "or",    "nor",  "for",   "so",      "yet",
         "as",   "at",   "by",   "in",   "of",    "off",   "on",   "per",   "to",      "up",
         "via",  "vs",   "with", "from", "into",  "onto",  "over", "than",  "out",     "upon",
         "down", "near", "past", "till", "about", "after", "like", "under", "without", "versus"});
    add(ClosedLists::kStartsAClause,
        {"that", "which",   "who",     "whom",   "whose",  "where",    "when",     "while",
         "if",   "whether", "because", "though", "unless", "and",      "but",      "or",
         "nor",  "so",      "than",    "what",   "how",    "why",      "although", "whereas",
         "as",   "since",   "until",   "till",   "then",   "whenever", "wherever", "lest"});
    add(ClosedLists::kMayStartAClause, {"after", "before", "once"});
    add(ClosedLists::kMeasure,
        {"inch",      "inches",     "foot",   "feet",     "yard",   "yards",     "mile",
         "miles",     "metre",      "metres", "meter",    "meters", "kilometre", "kilometres",
         "kilometer", "kilometers", "way",    "distance", "while",  "moment",    "minute",
         "minutes",   "hour",       "hours",  "day",      "days",   "night",     "nights",
         "week",      "weeks",      "month",  "months",   "year",   "years",     "morning",
         "afternoon", "evening"});
    add(ClosedLists::kNoModalOfTime, {"will", "would", "shall", "should", "may", "might", "must"});
    add(ClosedLists::kThirdPersonAuxiliary, {"is", "has", "does"});
    add(ClosedLists::kMonth, {"january", "february", "march", "april", "may", "june", "july",
                              "august", "september", "october", "november", "december"});
    add(ClosedLists::kIndefinitePronoun,
        {"someone", "anyone", "anybody", "nobody", "nothing", "everyone", "everybody", "everything",
         "somebody", "something", "anything"});
    add(ClosedLists::kJoinsVerbs, {"and", "or"});
    add(ClosedLists::kParticle, {"up", "out", "off", "down", "away"});
    // Not fall: "fell a long way", "fell ten percent" are fall's.
    add(ClosedLists::kTakesNoObject, {"lie"});
    // Only those the library holds, the same word there: "expose" is not "exposé".
    add(ClosedLists::kWrittenWithAccents,
        {"cafe", "naive", "naivety", "resume", "fiance", "fiancee", "cliche", "facade", "debut",
         "debris", "elite", "role", "fete", "regime", "premiere"});
    add(ClosedLists::kTitle,
        {"Mr", "Mrs", "Ms", "Dr", "St", "Prof", "Miss", "Sir", "Aunt", "Uncle", "Captain"});
    add(ClosedLists::kAbbreviatedTitle, {"Mr", "Mrs", "Ms", "Dr", "St", "Prof"});
  }

  ClosedLists::Marks of(std::string_view spelling) const {
    if (spelling.size() > longest_) return 0;
    const uint32_t number = words_.find(spelling);
    return number == WordTable::kAbsent ? 0 : marks_[number];
  }

  size_t longest() const { return longest_; }

 private:
  void add(ClosedLists::List list, std::initializer_list<std::string_view> words) {
    for (std::string_view word : words) {
      bool added;
      const uint32_t number = words_.insert(word, added);
      if (added) marks_.push_back(0);
      marks_[number] |= list;
      longest_ = std::max(longest_, word.size());
    }
  }

  WordTable words_;  // views the lists' literals
  std::vector<ClosedLists::Marks> marks_;
  size_t longest_ = 0;
};

// Never destroyed: the text page's extraction thread may still read it as the process exits.
const Table& table() {
  static const Table* built = new Table;
  return *built;
}

}  // namespace

ClosedLists::Marks ClosedLists::of(std::string_view spelling) {
  return table().of(spelling);
}

ClosedLists::Marks ClosedLists::ofIgnoringCase(std::string_view spelling) {
  constexpr size_t kRoom = 32;
  const Table& lists = table();
  if (spelling.size() > lists.longest() || spelling.size() > kRoom) return 0;
  char lower[kRoom];
  for (size_t i = 0; i < spelling.size(); ++i) {
    const char c = spelling[i];
    lower[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return lists.of(std::string_view(lower, spelling.size()));
}
