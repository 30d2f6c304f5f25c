#include <gtest/gtest.h>

#include <cmath>

#include "learn/ReviewSchedule.h"

namespace {

using ReviewSchedule::intervalDays;
using ReviewSchedule::retestPosition;
using ReviewSchedule::studySeconds;

constexpr int64_t kDay = 86400;

double never() {
  ADD_FAILURE() << "the frequency factor was read although the formula does not use it";
  return 1.0;
}

TEST(ReviewSchedule, WorkedExamplesOfTheNextStudyTime) {
  // Known at first sight (0.97) with frequency factor 0.5: 8 − 8u is added.
  EXPECT_DOUBLE_EQ(studySeconds({0.97, 0, 0}, false, 0, [] { return 0.5; }), 513293.76);
  // Three "know" answers, 30 days planned: D div 20 is 1 and leaves f as it is.
  EXPECT_NEAR(studySeconds({0.9, 0.9, 0.9}, true, 30, never), 8281699.2, 1e-6);
  // 45 days: the factor is damped by 2^1.05.
  EXPECT_NEAR(studySeconds({0.9, 0.9, 0.9}, true, 45, never),
              45 * 86400.0 * (2.1951 / std::pow(2.0, 1.05) + 1), 1e-6);
}

TEST(ReviewSchedule, AWorseAnswerThanBeforeShrinksTheIntervalDownToTheMinimum) {
  // c0 = 0.3 after c1 = 0.9: f = 1 − 0.7² = 0.51.
  EXPECT_NEAR(studySeconds({0.3, 0.9, 0}, true, 10, never), 440640.0, 1e-6);
  EXPECT_DOUBLE_EQ(studySeconds({0.3, 0.9, 0}, true, 1, never), 79200.0);
  EXPECT_DOUBLE_EQ(studySeconds({0.0, 0, 0}, false, 0, never), 79200.0);
}

TEST(ReviewSchedule, LongIntervalsDoNotOverflow) {
  // 30000 days of seconds is beyond 32 bits; the time must still lie in the future.
  const double seconds = studySeconds({0.9, 0.9, 0.9}, true, 30000, never);
  EXPECT_NEAR(seconds, 30000 * 86400.0 * (2.1951 / std::pow(1500.0, 1.05) + 1), 1e-3);
  EXPECT_EQ(ReviewSchedule::nextStudyTime(1000.0, 2.5), 1002);
  EXPECT_EQ(ReviewSchedule::nextStudyTime(0.0, 1e30), static_cast<int64_t>(9.2e18));
  EXPECT_GT(intervalDays(100 * kDay, INT64_MAX, 120 * kDay), 0);
}

TEST(ReviewSchedule, IntervalCountsLatenessAtMostAsMuchAsThePlan) {
  const int64_t last = 100 * kDay + 5000;
  const int64_t next = 110 * kDay + 3 * 3600;
  EXPECT_EQ(intervalDays(last, next, 120 * kDay + 100), 12);
  // A fifth of the lateness in whole days: 5 days late add 1, 14 days late add 2.
  EXPECT_EQ(intervalDays(last, next, 115 * kDay), 11);
  EXPECT_EQ(intervalDays(last, next, 124 * kDay), 12);
  EXPECT_EQ(intervalDays(last, next, 200 * kDay), 20);
  EXPECT_EQ(intervalDays(last, next, 105 * kDay), 9);
  EXPECT_EQ(intervalDays(0, next, 120 * kDay), 0);         // never tested
  EXPECT_EQ(intervalDays(86399, next, 120 * kDay), 0);     // still the first day: never tested
  EXPECT_EQ(intervalDays(last, 90 * kDay, 95 * kDay), 0);  // planned before it was tested
}

TEST(ReviewSchedule, RetestPositionsBeyondTheQueuesCases) {
  EXPECT_EQ(retestPosition(0, 0.2), 2);
  EXPECT_EQ(retestPosition(0, 0.0), 2);
  EXPECT_EQ(retestPosition(19, 0.3), 19);
  EXPECT_EQ(retestPosition(INT32_MAX, 0.9), std::nullopt);
  EXPECT_EQ(retestPosition(INT32_MIN, 0.9), 2);
}

}  // namespace
