// Word extraction over the shipped learn.db, read as a learner reads: the words a sentence gives
// where a spelling is two words (left, saw, rose), names and months, contractions, and that
// every word a book teaches can come out of a text.
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

class ShippedExtractionTest : public ShippedStoreTest {
 protected:
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
      {"She left the house early.", {"left", "leave"}, {}},
      {"The sign on your left is red.", {"left"}, {"leave"}},
      {"We found a wallet in the street.", {"found", "find"}, {}},
      {"They found a school for poor children.", {"found"}, {}},
      {"I saw a fox in the park.", {"see", "saw"}, {}},
      {"He cut the wood with a saw.", {"saw", "wood", "cut"}, {"see"}},
      {"The old tree fell in the storm.", {"fall", "fell"}, {}},
      {"They climbed the fell above the lake.", {"fell"}, {"fall"}},
      {"The hen lay an egg and we lay down.", {"lay", "lie", "egg"}, {"eggs"}},
      {"The dog bit the postman.", {"bit", "bite"}, {}},
      {"Can I have a bit of cake?", {"bit", "cake", "can"}, {"bite"}},
      {"The sun rose over the hills.", {"rise", "rose"}, {}},
      {"He gave her a red rose.", {"rose", "red"}, {"rise"}},
      {"She wound the rope around the post.", {"wound", "wind"}, {}},
      {"The wound healed slowly.", {"wound", "heal"}, {"wind"}},
      {"I felt tired after the walk.", {"feel", "felt"}, {}},
      {"The hat is made of grey felt.", {"felt"}, {"feel"}},
      {"I still felt cold.", {"feel", "felt", "cold"}, {}},
      {"A strange feeling came over me.", {"feeling", "strange"}, {"felt"}},
      {"They rent a flat near the river.", {"rent"}, {}},
      {"The rent is due on Friday.", {"rent", "Friday"}, {"rend"}},
      {"The coffee beans are grinding in the mill.", {"grind", "coffee", "bean"}, {"ground"}},
      {"He sat on the ground.", {"ground", "sit"}, {"grind"}},
      {"We need further help.", {"further", "far"}, {}},
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
