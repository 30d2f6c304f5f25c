#include "store/MyDate.h"
#include "tests/store/StudyFixture.h"

namespace {

using plat::Value;
using Words = std::vector<std::string>;

using StudyRecordsTest = storetest::StudyTest;

TEST_F(StudyRecordsTest, TheStudyOrderKey) {
  EXPECT_VALUE(db_->IsWordStudy("apple"), Value::array());
  plan("apple", 700000000);
  plan("book", 700000000);
  setRecord("book", 700000100, 712345678, 2);
  EXPECT_VALUE(db_->IsWordStudy("apple"), Value::array({700000000LL}));
  EXPECT_VALUE(db_->IsWordStudy("book"), Value::array({1712345678LL}));
  EXPECT_VALUE(db_->IsWordStudy_byID(2), Value::array({1712345678LL}));
  EXPECT_VALUE(db_->IsWordStudy_byID(3), Value::array());
}

TEST_F(StudyRecordsTest, PlanningRollingBackAndRemovingKeepDeleteWordsInStep) {
  db_->sqlMgr().beginTransaction();
  plan("apple", now());
  plan("book", now());
  db_->sqlMgr().rollbackTransaction();
  EXPECT_EQ(number("select count(*) from Study_List") + number("select count(*) from Study_Log"),
            0);

  db_->sql_insert("insert into delete_words (dw_uWordID) values (1)", "", Value::array());
  plan("apple", now());
  EXPECT_EQ(number("select count(*) from delete_words"), 0);
  EXPECT_VALUE(rows("select sl_uWordID, sl_uAddTime, sl_uNeedSync from Study_List", "NNn"),
               Value::array({Value::array({1, now(), 0})}));
  EXPECT_VALUE(rows("select * from Study_Log", "NNNnnnnnnn"),
               Value::array({Value::array({1, 0, now(), 0, 0, 0, 0, 0, 0, 0})}));

  // Planning a planned word changes nothing.
  plan("apple", now() + 99);
  EXPECT_EQ(number("select sl_uAddTime from Study_List"), now());

  db_->saveNote("apple", "x");
  db_->saveMnemonic("apple", "x");
  db_->saveMyYuFa("apple", "x");
  db_->saveYuFa("apple", "x");
  db_->delete_StudyWord("apple");
  EXPECT_VALUE(rows("select dw_uWordID from delete_words", "n"), Value::array({1}));
  for (const char* table :
       {"Study_List", "Study_Log", "Study_Note", "Words_Mnemonic", "Words_MyYuFa", "Words_YuFa"})
    EXPECT_EQ(number(std::string("select count(*) from ") + table), 0) << table;

  // Removing twice, and unknown words, leave the records as they are.
  db_->delete_StudyWord("apple");
  db_->delete_StudyWord("pear");
  plan("pear", now());
  EXPECT_EQ(number("select count(*) from delete_words"), 1);
  EXPECT_EQ(number("select count(*) from Study_List"), 0);

  plan("apple", now());
  EXPECT_EQ(number("select count(*) from delete_words"), 0);
}

TEST_F(StudyRecordsTest, AnswersRaiseTheirCountersAndTodaysCounts) {
  plan("apple", now());
  const int64_t last = now(), next = daysFromNow(3);
  db_->UpdateLog(Value::array({"apple", last, next, 2, 0, 0}));
  EXPECT_VALUE(db_->GetStudyLog("apple"), Value::array({Value::array({last, next, 2, 0})}));
  db_->UpdateLog(Value::array({"apple", last, next, 3, 2, 0}));
  db_->UpdateLog(Value::array({"apple", last, next, 4, 3, 2}));
  db_->UpdateLog(Value::array({"apple", last, next, 1, 4, 3}));  // grade 1 counts nowhere
  EXPECT_VALUE(rows("select sl_uFeedbackID1, sl_uFeedbackID2, sl_uFeedbackID3, sl_uKnowNum, "
                    "sl_uVagueNum, sl_uForgetNum, sl_uNeedSync from Study_Log",
                    "nnnnnnn"),
               Value::array({Value::array({1, 4, 3, 1, 1, 1, 0})}));
  EXPECT_EQ(db_->getPersonalValue("rememberNum"), "4");
  EXPECT_VALUE(rows("select rl_uTimeID, rl_uWordNum from ReviewWords_Log", "Nn"),
               Value::array({Value::array({MyDate::studyDayId(), 4})}));
  EXPECT_VALUE(db_->GetStudyLog("book"), Value::array());
}

TEST_F(StudyRecordsTest, DueReviewsStayUnderTheDaysCap) {
  Words words = addWords("w", 6, 1000);
  for (size_t i = 0; i < words.size(); ++i) {
    plan(words[i], daysFromNow(-10));
    setRecord(words[i], daysFromNow(-5), daysFromNow(-1.0 * static_cast<double>(i)), 2);
  }
  plan("apple", now());          // new, due at once
  plan("book", daysFromNow(2));  // new, due the day after tomorrow

  EXPECT_EQ(db_->GetReviewWordsCount(), 6);
  EXPECT_EQ(strings(db_->GetReviewWords("newlearn")), Words{"apple"});
  EXPECT_EQ(strings(db_->GetReviewWords("review")),
            (Words{"w005", "w004", "w003", "w002", "w001", "w000"}));

  db_->UpdatePersonalValue_isNeed("ReviewLimitCount", "4");
  EXPECT_EQ(strings(db_->GetReviewWords("review")), (Words{"w005", "w004", "w003", "w002"}));
  // Two words answered today (not planned today) use up two of the four.
  setRecord("w005", now() - 60, daysFromNow(2), 2);
  setRecord("w004", now() - 60, daysFromNow(2), 2);
  EXPECT_EQ(db_->getFinishTestNumFromDay(), 2);
  EXPECT_EQ(strings(db_->GetReviewWords("review")), (Words{"w003", "w002"}));
  EXPECT_EQ(strings(db_->GetReviewWords("all")), (Words{"w003", "w002", "apple"}));

  for (const char* cap : {"2", "0", "", "-99999999999"}) {
    db_->UpdatePersonalValue_isNeed("ReviewLimitCount", cap);
    EXPECT_VALUE(db_->GetReviewWords("review"), Value::array()) << cap;
    EXPECT_EQ(strings(db_->GetReviewWords("all")), Words{"apple"}) << cap;
  }
  EXPECT_VALUE(db_->GetReviewWords("other"), Value::array());
}

TEST_F(StudyRecordsTest, DueCountsOfADateAndPlannedCountsOfDays) {
  plan("apple", daysFromNow(-1));
  plan("book", now());
  setRecord("apple", daysFromNow(-1), daysFromNow(1), 2);  // due tomorrow at 10:00
  setRecord("book", now(), now() + 3600, 3);               // due today at 11:00
  const double today = MyDate::localDateTime();
  EXPECT_EQ(db_->GetReviewWordsCount(today), 1);
  EXPECT_EQ(db_->GetReviewWordsCount(today + 86400), 2);
  EXPECT_EQ(db_->GetReviewWordsCount(today - 86400), 0);

  // Planned yesterday at 10:00 and today at 10:00: each study day holds one.
  EXPECT_EQ(db_->getCountWordsFromDay(today - 2 * 86400, today - 86400), 1);
  EXPECT_EQ(db_->getCountWordsFromDay(today - 86400, today), 1);
  EXPECT_EQ(db_->getCountWordsFromDay(today - 2 * 86400, today), 2);
}

TEST_F(StudyRecordsTest, LearnedOrderAndTodaysAnswers) {
  for (const char* w : {"run", "good", "apple", "book", "happy"}) plan(w, daysFromNow(-3));
  setRecord("apple", daysFromNow(-1), daysFromNow(4), 2);
  setRecord("book", now() - 600, daysFromNow(2), 3, 2, 4);
  setRecord("happy", now() - 60, daysFromNow(2), 4);
  // Untested first (ties by headword), then by next study time.
  EXPECT_EQ(strings(db_->getLearnWords()), (Words{"good", "run", "book", "happy", "apple"}));
  EXPECT_VALUE(db_->getTodayReWords(),
               Value::array({Value::array({"book", 3, 2, 4}), Value::array({"happy", 4, 0, 0})}));
}

TEST_F(StudyRecordsTest, QueueKeepsItsOrderAndBindsEveryWord) {
  // More words than one statement writes, and headwords that would break a spliced statement.
  Value words = Value::array({"say \"hi\"", "it's", "a\", 0, 0; drop table Study_Log; --", "?"});
  for (const auto& w : addWords("q", 61, 2000)) words.append(w);
  db_->initReviewWords_tempData(words, 0);
  db_->addTempData(Value::array({"x\"y"}));
  Value stored = db_->getReviewWords_tempData();
  ASSERT_EQ(stored.size(), words.size() + 1);
  for (size_t i = 0; i < words.size(); ++i)
    EXPECT_VALUE(stored.at(i), Value::array({words.at(i), 0, 0}));
  EXPECT_VALUE(stored.at(words.size()), Value::array({"x\"y", 1, 0}));
  EXPECT_EQ(number("select count(*) from Study_Log"), 0);  // the table is still there

  db_->initReviewWords_tempData(Value::array(), 0);
  EXPECT_VALUE(db_->getReviewWords_tempData(), Value::array());
}

TEST_F(StudyRecordsTest, AFailedRebuildKeepsThePreviousQueueWhoseRowsArePositionedByWord) {
  db_->initReviewWords_tempData(Value::array({"apple", "book"}), 0);
  db_->sql_insert(
      "create trigger refuse before insert on review_list when new.rlt_tWord = 'boom' begin "
      "select raise(abort, 'refused'); end",
      "", Value::array());
  Value words = Value::array();
  for (const auto& w : addWords("b", 40, 2000)) words.append(w);
  words.append("boom");
  EXPECT_THROW(db_->initReviewWords_tempData(words, 0), MyException);
  EXPECT_VALUE(db_->getReviewWords_tempData(),
               Value::array({Value::array({"apple", 0, 0}), Value::array({"book", 0, 0})}));
  EXPECT_FALSE(db_->sqlMgr().inTransaction());

  // Rows are positioned and removed by word.
  db_->modifyTempData("book", 0, 3);
  db_->modifyTempData("run", 1, 2);
  db_->modifyTempData("apple", 1, 0);
  db_->addTempData(Value::array({"run"}));
  EXPECT_VALUE(db_->getReviewWords_tempData(),
               Value::array({Value::array({"apple", 0, 0}), Value::array({"book", 0, 3}),
                             Value::array({"run", 1, 2}), Value::array({"run", 1, 0})}));
  db_->delTempData("run");
  db_->delTempData("pear");
  EXPECT_EQ(db_->getReviewWords_tempData().size(), 2u);
}

// The card's content types are read by the word card's tests on the same words.
TEST_F(StudyRecordsTest, WordDataMakesTheWordCurrentAndCountsItsAnswers) {
  EXPECT_VALUE(db_->GetWordData("book", 0), Value::array({Value::array({"bʊk", "bʊk", 2})}));
  EXPECT_EQ(db_->wordID(), 2);
  EXPECT_VALUE(db_->GetWordData("book", 1),
               Value::array({Value::array({"n. 书；本子", 2}), Value::array({"v. 预订", 3})}));
  EXPECT_VALUE(db_->GetWordData("book", 4), Value::array({Value::array({0, 0, 0})}));

  db_->GetWordData("happy", 0);
  EXPECT_VALUE(db_->GetWordData("happy", 9),
               Value::array({Value::array({"happiness n. 幸福"}), Value::array()}));
  db_->GetWordData("apple", 0);
  plan("apple", now());
  db_->UpdateLog(Value::array({"apple", now(), daysFromNow(1), 4, 0, 0}));
  EXPECT_VALUE(db_->GetWordData("apple", 4), Value::array({Value::array({0, 0, 1})}));
  EXPECT_THROW(db_->GetWordData("apple", 10), MyException);

  // An unknown headword reads nothing of the previous word.
  EXPECT_VALUE(db_->GetWordData("pear", 0), Value::array());
  EXPECT_EQ(db_->wordID(), 0);
  for (int type : {1, 2, 3, 5, 6, 8}) EXPECT_VALUE(db_->GetWordData("pear", type), Value::array());
  EXPECT_VALUE(db_->GetWordData("pear", 4), Value::array());
  EXPECT_VALUE(db_->GetWordData("pear", 7), Value::array({Value::array(), Value::array()}));
}

TEST_F(StudyRecordsTest, FrequencyFactor) {
  EXPECT_DOUBLE_EQ(db_->GetWordUsedCofe("book"), 2 / 7000.0);   // place 2 of book 800
  EXPECT_DOUBLE_EQ(db_->GetWordUsedCofe("apple"), 1 / 7000.0);  // book 801
  EXPECT_DOUBLE_EQ(db_->GetWordUsedCofe("run"), 1.0);
  EXPECT_DOUBLE_EQ(db_->GetWordUsedCofe("pear"), 1.0);
  addWords("f", 1, 3000, 800, 3500);
  EXPECT_DOUBLE_EQ(db_->GetWordUsedCofe("f000"), 0.5);
}

TEST_F(StudyRecordsTest, GradesAreReadAgainFromAFileOpenedAnew) {
  const Value shipped = db_->GetFeedbackInfo();
  ASSERT_GT(shipped.size(), 1u);
  EXPECT_VALUE(db_->GetFeedbackInfo(), shipped);
  // A file put in place while the store was closed (a newer shipped file after an upgrade).
  db_->sql_update("update Feedback_Define set fd_dIdealValue = 0.25", "", Value::array());
  CallDB::Release_CallDB();
  db_ = CallDB::callDB();
  const Value grades = db_->GetFeedbackInfo();
  ASSERT_EQ(grades.size(), shipped.size());
  EXPECT_DOUBLE_EQ(grades.at(0).at(1).asDouble(), 0.25);
}

}  // namespace
