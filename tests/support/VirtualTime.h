// Puts a test on virtual time: installs a VirtualClock, makes the calling thread the main thread,
// and afterwards drops what the test left on the run loop and restores the real clock.
#pragma once

#include <memory>

#include "platform/base/Clock.h"
#include "platform/base/RunLoop.h"

namespace testsupport {

// The moment at which a wall clock `utcOffset` seconds ahead of UTC shows the given time (the
// tests' learner lives in UTC+8).
double wallClockTime(int year, int month, int day, int hour, int minute, int second = 0,
                     int utcOffset = 8 * 3600);

class VirtualTime {
 public:
  explicit VirtualTime(double start = 1'700'000'000.0);
  ~VirtualTime();
  VirtualTime(const VirtualTime&) = delete;
  VirtualTime& operator=(const VirtualTime&) = delete;

  plat::VirtualClock& clock() { return *clock_; }
  double now() const { return clock_->now(); }
  // Moves time forward on the main run loop, firing what falls due (RunLoop::advance).
  void advance(double seconds) { plat::RunLoop::main().advance(seconds); }
  void runUntilIdle() { plat::RunLoop::main().runUntilIdle(); }

 private:
  std::shared_ptr<plat::VirtualClock> clock_;
};

}  // namespace testsupport
