// Answers: which of them reach the study record and when, re-tests, and failures while saving.
#include "tests/learn/ReviewQueueFixture.h"

namespace learntest {
namespace {

using plat::Value;

TEST_F(ReviewQueueTest, OnlyTheFirstShowingIsWrittenAndOneAnswerLate) {
  load({"run", "happy", "cafe"});  // none of them in the frequency books
  const std::string first = queue_.reallyName();
  const StudyLog before = *logOf(first);

  answer(kKnow);
  EXPECT_EQ(*logOf(first), before);  // pending, not written yet
  ASSERT_TRUE(queue_.WaitSaveWord());
  EXPECT_EQ(queue_.WaitSaveWord()->word, first);
  EXPECT_EQ(queue_.finishWords(), (std::vector<std::string>{first}));
  EXPECT_EQ(queue_.currWordIndex(), 1);
  for (const MirrorRow& row : mirror()) EXPECT_NE(row.word, first);

  const std::string second = queue_.reallyName();
  answer(kKnow);
  // 6 days planned, 1 day late: D = 6; f = 0.9² + 0.9³ + 1 = 2.539.
  EXPECT_EQ(*logOf(first), (StudyLog{now(), now() + 1316217, kKnow, kKnow, 0, 1, 0, 0}));
  EXPECT_EQ(personalNumber("rememberNum"), 1);
  EXPECT_EQ(*logOf(second), before);

  queue_.changeViewState();
  EXPECT_EQ(logOf(second)->last, now());
  EXPECT_FALSE(queue_.WaitSaveWord());
  EXPECT_EQ(personalNumber("rememberNum"), 2);
}

TEST_F(ReviewQueueTest, FirstAnswersAreScheduledWithTheFrequencyFactorAndUnknownGradesAsNone) {
  planDue("cafe", 9, 7);      // grade ids outside the grades
  load({}, {"run", "book"});  // "run" in no frequency book: factor 1; "book" 2nd in book 800
  for (int i = 0; i < 3; ++i) answer(kKnow);
  queue_.changeViewState();
  EXPECT_EQ(logOf("run")->next, now() + 156384);
  const double f = 1.81 + 4 - 4 * (2 / 7000.0);
  EXPECT_EQ(logOf("book")->next, now() + static_cast<int64_t>(f * 86400.0));
  // As after no earlier answer: f = 1.81 over D = 6 days.
  EXPECT_EQ(*logOf("cafe"), (StudyLog{now(), now() + 938304, kKnow, 0, 0, 1, 0, 0}));
}

TEST_F(ReviewQueueTest, WeakAnswersComeBackAtTheirRetestPositions) {
  load({"apple", "book", "cafe", "run", "happy", "good"});
  const std::string weak = queue_.reallyName();

  answer(kFuzzy);  // 0.5: position 4, four other words first
  ASSERT_EQ(queueWords().size(), 6u);
  EXPECT_EQ(queueWords()[4], weak);
  EXPECT_EQ(queuePositions()[4], 4);
  EXPECT_EQ(mirror().front(), (MirrorRow{weak, 0, 4}));

  for (int i = 0; i < 4; ++i) answer(kKnow);
  ASSERT_EQ(queue_.reallyName(), weak);
  answer(kKnow);  // at position 4 with 0.9: position 16, beyond the queue's end
  EXPECT_EQ(queueWords().size(), 2u);
  EXPECT_EQ(queueWords().back(), weak);
  EXPECT_EQ(queuePositions().back(), 16);
  answer(kKnow);
  ASSERT_EQ(queue_.reallyName(), weak);
  answer(kKnow);  // 16 + 12 > 19: no more re-tests, and the row goes
  EXPECT_TRUE(queue_.ArrayReview().empty());
  EXPECT_TRUE(mirror().empty());

  queue_.changeViewState();
  const StudyLog log = *logOf(weak);
  EXPECT_EQ(log.g1, kFuzzy);  // only the first showing's answer was written
  EXPECT_EQ(log.vague, 1);
  EXPECT_EQ(log.know, 0);
  EXPECT_EQ(personalNumber("rememberNum"), 6);
}

TEST_F(ReviewQueueTest, AForgottenLastWordComesBackAtOnce) {
  load({"run"});
  answer(kForgot);
  EXPECT_EQ(queueWords(), (std::vector<std::string>{"run"}));
  EXPECT_EQ(queuePositions(), (std::vector<int>{2}));
  EXPECT_EQ(queue_.reallyName(), "run");
  EXPECT_EQ(mirror(), (std::vector<MirrorRow>{{"run", 0, 2}}));
  EXPECT_EQ(queue_.ReviewState(), ReviewQueue::kStateReview);
}

TEST_F(ReviewQueueTest, ChangingThePendingAnswerWritesOnlyTheNewOneAndReplacesItsRetest) {
  load({"run", "happy", "cafe"});
  const std::string first = queue_.reallyName();
  answer(kFuzzy);
  ASSERT_EQ(queueWords().back(), first);  // the re-test

  // The screen browses back to the last answered word.
  queue_.setCurrWordIndex(0);
  queue_.changeWordBtnText(first);
  ASSERT_TRUE(queue_.browsesLastAnswer());
  queue_.selBtn_Down();
  queue_.selBtn_Up(kKnow);

  const StudyLog log = *logOf(first);
  EXPECT_EQ(log.last, now());
  EXPECT_EQ(log.g1, kKnow);
  EXPECT_EQ(log.know, 1);
  EXPECT_EQ(log.vague, 0);
  EXPECT_FALSE(queue_.WaitSaveWord());
  EXPECT_EQ(queueWords().size(), 2u);  // the re-test went with the first answer
  for (const MirrorRow& row : mirror()) EXPECT_NE(row.word, first);
  EXPECT_TRUE(view_.returnButtonShown);
  EXPECT_EQ(view_.remindLabel, 3);

  // Back to the live word; its answer does not write the first word again.
  queue_.setCurrWordIndex(1);
  queue_.ShowFrontWord();
  answer(kKnow);
  queue_.changeViewState();
  EXPECT_EQ(logOf(first)->know, 1);
  EXPECT_EQ(personalNumber("rememberNum"), 2);
}

TEST_F(ReviewQueueTest, SavingWhileBrowsingThePendingAnswerTakesItsButtonsAway) {
  load({"run", "cafe"});
  const std::string first = queue_.reallyName();
  answer(kKnow);
  queue_.setCurrWordIndex(0);
  queue_.changeWordBtnText(first);
  view_.remindLabel = 2;  // the screen offers to change the pending answer

  queue_.changeViewState();
  EXPECT_EQ(logOf(first)->last, now());
  EXPECT_FALSE(queue_.WaitSaveWord());
  EXPECT_TRUE(view_.returnButtonShown);
  EXPECT_EQ(view_.remindLabel, 3);

  // Nothing is pending any more: an answer button here changes nothing.
  queue_.selBtn_Down();
  queue_.selBtn_Up(kFuzzy);
  EXPECT_EQ(logOf(first)->g1, kKnow);
  EXPECT_EQ(logOf(first)->vague, 0);
}

TEST_F(ReviewQueueTest, AnAnswerCountsOnlyForTheWordOfTheTouchDown) {
  load({"run", "cafe"});
  queue_.showSelBtn();
  EXPECT_EQ(queue_.currRemState(), ReviewQueue::kCardRevealed);
  EXPECT_TRUE(view_.answerButtonsShown);
  EXPECT_EQ(view_.remindLabel, 1);
  EXPECT_EQ(view_.autoAccepts, 0);

  queue_.selBtn_Down();
  queue_.changeWordBtnText(queue_.reallyName() == "run" ? "cafe" : "run");
  queue_.selBtn_Up(kKnow);
  queue_.selBtn_Down();
  queue_.selBtn_Up(5);
  EXPECT_TRUE(queue_.finishWords().empty());

  db_->UpdatePersonalValue_isNeed("autoAccept", "1");
  queue_.showSelBtn();
  EXPECT_EQ(view_.autoAccepts, 1);
}

TEST_F(ReviewQueueTest, AWordThatLostItsRecordIsSkippedWithoutAWrite) {
  load({"run", "cafe"});
  const std::string first = queue_.reallyName();
  answer(kKnow);
  // A restore replaced the study data meanwhile.
  db_->sql_delete(
      "delete from Study_Log where sl_uWordID = (select wl_uWordID from Words_Library where "
      "wl_tWord = ?)",
      "s", Value::array({first}));
  answer(kKnow);
  EXPECT_FALSE(logOf(first));
  EXPECT_TRUE(view_.messages.empty());
  EXPECT_EQ(personalNumber("rememberNum"), 0);
  ASSERT_TRUE(queue_.WaitSaveWord());
  EXPECT_NE(queue_.WaitSaveWord()->word, first);
}

TEST_F(ReviewQueueTest, AFailedSaveIsRolledBackShownAndTheQueueGoesOn) {
  load({"run", "cafe", "happy"});
  const std::string first = queue_.reallyName();
  const int64_t before = logOf(first)->last;
  // A failure at run time of the statement (a constraint would pass silently).
  db_->sql_update(
      "create trigger refuse_answers after update on Study_Log begin select "
      "abs(-9223372036854775807 - 1); end",
      "", Value::array());

  answer(kKnow);
  answer(kKnow);
  EXPECT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(logOf(first)->last, before);
  EXPECT_EQ(personalNumber("rememberNum"), 0);
  EXPECT_EQ(number("select count(*) from ReviewWords_Log"), 0);
  EXPECT_EQ(mirror().size(), 1u);  // the queue's progress is kept
  EXPECT_FALSE(db_->sqlMgr().inTransaction());

  db_->sql_update("drop trigger refuse_answers", "", Value::array());
  const std::string second = queue_.finishWords().back();
  queue_.changeViewState();
  EXPECT_EQ(logOf(second)->last, now());
  EXPECT_EQ(personalNumber("rememberNum"), 1);
}

TEST_F(ReviewQueueTest, WordsPlannedMeanwhileJoinUnlessDueWordsAreReviewed) {
  load({"run"});
  queue_.addnewWord({"happy"});
  EXPECT_EQ(queueWords(), (std::vector<std::string>{"run"}));
  answer(kKnow);  // the due word is done; nothing new was due yet
  ASSERT_EQ(queue_.ReviewState(), ReviewQueue::kStateIdle);

  db_->InsertStudyWord("happy", now());
  db_->InsertStudyWord("good", now());
  queue_.addnewWord({"happy", "good"});
  EXPECT_EQ(queue_.ReviewState(), ReviewQueue::kStateLearn);
  EXPECT_EQ(view_.iconBadge, 2);
  EXPECT_EQ(mirror(), (std::vector<MirrorRow>{{"happy", 1, 0}, {"good", 1, 0}}));
}

TEST_F(ReviewQueueTest, AWordLeavingThePlanTakesOnlyItsOwnPendingAnswer) {
  load({"run", "happy", "cafe"});
  const std::string first = queue_.reallyName();
  answer(kKnow);
  const std::string second = queue_.reallyName();
  answer(kKnow);  // writes the first, leaves the second pending

  db_->delete_StudyWord(first);
  queue_.delnewWord(first);
  ASSERT_TRUE(queue_.WaitSaveWord());
  EXPECT_EQ(queue_.WaitSaveWord()->word, second);
  EXPECT_EQ(queue_.finishWords(), (std::vector<std::string>{second}));
  EXPECT_EQ(queue_.currWordIndex(), 1);

  db_->delete_StudyWord(second);
  queue_.delnewWord(second);
  EXPECT_FALSE(queue_.WaitSaveWord());
  EXPECT_TRUE(queue_.finishWords().empty());

  const std::string third = queue_.reallyName();
  db_->delete_StudyWord(third);
  queue_.delnewWord(third);
  EXPECT_TRUE(queue_.ArrayReview().empty());
  EXPECT_TRUE(mirror().empty());
  EXPECT_EQ(queue_.ReviewState(), ReviewQueue::kStateIdle);
}

}  // namespace
}  // namespace learntest
