#include "platform/base/LatestOnMainThread.h"

#include <utility>

#include "platform/base/MainThread.h"

namespace plat {

LatestOnMainThread::LatestOnMainThread() : slot_(std::make_shared<Slot>()) {}

void LatestOnMainThread::post(Task task, bool last) {
  if (isMainThread()) {
    task();
    return;
  }
  Task replaced;  // released outside the lock: its captures may post again
  bool queue = false;
  {
    LockGuard lock(slot_->mutex);
    replaced = std::exchange(slot_->waiting, std::move(task));
    queue = !slot_->delivering;
    slot_->delivering = true;
  }
  if (queue) {
    RunLoop::main().performWithoutWaking([slot = slot_] {
      Task newest;
      {
        LockGuard lock(slot->mutex);
        newest = std::exchange(slot->waiting, nullptr);
        slot->delivering = false;
      }
      if (newest) newest();
    });
  }
  const auto now = std::chrono::steady_clock::now();
  if (last || now - lastWake_ >= kWakeInterval) {
    lastWake_ = now;
    RunLoop::main().wake();
  }
}

}  // namespace plat
