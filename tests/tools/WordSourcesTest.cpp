// The word library maker on small extracts of its sources.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/base/Files.h"
#include "tests/support/FixtureWords.h"
#include "tests/support/TempHome.h"
#include "tests/tools/WordSourceFixtures.h"
#include "tools/TsvFile.h"
#include "tools/library/BritishPhonetics.h"
#include "tools/library/ChineseMeanings.h"
#include "tools/library/Inflections.h"
#include "tools/library/Phonetics.h"
#include "tools/library/WordLibraryMaker.h"
#include "tools/library/WordNet.h"

namespace toolstest {
namespace {

TEST(Phonetics, ArpabetBecomesIpaWithTheStressBeforeItsSyllable) {
  const std::pair<const char*, const char*> cases[] = {
      {"B AH0 N AE1 N AH0", "bəˈnænə"},             // one consonant opens the syllable
      {"EH1 K S T R AH0", "ˈɛkstrə"},               // "str" opens it, "k" closes the one before
      {"AH2 N D ER0 S T AE1 N D", "ˌʌndərˈstænd"},  // secondary stress; "st" opens
      {"B UH1 K", "bʊk"},                           // no mark on a word of one syllable
      {"B ER1 D", "bɝd"},
      {"S IH1 NG ER0", "ˈsɪŋər"},  // "ng" opens no syllable
  };
  for (const auto& [arpabet, ipa] : cases) EXPECT_EQ(tools::arpabetToIpa(arpabet), ipa) << arpabet;
  EXPECT_EQ(tools::arpabetToIpa("K XX1 T"), std::nullopt);
  EXPECT_EQ(tools::arpabetToIpa(""), std::nullopt);
}

TEST(BritishPhonetics, TheDictionarysNotationBecomesTodaysIpa) {
  const std::pair<const char*, const char*> cases[] = {
      {"ðєә", "ðeə"},                   // Cyrillic є and ә
      {"i^'zæktli", "ɪɡˈzæktli"},       // "^" for a lost ɡ; short i
      {"'wɒ:tә", "ˈwɔːtə"},             // ɒ: is ɔː
      {".ʌndә'stænd", "ˌʌndəˈstænd"},   // "." for secondary stress before the primary
      {"'bɔl.pɑ:k", "ˈbɒlˌpɑːk"},       // ... and after it
      {"dæns. dɑ:ns", "dæns"},          // variants: the first
      {"liv.laiv", "lɪv"},              // variants without stress
      {"ә'bju:s.ә'bju:z", "əˈbjuːs"},   // variants each with their stress
      {"'kɔndʌkt, -dәkt", "ˈkɒndʌkt"},  // a fragment after a comma
      {"әb'sesiv,ɔb-", "əbˈsesɪv"},     // ... with no space
      {",sivilai'zeiʃən;-li'z-", "ˌsɪvɪlaɪˈzeɪʃən"},
      {"'ɑ:ftә'nu:n", "ˌɑːftəˈnuːn"},  // one primary stress a word
      {"'peidʒә(r)", "ˈpeɪdʒə"},       // optional sounds left out
      {"gou", "ɡəʊ"},                  // diphthongs as written today
      {"'siәriәs", "ˈsɪəriəs"},        // iə is ɪə only when stressed
      {"'hæpi", "ˈhæpi"},              // a final i stays
      {"hwєә", "weə"},
      {"'bjldɔ^", "ˈbʊldɒɡ"},  // a u typed as j
      {"pә'tikjjlәli", "pəˈtɪkjʊləli"},
      {"ˌpepəˈrəʊni", "ˌpepəˈrəʊni"},  // already in today's letters
      {"'kwi:n", "kwiːn"},             // no mark on one syllable ...
      {"'pi:pl", "ˈpiːpl"},            // ... but a syllabic consonant is one
      {"'riәl", "ˈrɪəl"},              // ... and so is a ə said apart
      {"hændl", "ˈhændl"},             // ... which is marked where the dictionary forgot
      {"auә", "ˈaʊə"},
      {"'pәuit", "ˈpəʊɪt"},
      {"'siks'ti:n", "ˌsɪksˈtiːn"},  // six|teen, no s moved over its join
  };
  for (const auto& [notation, ipa] : cases) {
    EXPECT_EQ(tools::britishToIpa(notation), ipa) << notation;
    EXPECT_TRUE(tools::isBritishIpa(ipa)) << ipa;
  }
  // What cannot be read is left empty rather than shown garbled.
  for (const char* garbled : {"-'kripʃən", "i't\\\\:nәli", "simәl'teiniәsly; (?@) saim-",
                              "' aut'saidә", "", "'", "x:"})
    EXPECT_EQ(tools::britishToIpa(garbled), "") << garbled;
  for (const char* foreign : {"ˈwɒːtə", "ðєə", "ɡou", "i^zæk"})
    EXPECT_FALSE(tools::isBritishIpa(foreign)) << foreign;
}

class WordSourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testsupport::makeTempDir("vocab-sources");
    writeWordNetExtract(folder_ + "/wordnet");
    writeWordDataExtract(folder_ + "/data");
    writeCuratedExtract(folder_ + "/curated");
  }
  void TearDown() override { plat::files::remove(folder_); }

  tools::WordLibrarySources sources() const {
    return {folder_ + "/wordnet", folder_ + "/data", folder_ + "/curated"};
  }
  std::string output() const { return folder_ + "/library"; }
  std::string read(const std::string& name) const {
    return plat::files::readFile(output() + "/" + name).value_or("<missing>");
  }

  std::string folder_;
};

TEST_F(WordSourcesTest, ReverseLookupPutsTheEverydayWordFirst) {
  tools::ChineseMeanings meanings =
      tools::ChineseMeanings::load(folder_ + "/data/cedict.txt", {"damn"});
  auto first = [&](const std::string& word, char pos, bool strict) {
    auto found = meanings.lookup(word, pos, 3, strict);
    return found.empty() ? std::string() : found.front().chinese;
  };
  // A noun gloss for a verb counts only when nothing suits.
  EXPECT_EQ(first("walk", 'n', true), "散步");
  // Entries that gloss swearing are no meaning of anything.
  EXPECT_TRUE(meanings.lookup("swear at someone", 'v', 3, false).empty());
}

TEST_F(WordSourcesTest, InflectionsComeFromTheExceptionListsAndTheSpellingRules) {
  tools::WordNet wordNet = tools::WordNet::load(folder_ + "/wordnet");
  const std::set<std::string> known = {"trees",    "walks",    "walked",   "walking",
                                       "waters",   "watered",  "watering", "happier",
                                       "happiest", "children", "stops"};
  const tools::WordExchange noRecord;
  tools::Inflections inflections(wordNet, noRecord,
                                 [&](const std::string& w) { return known.count(w) > 0; });
  EXPECT_EQ(inflections.formsText("walk", {'v', 'n'}), "@walks $walked %walked ^walking #walks");
  EXPECT_EQ(inflections.formsText("run", {'v'}), "$ran %run ^running");  // "runs" is unknown
  EXPECT_EQ(inflections.formsText("stop", {'v'}), "@stops $stopped %stopped ^stopping");
  EXPECT_EQ(inflections.formsText("child", {'n'}), "#children");
  EXPECT_EQ(inflections.formsText("happy", {'a'}), "&happier *happiest");
}

TEST_F(WordSourcesTest, TheDictionarysRecordGivesRealFormsAndWordNetFillsWhereItIsSilent) {
  testsupport::writeTextFile(
      folder_ + "/exchange.txt",
      "set\td:set/0:set/1:dp/p:set/i:setting/s:sets/3:sets\n"
      "hurt\td:hurt/0:hurt/1:dp/p:hurt/i:hurting/3:hurts/s:hurts\n"
      "live\tp:lived/i:living/3:lives/d:lived/s:lives\n"
      "bad\tr:worse/t:worst\n"
      "worried\t0:worry/1:pd/d:worried/p:worried\n"
      "run\ti:running/3:runs\n"
      "saw\t0:see/1:p/i:sawing/s:saws/d:sawn/p:sawed/3:saws\n"
      "skies\t1:s3/0:sky\n"
      "men\t0:man/1:s/s:mens/3:mens\n"
      "off\ti:offing/p:offed/3:offs/d:offed\n"
      "offer\tp:offered/d:offered/i:offering/3:offers/s:offers\n"
      "sheep\ts:sheeps\n"
      "mouse\ts:mice\n");
  testsupport::writeTextFile(folder_ + "/wordnet/adj.exc", "happier happy\noffer off\n");
  const tools::WordExchange exchange = tools::WordExchange::load(folder_ + "/exchange.txt");
  tools::WordNet wordNet = tools::WordNet::load(folder_ + "/wordnet");
  // Every regular guess but "sheeps" counts as a word: only the record keeps "liver" and
  // "hurted" out.
  tools::Inflections inflections(wordNet, exchange,
                                 [](const std::string& w) { return w != "sheeps"; });
  EXPECT_EQ(inflections.formsText("set", {'v', 'n'}), "@sets $set %set ^setting #sets");
  EXPECT_EQ(inflections.formsText("hurt", {'v'}), "@hurts $hurt %hurt ^hurting");
  EXPECT_EQ(inflections.formsText("live", {'v', 'a'}), "@lives $lived %lived ^living");
  EXPECT_EQ(inflections.formsText("bad", {'a'}), "&worse *worst");
  // An inflected word's note of itself is no form of it, nor is a plural's plural.
  EXPECT_EQ(inflections.formsText("worried", {'v', 'a'}), "");
  EXPECT_EQ(inflections.formsText("men", {'n'}), "");
  // A regular spelling of the record stands only as a word in use; an irregular one always.
  EXPECT_EQ(inflections.formsText("sheep", {'n'}), "");
  EXPECT_EQ(inflections.formsText("mouse", {'n'}), "#mice");
  // WordNet's "offer" of off is a word of its own in the dictionary.
  EXPECT_EQ(inflections.formsText("off", {'a'}), "");
  // Where the record is silent (no past of "run") WordNet's exceptions give the irregular forms.
  EXPECT_EQ(inflections.formsText("run", {'v'}), "@runs $ran %run ^running");

  EXPECT_EQ(exchange.baseOf("saw").lemma, "see");
  EXPECT_EQ(exchange.baseOf("saw").pos, 'v');
  EXPECT_EQ(exchange.baseOf("skies").pos, 'n');
  EXPECT_EQ(exchange.baseOf("set").lemma, "");  // its own base

  testsupport::writeTextFile(folder_ + "/exchange.txt", "walk\tp:walked\nwalks walk\n");
  try {
    tools::WordExchange::load(folder_ + "/exchange.txt");
    ADD_FAILURE() << "a record without its TAB was read";
  } catch (const tools::BuildError& e) {
    EXPECT_NE(std::string(e.what()).find("exchange.txt:2: expected a word"), std::string::npos)
        << e.what();
  }
}

// The record of an inflected word that is a word too ("felt" the cloth) copies its base's forms,
// and now and then misspells one; the card shows the word's own forms, spelt as some source
// spells them.
TEST_F(WordSourcesTest, AFormsRecordGivesTheWordsOwnFormsSpeltAsTheSourcesSpellThem) {
  testsupport::writeTextFile(folder_ + "/exchange.txt",
                             "feel\tp:felt/i:feeling/d:felt/3:feels\n"
                             "felt\t0:feel/1:pd/s:felts/p:felted/d:felted/i:feeling/3:feels\n"
                             "fall\tp:fell/d:fallen/i:falling/3:falls/s:falls\n"
                             "fell\t0:fall/1:pd/d:felled/s:fells/i:felling/p:fell/3:falls\n"
                             "let\ti:letting/d:let/0:let/1:dp/p:let/3:lets\n"
                             "buffet\ts:buffets/d:buffetted/i:buffeting/p:buffeted/3:buffets\n"
                             "clothe\td:clothed/p:clothed/3:clothes/i:cloathing\n"
                             "stag\tp:stagged/d:stagged/s:stags\n"
                             "chairwoman\ts:chairwomen\n"
                             "has\t0:have/1:3\n"
                             "equipment\ts:equipments\n");
  const tools::WordExchange exchange = tools::WordExchange::load(folder_ + "/exchange.txt");
  tools::WordNet wordNet = tools::WordNet::load(folder_ + "/wordnet");
  const std::set<std::string> spelled = {
      "feeling", "feels",   "felts",    "fells",      "felling",  "felled",
      "lets",    "letting", "buffeted", "buffeting",  "clothing", "clothed",
      "clothes", "staged",  "has",      "equipments", "littler",  "littlest"};
  tools::Inflections inflections(
      wordNet, exchange,
      tools::Inflections::Evidence{
          [&](const std::string& w) { return spelled.count(w) > 0; },
          [&](const std::string& w) { return spelled.count(w) > 0; },
          [](const std::string& noun, const std::string&) { return noun != "equipment"; },
          [](const std::string& w) { return w == "have" ? 1000L : 10L; }, nullptr});
  // "feels" and "feeling" are feel's: felt keeps its own, and guesses those in use ("felts").
  EXPECT_EQ(inflections.formsText("felt", {'v', 'n'}), "@felts $felted %felted #felts");
  // fell has no past of its own in the record ("fell" is fall's), so it is guessed.
  EXPECT_EQ(inflections.formsText("fell", {'v'}), "@fells $felled %felled ^felling");
  // A word that names itself its base keeps every form.
  EXPECT_EQ(inflections.formsText("let", {'v'}), "@lets $let %let ^letting");
  // A misspelling gives way to the record's other spelling or to the rule's, where a source
  // spells it; a regular spelling that no other word takes stays ("stagged", not "staged").
  EXPECT_EQ(inflections.formsText("buffet", {'v'}), "@buffets $buffeted %buffeted ^buffeting");
  EXPECT_EQ(inflections.formsText("clothe", {'v'}), "@clothes $clothed %clothed ^clothing");
  EXPECT_EQ(inflections.formsText("stag", {'v'}), "$stagged %stagged");
  EXPECT_EQ(inflections.formsText("chairwoman", {'n'}), "#chairwomen");
  // A plural the evidence refuses is left out; so is a guess that the record gives another,
  // commoner word ("has" of have, not a plural of the interjection "ha").
  EXPECT_EQ(inflections.formsText("equipment", {'n'}), "");
  EXPECT_EQ(inflections.formsText("ha", {'n'}), "");
  // Comparisons made of other words.
  EXPECT_EQ(inflections.formsText("little", {'a'}), "&less *least");
  EXPECT_EQ(inflections.formsText("many", {'a'}), "&more *most");
  EXPECT_EQ(inflections.formsText("much", {'r'}), "&more *most");
}

// A third person that the record lost to a base it names ("canter" as a comparative of cant)
// or to a variant's spelling ("lambasts" of lambast) is the regular one.
TEST_F(WordSourcesTest, AThirdPersonTheRecordLostOrMisspeltIsTheRegularOne) {
  testsupport::writeTextFile(folder_ + "/exchange.txt",
                             "cant\tp:canted/3:cants/i:canting/d:canted\n"
                             "canter\tp:cantered/i:cantering/d:cantered/s:canters/0:cant/1:r/"
                             "3:cants\n"
                             "lambaste\ti:lambasting/p:lambasted/3:lambasts/d:lambasted\n");
  const tools::WordExchange exchange = tools::WordExchange::load(folder_ + "/exchange.txt");
  tools::WordNet wordNet = tools::WordNet::load(folder_ + "/wordnet");
  const std::set<std::string> spelled = {"cantered", "cantering", "lambasted", "lambasting"};
  auto known = [&](const std::string& w) { return spelled.count(w) > 0; };
  tools::Inflections inflections(
      wordNet, exchange, tools::Inflections::Evidence{known, known, nullptr, nullptr, nullptr});
  EXPECT_EQ(inflections.formsText("canter", {'v'}), "@canters $cantered %cantered ^cantering");
  EXPECT_EQ(inflections.formsText("lambaste", {'v'}),
            "@lambastes $lambasted %lambasted ^lambasting");
}

// WordNet's irregular forms that the record leaves out stand beside its own where a text uses
// them, unless they are old, made by a rule, or a word of their own.
TEST_F(WordSourcesTest, AnIrregularFormInUseStandsBesideTheRecordsOwn) {
  testsupport::writeTextFile(folder_ + "/exchange.txt",
                             "prove\td:proved/p:proved/i:proving/3:proves\n"
                             "proven\t0:prove/1:d/d:proven\n"
                             "work\td:worked/p:worked/i:working/3:works\n"
                             "wrought\t0:work/1:d/d:wrought\n"
                             "model\td:modeled/p:modeled\n"
                             "melt\td:melted/p:melted\n"
                             "dwarf\ts:dwarfs\n");
  testsupport::writeTextFile(folder_ + "/wordnet/verb.exc",
                             "proven prove\nwrought work\nmodelled model\nmolten melt\n");
  testsupport::writeTextFile(folder_ + "/wordnet/noun.exc", "dwarves dwarf\n");
  const tools::WordExchange exchange = tools::WordExchange::load(folder_ + "/exchange.txt");
  tools::WordNet wordNet = tools::WordNet::load(folder_ + "/wordnet");
  const std::map<std::string, long> uses = {
      {"proven", 300}, {"proved", 500}, {"wrought", 40}, {"worked", 6000}, {"modelled", 50},
      {"modeled", 60}, {"dwarves", 57}, {"dwarfs", 55},  {"molten", 60},   {"melted", 200}};
  auto any = [](const std::string&) { return true; };
  tools::Inflections inflections(
      wordNet, exchange,
      tools::Inflections::Evidence{
          any, any, [](const std::string&, const std::string&) { return true; },
          [&](const std::string& w) { return uses.count(w) ? uses.at(w) : 10L; },
          [](const std::string& w) { return w == "molten"; }});
  // A participle stands beside the record's, never as a past.
  EXPECT_EQ(inflections.formsText("prove", {'v'}), "@proves $proved %proved %proven ^proving");
  EXPECT_EQ(inflections.formsText("dwarf", {'n'}), "#dwarfs #dwarves");
  // "wrought" is used too little beside "worked", a rule makes "modelled", "molten" has a card.
  EXPECT_EQ(inflections.formsText("work", {'v'}), "@works $worked %worked ^working");
  EXPECT_EQ(inflections.formsText("model", {'v'}), "$modeled %modeled");
  EXPECT_EQ(inflections.formsText("melt", {'v'}), "$melted %melted");
}

// Our own reviewed sound stands in place of the open data's; an empty field keeps the source's.
TEST_F(WordSourcesTest, AReviewedSoundStandsInPlaceOfTheOpenDatas) {
  testsupport::writeTextFile(folder_ + "/curated/sound_overrides.tsv",
                             "happy\t\tˈhæpɪ\nwater\tˈwɑtər\t\n");
  tools::makeWordLibrary(sources(), output());
  const std::string words = read("words.tsv");
  EXPECT_NE(words.find("\twater\tˈwɑtər\tˈwɔːtə\t"), std::string::npos) << words;
  EXPECT_NE(words.find("\thappy\tˈhæpi\tˈhæpɪ\t"), std::string::npos) << words;
  testsupport::writeTextFile(folder_ + "/curated/sound_overrides.tsv", "happy\t\t\n");
  EXPECT_THROW(tools::makeWordLibrary(sources(), output()), tools::BuildError);
}

// A slip of the dictionary's hand on our own list is mended in every sense that holds it, and a
// sense it makes twice stands once.
TEST_F(WordSourcesTest, TheDictionarysSlipsOfTheHandAreMendedWhereverTheyStand) {
  testsupport::writeTextFile(folder_ + "/curated/chinese_slips.tsv", "树木\t林木\n小孩\t孩子\n");
  tools::makeWordLibrary(sources(), output());
  const std::string meanings = read("meanings_ch.tsv");
  EXPECT_NE(meanings.find("tree\t1\tn. 树；林木\n"), std::string::npos) << meanings;
  EXPECT_NE(meanings.find("child\t1\tn. 孩子\n"), std::string::npos) << meanings;
  testsupport::writeTextFile(folder_ + "/curated/chinese_slips.tsv", "孩子\t孩子\n");
  EXPECT_THROW(tools::makeWordLibrary(sources(), output()), tools::BuildError);
}

// A sense our own list puts first must be one of its word's: a slip stops the build.
TEST_F(WordSourcesTest, ASenseListedToComeFirstMustBeTheWords) {
  testsupport::writeTextFile(folder_ + "/curated/english_first.tsv", "water\tno such sense\n");
  EXPECT_THROW(tools::makeWordLibrary(sources(), output()), tools::BuildError);
}

TEST_F(WordSourcesTest, MakesHeadwordsInOrderOfFrequencyAndBooksByRank) {
  tools::WordLibraryCounts counts = tools::makeWordLibrary(sources(), output());
  EXPECT_EQ(counts.words, 9);
  EXPECT_EQ(counts.books, 8);
  // Inflected forms count for their base form (walked, walks); names and excluded words are no
  // headwords, nor "apple", which the English-Chinese dictionary knows only in a subject field;
  // the first library's word keeps its id and follows the books' words, then the exam list's
  // "Monday" and our own "Mr". A British form the dictionary lacks is made from the American
  // where the accents map one to one, and an American the pronouncing dictionary lacks from the
  // British ("stop", "Monday").
  EXPECT_EQ(read("words.tsv"),
            "# word_id, headword, US, UK, display form, editor (in order of frequency)\n"
            "2\tthe\tðə\tðə\t\t\n"
            "3\twalk\twɔk\twɔːk\t\t\n"
            "4\ttree\ttri\ttriː\t\t\n"
            "5\twater\tˈwɔtər\tˈwɔːtə\t\t\n"
            "6\tchild\ttʃaɪld\ttʃaɪld\t\t\n"
            "7\tstop\tstɑp\tstɒp\t\t\n"
            "1\thappy\tˈhæpi\tˈhæpi\t\t\n"
            "8\tMonday\tˈmʌndi\tˈmʌndi\t\t\n"
            "9\tMr\t\t\t\t\n");
  EXPECT_EQ(read("book_words/101.txt"), "the\nwalk\n");
  EXPECT_EQ(read("book_words/102.txt"), "tree\nwater\n");
  EXPECT_EQ(read("book_words/801.txt"), "water\t4\nchild\t5\nstop\t6\n");
  // The exam books follow, their words shared out evenly; "children", which the dictionary names
  // a plural, is no word of its own there.
  EXPECT_EQ(read("books.tsv"),
            "# book_id, book name, class_id\n101\t基础词汇 1-2\t1\n102\t基础词汇 3-4\t1\n"
            "800\t常用词频 1-3\t4\n801\t常用词频 4-6\t4\n501\t中考词汇 1-2\t5\n"
            "502\t中考词汇 3-4\t5\n503\t中考词汇 5-5\t5\n701\t四级词汇 1-3\t7\n");
  EXPECT_EQ(read("book_words/501.txt") + read("book_words/502.txt") + read("book_words/503.txt"),
            "walk\ntree\nwater\nchild\nMonday\n");
  EXPECT_EQ(read("book_words/701.txt"), "water\nstop\nhappy\n");
  EXPECT_EQ(read("book_class.tsv"),
            "# class_id, class name\n1\t基础词汇\n4\t常用词频\n5\t中考词汇\n7\t四级词汇\n");
  const std::string meanings = read("meanings_ch.tsv");
  // Transitive and intransitive lines make one verb row; WordNet knows no adjective "water". The
  // dictionary's whole line stands, and no meaning comes from the reverse lookup.
  EXPECT_NE(meanings.find("water\t1\tn. 水；雨水\nwater\t2\tv. 给…浇水；流泪\nchild\t"),
            std::string::npos)
      << meanings;
  EXPECT_NE(meanings.find("tree\t1\tn. 树；树木\n"), std::string::npos);
  EXPECT_NE(meanings.find("walk\t1\tv. 走；步行\nwalk\t2\tn. 散步\n"), std::string::npos);
  EXPECT_NE(meanings.find("Mr\t1\tn. 先生\n"), std::string::npos);
  EXPECT_EQ(meanings.find("apple"), std::string::npos);
  EXPECT_NE(meanings.find("the\t1\tart. 这；那\n"), std::string::npos);
  // Our own example with its translation comes before WordNet's.
  EXPECT_NE(read("examples.tsv")
                .find("tree\t1\tWe sat under a tree.\t我们坐在一棵树下。\n"
                      "tree\t1\tThe tree fell.\t\n"),
            std::string::npos);
  EXPECT_NE(read("antonyms.tsv").find("happy\tunhappy\n"), std::string::npos);
  EXPECT_NE(read("meanings_en.tsv").find("water\tn. a clear liquid\\nv. supply with water\n"),
            std::string::npos);
  // A function word, which WordNet does not know, takes our own English meaning.
  EXPECT_NE(read("meanings_en.tsv").find("the\tart. used before a noun when it is clear which one\n"),
            std::string::npos);
}

// A word whose count comes from a sense no teacher hands out leaves the frequency books, the next
// words moving up, and keeps its exam books, where it follows the frequency books' words.
TEST_F(WordSourcesTest, AnUnbandedWordKeepsItsExamBooksOnly) {
  testsupport::writeTextFile(folder_ + "/curated/unbanded_words.txt", "water\n");
  tools::makeWordLibrary(sources(), output());
  EXPECT_EQ(read("book_words/102.txt"), "tree\nchild\n");
  EXPECT_EQ(read("book_words/801.txt"), "child\t4\nstop\t5\nhappy\t6\n");
  EXPECT_EQ(read("book_words/501.txt") + read("book_words/502.txt") + read("book_words/503.txt"),
            "walk\ntree\nchild\nwater\nMonday\n");
  EXPECT_EQ(read("book_words/701.txt"), "stop\nhappy\nwater\n");
  EXPECT_NE(read("meanings_ch.tsv").find("water\t1\tn. 水；雨水\n"), std::string::npos);
  // Our own lists name plain lower-case words once.
  testsupport::writeTextFile(folder_ + "/curated/unbanded_words.txt", "water\nwater\n");
  EXPECT_THROW(tools::makeWordLibrary(sources(), output()), tools::BuildError);
}

TEST_F(WordSourcesTest, AMissingOrMalformedSourceStopsTheBuildNamingIt) {
  // A source file (under the test's folder) and what it holds then; no content: it is removed.
  const struct {
    const char* file;
    const char* content;
    const char* expected;
  } cases[] = {
      {"data/cmudict.txt", nullptr, "cmudict.txt: cannot be read"},
      {"data/cedict.txt", "", "cedict.txt: is empty"},
      {"data/exchange.txt", nullptr, "exchange.txt: cannot be read"},
      {"data/ecdict.txt", "water\tˈwɔ\n", "ecdict.txt:1: expected a word, its phonetic, its translation"},
      {"data/frequencies.txt", "walk\tmany\n",
       "frequencies.txt:1: expected a word and a positive count"},
      {"wordnet/data.adv", "00000031 02 r 01 quickly\n", "data.adv:1: line ends too early"},
      {"wordnet/verb.exc", nullptr, "verb.exc: cannot be read"},
      {"curated/book_bands.tsv", "1\t基础\t101\t1\t40\t2\n", "the books need 40"},
      {"curated/exam_books.tsv", "5\t中考词汇\tzk\t101\t2\n", "book 101 is made twice"},
      {"curated/function_words_en.tsv", "# none\n", "\"the\" has no English meaning"},
      {"curated/function_words_en.tsv", "the\tart.\tone\ntree\tn.\ta plant\n",
       "function_words_en.tsv:2: \"tree\" is not in function_words.tsv"},
      {"curated/function_words_en.tsv", "the\tadv.\tvery\n",
       "function_words_en.tsv:1: \"the\" has no adv. meaning in function_words.tsv"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    TearDown();
    SetUp();
    tools::makeWordLibrary(sources(), output());
    const std::string before = read("words.tsv");
    const std::string file = folder_ + "/" + c.file;
    if (c.content)
      testsupport::writeTextFile(file, c.content);
    else
      plat::files::remove(file);
    try {
      tools::makeWordLibrary(sources(), output());
      ADD_FAILURE() << "no error for " << c.expected;
    } catch (const tools::BuildError& e) {
      EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
    }
    EXPECT_EQ(read("words.tsv"), before);
  }
}

// Study rows, dumps and backups name words by id: a change of the data must move none of them.
TEST_F(WordSourcesTest, RecordedWordsKeepTheirIdsWhateverTheFrequencies) {
  tools::makeWordLibrary(sources(), output());
  auto ids = [&] {
    std::map<std::string, int> found;
    tools::TsvFile words = tools::TsvFile::read(output() + "/words.tsv", true);
    for (const tools::TsvRecord& r : words.records()) found[r.fields[1]] = std::stoi(r.fields[0]);
    return found;
  };
  const std::map<std::string, int> first = ids();
  ASSERT_EQ(first.size(), 9u);
  // The new words of the first build are listed for the record; "happy" was recorded already.
  EXPECT_EQ(read("new_word_ids.tsv").find("happy"), std::string::npos);
  std::string record;
  for (const auto& [word, id] : first) record += std::to_string(id) + "\t" + word + "\n";
  testsupport::writeTextFile(folder_ + "/curated/word_ids.tsv", record);
  testsupport::writeTextFile(folder_ + "/curated/excluded_words.txt", "damn\ntree\n");
  // The frequency order turned round, and "unhappy" joins as a word of an exam list.
  testsupport::writeTextFile(folder_ + "/data/frequencies.txt",
                             "the\t100\nstopped\t90\nhappy\t80\nchild\t70\nwater\t60\ntree\t50\n"
                             "walk\t40\nunhappy\t30\n");
  const std::string ecdict = folder_ + "/data/ecdict.txt";
  testsupport::writeTextFile(ecdict, plat::files::readFile(ecdict).value_or("") +
                                         "unhappy\tʌn'hæpi\ta. 不快乐的\t0\t0\tcet4\n");
  tools::WordLibraryCounts counts = tools::makeWordLibrary(sources(), output());
  const std::map<std::string, int> second = ids();
  for (const auto& [word, id] : first) {
    if (word == "tree") continue;
    EXPECT_EQ(second.at(word), id) << word;
  }
  // The excluded word is gone and its id stays unused; the new word takes the next id.
  EXPECT_EQ(second.count("tree"), 0u);
  EXPECT_EQ(second.at("unhappy"), 10);
  EXPECT_EQ(counts.newWords, 1);
  EXPECT_EQ(read("new_word_ids.tsv"), "# word_id, headword: words not yet in word_ids.tsv, to be "
                                      "added there\n10\tunhappy\n");
  // The record is read strictly: a word listed twice is an error, not a silent choice.
  testsupport::writeTextFile(folder_ + "/curated/word_ids.tsv", record + "11\tthe\n");
  EXPECT_THROW(tools::makeWordLibrary(sources(), output()), tools::BuildError);
}

// WordNet's sense keys number the synset types 1 noun, 2 verb, 3 adjective, 4 adverb and
// 5 satellite adjective; "very" and "still" are used as adverbs far more than as adjectives.
TEST_F(WordSourcesTest, AdverbUseComesBeforeAdjectiveUse) {
  auto append = [&](const std::string& name, const std::string& text) {
    const std::string path = folder_ + "/" + name;
    testsupport::writeTextFile(path, plat::files::readFile(path).value_or("") + text);
  };
  append("wordnet/data.adj",
         "00000023 00 a 01 very 0 000 | precisely as stated; \"the very thing\"\n"
         "00000024 00 s 01 still 0 000 | not in physical motion; \"the still water\"\n");
  append("wordnet/data.adv",
         "00000032 02 r 01 very 0 000 | to a high degree; \"very happy\"\n"
         "00000033 02 r 01 still 0 000 | even now; \"he is still here\"\n");
  append("wordnet/index.adj", "very a 1 0 1 1 00000023\nstill a 1 0 1 1 00000024\n");
  append("wordnet/index.adv", "very r 1 0 1 1 00000032\nstill r 1 0 1 1 00000033\n");
  append("wordnet/cntlist.rev",
         "very%4:02:00:: 1 50\nvery%3:00:00:: 1 3\nstill%4:02:00:: 1 40\n"
         "still%5:00:00:motionless:00 1 4\n");
  append("data/ecdict.txt",
         "very\t'veri\ta. 真正的, 恰好的\\nad. 很, 非常\t80\t90\n"
         "still\tstil\ta. 静止的, 不动的\\nad. 仍然, 还\t100\t110\n");
  append("data/frequencies.txt", "very\t60\nstill\t55\n");
  tools::makeWordLibrary(sources(), output());
  const std::string meanings = read("meanings_ch.tsv");
  EXPECT_NE(meanings.find("very\t1\tadv. 很；非常\nvery\t2\tadj. 真正的；恰好的\n"),
            std::string::npos)
      << meanings;
  EXPECT_NE(meanings.find("still\t1\tadv. 仍然；还\nstill\t2\tadj. 静止的；不动的\n"),
            std::string::npos)
      << meanings;

  // A sense key of an unknown type is an error of the file, not a guess.
  append("wordnet/cntlist.rev", "still%7:02:00:: 1 1\n");
  EXPECT_THROW(tools::makeWordLibrary(sources(), output()), tools::BuildError);
}

}  // namespace
}  // namespace toolstest
