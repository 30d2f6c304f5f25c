// Word extraction over the shipped learn.db, read as a learner reads: the words a sentence gives
// where a spelling is two words (left, saw, rose) and where the words before it decide, plurals,
// names, countries and months, adverbs, contractions, and that every word a book teaches can come
// out of a text.
#include <gtest/gtest.h>

#include <unordered_set>

#include "store/CallDB.h"
#include "tests/tools/ShippedStore.h"

namespace toolstest {
namespace {

using plat::Value;
using Words = std::vector<std::string>;

// Each sentence with the words a learner expects from it and the words it must not give.
struct Sentence {
  const char* text;
  std::vector<const char*> gives;
  std::vector<const char*> notGives;
};

// What a generated frame must give: `right` always; `wrong` never where the words around it are
// sure, and beside `right` where they are not. An empty word is not looked for.
struct Frame {
  std::string text;
  std::string right;
  std::string wrong;
  bool sure = true;
};

// The words that open a clause of their own, which end the phrase before them.
const std::vector<std::string> kSubordinators = {
    "after", "before", "once",   "when",     "while",   "until",      "since",      "because",
    "if",    "though", "unless", "although", "whereas", "as soon as", "as long as", "so that"};
// Those that may be prepositions or adverbs of the phrase too: a verb after them may be its own.
bool mayBeOfThePhrase(const std::string& word) {
  return word == "after" || word == "before" || word == "once";
}
// What may stand before a sentence: nothing, a label, a speaker's colon, a greeting's line.
const std::vector<std::string> kOpeners = {"", "Note: ", "Mum: ", "Hi Jo,\n", "Dear Tom,\n"};

class ShippedExtractionTest : public ShippedStoreTest {
 protected:
  static void expectFrames(const std::vector<Frame>& frames) {
    for (const Frame& frame : frames) {
      const Words words = extract(frame.text);
      if (!frame.right.empty()) {
        EXPECT_TRUE(holds(words, frame.right)) << frame.text << ": " << frame.right;
      }
      if (!frame.wrong.empty()) {
        EXPECT_NE(holds(words, frame.wrong), frame.sure) << frame.text << ": " << frame.wrong;
      }
    }
  }

  static void expectPage(const std::vector<Sentence>& page) {
    for (const Sentence& sentence : page) {
      const Words words = extract(sentence.text);
      for (const char* word : sentence.gives)
        EXPECT_TRUE(holds(words, word)) << sentence.text << ": " << word;
      for (const char* word : sentence.notGives)
        EXPECT_FALSE(holds(words, word)) << sentence.text << ": " << word;
    }
  }
};

TEST_F(ShippedExtractionTest, ASpellingOfTwoWordsGivesTheNounAfterADeterminerAndBothElsewhere) {
  const std::vector<Sentence> page = {
      {"Turn left at the bank.", {"turn", "left", "leave"}, {}},
      {"She left the house early.", {"leave", "house", "early"}, {"left"}},
      {"The sign on your left is red.", {"left"}, {"leave"}},
      {"We found a wallet in the street.", {"found", "find"}, {}},
      {"They found a school for poor children.", {"found"}, {}},
      {"I saw a fox in the park.", {"see", "fox"}, {"saw"}},
      {"He cut the wood with a saw.", {"saw", "wood", "cut"}, {"see"}},
      {"The old tree fell in the storm.", {"fall", "fell"}, {}},
      {"They climbed the fell above the lake.", {"fell"}, {"fall"}},
      {"The hen lay an egg and we lay down.", {"lay", "lie", "egg"}, {"eggs"}},
      {"The dog bit the postman.", {"bite", "dog"}, {"bit"}},
      {"A dog bit him.", {"bit", "bite"}, {}},
      {"Can I have a bit of cake?", {"bit", "cake", "can"}, {"bite"}},
      {"The sun rose over the hills.", {"rise", "rose"}, {}},
      {"He gave her a red rose.", {"rose", "red"}, {"rise"}},
      {"She wound the rope around the post.", {"wind", "rope"}, {"wound"}},
      {"The wound healed slowly.", {"wound", "heal"}, {"wind"}},
      {"I felt tired after the walk.", {"feel", "tired"}, {"felt"}},
      {"The hat is made of grey felt.", {"felt"}, {"feel"}},
      {"I still felt cold.", {"feel", "felt", "cold"}, {}},
      {"A strange feeling came over me.", {"feeling", "strange"}, {"felt"}},
      {"They rent a flat near the river.", {"rent"}, {}},
      {"The rent is due on Friday.", {"rent", "Friday"}, {"rend"}},
      {"The coffee beans are grinding in the mill.", {"grind", "coffee", "bean"}, {"ground"}},
      {"He sat on the ground.", {"ground", "sit"}, {"grind"}},
      {"We need further help.", {"further", "help"}, {"far"}},
      {"He lied to his mother.", {"lie", "mother"}, {}},
      {"The leaves fell from the old tree.", {"leaf", "fall", "tree"}, {"leave"}},
      {"She leaves home at seven.", {"leave", "home"}, {}},
      {"Their lives changed after the war.", {"life", "change", "war"}, {"live"}},
      {"He lives by the sea.", {"live", "sea"}, {}},
      {"The smell of bread filled the kitchen.", {"fill", "smell", "kitchen"}, {}},
      {"After the walk I was tired.", {"tired", "walk"}, {"tire"}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, CapitalsInsideASentenceNameTheirOwnWordAndLowerCaseNeverDoes) {
  const std::vector<Sentence> page = {
      {"My aunt lives in China and collects fine china.", {"China", "china", "aunt"}, {}},
      {"We go back to school in August, not in May.", {"August", "May"}, {"august", "may"}},
      {"You may sit down.", {"may", "sit"}, {"May"}},
      {"The law states that every child may go to school.", {"state", "law"}, {"States"}},
      {"He mars the wall, and the job has its perks.", {"mar", "perk", "wall"}, {"Mars", "Perks"}},
      {"We met on two Mondays in March.", {"Monday", "March"}, {"march"}},
      {"China is a big country.", {"China", "country"}, {}},
      {"Fresh eggs are cheap here.", {"egg", "cheap"}, {"eggs"}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, TheWordsBeforeAFormDecideWhereTheyCanAndOnlyThere) {
  const std::vector<Sentence> page = {
      {"We left the party early.", {"leave", "party", "early"}, {"left"}},
      {"He saw the danger in time.", {"see", "danger", "time"}, {"saw"}},
      {"They had left before noon.", {"leave", "noon"}, {"left"}},
      {"She has found the key.", {"find", "key"}, {"found"}},
      {"It rose by ten percent.", {"rise"}, {"rose"}},
      {"They will found a new museum next year.", {"found", "museum", "year"}, {"find"}},
      {"We want to found a club.", {"found", "club"}, {"find"}},
      {"You need more sugar and less salt.",
       {"more", "less", "sugar", "salt"},
       {"many", "much", "little"}},
      {"Most people want less work and further travel.",
       {"most", "less", "further"},
       {"many", "little", "far"}},
      {"Nobody found it, but he found the key.", {"find"}, {}},
      // Nothing before it decides: a sentence's start, a list, a headline.
      {"Left at the gate, the dog waited.", {"left", "leave", "wait"}, {}},
      {"Saw, hammer, nails.", {"saw", "see", "hammer", "nail"}, {}},
      {"Prices Rose Again", {"rise", "rose", "price", "again"}, {}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, APluralGivesItsSingularTooAndAPluralOfTwoWordsGivesBoth) {
  const std::vector<Sentence> page = {
      {"Raise your arms above your head.", {"arm", "arms", "raise", "head"}, {}},
      {"Put the cups and the glasses on the table.", {"cup", "glass", "glasses", "table"}, {}},
      // A plural with a sense of its own whose singular is first an adjective is seldom its.
      {"He wore shorts in the summer.", {"shorts", "summer"}, {"short"}},
      {"The goods arrived by ship.", {"goods", "arrive", "ship"}, {"good"}},
      {"The army has two military bases.", {"base", "basis", "army", "military"}, {}},
      {"The bases were closed.", {"base", "basis", "close"}, {}},
      {"Draw the x and y axes.", {"axis", "ax", "draw"}, {}},
      {"This is the basis of the plan.", {"basis", "plan"}, {"base"}},
  };
  expectPage(page);
  // The commoner word first.
  const Words bases = extract("bases");
  EXPECT_EQ(bases, (Words{"base", "basis"}));
}

TEST_F(ShippedExtractionTest, SentencesStartAfterAContractionsStopAndAnOpeningQuote) {
  const std::vector<Sentence> page = {
      {"We won't. May we go now?", {"may", "May", "will", "go"}, {}},
      {"It's late. May I go? He'd. May I?", {"may", "May", "late"}, {}},
      {"He said, \"May we start?\"", {"may", "May", "start"}, {}},
      {"She asked \u201cMay I come in?\u201d", {"may", "May"}, {}},
      {"He wrote \u2018May we?\u2019 on it.", {"may", "May"}, {}},
      {"\u4ed6\u8bf4\u300cMay I?\u300d", {"may", "May"}, {}},
      {"We met in May.", {"May"}, {"may"}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, NamesGiveNothingAndCountriesAreTheirOwnWords) {
  const std::vector<Sentence> page = {
      {"Lucy Brook sang the song.", {"sing", "song"}, {"brook"}},
      {"Mrs. White teaches music.", {"Mrs", "teach", "music"}, {"white"}},
      {"Tom Baker lives nearby.", {"live", "nearby"}, {"baker", "life"}},
      {"Dr Green and Prof. Stone came late.", {"come", "late"}, {"green", "stone"}},
      {"I asked Mr Cook about it.", {"Mr", "ask"}, {"cook"}},
      {"We flew over Turkey and Greece.", {"Turkey", "Greece", "fly"}, {"turkey"}},
      {"We cooked a turkey for dinner.", {"turkey", "cook", "dinner"}, {"Turkey"}},
      {"Talks between Ukraine and Israel began in Egypt.",
       {"Ukraine", "Israel", "Egypt", "talk", "begin"},
       {}},
      {"Many Kurds and Syrians live in Turkey.", {"Kurd", "Syrian", "Turkey"}, {"turkey"}},
      // A capital that books teach stays its word: alone, and in a headline.
      {"The Brook runs by the mill.", {"brook", "run", "mill"}, {}},
      {"White House Opens Garden", {"white", "house", "open", "garden"}, {}},
  };
  expectPage(page);
  for (const char* country : {"Turkey", "Ukraine", "Egypt", "Syrian", "Kurd"})
    EXPECT_FALSE(firstMeaning(country).empty()) << country;
  EXPECT_EQ(firstMeaning("Turkey"), "n. 土耳其");
  // A people's word in the news is first what it says of a thing ("Turkish troops").
  EXPECT_EQ(firstMeaning("Turkish"), "adj. 土耳其的；土耳其人的；土耳其语的");
  // The bird keeps its books.
  EXPECT_FALSE(booksOf("turkey").empty());
}

TEST_F(ShippedExtractionTest, TitleCaseNamesOfThingsAndHeadlinesGiveTheirWords) {
  const std::vector<Sentence> page = {
      {"Wang Takes Gold in Final Race", {"take", "gold", "final", "race"}, {}},
      {"They read the Zantor Public License twice.", {"public", "license", "read", "twice"}, {}},
      {"The Zantor License lets you share it.", {"license", "let", "share"}, {}},
      {"She sent it to the Lumon Office.", {"send", "office"}, {}},
      {"He studies at Tsinghua University.", {"study", "university"}, {}},
      {"We walked in Zhongshan Park and along Nanjing Road.", {"walk", "park", "road"}, {}},
      {"She works at Lumon Industries.", {"work", "industry"}, {}},
      {"She works for the Lumon Power Company in Beijing.", {"power", "company", "work"}, {}},
      {"Zantor Software Foundation Releases New Version",
       {"software", "foundation", "release", "new", "version"},
       {}},
      {"Chen Wins Second Term", {"win", "second", "term"}, {}},
      // A person's name stays a name: a first name no book teaches and a surname that is a word.
      {"Yesterday Lucy Brook sang.", {"yesterday", "sing"}, {"brook"}},
      {"I met Tom Baker and Lucy Brook there.", {"meet", "there"}, {"baker", "brook"}},
      {"Dr. Lucy Brook came.", {"come"}, {"brook"}},
      {"White House Opens Garden", {"white", "house", "open", "garden"}, {}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, AStreetsAbbreviationEndsItsSentenceAndATitleStillLeadsToAName) {
  const std::vector<Sentence> page = {
      {"He lives on Elm St. Every morning he runs.", {"every", "morning", "run", "live"}, {}},
      {"There is a bakery on Church St. near the bridge.", {"bakery", "church", "bridge"}, {}},
      {"Turn left on Oak Dr. Trees line the road.", {"tree", "line", "road"}, {}},
      {"We met at the Dr. The nurse was kind.", {"nurse", "kind"}, {}},
      {"Dr. Green and Prof. Stone came late.", {"come", "late"}, {"green", "stone"}},
      {"Ask Dr. Green about it.", {"ask"}, {"green"}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, AfterATitlesStopAFunctionWordOrAnyWordAfterTheTitleAsANounStarts) {
  const std::vector<Sentence> page = {
      {"We need the Dr. Everyone is waiting.", {"need", "everyone", "wait"}, {}},
      {"Call the Dr. Somebody is hurt.", {"call", "somebody", "hurt"}, {}},
      {"Ask the Dr. Anyone would know.", {"ask", "anyone", "know"}, {}},
      {"We saw the Dr. Nurses came later.", {"nurse", "come", "later"}, {}},
      {"She is our Dr. Brown bread is her lunch.", {"brown", "bread", "lunch"}, {}},
      // After a title of a name, a function word starts a sentence, any other word is a name.
      {"I called Dr. Nobody answered.", {"call", "nobody", "answer"}, {}},
      {"We asked Mr. Nothing was done.", {"ask", "nothing", "do"}, {}},
      {"Ask Dr. Green about it.", {"ask"}, {"green"}},
      {"Mrs. White teaches music.", {"teach", "music"}, {"white"}},
      // "the St." names a saint.
      {"They live near the St. Mark Hotel.", {"live", "hotel"}, {"mark"}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, QuotesOfOtherLanguagesOpenSentencesToo) {
  const std::vector<Sentence> page = {
      {"He said, \u00abMay we go?\u00bb", {"may", "May", "go"}, {}},
      {"He said, \u201eMay we go?\u201c", {"may", "May", "go"}, {}},
      {"He said, \uff02May we go?\uff02", {"may", "May", "go"}, {}},
      {"He said, \u2039May we?\u203a", {"may", "May"}, {}},
      {"He said, \u00bbMay we?\u00ab", {"may", "May"}, {}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, KinAndRanksAreTitlesBeforeANameAndWordsOfTheirOwn) {
  const std::vector<Sentence> page = {
      {"Aunt Rose baked bread.", {"aunt", "bake", "bread"}, {"rose", "rise"}},
      {"We visited Uncle Wang.", {"uncle", "visit"}, {}},
      {"Sir John Brook spoke.", {"sir", "speak"}, {"brook"}},
      {"Captain Stone gave the order.", {"captain", "give", "order"}, {"stone"}},
      {"Yours, Mrs J. Rose, Elm St.", {"yours"}, {"rose", "rise"}},
      {"My aunt grows a red rose.", {"aunt", "rose", "red"}, {"rise"}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, AnAdverbThatIsNoHeadwordGivesItsAdjective) {
  const std::vector<Sentence> page = {
      {"He waited patiently.", {"patient", "wait"}, {}},
      {"They spoke nervously and bravely.", {"nervous", "brave", "speak"}, {}},
      {"She smiled warmly and answered eagerly.", {"warm", "eager", "smile", "answer"}, {}},
      // An adverb of its own stays itself.
      {"She smiled happily.", {"happily"}, {"happy"}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, AModalLeadsOnlyWhereItIsTheModal) {
  const std::vector<Sentence> page = {
      // A name, a month or a noun spelled like a modal.
      {"Will saw the bus coming.", {"see", "bus", "come"}, {"saw"}},
      {"May spoke first at the meeting.", {"speak", "first", "meeting"}, {"spoke"}},
      {"May left early.", {"leave", "early"}, {"left"}},
      {"Grandpa's will left the farm to Tom.", {"will", "leave", "farm"}, {"left"}},
      {"His will left everything to the church.", {"will", "leave", "church"}, {}},
      {"The old tin can lay in the sink.", {"tin", "can", "lie", "sink"}, {}},
      {"The paint can fell over.", {"paint", "can", "fall"}, {}},
      {"A can fell off the shelf.", {"can", "fall", "shelf"}, {}},
      // The modal in use: lower case, or a capital before its subject.
      {"May I go?", {"may", "go"}, {}},
      {"Will you come?", {"will", "you", "come"}, {}},
      {"Will the bus come?", {"will", "bus", "come"}, {}},
      {"You may lay the table.", {"may", "lay", "table"}, {"lie"}},
      {"She can saw the wood.", {"can", "saw", "wood"}, {"see"}},
      {"My brother will found a company.", {"found", "company"}, {"find"}},
      {"The old man can lay bricks.", {"man", "lay", "brick"}, {"lie"}},
      // After a modal, a form that is no verb of its own keeps the verb too.
      {"They will spoke.", {"spoke", "speak"}, {}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, ANameOrTheRichBeforeAVerbIsItsSubjectNotAnAdjective) {
  const std::vector<Sentence> page = {
      {"Mr Young lives next door.", {"live", "next", "door"}, {"life", "young"}},
      {"Mrs Black found her keys.", {"find", "key"}, {"found", "black"}},
      {"Dr Brown saw the results.", {"see", "result"}, {"saw", "brown"}},
      {"Neil Young lives in Canada.", {"live", "Canada"}, {"life"}},
      {"The rich left the city.", {"rich", "leave", "city"}, {"left"}},
      {"The poor found shelter in the church.", {"poor", "find", "shelter"}, {}},
      {"The old saw a ghost.", {"see", "ghost"}, {"saw"}},
      // Without a noun after it, or after an adjective that stands for no people, the form is
      // the adjective's noun; so is a plural verb's form.
      {"The old wound healed slowly.", {"wound", "heal"}, {"wind"}},
      {"The red rose in the vase is mine.", {"rose", "red", "vase"}, {"rise"}},
      {"The old leaves fell from the tree.", {"leaf", "fall", "tree"}, {"leave"}},
      // In a run of capitals an adjective is a title's and leads its noun.
      {"We walked down Red Rose Lane.", {"red", "rose", "lane"}, {"rise"}},
      {"She works at the Old Saw Mill.", {"old", "saw", "mill"}, {"see"}},
      {"Mr Young Lives Next Door", {"live", "next", "door"}, {"life"}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, AThirdPersonThatIsTwoNounsPluralIsTheVerbsAndCapitalsOfAPronoun) {
  const std::vector<Sentence> page = {
      {"She bases her view on facts.", {"base", "view", "fact"}, {"basis"}},
      {"Sam bases his claims on rumours.", {"base", "claim", "rumour"}, {"basis"}},
      {"The team bases its plans on data.", {"team", "base", "plan"}, {"basis"}},
      {"The bases were closed.", {"base", "basis"}, {}},
      {"These bases are old.", {"base", "basis"}, {}},
      // Someone, nothing and the like are third persons too.
      {"Nobody lives there.", {"nobody", "live"}, {"life"}},
      {"Something bit me.", {"something", "bite"}, {"bit"}},
      {"Check it before anything leaves the house.", {"leave", "house"}, {"leaf"}},
      {"The US sent help.", {"send", "help"}, {"us"}},
      {"US troops left the city.", {"troop", "leave", "city"}, {"us"}},
      {"The IT team left early.", {"team", "early"}, {"it"}},
      {"They told us the news.", {"tell", "us", "news"}, {}},
      {"LET US GO NOW.", {"let", "us", "go", "now"}, {}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, ContractionsGiveTheirVerbsWhateverStandsAroundThem) {
  EXPECT_EQ(extract("didn't"), Words{"do"});
  EXPECT_EQ(extract("cannot"), Words{"can"});
  for (const char* text : {"won't", "...won't", "_won't_", "\"won't\"", "won\u2019t"})
    EXPECT_EQ(extract(text), Words{"will"}) << text;
  EXPECT_EQ(extract("Well...won't"), (Words{"well", "will"}));
  EXPECT_EQ(extract("She hasn't, I'm sure, and you'll see they've gone."),
            (Words{"she", "have", "i", "be", "sure", "and", "you", "will", "see", "they", "go"}));
  // "won" alone is a form of win.
  EXPECT_EQ(extract("We won."), (Words{"we", "win"}));
}

// Words of the word data that a text once gave nothing for, or another word's.
TEST_F(ShippedExtractionTest, WordsTheLibraryOnceLackedGiveTheirOwnWord) {
  expectPage({
      {"There is a slew of new apps.", {"slew", "new"}, {"slay"}},
      {"The knight slew the dragon.", {"slay", "dragon"}, {}},
      {"The plan has proven hard to keep.", {"prove", "plan"}, {}},
      {"Seven dwarves lived in the woods.", {"dwarf", "seven"}, {}},
      {"My sister is a programmer.", {"programmer", "sister"}, {}},
      {"He had gotten lost twice.", {"get", "lose"}, {}},
      {"It was a titanic struggle.", {"titanic", "struggle"}, {"Titanic"}},
      {"His beeper went off at dinner.", {"beeper", "dinner"}, {}},
      {"They sell hats, scarves and whatnot.", {"whatnot", "hat", "scarf"}, {}},
  });
}

TEST_F(ShippedExtractionTest, TheSubjectReachesItsVerbPastAnAdverbWhoAndASecondName) {
  const std::vector<Sentence> page = {
      // An adverb between a subject and its verb.
      {"He never saw anything like it.", {"never", "see", "anything"}, {"saw"}},
      {"When I was young, he hardly spoke at dinner.", {"hardly", "speak", "dinner"}, {"spoke"}},
      {"She quietly left the room.", {"quietly", "leave", "room"}, {"left"}},
      {"He once found a ring in the sand.", {"once", "find", "ring", "sand"}, {"found"}},
      {"I have never seen a saw like that.", {"see", "saw"}, {}},
      // "who" is the subject of the verb after it.
      {"It was Nora who found it.", {"find"}, {"found"}},
      {"Those who left early missed the end.", {"leave", "early", "miss"}, {"left"}},
      {"Dr. Brown, who lives next door, came.", {"live", "next", "door"}, {"life"}},
      // A modal's spelling with a capital inside a sentence names someone.
      {"Her son Will had just come back.", {"son", "have", "come"}, {"will"}},
      {"We met Will and Kate at the station. Ask Will.", {"meet", "station", "ask"}, {"will"}},
      {"He said, \"Will you come?\"", {"will", "you", "come"}, {}},
      // A title's name of two words, not a headline's verb after it.
      {"Mrs Grace Hill opened her garden.", {"open", "garden"}, {"grace", "hill"}},
      {"Mr Young Opens New Park", {"open", "new", "park"}, {"young"}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, AShortNameEndingInIngIsNoFormOfATwoLetterWord) {
  const std::vector<Sentence> page = {
      {"My classmate Ming plays the piano well.", {"classmate", "play", "piano"}, {"me"}},
      {"Yesterday I met Bing at the library.", {"yesterday", "meet", "library"}, {"be"}},
      {"Han Ming Takes the Lead in Science Fair", {"take", "lead", "science", "fair"}, {"me"}},
      {"Hing likes tea.", {"like", "tea"}, {"he"}},
      {"We met Ming and Bing at noon.", {"meet", "noon"}, {"me", "be"}},
      // Verbs of two letters keep their forms, which their cards give.
      {"What are you doing? I am going home.", {"do", "go", "home"}, {}},
      {"The dog was lying in the sun, eyeing the cat.", {"lie", "eye", "sun"}, {}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, AVerbsThirdPersonThatIsAlsoAWordOfItsOwnKeepsTheVerb) {
  const std::vector<Sentence> page = {
      // A plural that is also the verb's third person: the verb after a subject, both elsewhere.
      {"She archives her emails every Friday.", {"archive", "email", "Friday"}, {"archives"}},
      {"The city archives old maps in the basement.", {"city", "archive", "map"}, {}},
      {"The archives are open to the public.", {"archive", "archives", "public"}, {}},
      {"He steps outside.", {"step", "outside"}, {"steps"}},
      {"Raise your arms above your head.", {"arm", "arms", "raise"}, {}},
      // A word of its own that is a verb's third person: the verb only after a subject.
      {"It means a lot to me.", {"mean", "lot"}, {"means"}},
      {"She thanks her teacher.", {"thank", "teacher"}, {"thanks"}},
      {"The problem remains a secret.", {"problem", "remain", "secret"}, {"remains"}},
      {"We travelled by means of a boat.", {"means", "boat"}, {"mean"}},
      {"The stalls sell bread and second-hand clothes.", {"clothes", "bread"}, {"clothe"}},
      {"With many thanks, Anna", {"thanks"}, {"thank"}},
      {"The scissors are sharp.", {"scissors", "sharp"}, {"scissor"}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, APastAfterTheRichIsTheirVerbWhateverFollowsIt) {
  const std::vector<Sentence> page = {
      {"The elderly felt lonely in the winter.", {"elderly", "feel", "lonely"}, {"felt"}},
      {"The wealthy left before the storm.", {"wealthy", "leave", "storm"}, {"left"}},
      {"The homeless lay under the bridge all night.", {"homeless", "lie", "bridge"}, {}},
      {"The brave spoke first.", {"brave", "speak", "first"}, {"spoke"}},
      {"The young rose early to watch the sun.", {"young", "rise", "early"}, {"rose"}},
      {"The poor fell ill that winter.", {"poor", "fall", "ill"}, {}},
      {"The injured lay still.", {"injured", "lie", "still"}, {}},
      {"The rich left, and the poor stayed.", {"rich", "leave", "stay"}, {"left"}},
      // The sentence's verb after it: the past is a noun that the adjective leads.
      {"The old wound healed slowly.", {"wound", "heal"}, {"wind"}},
      {"The old saw was rusty.", {"saw", "rusty"}, {"see"}},
      {"The old wound left a scar.", {"wound", "leave", "scar"}, {"wind"}},
      {"The old felt is soft.", {"felt", "soft"}, {"feel"}},
      {"The old saw cut the wood.", {"saw", "cut", "wood"}, {"see"}},
      // Before a noun without its determiner the past may be a noun's adjective.
      {"The young rose bush grew tall.", {"rose", "bush", "grow"}, {}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, AWordOfAPlacesNameIsNoVerb) {
  const std::vector<Sentence> page = {
      {"We walked along Rose Avenue to the park.", {"walk", "rose", "avenue", "park"}, {"rise"}},
      {"She lives on Rose Street.", {"live", "rose", "street"}, {"rise"}},
      {"Rose Avenue is quiet at night.", {"rose", "avenue", "quiet"}, {"rise"}},
      {"The shop is on Fell Road near the lake.", {"shop", "fell", "road"}, {"fall"}},
      {"We met at Saw Mill Park.", {"meet", "saw", "mill", "park"}, {"see"}},
      {"They moved to Found Square last year.", {"move", "found", "square"}, {"find"}},
      // Elsewhere in the sentence the spelling keeps its verb.
      {"The sun rose over Rose Avenue.", {"rise", "rose", "avenue"}, {}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, ATwoNounsPluralAfterASubjectAndABaseFormAfterAModalsSubject) {
  const std::vector<Sentence> page = {
      // Only the noun whose plural the rules make stands as a verb.
      {"The company axes jobs every winter.", {"company", "ax", "job", "winter"}, {"axis"}},
      {"She axes the old trees.", {"ax", "tree"}, {"axis"}},
      {"Draw the x and y axes.", {"axis", "ax"}, {}},
      {"The axes of the graph are labelled.", {"axis", "ax", "graph"}, {}},
      {"The army bases troops abroad.", {"army", "base", "troop"}, {"basis"}},
      // A modal and its subject lead a base form.
      {"Could you saw this board for me?", {"saw", "board"}, {"see"}},
      {"Can you lay the table?", {"lay", "table"}, {"lie"}},
      {"Will they found a new school?", {"found", "school"}, {"find"}},
      {"Would she wind the clock?", {"wind", "clock"}, {"wound"}},
      {"Could you see the board?", {"see", "board"}, {"saw"}},
      {"Does she lay eggs every day?", {"lay", "egg", "day"}, {"lie"}},
      {"Do you saw wood for a living?", {"saw", "wood"}, {"see"}},
      {"Did they found the company in 1990?", {"found", "company"}, {"find"}},
      {"You saw the board.", {"see", "board"}, {"saw"}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, AMonthOrANameSpelledLikeAModalInsideASentenceLeadsNothing) {
  const std::vector<Sentence> page = {
      {"In May she left her job at the bank.", {"May", "leave", "job", "bank"}, {"left"}},
      {"In May you felt much better.", {"May", "feel"}, {"felt"}},
      {"Every May we saw the old castle.", {"May", "see", "castle"}, {"saw"}},
      {"Last May they found a kitten in the garden.", {"May", "find", "kitten", "garden"}, {}},
      {"In May I saw her again.", {"May", "see"}, {"saw"}},
      {"In May, they left the city.", {"May", "leave", "city"}, {"left"}},
      {"Since May she hasn't felt well.", {"May", "feel"}, {}},
      {"On Monday we saw a film about whales.", {"Monday", "see", "film", "whale"}, {"saw"}},
      {"In June he found his old diary.", {"June", "find", "diary"}, {"found"}},
      // Where a sentence or a quote starts, or in lower case, the modal before its subject.
      {"May I leave now?", {"may", "leave", "now"}, {}},
      {"Will you saw this branch off?", {"will", "saw", "branch"}, {"see"}},
      {"He asked, \"May we saw the logs?\"", {"may", "saw", "log"}, {"see"}},
      {"In May will you saw the logs for us?", {"May", "will", "saw", "log"}, {"see"}},
      {"Did you leave in May?", {"do", "leave", "May"}, {}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, AVerbOfTwoLettersThatDoublesItsLastBeforeIngKeepsIt) {
  const std::vector<Sentence> page = {
      {"They are upping the rent again.", {"up", "rent", "again"}, {}},
      {"The shop keeps upping its prices.", {"up", "shop", "keep", "price"}, {}},
      {"Upping the dose did not help.", {"up", "dose", "help"}, {}},
      {"The company upped its offer.", {"up", "company", "offer"}, {}},
      // Short verbs of three letters double their last too.
      {"The baby is hugging her bear and nodding.", {"hug", "nod", "baby", "bear"}, {}},
      {"He was jogging while she was sobbing.", {"jog", "sob"}, {}},
      // No single letter doubles in a name of one syllable.
      {"My classmate Ming plays the piano well.", {"classmate", "play"}, {"me"}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, APastAfterItsSubjectIsItsVerbsWhateverItsCardOpensWith) {
  const std::vector<Sentence> page = {
      {"He dried the dishes after dinner.", {"dry", "dish", "dinner"}, {"dried"}},
      {"The soldiers armed themselves.", {"soldier", "arm"}, {"armed"}},
      {"The workers loaded the van.", {"worker", "load", "van"}, {"loaded"}},
      {"She has divorced her husband.", {"divorce", "husband"}, {"divorced"}},
      {"The news shocked them.", {"news", "shock"}, {"shocked"}},
      {"It surprised me.", {"surprise"}, {"surprised"}},
      {"They deserted the village.", {"desert", "village"}, {"deserted"}},
      {"We fried the fish in oil.", {"fry", "fish", "oil"}, {"fried"}},
      {"A ghost haunted the old castle.", {"ghost", "haunt", "castle"}, {"haunted"}},
      {"The teacher disciplined the boy.", {"teacher", "discipline", "boy"}, {"disciplined"}},
      {"He balanced the ball on his nose.", {"balance", "ball", "nose"}, {"balanced"}},
      {"People crowded the streets.", {"crowd", "street"}, {"crowded"}},
      {"Had they loaded the van before noon?", {"load", "van", "noon"}, {"loaded"}},
      {"Haven't you dried your hair yet?", {"dry", "hair"}, {"dried"}},
      {"Why did the story interest him? It puzzled her.", {"interest", "puzzle"}, {"puzzled"}},
      // Where the word is an adjective it stays the adjective's own.
      {"She was tired after the trip.", {"tired", "trip"}, {"tire"}},
      {"We ate fried rice.", {"fried", "rice", "eat"}, {"fry"}},
      {"The road was crowded.", {"crowded", "road"}, {"crowd"}},
      {"Are you pleased with the result?", {"pleased", "result"}, {}},
      {"Were they scared of the dog?", {"scared", "dog"}, {"scare"}},
      {"The dried fruit was sweet.", {"dried", "fruit", "sweet"}, {"dry"}},
      {"An armed man stood at the door.", {"armed", "man", "door"}, {"arm"}},
      {"She looked tired.", {"tired"}, {"tire"}},
      {"I felt tired after the walk.", {"feel", "tired"}, {"tire"}},
      {"Now he felt astonished himself.", {"feel", "astonished"}, {}},
      {"Is he married or single?", {"married", "single"}, {"marry"}},
      {"Are you acquainted with Mr Elliot?", {"acquainted"}, {"acquaint"}},
      {"His aunt worried him.", {"aunt", "worry"}, {"worried"}},
      // A noun that may be an adjective too is the subject of the past after it.
      {"The patient felt better.", {"patient", "feel"}, {}},
      {"The chief left the room.", {"chief", "leave", "room"}, {"left"}},
      {"The official left the building.", {"official", "leave", "building"}, {"left"}},
      {"The doctor felt tired.", {"doctor", "feel", "tired"}, {"tire"}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, AGivenNameInIngThatTheTextNeverWritesInLowerCaseIsNoVerbsForm) {
  const std::vector<Sentence> page = {
      {"My desk mate Liming forgot his pencil.", {"desk", "mate", "forget", "pencil"}, {"lime"}},
      {"Yesterday Liping won the first prize.", {"yesterday", "win", "first", "prize"}, {"lip"}},
      {"Daming and I walked home together.", {"walk", "home", "together"}, {"dame"}},
      {"Her cousin Lining plays the violin.", {"cousin", "play", "violin"}, {"line", "lining"}},
      {"My friend Ping lives in Beijing.", {"friend", "live"}, {"ping", "life"}},
      {"Wang Ping Opens a New Shop", {"open", "new", "shop"}, {"ping"}},
      // More shapes: after a verb or a comma, at a sentence's end, in a headline after a surname.
      {"I sat next to Liming, and Liping sat behind us.",
       {"sit", "next", "behind"},
       {"lime", "lip"}},
      {"We all like Daming.", {"like"}, {"dame"}},
      {"Zhang Liming Wins the Race", {"win", "race"}, {"lime"}},
      // Named inside a sentence, the name is a name where a sentence starts with it too; alone
      // there, a form of a verb it may be stays ("Lining the box" below).
      {"My desk mate Liming came late. Liming asked why.", {"come", "late", "ask"}, {"lime"}},
      {"We waited for Liming. Liming came at nine.", {"wait", "come", "nine"}, {"lime"}},
      {"Lining asked why. Her cousin Lining plays the violin.", {"ask", "play"}, {"line"}},
      {"Liming asked why.", {"ask", "lime"}, {}},
      // Written in lower case too, the word is a word.
      {"Ping heard a loud ping.", {"ping", "hear", "loud"}, {}},
      {"She bought a lime, and Liming ate the lime.", {"lime", "buy", "eat"}, {}},
      // Verbs' forms keep their verbs: at a sentence's start, after a determiner, in headlines.
      {"Liping won the first prize.", {"win", "first", "prize"}, {"lip"}},
      {"Running is fun.", {"run", "fun"}, {}},
      {"Funding was cut last year.", {"fund", "cut", "last"}, {}},
      {"Texting while driving is dangerous.", {"text", "drive", "dangerous"}, {}},
      {"Lining the box with paper took an hour.", {"line", "box", "paper"}, {}},
      {"Prices Keep Running Up", {"price", "keep", "run", "up"}, {}},
      {"Keep Running", {"keep", "run"}, {}},
      {"Stocks Falling Again After Strong Start", {"stock", "fall", "again"}, {}},
      {"Tips for Running Faster", {"tip", "run", "fast"}, {}},
      {"They watched the Running of the Bulls.", {"watch", "run", "bull"}, {}},
      {"She went to an old Boarding-school.", {"board", "school"}, {}},
      // A capitalised form that no Chinese syllables spell is a verb's, wherever it stands.
      {"See also Verb Doubling in the guide.", {"see", "verb", "double", "guide"}, {}},
      {"[common] Lacking any structure.", {"lack", "structure"}, {}},
      // Headwords of their own that are no given names stay.
      {"We eat turkey at Thanksgiving.", {"eat", "turkey", "thanksgiving"}, {}},
      {"The people loved their King.", {"people", "love", "king"}, {}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, APastWithNoObjectAfterAVerbsObjectOrAnAdverbMayBeTheAdjective) {
  const std::vector<Sentence> page = {
      // A pronoun right after a verb is its object, whom the past may tell of.
      {"I hope nothing will make you pleased to hear it.", {"make", "pleased", "please"}, {}},
      {"The noise made you scared of the dark.", {"make", "scared", "noise"}, {}},
      {"We found it crowded.", {"find", "crowded"}, {}},
      {"It made her worried.", {"make", "worried"}, {"worry"}},
      {"They found him tired.", {"find", "tired"}, {"tire"}},
      // So may a past that ends its clause after its subject and an adverb in "-ly".
      {"She never thought either Mr. Woodhouse or Mr. Knightley particularly delighted.",
       {"think", "delighted", "delight"},
       {}},
      {"She gradually learned to like it.", {"learn"}, {"learned"}},
      // With its object it is the verb's.
      {"He carefully dried the dishes.", {"dry", "dish"}, {"dried"}},
      {"Will you make them dried fruit?", {"make", "dried", "fruit"}, {"dry"}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest,
       ANumberOrANounThatMayBeAnAdjectiveKeepsAxesAVerbAndLivesTooAfterANoun) {
  const std::vector<Sentence> page = {
      {"The club axes three coaches.", {"club", "ax", "coach"}, {"axis"}},
      {"The chief axes the old plan.", {"chief", "ax", "plan"}, {"axis"}},
      {"The company axes two hundred jobs.", {"company", "ax", "job"}, {"axis"}},
      // A noun before "lives" is its subject where a verb without an object goes on.
      {"My friend Ping lives in Beijing.", {"friend", "live"}, {"life"}},
      {"My aunt lives with us.", {"aunt", "live"}, {"life"}},
      {"Our teacher lives near the school.", {"teacher", "live", "school"}, {"life"}},
      {"The bus leaves at noon.", {"bus", "leave", "noon"}, {"leaf"}},
      {"The lives of the poor were hard.", {"life", "poor", "hard"}, {"live"}},
      {"I saw leaves in the garden.", {"see", "leaf", "garden"}, {}},
      {"Autumn leaves fall.", {"autumn", "leaf", "fall"}, {}},
  };
  expectPage(page);
}

TEST_F(ShippedExtractionTest, StreetsPeopleAfterTheAndAccentedWords) {
  const std::vector<Sentence> page = {
      // A street's name is no verb, whichever word ends it.
      {"The bakery is on Rose Way.", {"bakery", "rose", "way"}, {"rise"}},
      {"Saw Hill", {"saw", "hill"}, {"see"}},
      {"We live on Saw Hill near the school.", {"saw", "hill", "school"}, {"see"}},
      {"They moved to Rose Lane.", {"rose", "lane"}, {"rise"}},
      {"Turn into Fell Drive.", {"fell", "drive"}, {"fall"}},
      {"Her office is in Found Court.", {"found", "court"}, {"find"}},
      {"The school is on Rose Close.", {"rose", "close"}, {"rise"}},
      {"We met at Rose Place.", {"rose", "place"}, {"rise"}},
      {"They jog along Fell Walk.", {"fell", "walk"}, {"fall"}},
      {"He lives at 4 Rose Crescent.", {"rose", "live"}, {"rise"}},
      // A surname that ends a street's name too stays a name after a title.
      {"Mrs Grace Hill opened her garden.", {"open", "garden"}, {"grace", "hill"}},
      {"The sun rose over Rose Way.", {"rise", "rose", "way"}, {}},
      // "the" and an adjective for people, the subject of the past after it.
      {"The famous left by the back door.", {"famous", "leave", "door"}, {"left"}},
      {"The talented found work easily.", {"talented", "find", "work"}, {}},
      {"The faithful rose before dawn.", {"faithful", "rise", "dawn"}, {"rose"}},
      {"The lost felt their way home.", {"lost", "feel", "way", "home"}, {"felt"}},
      {"The jobless felt forgotten.", {"feel"}, {}},
      {"The lonely spoke to no one.", {"lonely", "speak"}, {"spoke"}},
      // A word with accents is the word without them, never a piece of itself.
      {"Please send your r\u00e9sum\u00e9 by Friday.", {"resume", "send", "Friday"}, {"sum"}},
      {"We met at a caf\u00e9 near the station.", {"cafe", "meet", "station"}, {}},
      {"She is so na\u00efve about money.", {"naive", "money"}, {"have"}},
      {"Her fianc\u00e9 told a clich\u00e9.", {"fiance", "cliche", "tell"}, {}},
      {"Two caf\u00e9s opened. The Caf\u00e9's owner smiled.", {"cafe", "open", "owner"}, {}},
      {"His fianc\u00e9e is a nurse.", {"fiancee", "nurse"}, {}},
      {"The cr\u00e8me br\u00fbl\u00e9e was good.", {"good"}, {"me", "cream"}},
      // Accents typed apart from their letter count the same.
      {"We met at a cafe\u0301 near the station.", {"cafe", "station"}, {}},
  };
  expectPage(page);
}

// Headlines, a capital after a colon, lists' lines and headings capitalise words by their form.
TEST_F(ShippedExtractionTest, ACapitalisedIngWordInATitleCaseLineOrAfterAColonIsAWord) {
  const std::vector<Sentence> page = {
      {"Notes on Renting a Car in Spain", {"note", "rent", "car"}, {}},
      {"Shopping and Dining in Xiamen", {"shopping", "dine"}, {}},
      {"The Joy of Riding", {"joy", "ride"}, {}},
      {"Clean living: Waiting is the hardest part.", {"wait", "hard", "part"}, {}},
      {"Tips: Dining Out on a Budget", {"tip", "dine", "budget"}, {}},
      {"- Renting a bike\n- Riding along the coast", {"rent", "bike", "ride", "coast"}, {}},
      {"Travel Notes\nRiding a bike in Xiamen is fun.", {"travel", "ride", "bike", "fun"}, {}},
  };
  expectPage(page);
  // A sentence of ordinary case, a greeting or a surname names a person; so does a name that no
  // verb's form spells, and a title's word that the text names so in a sentence.
  const std::vector<Sentence> names = {
      {"I met Liming at the station.", {"meet", "station"}, {"lime"}},
      {"My desk mate Liming forgot his pencil.", {"desk", "forget", "pencil"}, {"lime"}},
      {"Dear Liming, how are you?", {"dear"}, {"lime"}},
      {"Hi Liping, thanks for the card.", {"card"}, {"lip"}},
      {"Wang Liping Opens a Tea Shop", {"open", "tea", "shop"}, {"lip"}},
      {"Shopping with Daming", {"shopping"}, {"dame"}},
      {"A Day with Liming\n\nLiming is my desk mate. My friend Liming likes tea.",
       {"day", "desk", "like"},
       {"lime"}},
      {"My desk mate Liming likes tea.\n\nShopping with Liming", {"like", "shopping"}, {"lime"}},
  };
  expectPage(names);
  // Called by name after a comma at a sentence's end, after words in ordinary case; a title's
  // last word after a comma is still a word.
  const std::vector<Sentence> called = {
      {"Mum: Come in, Liming.", {"mum", "come"}, {"lime"}},
      {"Come in, Liming. Sit by the window.", {"come", "sit", "window"}, {"lime"}},
      {"Thank you, Liping!", {"thank"}, {"lip"}},
      {"Mum: Riding is fun.", {"mum", "ride", "fun"}, {}},
      {"Step 4, Waiting", {"step", "wait"}, {}},
      {"Notes on Travel, Waiting", {"note", "travel", "wait"}, {}},
      {"Shopping, Dining and Riding in Xiamen", {"shopping", "dine", "ride"}, {}},
  };
  expectPage(called);
}

TEST_F(ShippedExtractionTest, APastAfterSomeoneIsTheAdjectiveOfAClauseWhoseVerbFollows) {
  const std::vector<Sentence> page = {
      {"Someone interested in the club should email me.",
       {"interested", "club", "email"},
       {"interest"}},
      {"Anybody scared of heights can stay below.", {"scared", "height", "stay"}, {"scare"}},
      {"Everyone pleased with the menu clapped.", {"pleased", "menu", "clap"}, {"please"}},
      {"Nobody involved in the fight was hurt.", {"involved", "fight", "hurt"}, {"involve"}},
      {"Everybody interested should sign up.", {"interested", "sign"}, {"interest"}},
      // The clause's verb several words on, or before "to" and a verb.
      {"Everyone pleased with the new bus timetable wrote to say so.",
       {"pleased", "timetable", "write", "say"},
       {"please"}},
      {"nobody scared of the steep hill on the new route has written",
       {"scared", "steep", "route", "write"},
       {"scare"}},
      {"He talked about the tea leaves his grandmother used to read.", {"leaf", "read"}, {"leave"}},
  };
  expectPage(page);
  // With an object, or no verb after it, the past is the pronoun's verb.
  const std::vector<Sentence> verbs = {
      {"Someone opened the door.", {"open", "door"}, {}},
      {"Nobody interested him.", {"interest"}, {"interested"}},
      {"Everyone worried about the exam.", {"worry", "exam"}, {"worried"}},
      {"Someone surprised us with a cake.", {"surprise", "cake"}, {"surprised"}},
      {"Someone worried about the gift sent to school.", {"worry", "send", "school"}, {"worried"}},
  };
  expectPage(verbs);
}

TEST_F(ShippedExtractionTest, LeavesAndLivesAfterANounAreNounsWhereTheClausesVerbFollows) {
  const std::vector<Sentence> page = {
      {"The tea leaves in the cup were bitter.", {"tea", "leaf", "cup", "bitter"}, {"leave"}},
      {"Village lives in winter were quiet.", {"village", "life", "winter", "quiet"}, {"live"}},
      {"The tea leaves in the pot turned brown.", {"leaf", "pot", "turn"}, {"leave"}},
  };
  expectPage(page);
  const std::vector<Sentence> verbs = {
      {"My aunt lives with us.", {"aunt", "live"}, {"life"}},
      {"The bus leaves at noon.", {"bus", "leave", "noon"}, {"leaf"}},
      {"My friend lives in a flat that was cheap.", {"friend", "live", "flat"}, {"life"}},
      {"The train leaves in the morning and arrives at noon.", {"train", "leave"}, {"leaf"}},
  };
  expectPage(verbs);
}

TEST_F(ShippedExtractionTest, ASpeakersLabelAndALettersGreetingStartASentence) {
  const std::vector<Sentence> page = {
      {"Q: Can you lay the cups out?", {"can", "lay", "cup"}, {"lie"}},
      {"Mum: Will you saw the branch off?", {"will", "saw", "branch"}, {"see"}},
      {"Dear Tom, May I lay the rug here?", {"may", "lay", "rug"}, {"lie"}},
      {"A: Could you saw it in half?", {"could", "saw", "half"}, {"see"}},
      {"Tom: Can you lay the table now?", {"lay", "table"}, {"lie"}},
      {"Teacher: Will you found a club?", {"teacher", "found", "club"}, {"find"}},
      {"Hello, Will you lay the cloth?", {"hello", "lay", "cloth"}, {"lie"}},
      {"Dear Sir or Madam, May I ask for your help?", {"may", "ask", "help"}, {}},
  };
  expectPage(page);
  // A month stays one inside a sentence, also before a colon or after a number.
  const std::vector<Sentence> months = {
      {"May I leave now?", {"may", "leave", "now"}, {}},
      {"In May she left her job.", {"May", "leave", "job"}, {"left"}},
      {"We met in May: the weather was fine.", {"May", "meet", "weather"}, {"may"}},
      {"Date: 12 May", {"date", "May"}, {"may"}},
  };
  expectPage(months);
  // A title-case run after a colon that no word in lower case goes on from is a title, whose
  // words read as words; a run that a sentence goes on from keeps its name.
  const std::vector<Sentence> titles = {
      {"Names included: Inferior But Marketable; Better Manually.",
       {"include", "inferior", "but", "manually"},
       {}},
      {"Amanda: Advanced Maryland Automatic", {"advanced", "automatic"}, {}},
      {"|Amanda: Advanced Maryland Automatic| | |I:2 |", {"advanced", "automatic"}, {}},
  };
  expectPage(titles);
  const std::vector<Sentence> names = {
      {"Note: Yesterday Lucy Brook came.", {"note", "yesterday", "come"}, {"brook"}},
      {"Guests: Lucy Brook and Tom Baker", {"guest"}, {"brook", "baker"}},
      {"Winner: Tom Baker", {"winner"}, {"baker"}},
      {"Yesterday Lucy Brook came.", {"yesterday", "come"}, {"brook"}},
  };
  expectPage(names);
}

TEST_F(ShippedExtractionTest, AHeadlinesPastBeforeAStreetsWordIsAVerb) {
  const std::vector<Sentence> page = {
      {"Shares Rose Way Too Fast", {"share", "rise", "way", "fast"}, {}},
      {"Lost Wallet Found Close to Station", {"lose", "wallet", "find", "station"}, {}},
      {"Temperatures Rose Way Above Normal", {"temperature", "rise", "normal"}, {}},
  };
  expectPage(page);
  // A street's name, which a name or nothing capitalised leads.
  const std::vector<Sentence> streets = {
      {"Rose Way", {"rose", "way"}, {"rise"}},
      {"She lives on Rose Way.", {"live", "rose", "way"}, {"rise"}},
      {"We walked down Red Rose Lane to the park.", {"red", "rose", "lane"}, {"rise"}},
      {"They met at Found Court in the evening.", {"found", "court", "evening"}, {"find"}},
  };
  expectPage(streets);
}

TEST_F(ShippedExtractionTest, APastAfterItsSubjectReachesPastAnAdverbAndAndToAParticle) {
  const std::vector<Sentence> page = {
      {"The workers quickly loaded the truck.", {"worker", "load", "truck"}, {"loaded"}},
      {"He cooked and dried the rice.", {"cook", "dry", "rice"}, {"dried"}},
      {"The pond dried up in July.", {"pond", "dry", "July"}, {"dried"}},
      {"She washed and dried her hair.", {"wash", "dry", "hair"}, {"dried"}},
      {"The money soon dried up.", {"money", "dry"}, {"dried"}},
      {"The carriage drove off.", {"carriage", "drive"}, {"drove"}},
  };
  expectPage(page);
  // Where the word is an adjective it stays the adjective's own.
  const std::vector<Sentence> adjectives = {
      {"She was tired.", {"tired"}, {"tire"}},
      {"We ate fried rice.", {"fried", "rice"}, {"fry"}},
      {"The dried up river bed was wide.", {"dried", "river", "bed"}, {"dry"}},
      {"She thought Mr Knightley particularly delighted.", {"delighted"}, {}},
      {"Astonished and shocked, she sat down.", {"astonished", "shocked", "sit"}, {"shock"}},
  };
  expectPage(adjectives);
}

TEST_F(ShippedExtractionTest, LayBeforeAnObjectIsLaysAndAccentsGoOnlyFromBorrowedWords) {
  const std::vector<Sentence> page = {
      {"The wise lay their plans early.", {"wise", "lay", "plan", "early"}, {"lie"}},
      {"The hen lay an egg.", {"hen", "lay", "egg"}, {"lie"}},
      {"I lay it down as a rule.", {"lay", "rule"}, {"lie"}},
      // Without an object it may be lie's past.
      {"The homeless lay under the bridge.", {"homeless", "lie"}, {}},
      {"We lay down on the grass.", {"lay", "lie", "grass"}, {}},
  };
  expectPage(page);
  // A word with accents is the borrowed word without them, or none.
  const std::vector<Sentence> accents = {
      {"She chose a pink ros\u00e9 for the picnic.", {"choose", "pink", "picnic"}, {"rose"}},
      {"H\u00e9ctor and \u00c1ngel arrived.", {"arrive"}, {"hector", "angel"}},
      {"Her name is L\u00f3ng.", {"name"}, {"long"}},
      {"Her d\u00e9but was a success; the fa\u00e7ade of the \u00e9lite caf\u00e9 was old.",
       {"debut", "success", "facade", "elite", "cafe", "old"},
       {}},
      {"Her fianc\u00e9s and clich\u00e9s", {"fiance", "cliche"}, {}},
  };
  expectPage(accents);
}

TEST_F(ShippedExtractionTest, AWordThatOpensAClauseEndsThePhraseWhoseVerbARuleLooksFor) {
  expectPage({
      {"Grandpa leaves for the park after lunch is finished.", {"leave"}, {}},
      {"Our coach leaves once everyone is on board.", {"leave"}, {}},
      {"Somebody worried after the call had ended.", {"worry"}, {}},
      {"The plane leaves before the weather turns bad.", {"leave"}, {}},
      {"Someone interested in the club after school should email me.",
       {"interested"},
       {"interest"}},
  });
  // Every subordinator after the phrase, every kind of subject, every opener: the verb stays,
  // and the other reading goes where the subordinator cannot be the phrase's own word.
  const std::vector<std::string> subjects = {"Tom", "Andr\u00e9", "The bus", "She", "Everybody"};
  std::vector<Frame> frames;
  for (const std::string& opener : kOpeners)
    for (const std::string& word : kSubordinators) {
      const bool sure = !mayBeOfThePhrase(word);
      for (const std::string& subject : subjects) {
        const bool noun = subject == "The bus";
        frames.push_back({opener + subject + " leaves for the park " + word + " lunch is over.",
                          "leave", "leaf", sure || !noun});
        frames.push_back(
            {opener + subject + " worried " + word + " the call had ended.", "worry", ""});
      }
      frames.push_back(
          {opener + "Somebody worried " + word + " the call had ended.", "worry", "worried", sure});
      // The clause's verb before the subordinator is still its own.
      frames.push_back(
          {opener + "The tea leaves in the cup were bitter " + word + " the rain came.", "leaf",
           "leave", true});
      frames.push_back(
          {opener + "Someone interested in the club should email me " + word + " the term starts.",
           "interested", "interest", true});
    }
  expectFrames(frames);
  EXPECT_EQ(frames.size(), 5u * 16u * 13u);
}

TEST_F(ShippedExtractionTest, LayAfterASubjectThatIsNoPluralIsLiesPast) {
  expectPage({
      {"Dust lay an inch thick on the shelf.", {"lie", "dust", "shelf"}, {"lay"}},
      {"The boy lay a whole day in bed.", {"lie", "bed"}, {"lay"}},
      {"The boat lay a short way off the shore.", {"lie", "shore"}, {"lay"}},
      {"The hens lay eggs every morning.", {"lay", "egg"}, {}},
      {"The wise lay their plans early.", {"lay"}, {"lie"}},
      {"The hen lay an egg.", {"lay"}, {"lie"}},
      {"Workers lay a mile of cable.", {"lay", "cable"}, {}},
  });
  // A subject of one, a distance or a time after "lay" (no object), anything before or after.
  const std::vector<std::string> subjects = {"Tom", "Andr\u00e9", "The boy",
                                             "He",  "Someone",    "Dust"};
  const std::vector<std::string> measures = {"an inch thick on the shelf", "a whole day in bed",
                                             "a short way off the shore", "in the sun"};
  std::vector<Frame> frames;
  for (const std::string& opener : kOpeners)
    for (const std::string& measure : measures) {
      for (const std::string& subject : subjects)
        for (const char* after : {".", " after the storm had passed."})
          frames.push_back({opener + subject + " lay " + measure + after, "lie", "lay", true});
      // Of many, it may be lay's present too; before its object it is.
      frames.push_back({opener + "The boats lay " + measure + ".", "lie", "lay", false});
      frames.push_back({opener + "The hens lay eggs " + measure + ".", "lay", "", false});
    }
  expectFrames(frames);
  EXPECT_EQ(frames.size(), 5u * 4u * 14u);
}

TEST_F(ShippedExtractionTest, AfterALabelAMonthANameAndAModalsSpellingReadByWhatFollows) {
  expectPage({
      {"Opening day: May 3", {"opening", "day", "May"}, {"may"}},
      {"Meeting: May 14 at noon", {"meeting", "May", "noon"}, {"may"}},
      {"Captain: Rose Chen", {"captain"}, {"rose", "rise"}},
      {"Champion: Mark Evans", {"champion"}, {"mark"}},
      {"Hi Jo,\nWill says hello.", {"hi", "say", "hello"}, {"will"}},
      {"Q: May I sit here?", {"may", "sit"}, {}},
      {"Note: Will you bring a pen?", {"will", "bring", "pen"}, {}},
      {"Mum: Will you saw the branch off?", {"will", "saw", "branch"}, {"see"}},
      {"Note: Yesterday Chen came.", {"yesterday", "come"}, {}},
      {"Scene II: King Edward: So it goes.", {"king", "go"}, {}},
  });
  const auto lowerCase = [](std::string word) {
    word[0] = static_cast<char>(word[0] - 'A' + 'a');
    return word;
  };
  std::vector<Frame> frames;
  for (const std::string label : {"Opening day: ", "Winner: ", "Captain: ", "", "Hi Jo,\n"}) {
    // A month before a day or a year.
    for (const std::string month : {"May", "March", "August"})
      for (const char* date : {" 3", " 14 at noon", " 2024"})
        frames.push_back({label + month + date, month, lowerCase(month)});
    // A word and a surname alone after a label: a name. Where no label stands, unsure.
    for (const std::string first : {"Rose", "Mark", "Will"})
      for (const char* surname : {"Chen", "Evans", "Mu\u00f1oz"})
        frames.push_back({label + first + " " + surname, "", lowerCase(first),
                          !label.empty() && label.back() == ' '});
    // A modal's spelling before a third person: a name; before its subject: the modal.
    for (const char* rest : {" says hello.", " leaves at six.", " lives nearby.", " has left."})
      frames.push_back({label + "Will" + rest, "", "will"});
    frames.push_back({label + "Will you bring a pen?", "will", ""});
    frames.push_back({label + "Will you saw the branch off?", "saw", "see"});
    frames.push_back({label + "May I sit here?", "may", ""});
  }
  expectFrames(frames);
  EXPECT_EQ(frames.size(), 5u * 25u);
}

TEST_F(ShippedExtractionTest, AnAccentedNameThatGivesNothingIsStillItsVerbsSubject) {
  expectPage({
      {"Andr\u00e9 lives by the sea.", {"live", "sea"}, {"life"}},
      {"Mr Mu\u00f1oz leaves at six.", {"leave"}, {"leaf"}},
      {"Sent by the SI (Syst\u00e8me International).", {"send", "international"}, {}},
  });
  std::vector<Frame> frames;
  for (const std::string& opener : kOpeners)
    for (const char* name : {"Andr\u00e9", "Mr Mu\u00f1oz", "Zo\u00eb", "Jos\u00e9 Garc\u00eda"})
      for (const char* after : {".", " because the air is fresh."}) {
        frames.push_back({opener + name + " lives by the sea" + after, "live", "life", true});
        frames.push_back({opener + name + " leaves at six" + after, "leave", "leaf", true});
      }
  expectFrames(frames);
  EXPECT_EQ(frames.size(), 5u * 4u * 4u);
}

TEST_F(ShippedExtractionTest, EveryWordABookTeachesComesOutOfSomeText) {
  const Value taught = CallDB::callDB()->sql_select(
      "select wl_tWord from Words_Library where wl_uWordID in (select f_wl_uId from book_words)",
      "s", "", Value::array());
  ASSERT_GT(taught.size(), 10000u);
  // Each word inside a sentence, where nothing before it makes it a noun: one text for all, as
  // a word's readings do not depend on the words around it but the one before.
  std::string text;
  for (size_t i = 0; i < taught.size(); ++i) text += "so " + taught.at(i).asString() + " and ";
  const Words found = extract(text);
  const std::unordered_set<std::string> out(found.begin(), found.end());
  Words lost;
  for (size_t i = 0; i < taught.size(); ++i)
    if (!out.count(taught.at(i).asString())) lost.push_back(taught.at(i).asString());
  std::string list;
  for (const std::string& word : lost) list += word + " ";
  EXPECT_TRUE(lost.empty()) << lost.size() << " words never come out: " << list;
}

}  // namespace
}  // namespace toolstest
