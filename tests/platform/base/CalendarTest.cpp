#include "platform/base/Calendar.h"

#include <gtest/gtest.h>

#include <cmath>

using plat::Calendar;
using plat::DateTime;
using plat::TimeZone;
namespace calendar = plat::calendar;

TEST(Calendar, CivilDaysRoundTripAndTheWallClockCrossesDaylightSaving) {
  EXPECT_EQ(calendar::daysFromCivil(1970, 1, 1), 0);
  EXPECT_EQ(calendar::daysFromCivil(2001, 1, 1) * 86400, 978307200);
  EXPECT_EQ(calendar::daysFromCivil(1969, 12, 31), -1);
  EXPECT_EQ(calendar::weekdayOfDays(0), 4);   // a Thursday
  EXPECT_EQ(calendar::weekdayOfDays(-1), 3);  // and the day before
  for (int64_t days :
       {int64_t{-800'000'000}, int64_t{-719'468}, int64_t{-1}, int64_t{0}, int64_t{11'016},
        int64_t{11'017}, int64_t{2'932'896}, int64_t{900'000'000}}) {
    DateTime d = calendar::civilFromDays(days);
    EXPECT_EQ(calendar::daysFromCivil(d.year, d.month, d.day), days) << days;
  }
  DateTime leap = calendar::civilFromDays(calendar::daysFromCivil(2000, 2, 29) + 1);
  EXPECT_EQ(leap.month, 3);
  EXPECT_EQ(leap.day, 1);
  EXPECT_EQ(calendar::daysInMonth(1900, 2), 28);
  EXPECT_EQ(calendar::daysInMonth(2000, 2), 29);
  EXPECT_EQ(calendar::daysInMonth(2023, 13), 0);

  // Before the epoch and with fractions.
  DateTime f = calendar::breakDown(-0.25, 0);
  EXPECT_EQ(f.year, 1969);
  EXPECT_EQ(f.hour, 23);
  EXPECT_EQ(f.second, 59);
  EXPECT_DOUBLE_EQ(f.fraction, 0.75);
  EXPECT_DOUBLE_EQ(calendar::compose(f, 0), -0.25);
  DateTime nan = calendar::breakDown(std::nan(""), 0);  // garbage in gives the epoch, not UB
  EXPECT_EQ(nan.year, 1970);

  Calendar ny(TimeZone::named("America/New_York"));
  DateTime noon{2024, 3, 9, 12, 0, 0};
  double before = ny.date(noon);
  double after = ny.addingDays(before, 1);
  EXPECT_DOUBLE_EQ(after - before, 23 * 3600.0);  // the short night of the change
  EXPECT_EQ(ny.components(after).hour, 12);
  EXPECT_EQ(ny.components(after).day, 10);
  EXPECT_DOUBLE_EQ(ny.addingDays(after, -1), before);
  EXPECT_DOUBLE_EQ(ny.addingHours(before, -3), before - 3 * 3600.0);

  // 02:30 does not exist on 2024-03-10: read with the offset before the gap (03:30 EDT).
  EXPECT_DOUBLE_EQ(ny.date({2024, 3, 10, 2, 30, 0}), 1710055800.0);
  // 01:30 happens twice on 2024-11-03: the first one (EDT).
  EXPECT_DOUBLE_EQ(ny.date({2024, 11, 3, 1, 30, 0}), 1730611800.0);
  Calendar shanghai(TimeZone::named("Asia/Shanghai"));
  double t = 1719849600.0;  // 2024-07-01 16:00 UTC, midnight in Shanghai
  EXPECT_DOUBLE_EQ(shanghai.startOfDay(t + 3600), t);
  EXPECT_DOUBLE_EQ(shanghai.startOfDay(t - 1), t - 86400);
}
