// The word library of the shipped learn.db, made at build time from the open word data.
#include <gtest/gtest.h>

#include <map>

#include "books/ExtractWord.h"
#include "platform/base/Files.h"
#include "store/CallDB.h"
#include "tests/tools/ShippedStore.h"
#include "tools/TsvFile.h"

namespace toolstest {
namespace {

using plat::Value;

class ShippedLibraryTest : public ShippedStoreTest {};

TEST_F(ShippedLibraryTest, HoldsEightThousandWordsWithMeaningsPhoneticsAndFrequencyBooks) {
  ASSERT_TRUE(CallDB::callDB()->isOpen());
  const int64_t words = number("select count(*) from Words_Library");
  EXPECT_GE(words, 8000);
  EXPECT_EQ(number("select count(*) from Words_Library where wl_uWordID not in (select "
                   "f_wl_uWordID from Words_Meaning_Ch)"),
            0);
  EXPECT_GE(number("select count(*) from Words_Library where wl_tPhonetics_USA <> ''") * 10,
            words * 9);
  EXPECT_GE(number("select count(distinct f_wl_uWordID) from Words_Meaning_En") * 10, words * 8);
  EXPECT_GE(number("select count(distinct f_wl_uWordID) from Words_Transform") * 10, words * 7);
  EXPECT_GE(number("select count(distinct wmc.f_wl_uWordID) from Words_Example as we, "
                   "Words_Meaning_Ch as wmc where we.f_wmc_uMeaingID = wmc.wmc_uMeaingID") *
                10,
            words * 5);
  for (const char* table :
       {"Words_Synonym", "Words_Antonym", "Words_Paronym", "Words_Similar", "Words_Phrases"})
    EXPECT_GT(number(std::string("select count(*) from ") + table), 500) << table;

  // Books 800 and 801 rank the 7000 most frequent words 1 to 7000 (the scheduling divides the
  // position by 7000); the band books hold the same words in the same order.
  EXPECT_EQ(number("select count(*) from book_words where f_b_uId = 800 and bw_uId between 1 "
                   "and 3500"),
            3500);
  EXPECT_EQ(number("select count(*) from book_words where f_b_uId = 801 and bw_uId between 3501 "
                   "and 7000"),
            3500);
  EXPECT_EQ(number("select count(distinct f_wl_uId) from book_words where f_b_uId in (800, 801)"),
            7000);
  EXPECT_EQ(number("select max(r.bw_uId) from book_words as b, book_words as r where b.f_b_uId = "
                   "101 and r.f_b_uId = 800 and r.f_wl_uId = b.f_wl_uId"),
            500);
  EXPECT_EQ(CallDB::callDB()->GetWordUsedCofe("you"), 1 / 7000.0);
  // A word's row in book 801 in book order counts from the book's first word.
  const Value second = CallDB::callDB()->sql_select(
      "select wl.wl_tWord from book_words as bw, Words_Library as wl where bw.f_wl_uId = "
      "wl.wl_uWordID and bw.f_b_uId = 801 and bw.bw_uId = 3502",
      "s", "", Value());
  EXPECT_EQ(CallDB::callDB()->getwordPos_sortBook(second.at(0).asString(), 801, 1), 1);
  EXPECT_EQ(CallDB::callDB()->sql_select("select bc_sName from book_class order by bc_uId", "s", "",
                                         Value()),
            Value::array({"基础词汇", "核心词汇", "进阶词汇", "常用词频"}));
  EXPECT_EQ(number("select count(*) from book_words where f_b_uId in (select b_uId from books "
                   "where f_bc_uId in (1, 2, 3))"),
            8000);
  // The first settings: no outside server address is shipped.
  EXPECT_EQ(CallDB::callDB()->getPersonalValue("url").rfind("http://127.0.0.1", 0), 0u);
  EXPECT_FALSE(CallDB::callDB()->getPersonalValue("v_lexicon").empty());
}

// A learner's study rows from the first, 355-word library name their words by these ids; the
// upgrade carries the rows over unchanged.
TEST_F(ShippedLibraryTest, TheFirstLibrarysWordsKeepTheirIds) {
  tools::TsvFile legacy =
      tools::TsvFile::read(std::string(VOCAB_SOURCE_DIR) + "/resources/words/legacy_ids.tsv", true);
  ASSERT_EQ(legacy.records().size(), 355u);
  for (const tools::TsvRecord& r : legacy.records())
    EXPECT_EQ(
        CallDB::callDB()->sql_select("select wl_tWord from Words_Library where wl_uWordID = ?", "s",
                                     "n", Value::array({std::stoi(r.fields[0])})),
        Value::array({r.fields[1]}));
}

TEST_F(ShippedLibraryTest, CommonWordsHaveTheirEverydayChineseMeaningFirst) {
  // Nouns, verbs, adjectives and function words, each one way the reverse lookup can go wrong.
  const std::map<std::string, std::string> expected = {
      {"water", "n. 水"},   {"run", "v. 跑"},       {"good", "adj. 好"},    {"school", "n. 学校"},
      {"child", "n. 孩子"}, {"love", "v. 爱"},      {"happy", "adj. 快乐"}, {"go", "v. 去"},
      {"be", "v. 是"},      {"you", "pron. 你"},    {"the", "art."},        {"and", "conj. 和"},
      {"red", "n. 红"},     {"computer", "n. 电脑"}};
  for (const auto& [word, start] : expected)
    EXPECT_EQ(firstMeaning(word).rfind(start, 0), 0u) << word << ": " << firstMeaning(word);
}

TEST_F(ShippedLibraryTest, ExtractionOfAnEnglishTextYieldsTheLibrarysBaseForms) {
  const std::string text =
      "When the children walked home from school, they stopped at the river and watched the "
      "boats on the water. The older boys were running along the bank while their sisters "
      "studied the flowers in the grass. Everyone agreed that it was the happiest day of the "
      "summer.";
  Value words = Value::array(), learned = Value::array(), none = Value::array();
  ExtractWord extract;
  extract.extractWord(text, words, learned, none);
  std::vector<std::string> found;
  for (size_t i = 0; i < words.size(); ++i) found.push_back(words.at(i).asString());
  for (const char* base : {"walk", "school", "stop", "river", "watch", "boat", "boy", "run", "bank",
                           "sister", "study", "flower", "agree", "day", "summer", "home"})
    EXPECT_NE(std::find(found.begin(), found.end(), base), found.end()) << base;
  // Inflected forms are no headwords of their own.
  for (const char* form : {"walked", "stopped", "watched", "boats", "running", "studied", "flowers",
                           "agreed", "sisters"})
    EXPECT_EQ(std::find(found.begin(), found.end(), form), found.end()) << form;
  EXPECT_EQ(none.size(), words.size());
}

}  // namespace
}  // namespace toolstest
