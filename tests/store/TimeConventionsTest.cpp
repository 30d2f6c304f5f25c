#include "platform/base/Calendar.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "tests/store/StoreFixture.h"

namespace {

// Stored seconds of a local wall-clock time (local-as-GMT since 2001-01-01).
int64_t stored(int year, int month, int day, int hour, int minute = 0) {
  return (plat::calendar::daysFromCivil(year, month, day) - 11323) * 86400 + hour * 3600 +
         minute * 60;
}

using TimeConventionsTest = storetest::StoreTest;

TEST_F(TimeConventionsTest,
       LocalTimeIsTheWallClockReadAsGmtAndTheStudyDayBeginsAtThreeEvenOnDaylightSavingNights) {
  setLocalTime(2023, 11, 15, 10, 0);
  EXPECT_EQ(MyDate::storedTime(MyDate::localDateTime()), stored(2023, 11, 15, 10));
  // A change of zone moves the local time by the difference; nothing else is converted.
  clock_->setZone(plat::TimeZone::fixed(-5 * 3600));
  EXPECT_EQ(MyDate::storedTime(MyDate::localDateTime()), stored(2023, 11, 14, 21));
  // Before 2001 stored times are negative, truncated toward zero.
  EXPECT_EQ(MyDate::storedTime(-0.5), 0);
  EXPECT_EQ(MyDate::dayId(-0.5), -1);

  // The study day changes at three in the morning.
  clock_->setZone(plat::TimeZone::fixed(8 * 3600));
  CallDB* db = CallDB::callDB();
  setLocalTime(2023, 11, 15, 2, 59, 59);
  EXPECT_EQ(db->GetDayBeginTime(0), stored(2023, 11, 14, 3));
  EXPECT_EQ(db->GetDayEndTime(0), stored(2023, 11, 15, 3));
  EXPECT_EQ(MyDate::studyDayId(), stored(2023, 11, 14, 0) / 86400);
  EXPECT_EQ(MyDate::calendarDayId(), stored(2023, 11, 15, 0) / 86400);

  setLocalTime(2023, 11, 15, 3, 0, 0);
  EXPECT_EQ(db->GetDayBeginTime(0), stored(2023, 11, 15, 3));
  EXPECT_EQ(db->GetDayEndTime(0), stored(2023, 11, 16, 3));
  EXPECT_EQ(db->GetDayBeginTime(-2), stored(2023, 11, 13, 3));
  EXPECT_EQ(db->GetDayEndTime(1), stored(2023, 11, 17, 3));
  EXPECT_EQ(MyDate::studyDayId(), stored(2023, 11, 15, 0) / 86400);

  // Midnight changes the calendar day but not the study day.
  setLocalTime(2023, 11, 16, 0, 30);
  EXPECT_EQ(MyDate::studyDayId(), stored(2023, 11, 15, 0) / 86400);
  EXPECT_EQ(MyDate::calendarDayId(), stored(2023, 11, 16, 0) / 86400);

  // New York springs forward on 2023-03-12 at 02:00 and falls back on 2023-11-05.
  clock_->setZone(plat::TimeZone::named("America/New_York"));
  for (double unix : {1678600800.0 /* 03-12 01:00 EST */, 1678608000.0 /* 03-12 04:00 EDT */,
                      1699160400.0 /* 11-05 01:00 EDT */, 1699171200.0 /* 11-05 03:00 EST */}) {
    clock_->set(unix);
    int64_t begin = db->GetDayBeginTime(0);
    EXPECT_EQ(begin % 86400, 3 * 3600);
    EXPECT_EQ(db->GetDayEndTime(0) - begin, 86400);
    EXPECT_LE(begin, MyDate::storedTime(MyDate::localDateTime()));
  }
}

}  // namespace
