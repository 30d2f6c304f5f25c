// The card content read from a real learn.db built from the fixture words: which rows reach
// which part of the card. The pages' markup is the pages' own tests' business.
#include <gtest/gtest.h>

#include "learn/WordsMgr.h"
#include "platform/base/Bundle.h"
#include "store/CallDB.h"
#include "tests/store/StudyFixture.h"

namespace {

using plat::Value;

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

using WordsMgrStore = storetest::StudyTest;

TEST_F(WordsMgrStore, HeadLinesAndPagesOfAWordWithExamplesAndInflections) {
  auto mgr = WordsMgr::initWords("book");
  EXPECT_EQ(mgr->GetQuestion(), "book");
  EXPECT_EQ(mgr->GetPhonetics(), "[bʊk]");
  EXPECT_EQ(mgr->GetMeaning(), "n. 书；本子\nv. 预订");
  EXPECT_EQ(mgr->GetOtherMeaning(), "\n[复数books 第三人称单数books 过去式booked]");
  EXPECT_EQ(mgr->tranformDataArray(), (std::vector<std::string>{"book", "books", "booked"}));

  const WordCardContent& c = mgr->content();
  ASSERT_EQ(c.examples.size(), 2u);
  EXPECT_TRUE(has(mgr->GetExample(), "我们订了一张桌子。"));
  EXPECT_TRUE(has(mgr->getEnglishMeaningInfo(), "to arrange a seat in advance"));
  EXPECT_TRUE(has(mgr->getPhrasesInfo(), "by the book 按规矩办事"));
  EXPECT_TRUE(c.synonyms.empty() && c.antonyms.empty());
  EXPECT_EQ(
      mgr->getWordsData(),
      "books booked This book is mine. We booked a table. n. a set of printed "
      "pages\nv. to arrange a seat in advance book a ticket 订票<br/>by the book 按规矩办事 ");

  // Synonyms and antonyms come from their own lists.
  const WordCardContent happy = WordsMgr::initWords("happy")->content();
  EXPECT_EQ(happy.synonyms, (std::vector<std::string>{"glad, cheerful"}));
  EXPECT_EQ(happy.antonyms, (std::vector<std::string>{"sad, unhappy"}));
}

TEST_F(WordsMgrStore, HiddenSectionsAreNotFetchedButTheEditorIsWhenShown) {
  db_->UpdatePersonalValue_isNeed("review_list_sort", "3:11:16:7:18:9:12:14:15");
  auto mgr = WordsMgr::initWords("apple");
  const WordCardContent& c = mgr->content();
  EXPECT_FALSE(c.show_example);
  EXPECT_TRUE(c.examples.empty());
  EXPECT_EQ(c.editors, (std::vector<std::string>{"小明"}));
  EXPECT_TRUE(c.show_englishMeaning);
  EXPECT_FALSE(c.show_other);
  EXPECT_TRUE(c.similar.empty());
  EXPECT_EQ(mgr->getWordsData(), "n. a round fruit ");

  db_->UpdatePersonalValue_isNeed("review_list_sort", "13:1:6:7:8:9:2:4:5");
  const WordCardContent shown = WordsMgr::initWords("apple")->content();
  EXPECT_EQ(shown.examples.size(), 1u);
  EXPECT_FALSE(shown.show_englishMeaning);
}

TEST_F(WordsMgrStore, NotesAndStudyInformationAreReadAgainAtEveryRender) {
  auto mgr = WordsMgr::initWords("good");
  EXPECT_TRUE(has(mgr->GetZhuJiInfo(), "无助记"));
  db_->saveMnemonic("good", "#*#");
  EXPECT_TRUE(has(mgr->GetZhuJiInfo(), "无助记")) << "a declined offer is no mnemonic";
  db_->saveNote("good", "mine");
  EXPECT_TRUE(has(mgr->GetZhuJiInfo(), "我的助记：</span>mine"));
  db_->saveYuFa("good", "a good one");
  EXPECT_TRUE(has(mgr->GetYuFaInfo(), "我的采纳：</span>a good one"));

  EXPECT_TRUE(has(mgr->getWordInfo(), plat::localized("word_mgr4")));
  db_->InsertStudyWord("good", 0);
  db_->sql_update(
      "update Study_Log set sl_uKnowNum=2, sl_uVagueNum=1, sl_uForgetNum=4 where sl_uWordID=6", "",
      Value::array());
  const std::string page = WordsMgr::initWords("good")->getWordInfo();
  EXPECT_TRUE(has(page, plat::localized("word_mgr6") + "7</div>"));
  EXPECT_TRUE(has(page, plat::localized("word_mgr3") + "4</div>"));
}

TEST_F(WordsMgrStore, EachSectionCodeOpensItsOwnPage) {
  auto mgr = WordsMgr::initWords("book");
  mgr->GetOtherMeaning();
  const std::string pages[] = {
      mgr->GetZhuJiInfo(),  mgr->GetYuFaInfo(),       mgr->GetExample(),
      mgr->getWordInfo(),   mgr->getWordEditorInfo(), mgr->getEnglishMeaningInfo(),
      mgr->getJinfanInfo(), mgr->getPhrasesInfo(),    mgr->getOtherInfo()};
  for (int code = 1; code <= 9; ++code) EXPECT_EQ(mgr->sectionPage(code), pages[code - 1]) << code;
  EXPECT_EQ(mgr->sectionPage(0), "");
  EXPECT_EQ(mgr->sectionPage(10), "");
}

}  // namespace
