#include "ui/ModalAnimation.h"

#include <chrono>
#include <thread>

#include "platform/base/Clock.h"
#include "platform/view/Animation.h"

namespace ModalModalAnimationHelper {

void commitModalAnimations() {
  plat::Animation::commitAndWait();
}

void sleepWithoutRunLoop(double seconds) {
  if (auto* virtualClock = dynamic_cast<plat::VirtualClock*>(&plat::Clock::current())) {
    virtualClock->advance(seconds);
    return;
  }
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

}  // namespace ModalModalAnimationHelper
