// A learner who answers every due word each day for a year, on the shipped library and its first
// limits of new words and reviews a day: the limits must leave no overdue backlog.
#include <gtest/gtest.h>

#include <random>

#include "learn/ReviewQueue.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "tests/learn/RecordingReviewView.h"
#include "tests/tools/ShippedStore.h"

namespace toolstest {
namespace {

using plat::Value;

class LearnerYearTest : public ShippedStoreTest {
 protected:
  int64_t overdue() { return CallDB::callDB()->GetReviewWordsCount(); }
};

TEST_F(LearnerYearTest, TheFirstLimitsLeaveNoBacklogAfterAYear) {
  CallDB* db = CallDB::callDB();
  ASSERT_TRUE(db->isOpen());
  // A year of answers is many small transactions; this file need not survive a power cut.
  db->sqlMgr().RecordExec("PRAGMA synchronous = OFF");
  const int reviewLimit = std::stoi(db->getPersonalValue("ReviewLimitCount"));
  const int studyLimit = std::stoi(db->getPersonalValue("StudyLimitCount"));
  ASSERT_GT(studyLimit, 0);

  // New words come in order of frequency.
  Value order = db->sql_select(
      "select wl.wl_tWord from book_words as bw, Words_Library as wl where bw.f_wl_uId = "
      "wl.wl_uWordID and bw.f_b_uId in (800, 801) order by bw.bw_uId",
      "s", "", Value());
  size_t nextNew = 0;

  RecordingReviewView view;
  ReviewQueue queue(view);
  queue.LoadFeedbackDefine();
  // Grades 2 know, 3 fuzzy, 4 forgot: new words are known less often than reviewed ones.
  std::mt19937 random(20240101);
  std::discrete_distribution<int> newGrade({0, 0, 55, 25, 20});
  std::discrete_distribution<int> reviewGrade({0, 0, 80, 12, 8});

  int64_t answers = 0;
  for (int day = 0; day < 365; ++day) {
    clock_->set(1700013600.0 + day * 86400.0);  // 10:00 in UTC+8
    for (int n = db->getNeedLearnNum(); n > 0 && nextNew < order.size(); --n)
      db->InsertStudyWord(order.at(nextNew++).asString(),
                          MyDate::storedTime(MyDate::localDateTime()) - 60);
    Value reviews = db->GetReviewWords("review");
    Value fresh = db->GetReviewWords("newlearn");
    for (size_t i = 0; i < reviews.size(); ++i)
      queue.UpdateAllData(reviews.at(i).asString(), reviewGrade(random));
    for (size_t i = 0; i < fresh.size(); ++i)
      queue.UpdateAllData(fresh.at(i).asString(), newGrade(random));
    answers += static_cast<int64_t>(reviews.size() + fresh.size());
    // Whatever the cap left for today is the backlog.
    ASSERT_EQ(overdue(), 0) << "day " << day << ": " << reviews.size() << " reviews under a cap of "
                            << reviewLimit;
  }
  EXPECT_TRUE(view.alerts.empty());
  EXPECT_EQ(number("select sum(sl_uKnowNum + sl_uVagueNum + sl_uForgetNum) from Study_Log"),
            answers);
  EXPECT_EQ(number("select count(*) from Study_Log where sl_uLastTestTime = 0"), 0);
}

}  // namespace
}  // namespace toolstest
