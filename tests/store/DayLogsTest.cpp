#include "store/MyDate.h"
#include "tests/store/StudyFixture.h"

namespace {

using plat::Value;
using Words = std::vector<std::string>;

constexpr double kDay = 86400;

class DayLogsTest : public storetest::StudyTest {
 protected:
  // The daily refresh's fills, in its transaction.
  void activate() {
    db_->sqlMgr().beginTransaction();
    db_->OpenMechine_FamiliarityFromDay(14);
    db_->OpenMechine_ForgetWordsFromDay(14);
    db_->sqlMgr().commitTransaction();
  }
  // [id, state] of every row of a log, oldest first.
  Value logRows(const std::string& table) {
    return rows("select fl_uTimeID, fl_uCountState from " + table + " order by fl_uTimeID", "Nn");
  }
  std::vector<int64_t> ids(const std::string& table) {
    std::vector<int64_t> out;
    Value r = logRows(table);
    for (size_t i = 0; i < r.size(); ++i) out.push_back(r.at(i).at(0).asInt());
    return out;
  }
  static std::vector<int64_t> range(int64_t first, int64_t last) {
    std::vector<int64_t> out;
    for (int64_t id = first; id <= last; ++id) out.push_back(id);
    return out;
  }
  int64_t familiarity1(int64_t id) {
    return number("select fl_uWordNum1 from Familiarity_Log where fl_uTimeID = " +
                  std::to_string(id));
  }
  int64_t retention(int64_t id) {
    return number("select fl_uWordNum from ForgetWords_Log where fl_uTimeID = " +
                  std::to_string(id));
  }
  void moveDue(const std::string& word, double days) {
    setRecord(word, daysFromNow(-2), daysFromNow(days), 2);
  }
};

TEST_F(DayLogsTest, ActivationsFillTheLastFourteenDaysAndRewriteOnlyRowsAChartMarked) {
  Words words = studied("s", 10, 1000, 40);
  activate();
  const int64_t today = MyDate::studyDayId();
  for (const char* log : {"Familiarity_Log", "ForgetWords_Log"}) {
    EXPECT_EQ(ids(log), range(today - 13, today)) << log;
    EXPECT_EQ(number(std::string("select count(*) from ") + log + " where fl_uCountState <> 1"), 0);
  }
  EXPECT_EQ(familiarity1(today), 10);       // due in 40 days: beyond 29 days after today
  EXPECT_EQ(familiarity1(today - 13), 10);  // computed from today's data for every day
  EXPECT_EQ(retention(today), 10000);

  moveDue(words[0], 1);
  clock_->advance(3600);
  activate();  // second activation of the day: its own rows stand
  EXPECT_EQ(familiarity1(today), 10);
  EXPECT_EQ(retention(today), 10000);

  // A chart marks the rows, and the next activation recomputes them once.
  db_->FamiliarityFromDay(14);
  db_->ForgetWordsFromDay(14);
  moveDue(words[1], 1);
  activate();
  EXPECT_EQ(familiarity1(today), 8);
  EXPECT_EQ(retention(today), 8400);  // 2 of 10 due: 1 - 0.8 * 0.2
  EXPECT_VALUE(logRows("ForgetWords_Log").at(13), Value::array({today, 1}));

  // Twenty days later only the last fourteen are added.
  clock_->advance(20 * kDay);
  activate();
  std::vector<int64_t> expected = range(today - 13, today);
  for (int64_t id : range(today + 7, today + 20)) expected.push_back(id);
  EXPECT_EQ(ids("Familiarity_Log"), expected);
  EXPECT_EQ(ids("ForgetWords_Log"), expected);
}

TEST_F(DayLogsTest, ReturnAfterThreeDaysRewritesAChartRowAndAddsTheDaysAway) {
  Words words = studied("s", 10, 1000, 40);
  activate();
  const int64_t day0 = MyDate::studyDayId();
  // A chart drawn later that day rewrites the row with state 0 once the data changed.
  moveDue(words[0], 1);
  EXPECT_VALUE(db_->FamiliarityFromDay(1),
               Value::array({Value::array({9}), Value::array({0}), Value::array({0})}));
  EXPECT_VALUE(logRows("Familiarity_Log").at(13), Value::array({day0, 0}));
  db_->sql_update("update Familiarity_Log set fl_uNeedSync = 1", "", Value::array());

  moveDue(words[1], 1);
  clock_->advance(3 * kDay);
  activate();
  EXPECT_EQ(ids("Familiarity_Log"), range(day0 - 13, day0 + 3));
  EXPECT_EQ(familiarity1(day0), 8);  // recomputed from the data of now
  EXPECT_EQ(number("select fl_uCountState + 10 * fl_uNeedSync from Familiarity_Log where "
                   "fl_uTimeID = " +
                   std::to_string(day0)),
            1);
  EXPECT_EQ(familiarity1(day0 - 1), 10);  // older rows stay as they were
  EXPECT_EQ(familiarity1(day0 + 3), 8);
}

TEST_F(DayLogsTest, AClockSetBackWritesNoPastDays) {
  Words words = studied("s", 5, 1000, 40);
  activate();
  db_->UpdateLog(Value::array({words[0], now(), daysFromNow(50), 2, 2, 0}));
  const int64_t today = MyDate::studyDayId();
  clock_->advance(-2 * kDay);

  activate();
  EXPECT_EQ(ids("Familiarity_Log"), range(today - 13, today));
  // A chart refreshes the row of the day it believes is today, which exists.
  moveDue(words[1], 1);
  db_->FamiliarityFromDay(14);
  EXPECT_VALUE(logRows("Familiarity_Log").at(11), Value::array({today - 2, 0}));
  EXPECT_EQ(familiarity1(today - 2), 4);
  // That day has no review row, so an answer is not counted anywhere.
  db_->UpdateLog(Value::array({words[2], now(), daysFromNow(50), 2, 2, 0}));
  EXPECT_VALUE(rows("select rl_uTimeID, rl_uWordNum from ReviewWords_Log", "Nn"),
               Value::array({Value::array({today, 1})}));
  // Once it has one, that day's row is counted up and the newer one left alone.
  db_->sql_insert("insert into ReviewWords_Log (rl_uTimeID, rl_uWordNum, rl_uNeedSync) values "
                  "(?, 5, 1)",
                  "N", Value::array({today - 2}));
  db_->UpdateLog(Value::array({words[3], now(), daysFromNow(50), 2, 2, 0}));
  EXPECT_VALUE(rows("select rl_uTimeID, rl_uWordNum, rl_uNeedSync from ReviewWords_Log", "Nnn"),
               Value::array({Value::array({today - 2, 6, 0}), Value::array({today, 1, 0})}));
}

TEST_F(DayLogsTest, WordsPlannedPerDay) {
  Words words = addWords("p", 6, 1000);
  plan(words[0], daysFromNow(-1));
  plan(words[1], daysFromNow(-1));
  plan(words[2], now() - 7 * 3600 - 1);  // 02:59:59 today: still yesterday's study day
  plan(words[3], now());
  std::vector<int> expected(14, 0);
  expected[0] = 1;
  expected[1] = 3;
  Value counts = db_->LearnWordsFromDay(14);
  ASSERT_EQ(counts.size(), 14u);
  for (size_t i = 0; i < 14; ++i) EXPECT_EQ(counts.at(i).asInt(), expected[i]) << i;

  plan(words[4], now());  // the newest row follows the plan
  EXPECT_EQ(db_->LearnWordsFromDay(2).at(0).asInt(), 2);
  EXPECT_EQ(db_->LearnWordsFromDay(2).size(), 2u);
}

TEST_F(DayLogsTest, RetentionOfAHundredWordsWithAQuarterDue) {
  Words words = studied("r", 100, 1000, 30);
  for (int i = 0; i < 25; ++i) moveDue(words[i], 1.5);  // due before tomorrow's study day ends
  moveDue(words[25], 1.75);                             // due the day after at 04:00
  const double today = MyDate::localDateTime();
  EXPECT_EQ(db_->getRatioForgetWordsFromDay(today, 2), 8000);
  Value shown = db_->ForgetWordsFromDay(5);
  EXPECT_VALUE(shown, Value::array({80.0, 100.0, 100.0, 100.0, Value()}));
  EXPECT_EQ(retention(MyDate::studyDayId()), 8000);

  Value ahead = db_->getWillForgetWordsFromDay(3);
  ASSERT_EQ(ahead.size(), 3u);
  EXPECT_DOUBLE_EQ(ahead.at(2).asDouble(), 80.0);
  EXPECT_DOUBLE_EQ(ahead.at(1).asDouble(), 79.2);  // one more due by then
}

TEST_F(DayLogsTest, ComingDueCountsCarryTodaysLeftover) {
  db_->UpdatePersonalValue_isNeed("ReviewLimitCount", "50");
  for (const auto& w : studied("d", 40, 1000, 5)) setRecord(w, now() - 60, daysFromNow(5), 2);
  studied("e", 70, 2000, -1.0 / 24);  // due an hour ago
  studied("f", 5, 3000, 1);
  plan("apple", now());

  Value counts = db_->getWillReviewWordsFromDay(13);
  ASSERT_EQ(counts.size(), 14u);
  EXPECT_EQ(counts.at(12).asInt(), 5 + 60);  // tomorrow: its own and today's leftover
  EXPECT_EQ(counts.at(8).asInt(), 40);       // five days ahead
  EXPECT_EQ(counts.at(0).asInt(), 0);
  EXPECT_EQ(counts.at(13).asInt(), 10 + 1);  // today: the reviews the cap admits, the new word
}

TEST_F(DayLogsTest, SummaryOfThreeStudyDays) {
  Words words = addWords("m", 6, 1000);
  plan(words[0], daysFromNow(-2));
  plan(words[1], daysFromNow(-1));
  plan(words[2], daysFromNow(-1));
  plan(words[3], now());
  EXPECT_EQ(db_->LearnWordCount(), 4);
  EXPECT_EQ(db_->getCountDay(), 3);
  EXPECT_FLOAT_EQ(db_->aveLearnNumFromWeek(), 4.0f / 3);
  db_->UpdateLog(Value::array({words[0], now(), daysFromNow(2), 2, 0, 0}));
  db_->UpdateLog(Value::array({words[1], now(), daysFromNow(2), 2, 0, 0}));
  EXPECT_FLOAT_EQ(db_->aveReviewNumFromWeek(), 2.0f / 3);
  EXPECT_VALUE(db_->getReViewWordsFromDay(2), Value::array({2, 0}));

  clock_->advance(10 * kDay);  // a week's window, the first study day long past
  EXPECT_EQ(db_->getCountDay(), 13);
  EXPECT_FLOAT_EQ(db_->aveLearnNumFromWeek(), 0.0f);
  EXPECT_FLOAT_EQ(db_->aveReviewNumFromWeek(), 0.0f);
}

TEST_F(DayLogsTest, TheStudyDayMarkerNeverMovesBackWhileWordsArePlanned) {
  auto marker = [&] { return db_->getPersonalValue("LastReviewDay"); };
  const int64_t today = MyDate::studyDayId();
  EXPECT_FALSE(db_->isSameDay());  // no marker yet
  db_->LastReviewDays();
  EXPECT_EQ(marker(), std::to_string(today));
  EXPECT_TRUE(db_->isSameDay());
  plan("apple", now());
  clock_->advance(-3 * kDay);
  db_->LastReviewDays();
  EXPECT_EQ(marker(), std::to_string(today));
  clock_->advance(5 * kDay);
  db_->LastReviewDays();
  EXPECT_EQ(marker(), std::to_string(today + 2));
  db_->delete_StudyWord("apple");
  clock_->advance(-4 * kDay);
  db_->LastReviewDays();  // nothing planned: the marker follows the clock
  EXPECT_EQ(marker(), std::to_string(today - 2));
}

}  // namespace
