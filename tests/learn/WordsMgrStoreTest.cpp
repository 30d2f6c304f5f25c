// The card content read from a real learn.db built from the fixture words.
#include <gtest/gtest.h>

#include "learn/WordsMgr.h"
#include "platform/base/Bundle.h"
#include "store/CallDB.h"
#include "tests/store/StoreFixture.h"

namespace {

using plat::Value;

class WordsMgrStore : public storetest::StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    db_ = CallDB::callDB();
    ASSERT_TRUE(db_->isOpen());
  }

  CallDB* db_ = nullptr;
};

TEST_F(WordsMgrStore, HeadLinesAndPagesOfAWordWithExamplesAndInflections) {
  auto mgr = WordsMgr::initWords("book");
  EXPECT_EQ(mgr->GetQuestion(), "book");
  EXPECT_EQ(mgr->GetPhonetics(), "[bʊk]");
  EXPECT_EQ(mgr->GetMeaning(), "n. 书；本子\nv. 预订");
  EXPECT_EQ(mgr->GetOtherMeaning(), "\n[复数books 第三人称单数books 过去式booked]");
  EXPECT_EQ(mgr->otherMeaning(), "#books @books $booked");
  EXPECT_EQ(mgr->tranformDataArray(), (std::vector<std::string>{"book", "books", "booked"}));

  const std::string red = "<span style=\"color:#ff0000\">";
  const std::string tr = "<span style = \"font-size:15px;color:#686868\">";
  EXPECT_EQ(mgr->GetExample(), "<div style = \"font-size:16px\">\nThis " + red +
                                   "book</span> is mine.\n<br/>" + tr +
                                   "这本书是我的。</span><br/><br/></div>"
                                   "<div style = \"font-size:16px\">\nWe " +
                                   red + "booked</span> a table.\n<br/>" + tr +
                                   "我们订了一张桌子。</span><br/></div>");
  EXPECT_EQ(mgr->getEnglishMeaningInfo(),
            "n. a set of printed pages<br/>v. to arrange a seat in advance");
  EXPECT_EQ(mgr->getPhrasesInfo(), "book a ticket 订票<br/>by the book 按规矩办事");
  EXPECT_EQ(mgr->getJinfanInfo(), "<div style = 'font-size:15px;color:#686868'>无<br/></div>");
  EXPECT_EQ(
      mgr->getWordsData(),
      "books booked This book is mine. We booked a table. n. a set of printed "
      "pages\nv. to arrange a seat in advance book a ticket 订票<br/>by the book 按规矩办事 ");
}

TEST_F(WordsMgrStore, SynonymsAndAntonymsComeFromTheirOwnLists) {
  EXPECT_EQ(WordsMgr::initWords("happy")->getJinfanInfo(),
            "<span style=\"font-size:15px;color:#399c66\">近义词：</span>glad, cheerful<br/>"
            "<span style=\"font-size:15px;color:#399c66\">反义词：</span>sad, unhappy");
}

TEST_F(WordsMgrStore, HiddenSectionsAreNotFetchedButTheEditorIsWhenShown) {
  db_->UpdatePersonalValue_isNeed("review_list_sort", "3:11:16:7:18:9:12:14:15");
  auto mgr = WordsMgr::initWords("apple");
  const WordCardContent& c = mgr->content();
  EXPECT_FALSE(c.show_example);
  EXPECT_TRUE(c.examples.empty());
  EXPECT_EQ(c.editors, (std::vector<std::string>{"小明"}));
  EXPECT_TRUE(c.show_englishMeaning);
  EXPECT_FALSE(c.show_jinfan);
  EXPECT_FALSE(c.show_other);
  EXPECT_TRUE(c.similar.empty());
  EXPECT_EQ(mgr->getWordsData(), "n. a round fruit ");

  db_->UpdatePersonalValue_isNeed("review_list_sort", "13:1:6:7:8:9:2:4:5");
  const WordCardContent shown = WordsMgr::initWords("apple")->content();
  EXPECT_TRUE(shown.show_example);
  EXPECT_EQ(shown.examples.size(), 1u);
  EXPECT_FALSE(shown.show_englishMeaning);
}

TEST_F(WordsMgrStore, NotesAreReadAgainAtEveryRender) {
  auto mgr = WordsMgr::initWords("apple");
  const std::string none =
      "<body style=\"font-size:15px\"><span style=\"font-size:15px;color:#686868\">"
      "无助记，点击上方按钮进行编辑或采纳</span></body>";
  EXPECT_EQ(mgr->GetZhuJiInfo(), none);

  db_->saveMnemonic("apple", "#*#");
  EXPECT_EQ(mgr->GetZhuJiInfo(), none);  // a declined offer is no mnemonic

  db_->saveNote("apple", "mine");
  EXPECT_NE(mgr->GetZhuJiInfo().find("我的助记：</span>mine"), std::string::npos);

  db_->saveYuFa("apple", "an apple");
  EXPECT_EQ(mgr->GetYuFaInfo(),
            "<body style=\"font-size:15px\"><span style=\"font-size:15px;color:#399c66\">"
            "我的采纳：</span>an apple</body>");
}

TEST_F(WordsMgrStore, StudyInformationFollowsTheStudyRecord) {
  EXPECT_EQ(WordsMgr::initWords("good")->getWordInfo(),
            "<body style=\"font-size:15px\"><span style=\"color:#686868\">" +
                plat::localized("word_mgr4") + "</span></body>");
  db_->InsertStudyWord("good", 0);
  db_->sql_update(
      "update Study_Log set sl_uKnowNum=2, sl_uVagueNum=1, sl_uForgetNum=4 where sl_uWordID=6", "",
      Value::array());
  const std::string page = WordsMgr::initWords("good")->getWordInfo();
  EXPECT_NE(page.find(plat::localized("word_mgr6") + "7</div>"), std::string::npos);
  EXPECT_NE(page.find(plat::localized("word_mgr3") + "4</div>"), std::string::npos);
}

}  // namespace

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
