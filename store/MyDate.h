// The time conventions of the study store. A "local-as-GMT" date is a count of seconds since
// 2001-01-01 00:00 whose GMT reading is the local wall-clock time; stored times are its whole
// seconds. The study day runs from 03:00 to 03:00. Day arithmetic on these dates is plain 64-bit
// second arithmetic on civil days of 86400 seconds, so a daylight-saving night shifts nothing.
#pragma once

#include <cstdint>

class MyDate {
 public:
  static constexpr int64_t kSecondsPerDay = 86400;
  static constexpr int64_t kStudyDayShift = 3 * 3600;

  // Now, as a local-as-GMT date (the clock's time plus the zone's offset at now).
  static double localDateTime();
  // The local-as-GMT date of a Unix time (seconds since 1970).
  static double localDateFromUnix(double unixTime);
  // The date three hours earlier: what the study day of `date` is read from.
  static double DateDev3Hour(double date) { return date - kStudyDayShift; }

  // Whole seconds of a date, truncated toward zero: the stored form.
  static int64_t storedTime(double date);
  // 00:00 of the civil day that holds `date`, and that day's id (days since 2001-01-01).
  static int64_t dayStart(double date);
  static int64_t dayId(double date) { return dayStart(date) / kSecondsPerDay; }

  // The id of the current study day (shifted back three hours) and of today's calendar day.
  static int64_t studyDayId();
  static int64_t calendarDayId();
  // 03:00 that begins the study day `n` days after the current one, and the 03:00 that ends it.
  static int64_t studyDayBegin(int n);
  static int64_t studyDayEnd(int n) { return studyDayBegin(n + 1); }
};
