// The word library maker on small extracts of its sources.
#include <gtest/gtest.h>

#include "platform/base/Files.h"
#include "tests/support/FixtureWords.h"
#include "tests/support/TempHome.h"
#include "tests/tools/WordSourceFixtures.h"
#include "tools/TsvFile.h"
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
  tools::Inflections inflections(wordNet, [&](const std::string& w) { return known.count(w) > 0; });
  EXPECT_EQ(inflections.formsText("walk", {'v', 'n'}), "@walks $walked %walked ^walking #walks");
  EXPECT_EQ(inflections.formsText("run", {'v'}), "$ran %run ^running");  // "runs" is unknown
  EXPECT_EQ(inflections.formsText("stop", {'v'}), "@stops $stopped %stopped ^stopping");
  EXPECT_EQ(inflections.formsText("child", {'n'}), "#children");
  EXPECT_EQ(inflections.formsText("happy", {'a'}), "&happier *happiest");
}

TEST_F(WordSourcesTest, MakesHeadwordsInOrderOfFrequencyAndBooksByRank) {
  tools::WordLibraryCounts counts = tools::makeWordLibrary(sources(), output());
  EXPECT_EQ(counts.words, 7);
  EXPECT_EQ(counts.books, 4);
  // Inflected forms count for their base form (walked, walks); names and excluded words are no
  // headwords; the first library's word keeps its id and follows the books' words.
  EXPECT_EQ(read("words.tsv"),
            "# word_id, headword, US, UK, display form, editor (in order of frequency)\n"
            "2\tthe\tðə\t\t\t\n"
            "3\twalk\twɔk\t\t\t\n"
            "4\ttree\ttri\ttriː\t\t\n"
            "5\twater\tˈwɔtər\tˈwɒːtə\t\t\n"
            "6\tchild\ttʃaɪld\t\t\t\n"
            "7\tapple\tˈæpəl\t\t\t\n"
            "1\thappy\tˈhæpi\t\t\t\n");
  EXPECT_EQ(read("book_words/101.txt"), "the\nwalk\n");
  EXPECT_EQ(read("book_words/102.txt"), "tree\nwater\n");
  EXPECT_EQ(read("book_words/801.txt"), "water\t4\nchild\t5\napple\t6\n");
  EXPECT_EQ(read("books.tsv"),
            "# book_id, book name, class_id\n101\t基础词汇 1-2\t1\n102\t基础词汇 3-4\t1\n"
            "800\t常用词频 1-3\t4\n801\t常用词频 4-6\t4\n");
  const std::string meanings = read("meanings_ch.tsv");
  // Transitive and intransitive lines make one verb row; WordNet knows no adjective "water". A
  // word with only a subject field's line or none takes the reverse lookup's meaning.
  EXPECT_NE(meanings.find("water\t1\tn. 水；雨水\nwater\t2\tv. 给…浇水；流泪\nchild\t"),
            std::string::npos)
      << meanings;
  EXPECT_NE(meanings.find("tree\t1\tn. 树\n"), std::string::npos);
  EXPECT_NE(meanings.find("walk\t1\tv. 走\n"), std::string::npos);
  EXPECT_NE(meanings.find("the\t1\tart. 这；那\n"), std::string::npos);
  // Our own example with its translation comes before WordNet's.
  EXPECT_NE(read("examples.tsv")
                .find("tree\t1\tWe sat under a tree.\t我们坐在一棵树下。\n"
                      "tree\t1\tThe tree fell.\t\n"),
            std::string::npos);
  EXPECT_NE(read("antonyms.tsv").find("happy\tunhappy\n"), std::string::npos);
  EXPECT_NE(read("meanings_en.tsv").find("water\tn. a clear liquid\\nv. supply with water\n"),
            std::string::npos);
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
      {"data/ecdict.txt", "water\tˈwɔ\n", "ecdict.txt:1: expected a word, its phonetic and"},
      {"data/frequencies.txt", "walk\tmany\n",
       "frequencies.txt:1: expected a word and a positive count"},
      {"wordnet/data.adv", "00000031 02 r 01 quickly\n", "data.adv:1: line ends too early"},
      {"wordnet/verb.exc", nullptr, "verb.exc: cannot be read"},
      {"curated/book_bands.tsv", "1\t基础\t101\t1\t40\t2\n", "the books need 40"},
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

}  // namespace
}  // namespace toolstest
