// Gregorian calendar arithmetic in 64 bits: civil dates to day counts and back, the wall-clock
// fields of an instant in a zone, and day arithmetic that keeps the time of day.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/base/Clock.h"

namespace plat {

// The fields of a wall-clock time. weekday: 0 Sunday .. 6 Saturday.
struct DateTime {
  int64_t year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  double fraction = 0;  // of a second, 0 <= fraction < 1
  int weekday = 4;
};

namespace calendar {

bool isLeapYear(int64_t year);
int daysInMonth(int64_t year, int month);
// Days from 1970-01-01 to the given date (negative before it); the proleptic Gregorian calendar.
int64_t daysFromCivil(int64_t year, int month, int day);
// The date `days` after 1970-01-01; weekday filled in, time fields zero.
DateTime civilFromDays(int64_t days);
int weekdayOfDays(int64_t days);  // 0 Sunday

// The wall-clock fields of unixTime at a fixed offset (seconds east of UTC).
DateTime breakDown(double unixTime, int offsetSeconds);
// Seconds since the epoch of the wall-clock fields read at a fixed offset (weekday ignored).
double compose(const DateTime& fields, int offsetSeconds);

}  // namespace calendar

// A Gregorian calendar in a time zone: what "the date of an instant" and "one day later" mean.
class Calendar {
 public:
  explicit Calendar(std::shared_ptr<const TimeZone> zone = TimeZone::local());

  const TimeZone& zone() const { return *zone_; }

  DateTime components(double unixTime) const;
  // The instant the wall-clock fields name in this zone. In a daylight-saving gap the fields are
  // read with the offset before the gap; in an overlap the earlier instant is taken.
  double date(const DateTime& fields) const;

  // The same wall-clock time `days` later (earlier when negative); a day of the month past the
  // end of the month cannot arise since only whole days are added.
  double addingDays(double unixTime, int64_t days) const;
  // Elapsed-time arithmetic: exactly hours * 3600 seconds.
  double addingHours(double unixTime, int64_t hours) const { return unixTime + hours * 3600.0; }
  // 00:00 of the date of unixTime in this zone.
  double startOfDay(double unixTime) const;

 private:
  std::shared_ptr<const TimeZone> zone_;
};

}  // namespace plat
