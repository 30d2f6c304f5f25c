#include "tests/support/VirtualTime.h"

namespace testsupport {

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
