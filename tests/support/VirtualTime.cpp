#include "tests/support/VirtualTime.h"

#include "platform/base/Calendar.h"

namespace testsupport {

double wallClockTime(int year, int month, int day, int hour, int minute, int second,
                     int utcOffset) {
  plat::DateTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return plat::calendar::compose(t, utcOffset);
}

VirtualTime::VirtualTime(double start) : clock_(std::make_shared<plat::VirtualClock>(start)) {
  plat::RunLoop::setMainThread();
  plat::RunLoop::main().discardAllSources();
  plat::Clock::install(clock_);
}

VirtualTime::~VirtualTime() {
  plat::RunLoop::main().discardAllSources();
  plat::Clock::install(nullptr);
}

}  // namespace testsupport
