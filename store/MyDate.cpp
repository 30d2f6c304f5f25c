#include "store/MyDate.h"

#include <cmath>

#include "platform/base/Clock.h"

double MyDate::localDateFromUnix(double unixTime) {
  const plat::Clock& clock = plat::Clock::current();
  return unixTime + clock.localOffsetAt(unixTime) - plat::kReferenceDateOffset;
}

double MyDate::localDateTime() {
  return localDateFromUnix(plat::Clock::current().now());
}

int64_t MyDate::storedTime(double date) {
  return static_cast<int64_t>(std::trunc(date));
}

int64_t MyDate::dayStart(double date) {
  return static_cast<int64_t>(std::floor(date / kSecondsPerDay)) * kSecondsPerDay;
}

int64_t MyDate::studyDayId() {
  return dayId(DateDev3Hour(localDateTime()));
}

int64_t MyDate::calendarDayId() {
  return dayId(localDateTime());
}

int64_t MyDate::studyDayBegin(int n) {
  return dayStart(DateDev3Hour(localDateTime())) + n * kSecondsPerDay + kStudyDayShift;
}
