// The inflected forms of the shipped learn.db: what the card shows of a word's forms, and the base
// forms that extraction reaches through them.
#include <gtest/gtest.h>

#include "extract/ExtractWord.h"
#include "learn/WordsMgr.h"
#include "store/CallDB.h"
#include "store/WordText.h"
#include "tests/tools/ShippedStore.h"

namespace toolstest {
namespace {

using plat::Value;
using Words = std::vector<std::string>;

class ShippedFormsTest : public ShippedStoreTest {
 protected:
  static std::string formsLine(const std::string& word) {
    return WordsMgr::initWords(word)->GetOtherMeaning();
  }
};

TEST_F(ShippedFormsTest, AnEverydayParagraphGivesTheBaseFormsOfItsWords) {
  const std::string text =
      "My children are at school and my wife is at work, so the house was quiet when I sat "
      "down to write this. Yesterday we had friends over. They said they saw a fox in the park "
      "and took a photo of it; its feet were black. Using the bikes we have, the kids were "
      "riding along the river, hoping to see it again. Writing about it now, I think it has "
      "been a good week.";
  const Words words = extract(text);
  for (const char* base : {"be", "have", "see", "say", "take", "write", "child", "foot", "use",
                           "ride", "hope", "bike", "kid", "friend", "think", "sit"})
    EXPECT_TRUE(holds(words, base)) << base;
  // No inflected form, and no rare word that happens to share its spelling (are 公亩); after
  // "they", saw is see's and never 锯.
  for (const char* wrong : {"are", "is", "was", "were", "been", "had", "has", "said", "took",
                            "feet", "children", "us", "rid", "hop", "writ", "writing", "saw"})
    EXPECT_FALSE(holds(words, wrong)) << wrong;
}

TEST_F(ShippedFormsTest, IrregularAndAwkwardFormsReachTheirBaseAlone) {
  const struct {
    const char* token;
    const char* base;
  } cases[] = {
      {"are", "be"},        {"is", "be"},          {"was", "be"},       {"were", "be"},
      {"been", "be"},       {"has", "have"},       {"had", "have"},     {"did", "do"},
      {"went", "go"},       {"came", "come"},      {"made", "make"},    {"said", "say"},
      {"men", "man"},       {"children", "child"}, {"feet", "foot"},    {"using", "use"},
      {"writing", "write"}, {"hoping", "hope"},    {"riding", "ride"},  {"dying", "die"},
      {"skies", "sky"},     {"walked.", "walk"},   {"walked_", "walk"}, {"...walked", "walk"},
      {"bought", "buy"},    {"easier", "easy"},    {"proven", "prove"}, {"gotten", "get"},
      {"bitten", "bite"},   {"learnt", "learn"},   {"dwarves", "dwarf"}};
  ExtractWord extractor;
  for (const auto& c : cases) {
    EXPECT_EQ(extract(c.token), Words{c.base}) << c.token;
    EXPECT_EQ(extractor.GetWord(c.token), c.base) << c.token;  // the store's lookups agree
  }
  // A word the library keeps for its own sense stays itself where it is a regular form or a
  // plural; where it is another's irregular form too, both come, itself first.
  for (const char* own : {"interesting", "building", "data"})
    EXPECT_EQ(extract(own), Words{own}) << own;
  EXPECT_EQ(extract("saw"), (Words{"saw", "see"}));
  EXPECT_EQ(extract("found"), (Words{"found", "find"}));
  EXPECT_EQ(extract("ground"), (Words{"ground", "grind"}));
  EXPECT_EQ(extractor.GetWord("saw"), "saw");
}

TEST_F(ShippedFormsTest, WordsStoredWithCapitalsAreFoundFromAnyCase) {
  EXPECT_EQ(extract("On Monday we speak ENGLISH with Mr Zhang; on mondays, french."),
            (Words{"on", "Monday", "we", "speak", "English", "with", "Mr", "French"}));
  ExtractWord extractor;
  EXPECT_EQ(extractor.GetWord("monday"), "Monday");
  EXPECT_EQ(extractor.GetWord("english."), "English");
  EXPECT_EQ(extractor.GetWord("mondays"), "Monday");
}

TEST_F(ShippedFormsTest, TheCardShowsRealFormsSameFormPastsIncluded) {
  EXPECT_EQ(formsLine("set"),
            "\n[第三人称单数sets 过去式set 过去分词set 现在分词setting 复数sets]");
  EXPECT_EQ(formsLine("put"), "\n[第三人称单数puts 过去式put 过去分词put 现在分词putting]");
  EXPECT_EQ(formsLine("hurt"),
            "\n[第三人称单数hurts 过去式hurt 过去分词hurt 现在分词hurting 复数hurts]");
  EXPECT_EQ(formsLine("man"), "\n[复数men]");
  const std::string live = formsLine("live");
  EXPECT_NE(live.find("过去式lived"), std::string::npos) << live;
  EXPECT_EQ(live.find("liver"), std::string::npos) << live;
  for (const char* word : {"cut", "hit", "let", "shut", "cost", "spread", "burst", "cast"}) {
    const std::string line = formsLine(word);
    EXPECT_NE(line.find(std::string("过去式") + word + " "), std::string::npos) << line;
  }
  EXPECT_EQ(formsLine("off").find("offer"), std::string::npos);
  EXPECT_EQ(formsLine("cut").find("cutter"), std::string::npos);
  EXPECT_EQ(formsLine("bad"), "\n[比较级worse 最高级worst]");
  // Both forms where the language has two in use; an old one ("wrought") stays off the card.
  EXPECT_NE(formsLine("prove").find("过去分词proved 过去分词proven"), std::string::npos);
  EXPECT_NE(formsLine("dwarf").find("复数dwarfs 复数dwarves"), std::string::npos);
  EXPECT_EQ(formsLine("prove").find("过去式proven"), std::string::npos);
  EXPECT_EQ(formsLine("work").find("wrought"), std::string::npos);
}

// A word that is also another's inflection shows its own forms, never its base's; a noun that
// takes no plural shows none; no form is spelt as no source spells it.
TEST_F(ShippedFormsTest, TheCardShowsAWordsOwnFormsAndNoPluralAnUncountableNounLacks) {
  const struct {
    const char* word;
    const char* notShown;  // its base's forms
  } borrowed[] = {{"felt", "feel"}, {"ground", "grind"}, {"fell", "fall"}, {"number", "numbs"}};
  for (const auto& c : borrowed)
    EXPECT_EQ(formsLine(c.word).find(c.notShown), std::string::npos)
        << c.word << ":" << formsLine(c.word);
  EXPECT_NE(formsLine("fell").find("过去式felled"), std::string::npos) << formsLine("fell");
  EXPECT_NE(formsLine("number").find("第三人称单数numbers"), std::string::npos);

  for (const char* uncountable : {"advice", "software", "equipment", "baggage", "wisdom", "now",
                                  "tonight", "reindeer", "information", "furniture", "money"})
    EXPECT_EQ(formsLine(uncountable).find("复数"), std::string::npos)
        << uncountable << ":" << formsLine(uncountable);
  // Countable nouns keep theirs, those the dictionary's record lacks too ("emails"), and a noun
  // whose plural WordNet's own texts use ("waters").
  const std::pair<const char*, const char*> plurals[] = {
      {"dad", "复数dads"},     {"email", "复数emails"},   {"cookie", "复数cookies"},
      {"water", "复数waters"}, {"child", "复数children"}, {"million", "复数millions"}};
  for (const auto& [word, plural] : plurals)
    EXPECT_NE(formsLine(word).find(plural), std::string::npos) << word << ":" << formsLine(word);

  EXPECT_EQ(formsLine("little"), "\n[比较级less 最高级least]");
  EXPECT_EQ(formsLine("many"), "\n[比较级more 最高级most]");
  EXPECT_NE(formsLine("much").find("比较级more 最高级most"), std::string::npos)
      << formsLine("much");

  // No typo of the record reaches any card.
  const Value rows = CallDB::callDB()->sql_select(
      "select wt_tRelatedWords, f_wl_uWordID from Words_Transform", "sN", "", Value());
  ASSERT_GT(rows.size(), 5000u);
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string forms =
        WordText::rekey(rows.at(i).at(0).asString(), static_cast<int>(rows.at(i).at(1).asInt()));
    for (const char* typo : {"cloathing", "buffetted", "plummetted", "meshs"})
      EXPECT_EQ(forms.find(typo), std::string::npos) << forms;
  }
}

// No form that is another word ("number" of numb) or a name's ("mores" of More), none of a
// noun that takes no plural; the forms of the part the card's first meaning shows.
TEST_F(ShippedFormsTest, NoOtherWordAsAFormAndTheFormsOfTheFirstMeaning) {
  const std::pair<const char*, const char*> absent[] = {
      {"more", "mores"},  {"bread", "breads"}, {"macaroni", "macaron"},
      {"void", "voider"}, {"numb", "number"},  {"butter", "butters"}};
  for (const auto& [word, form] : absent)
    EXPECT_EQ(formsLine(word).find(form), std::string::npos) << word << ":" << formsLine(word);
  const std::pair<const char*, const char*> present[] = {{"ferry", "复数ferries"},
                                                         {"canter", "第三人称单数canters"},
                                                         {"lambaste", "第三人称单数lambastes"},
                                                         {"whiz", "第三人称单数whizzes"},
                                                         {"nonplus", "第三人称单数nonplusses"}};
  for (const auto& [word, form] : present)
    EXPECT_NE(formsLine(word).find(form), std::string::npos) << word << ":" << formsLine(word);
  // A doubled s or z before "es" is reached from the text.
  EXPECT_EQ(extract("The wheel whizzes round; it nonplusses him."),
            (Words{"the", "wheel", "whiz", "round", "it", "nonplus", "him"}));
}

TEST_F(ShippedFormsTest, ContractionsGiveTheirVerbsAndNothingElse) {
  // "won" alone is a form of win; before "n't" it is will.
  EXPECT_EQ(extract("I won't go. We shan't stay, you can\u2019t."),
            (Words{"i", "will", "go", "we", "shall", "stay", "you", "can"}));
  EXPECT_EQ(extract("We won the cup."), (Words{"we", "win", "the", "cup"}));
  // The other contractions give their verbs too; "'s" and "'d", which may be several, give none.
  const Words words = extract(
      "I don't know, she doesn't, it isn't, they aren't, he wasn't, we weren't, I couldn't, "
      "I wouldn't, you shouldn't, he didn't, she hasn't, we haven't, they hadn't, you mustn't, "
      "I'll, we've, they're, he'd, I'm, it's");
  EXPECT_EQ(words, (Words{"i", "do", "know", "she", "it", "be", "they", "he", "we", "could",
                          "would", "you", "should", "have", "must", "will"}));
}

}  // namespace
}  // namespace toolstest
