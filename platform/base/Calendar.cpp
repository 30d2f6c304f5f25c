#include "platform/base/Calendar.h"

#include <cmath>

namespace plat {
namespace calendar {
namespace {

int64_t floorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// Keeps every later step inside int64 (about 31 million years either way).
constexpr double kMaxSeconds = 1e15;

}  // namespace

bool isLeapYear(int64_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int64_t year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Counts in 400-year eras starting on March 1st, so the leap day falls at the end of a year.
int64_t daysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2;
  const int64_t era = floorDiv(year, 400);
  const int64_t yoe = year - era * 400;
  const int64_t mp = (month + 9) % 12;
  const int64_t doy = (153 * mp + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int weekdayOfDays(int64_t days) {
  return static_cast<int>((days + 4) - floorDiv(days + 4, 7) * 7);
}

DateTime civilFromDays(int64_t days) {
  const int64_t z = days + 719468;
  const int64_t era = floorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  DateTime out;
  out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  out.year = yoe + era * 400 + (out.month <= 2);
  out.weekday = weekdayOfDays(days);
  return out;
}

DateTime breakDown(double unixTime, int offsetSeconds) {
  if (!std::isfinite(unixTime)) unixTime = 0;
  unixTime = std::fmax(-kMaxSeconds, std::fmin(kMaxSeconds, unixTime));
  const double whole = std::floor(unixTime);
  const int64_t local = static_cast<int64_t>(whole) + offsetSeconds;
  const int64_t days = floorDiv(local, 86400);
  const int64_t secondOfDay = local - days * 86400;
  DateTime out = civilFromDays(days);
  out.hour = static_cast<int>(secondOfDay / 3600);
  out.minute = static_cast<int>(secondOfDay / 60 % 60);
  out.second = static_cast<int>(secondOfDay % 60);
  out.fraction = unixTime - whole;
  return out;
}

double compose(const DateTime& f, int offsetSeconds) {
  const int64_t days = daysFromCivil(f.year, f.month, f.day);
  const int64_t seconds = days * 86400 + int64_t{f.hour} * 3600 + f.minute * 60 + f.second;
  return static_cast<double>(seconds - offsetSeconds) + f.fraction;
}

}  // namespace calendar

Calendar::Calendar(std::shared_ptr<const TimeZone> zone)
    : zone_(zone ? std::move(zone) : TimeZone::utc()) {}

DateTime Calendar::components(double unixTime) const {
  return calendar::breakDown(unixTime, zone_->offsetAt(unixTime));
}

double Calendar::date(const DateTime& fields) const {
  // Read the fields as UTC, then correct by the offset in force around that instant. Trying the
  // offset an hour or so either side finds both readings of an overlap; the earlier one wins.
  const double asUtc = calendar::compose(fields, 0);
  const int before = zone_->offsetAt(asUtc - 86400);
  const int after = zone_->offsetAt(asUtc + 86400);
  const double withBefore = asUtc - before;
  const double withAfter = asUtc - after;
  const bool beforeFits = zone_->offsetAt(withBefore) == before;
  const bool afterFits = zone_->offsetAt(withAfter) == after;
  if (beforeFits && afterFits) return std::fmin(withBefore, withAfter);
  if (afterFits) return withAfter;
  if (beforeFits) return withBefore;
  return withBefore;  // in a gap: the offset before it
}

double Calendar::addingDays(double unixTime, int64_t days) const {
  DateTime f = components(unixTime);
  DateTime moved = calendar::civilFromDays(calendar::daysFromCivil(f.year, f.month, f.day) + days);
  moved.hour = f.hour;
  moved.minute = f.minute;
  moved.second = f.second;
  moved.fraction = f.fraction;
  return date(moved);
}

double Calendar::startOfDay(double unixTime) const {
  DateTime f = components(unixTime);
  f.hour = f.minute = f.second = 0;
  f.fraction = 0;
  return date(f);
}

}  // namespace plat
