// One run loop per thread: timers, delayed performs, performs posted from other threads and file
// descriptor sources, each registered in a mode. A loop running in a mode fires only the sources of
// that mode; sources registered in kCommonModes fire in every common mode (default and tracking).
//
// Tests drive a loop without sleeping: with a VirtualClock installed, runUntilIdle() handles all
// that is due now and advance(seconds) moves the clock forward firing everything due on the way.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace plat {

// Constants that need no destruction: every thread that hands work to another names a mode, also
// while the process exits.
inline constexpr char kDefaultRunLoopMode[] = "default";
inline constexpr char kTrackingRunLoopMode[] = "tracking";  // while a scroll view is dragged
inline constexpr char kCommonModes[] = "common";

class RunLoop;

// A timer on a run loop. Repeating timers fire every interval until invalidated; a late loop fires
// a repeating timer once, then schedules the next firing after the current time.
class Timer : public std::enable_shared_from_this<Timer> {
 public:
  using Callback = std::function<void(Timer&)>;

  // Schedules a timer on the current thread's run loop in `mode`.
  static std::shared_ptr<Timer> scheduled(double interval, bool repeats, Callback callback,
                                          const std::string& mode = kDefaultRunLoopMode);

  void invalidate();
  bool isValid() const;
  double interval() const;
  double fireDate() const;        // unix time of the next firing
  void setFireDate(double date);  // moves the next firing
  void fire();                    // fires now; a one-shot timer is then invalid

  struct State;
  explicit Timer(std::shared_ptr<State> state) : state_(std::move(state)) {}
  // The loop's view of the timer.
  State& state();
  const State& state() const;

 private:
  std::shared_ptr<State> state_;
};

enum FdEvent : unsigned { kFdReadable = 1, kFdWritable = 2 };

class RunLoop {
 public:
  using Task = std::function<void()>;
  using FdCallback = std::function<void(int fd, unsigned events)>;

  ~RunLoop();
  RunLoop(const RunLoop&) = delete;
  RunLoop& operator=(const RunLoop&) = delete;

  // The loop of the calling thread, made on first use. Raises std::system_error when the process
  // has no descriptor left for its wake-up pipe.
  static RunLoop& current();
  // The main thread's loop: the thread that first calls main() (or setMainThread()) is the main
  // thread.
  static RunLoop& main();
  static bool isMainThread();
  // Makes the calling thread the main thread (tests and the hosts call this first).
  static void setMainThread();

  std::thread::id thread() const;

  // Ends the calling thread's loop for good and hands it to the caller instead of letting it go
  // with the thread: queued performs are dropped now and later ones as they come, so threads that
  // still hold the loop may post to it while the process winds down.
  static std::unique_ptr<RunLoop> retireCurrent();

  // From any thread: runs `task` on this loop's thread in `mode`. With wait, blocks until it ran
  // (runs at once when called on the loop's own thread).
  void perform(Task task, const std::string& mode = kCommonModes);
  void performAndWait(Task task, const std::string& mode = kCommonModes);
  // From any thread: queues `task` like perform() but lets a sleeping loop sleep on; it runs in
  // order with the other performs when the loop next wakes, or after wake(). For reports that may
  // wait for the next one, so that a burst costs the loop one wake-up.
  void performWithoutWaking(Task task, const std::string& mode = kCommonModes);
  // From any thread: wakes the loop when it sleeps, so that queued performs run.
  void wake();

  // On the loop's thread: runs `task` after `delay` seconds in the default mode. `owner` and `key`
  // name it for cancelPerforms; owner may be null.
  void performAfter(double delay, const void* owner, const std::string& key, Task task);
  void cancelPerforms(const void* owner, const std::string& key);
  void cancelPerforms(const void* owner);  // every key

  // Adds an existing timer (see Timer::scheduled) in another mode.
  void addTimer(const std::shared_ptr<Timer>& timer, const std::string& mode);

  // File descriptor sources: `callback` runs on this loop's thread when fd is ready for `events`.
  // Returns an id for removeFdSource. Removing from inside the callback is allowed.
  int addFdSource(int fd, unsigned events, FdCallback callback,
                  const std::string& mode = kCommonModes);
  void updateFdSource(int id, unsigned events);
  void removeFdSource(int id);

  // On the loop's thread: `observer` runs each time the loop is about to sleep because nothing is
  // due and none of its descriptors is ready, just before it sleeps. It may post performs (the
  // loop then goes on without sleeping), schedule timers (the sleep ends when they fall due) and
  // change descriptor sources. One per loop; nullptr removes it.
  // With a `busyInterval` (seconds of the clock) it also runs between two turns at that interval
  // while the loop does not sleep, at the end of the turn during which each telling fell due: a
  // loop that finds work on every turn (work that queues more work at once, without end) never
  // sleeps, and what waits for the observer (a window's input and frames) would wait for good.
  void setBeforeWaitingObserver(Task observer, double busyInterval = 0);

  // On the loop's thread: how many performs, timer firings and descriptor callbacks the loop has
  // run so far. A host that draws only after something happened compares it between sleeps.
  uint64_t handledCount() const;
  // On the loop's thread: whether work queued here to run at once (a perform after no delay) still
  // waits for a turn of the loop in `mode`. The step that queued it is then halfway done: a
  // screen that hid its parts until they load again on the next turn, say.
  bool hasPerformsDueAtOnce(const std::string& mode) const;
  // On the loop's thread: while there is such work, how long there has been some: since when
  // (clock time) and through how many ends of a turn (work that queues more of it keeps both
  // counting); else nothing.
  struct WaitingPerforms {
    double since = 0;
    int turnsEnded = 0;
  };
  std::optional<WaitingPerforms> performsDueAtOnceWaiting(const std::string& mode) const;

  // Runs in the default mode until stop().
  void run();
  // Runs in `mode` until unix time `until`, until stop(), or (when returnAfterSource) after the
  // first source was handled. Returns false when nothing is registered in the mode.
  bool runMode(const std::string& mode, double until, bool returnAfterSource = false);
  // Wakes the loop and makes the innermost run/runMode return.
  void stop();
  // The mode the loop is running in now ("" when not running).
  std::string currentMode() const;

  // ---- Test driving
  // Drops every timer, delayed perform, descriptor source and queued perform (between tests).
  void discardAllSources();
  // Handles everything that is due now (performs, due timers, ready descriptors) without waiting,
  // repeatedly, until nothing more is due.
  void runUntilIdle(const std::string& mode = kDefaultRunLoopMode);
  // With a VirtualClock: moves the clock forward by `seconds` in steps to each due timer or
  // perform, handling each as it falls due, then runs until idle.
  void advance(double seconds, const std::string& mode = kDefaultRunLoopMode);
  // Runs the loop for real (descriptors, performs, timers) until `done` returns true or the
  // real-time timeout passes; returns done(). For tests that wait on sockets and other threads.
  bool runUntil(const std::function<bool()>& done, double timeoutSeconds = 10.0,
                const std::string& mode = kDefaultRunLoopMode);

  struct Impl;

 private:
  RunLoop();
  std::unique_ptr<Impl> impl_;
  friend struct Impl;
};

}  // namespace plat
