// The headword index as read from the store: what it keeps of each table, and reading it anew
// when the library changes.
#include "extract/HeadwordIndex.h"

#include <string>
#include <utility>

#include "store/WordText.h"
#include "tests/store/StudyFixture.h"

namespace {

using plat::Value;
using storetest::StudyTest;

constexpr uint32_t kAbsent = HeadwordIndex::kAbsent;

class HeadwordIndexTest : public StudyTest {
 protected:
  void addWord(int id, const std::string& word) {
    db_->sql_insert("insert into Words_Library (wl_uWordID, wl_tWord) values (?, ?)", "ns",
                    Value::array({id, word}));
  }
  void removeWord(int id) {
    db_->sql_delete("delete from Words_Library where wl_uWordID = ?", "n", Value::array({id}));
  }
  void record(const std::string& word, const std::string& forms) {
    const int id = db_->getWordID(word);
    db_->sql_insert("insert into Words_Transform (f_wl_uWordID, wt_tRelatedWords) values (?, ?)",
                    "ns", Value::array({id, WordText::scramble(forms, id)}));
  }
  // Meaning lines are read in the order of their ids: the first added is the word's first line.
  void mean(const std::string& word, const std::string& line) {
    const int id = db_->getWordID(word);
    db_->sql_insert(
        "insert into Words_Meaning_Ch (wmc_uMeaingID, f_wl_uWordID, wmc_tData) values (?, ?, ?)",
        "nns", Value::array({nextMeaningId_++, id, WordText::scramble(line, id)}));
  }
  void teach(const std::string& word) {
    db_->sql_insert("insert into book_words (bw_uId, f_b_uId, f_wl_uId) values (?, 101, ?)", "nn",
                    Value::array({nextPlace_++, db_->getWordID(word)}));
  }

  int nextMeaningId_ = 90000;
  int nextPlace_ = 900;
};

TEST_F(HeadwordIndexTest, IsReadAgainWhenTheLibraryChangesAndAnIndexInUseStaysAsItWas) {
  const auto first = HeadwordIndex::current();
  ASSERT_TRUE(first);
  EXPECT_EQ(HeadwordIndex::current(), first);  // nothing changed: nothing read
  EXPECT_EQ(first->findExact("zebra"), kAbsent);

  addWord(500, "zebra");
  record("zebra", "#zebras");
  const auto second = HeadwordIndex::current();
  ASSERT_TRUE(second);
  EXPECT_NE(second, first);
  const uint32_t zebra = second->findExact("zebra");
  ASSERT_NE(zebra, kAbsent);
  EXPECT_EQ(second->word(zebra), "zebra");
  EXPECT_EQ(second->baseOf("zebras"), zebra);
  EXPECT_NE(second->findExact("apple"), kAbsent);
  EXPECT_EQ(first->findExact("zebra"), kAbsent);

  removeWord(500);
  const auto third = HeadwordIndex::current();
  ASSERT_TRUE(third);
  EXPECT_EQ(third->findExact("zebra"), kAbsent);
  EXPECT_EQ(third->baseOf("zebras"), kAbsent);
  EXPECT_EQ(third->size(), first->size());
}

TEST_F(HeadwordIndexTest, TwoCapitalisedWordsOfOneLowerCaseKeyLeaveTheFormsTheirOwnSpellings) {
  addWord(600, "US");
  addWord(601, "Us");
  record("run", "@runs $ran ^running");
  const auto index = HeadwordIndex::current();
  ASSERT_TRUE(index);
  const uint32_t us = index->findExact("US");
  ASSERT_NE(us, kAbsent);
  EXPECT_EQ(index->find("us"), us);  // the first in A-Z order keeps the key
  EXPECT_NE(index->findExact("Us"), kAbsent);

  // Every recorded form, the library's own ("books" of book) and the new record's.
  for (const auto& [form, base] :
       {std::pair{"books", "book"}, std::pair{"booked", "book"}, std::pair{"runs", "run"},
        std::pair{"ran", "run"}, std::pair{"running", "run"}}) {
    SCOPED_TRACE(form);
    EXPECT_EQ(index->find(form), kAbsent);  // a form, not a headword
    EXPECT_EQ(index->baseOf(form), index->findExact(base));
  }
}

TEST_F(HeadwordIndexTest, TraitsComeFromTheMeaningLinesAndTheBooks) {
  int id = 700;
  for (const char* word :
       {"crimson", "still", "fast", "stroll", "egg", "eggs", "glass", "glasses", "mouse", "mice"})
    addWord(id++, word);
  mean("crimson", "adj. 深红色的");
  mean("crimson", "n. 深红色");
  mean("still", "adv. 仍然");
  mean("still", "adj. 静止的");
  mean("fast", "adj. 快的");
  mean("fast", "adv. 快速地");
  mean("stroll", "v. 散步");
  mean("stroll", "n. 漫步");
  mean("egg", "n. 蛋；鸡蛋");
  mean("eggs", "n. 蛋");
  mean("glass", "n. 玻璃；玻璃杯");
  mean("glasses", "n. 眼镜");
  mean("mouse", "n. 老鼠；鼠标");
  mean("mice", "n. 老鼠");
  record("glass", "#glasses");
  record("mouse", "#mice");
  teach("egg");
  const auto index = HeadwordIndex::current();
  ASSERT_TRUE(index);
  const auto number = [&](const char* word) { return index->findExact(word); };

  EXPECT_TRUE(index->isAdjective(number("crimson")));
  EXPECT_TRUE(index->isPlainAdjective(number("crimson")));
  EXPECT_TRUE(index->isAdjective(number("still")));
  EXPECT_FALSE(index->isPlainAdjective(number("still")));  // first an adverb
  EXPECT_FALSE(index->isPlainAdjective(number("fast")));   // an adverb too
  EXPECT_TRUE(index->isAdjective(number("happy")));
  EXPECT_FALSE(index->isAdjective(number("apple")));

  EXPECT_TRUE(index->isFirstAVerb(number("stroll")));
  EXPECT_TRUE(index->isFirstAVerb(number("run")));
  EXPECT_FALSE(index->isFirstAVerb(number("book")));  // first a noun, then a verb
  EXPECT_TRUE(index->isFirstANoun(number("book")));
  EXPECT_TRUE(index->isNoun(number("book")));
  EXPECT_TRUE(index->isVerb(number("book")));
  EXPECT_TRUE(index->isNoun(number("stroll")));
  EXPECT_FALSE(index->isFirstANoun(number("stroll")));
  EXPECT_FALSE(index->isVerb(number("crimson")));

  // A plural sharing a sense with its singular, by the rules ("eggs") or by the record ("mice");
  // "glasses" has a sense of its own.
  EXPECT_TRUE(index->meansItsBase(number("eggs")));
  EXPECT_TRUE(index->meansItsBase(number("mice")));
  EXPECT_FALSE(index->meansItsBase(number("glasses")));
  EXPECT_FALSE(index->meansItsBase(number("egg")));

  EXPECT_TRUE(index->inBook(number("egg")));
  EXPECT_TRUE(index->inBook(number("apple")));
  EXPECT_FALSE(index->inBook(number("eggs")));
  // The frequency books hold good before book; run and egg are in other books only.
  EXPECT_TRUE(index->isCommonerThan(number("good"), number("book")));
  EXPECT_FALSE(index->isCommonerThan(number("book"), number("good")));
  EXPECT_TRUE(index->isCommonerThan(number("book"), number("run")));
  EXPECT_FALSE(index->isCommonerThan(number("run"), number("egg")));
}

}  // namespace
