// Handing work to the main thread, the home of every screen and reply handler.
#pragma once

#include <functional>

#include "platform/base/RunLoop.h"

namespace plat {

inline bool isMainThread() {
  return RunLoop::isMainThread();
}

// Runs `task` on the main run loop. With wait, blocks until it ran; on the main thread itself
// it then runs at once. Without wait it is always queued, even from the main thread.
inline void performOnMainThread(RunLoop::Task task, bool wait = false) {
  if (wait) {
    RunLoop::main().performAndWait(std::move(task));
  } else {
    RunLoop::main().perform(std::move(task));
  }
}

}  // namespace plat
