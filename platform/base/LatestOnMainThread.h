// Hands a stream of reports from a working thread to the main thread without waiting for it,
// where only the newest report matters (a progress figure): a report made while an earlier one
// still waits for the main thread takes its place. So the main thread sees the reports in the
// order they were made, sees the last one always, and sees no more of them than it has time for;
// the working thread never waits for a frame or a busy screen.
//
// A sleeping main thread is woken for a report at most once per kWakeInterval: a report within
// it takes its place among the main thread's performs at once but shows at the next wake-up (the
// next paced report, the last report, or any other perform), so that a fast stream of reports
// costs the main thread a few wake-ups rather than one each.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "platform/base/Mutex.h"

namespace plat {

class LatestOnMainThread {
 public:
  using Task = std::function<void()>;
  static constexpr std::chrono::milliseconds kWakeInterval{16};

  LatestOnMainThread();

  // From any thread. Off the main thread the task runs there later, unless a newer one posted
  // before it ran replaces it; it keeps its place before performs posted after it. `last` (the
  // stream's final report) wakes the main thread whatever the pace. On the main thread the task
  // runs at once. Tasks outlive this object until they ran.
  void post(Task task, bool last = false);

 private:
  struct Slot {
    Mutex mutex;
    Task waiting GUARDED_BY(mutex);              // the newest task not run yet
    bool delivering GUARDED_BY(mutex) = false;  // a perform will run `waiting`
  };
  std::shared_ptr<Slot> slot_;
  // The working thread's own pace (one thread posts to one object).
  std::chrono::steady_clock::time_point lastWake_;
};

}  // namespace plat
