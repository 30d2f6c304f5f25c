#include "platform/base/RunLoop.h"

#include <fcntl.h>
#include <linux/futex.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <vector>

#include "platform/base/Clock.h"
#include "platform/base/Rhythm.h"

namespace plat {

struct Timer::State {
  double interval = 0;
  bool repeats = false;
  Callback callback;
  double fireDate = 0;
  std::atomic<bool> valid{true};
  uint64_t sequence = 0;  // creation order breaks ties between equal fire dates
  std::vector<std::string> modes;
  std::thread::id thread;
  // Delayed performs are one-shot timers named by owner and key.
  bool isPerform = false;
  const void* owner = nullptr;
  std::string key;
};

namespace {

bool modeMatches(const std::string& sourceMode, const std::string& runningMode) {
  if (sourceMode == runningMode) return true;
  return sourceMode == kCommonModes &&
         (runningMode == kDefaultRunLoopMode || runningMode == kTrackingRunLoopMode);
}

bool anyModeMatches(const std::vector<std::string>& modes, const std::string& running) {
  return std::any_of(modes.begin(), modes.end(),
                     [&](const std::string& m) { return modeMatches(m, running); });
}

// Lets a performAndWait caller go on once its task ran, or was dropped with the loop.
struct Waiter {
  std::mutex mutex;
  std::condition_variable cv;
  bool done = false;
  void release() {
    std::lock_guard lock(mutex);
    done = true;
    cv.notify_all();
  }
};

struct Posted {
  RunLoop::Task task;
  std::string mode;
  std::shared_ptr<Waiter> waiter;
  Posted(RunLoop::Task t, std::string m, std::shared_ptr<Waiter> w)
      : task(std::move(t)), mode(std::move(m)), waiter(std::move(w)) {}
  Posted(Posted&&) = default;
  Posted& operator=(Posted&&) = default;
  ~Posted() {
    if (waiter) waiter->release();
  }
};

struct FdSource {
  int fd;
  unsigned events;
  RunLoop::FdCallback callback;
  std::string mode;
};

// Real-time slice a wait is cut into while a virtual clock is installed: virtual time moves only
// when a test moves it, so a timer's due date says nothing about how long to sleep.
constexpr int kVirtualSliceMs = 20;

std::atomic<RunLoop*>& mainLoop() {
  static std::atomic<RunLoop*> loop{nullptr};
  return loop;
}

}  // namespace

// How other threads wake a sleeping loop. Shared, so that a poster who has just handed over a
// perform (after which the loop may run it, end its thread and go away) can still ring.
//
// A loop with descriptors to watch sleeps in poll() with a pipe among them. A pipe rather than an
// eventfd: the kernel wakes a pipe's reader as a synchronous hand-over, so a loop woken by a
// thread that then waits (a request handed to the network thread, its answer handed back) tends
// to run on that thread's processor instead of being moved to another one, which on a busy or
// virtual machine costs far more than the hand-over itself. A loop with nothing but performs and
// timers to wait for (the network thread between requests, a main thread waiting for a reply)
// sleeps on a futex instead: no poll set to build and take down, no byte to write and read back,
// which makes a hand-over between two threads about a third cheaper.
//
// One word tells posters how the loop sleeps and whether a wake-up is already on its way, so that
// they ring at most once per sleep, in the way the loop listens, and not at all while it is awake
// (it looks for performs after announcing a sleep and before sleeping).
struct WakeChannel {
  static constexpr uint32_t kAwake = 0, kPolling = 1, kWaiting = 2, kSleepMask = 3;
  static constexpr uint32_t kRungByFutex = 4, kRungByPipe = 8;
  static constexpr uint32_t kRung = kRungByFutex | kRungByPipe;
  std::atomic<uint32_t> state{kAwake};
  static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t) &&
                    std::atomic<uint32_t>::is_always_lock_free,
                "the state word is the futex word");
  int readFd = -1, writeFd = -1;

  // A loop that no other thread could wake would sleep through every perform: refuse to make one.
  WakeChannel() {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0)
      throw std::system_error(errno, std::generic_category(), "run loop wake-up pipe");
    readFd = fds[0];
    writeFd = fds[1];
  }
  ~WakeChannel() {
    ::close(readFd);
    ::close(writeFd);
  }

  void ring(bool evenIfAwake) {
    uint32_t seen = state.load();
    uint32_t rung;
    do {
      if (seen & kRung) return;  // one wake-up per sleep is enough
      const uint32_t sleep = seen & kSleepMask;
      if (sleep == kAwake && !evenIfAwake) return;
      rung = sleep == kWaiting ? kRungByFutex : kRungByPipe;
      // Fails when the loop changed how it sleeps (or woke) in the meantime: look again.
    } while (!state.compare_exchange_weak(seen, seen | rung));
    if (rung == kRungByFutex) {
      futex(FUTEX_WAKE_PRIVATE, 1, nullptr);
      return;
    }
    const char one = 1;
    ssize_t n;
    do {
      n = ::write(writeFd, &one, 1);
    } while (n < 0 && errno == EINTR);
    // A full pipe already wakes the loop; any other failure leaves the next ring to write,
    // instead of every later one believing a byte is on its way.
    if (n < 0 && errno != EAGAIN) state.fetch_and(~kRungByPipe);
  }

  // On the loop's thread, before it sleeps as `how` (kPolling or kWaiting). False when a wake-up
  // came in the meantime: the loop must not sleep then.
  bool announce(uint32_t how) { return (state.fetch_or(how) & kRung) == 0; }

  // On the loop's thread, after an announced kWaiting: sleeps until rung or `timeoutMs` passed
  // (-1: no limit). May return early; the caller looks at what is due either way.
  void waitForRing(int timeoutMs) {
    timespec limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000000L};
    futex(FUTEX_WAIT_PRIVATE, kWaiting, timeoutMs < 0 ? nullptr : &limit);
  }

  // On the loop's thread, after it slept or looked (`pipeReadable`: poll() saw the pipe ready):
  // the loop is awake again and takes the wake-up rung, if any. True when performs may be waiting
  // for it.
  bool settle(bool pipeReadable) {
    const uint32_t was = state.exchange(kAwake);
    // The byte may still be on its way; then a later poll finds it and reads it.
    if (pipeReadable || (was & kRungByPipe)) drain();
    return pipeReadable || (was & kRung);
  }

 private:
  long futex(int op, uint32_t value, const timespec* timeout) {
    return ::syscall(SYS_futex, reinterpret_cast<uint32_t*>(&state), op, value, timeout, nullptr,
                     0);
  }
  void drain() {
    char bytes[16];  // at most one byte per ring, and no ring while one is on its way
    ssize_t n;
    do {
      n = ::read(readFd, bytes, sizeof bytes);
    } while (n < 0 && errno == EINTR);
  }
};

struct RunLoop::Impl {
  std::thread::id thread = std::this_thread::get_id();
  std::shared_ptr<WakeChannel> wake = std::make_shared<WakeChannel>();
  const int wakeFd = wake->readFd;

  // Shared with other threads.
  std::mutex postedMutex;
  std::deque<Posted> posted;
  bool retired = false;  // the thread is gone: performs are dropped
  std::atomic<bool> stopRequested{false};

  // The loop's own thread only.
  std::vector<std::shared_ptr<Timer>> timers;
  std::map<int, std::shared_ptr<FdSource>> fdSources;
  int nextFdId = 1;
  uint64_t nextSequence = 0;
  std::vector<std::string> modeStack;
  Task beforeWaiting;
  double busyInterval = 0;  // 0: the observer hears of sleeps only
  double restedAt = 0;      // clock time the loop last slept, or its last telling fell due
  uint64_t handledTotal = 0;
  // How long work queued to run at once has been waiting, turn after turn.
  std::optional<RunLoop::WaitingPerforms> dueAtOnce;

  // Hands a perform over; the loop may be gone once this returns.
  void post(Posted item, bool ring = true) {
    std::shared_ptr<WakeChannel> channel = wake;
    {
      std::lock_guard lock(postedMutex);
      if (!retired) posted.push_back(std::move(item));
    }
    // A refused task is released here, outside the lock: its captures may post again.
    if (ring) channel->ring(false);
  }

  void retire() {
    std::deque<Posted> dropped;
    std::lock_guard lock(postedMutex);
    retired = true;
    dropped.swap(posted);
  }

  int runPerforms(const std::string& mode) {
    std::vector<Posted> ready;
    {
      std::lock_guard lock(postedMutex);
      for (auto it = posted.begin(); it != posted.end();) {
        if (modeMatches(it->mode, mode)) {
          ready.push_back(std::move(*it));
          it = posted.erase(it);
        } else {
          ++it;
        }
      }
    }
    for (Posted& p : ready) {
      Task task = std::move(p.task);
      task();
    }
    return static_cast<int>(ready.size());
  }

  bool hasPerforms(const std::string& mode) {
    std::lock_guard lock(postedMutex);
    return std::any_of(posted.begin(), posted.end(),
                       [&](const Posted& p) { return modeMatches(p.mode, mode); });
  }

  void pruneTimers() {
    auto dead = std::stable_partition(timers.begin(), timers.end(),
                                      [](const std::shared_ptr<Timer>& t) { return t->isValid(); });
    for (auto it = dead; it != timers.end(); ++it) (*it)->state().callback = nullptr;
    timers.erase(dead, timers.end());
  }

  std::optional<double> nextTimerDate(const std::string& mode) const {
    std::optional<double> next;
    for (const auto& t : timers) {
      const Timer::State& s = t->state();
      if (s.valid && anyModeMatches(s.modes, mode) && (!next || s.fireDate < *next))
        next = s.fireDate;
    }
    return next;
  }

  int fireDueTimers(const std::string& mode) {
    const double now = Clock::current().now();
    std::vector<std::shared_ptr<Timer>> due;
    for (const auto& t : timers) {
      const Timer::State& s = t->state();
      if (s.valid && s.fireDate <= now && anyModeMatches(s.modes, mode)) due.push_back(t);
    }
    std::sort(due.begin(), due.end(), [](const auto& a, const auto& b) {
      const Timer::State& x = a->state();
      const Timer::State& y = b->state();
      return x.fireDate != y.fireDate ? x.fireDate < y.fireDate : x.sequence < y.sequence;
    });
    int fired = 0;
    for (const auto& t : due) {
      Timer::State& s = t->state();
      if (!s.valid || s.fireDate > now) continue;  // changed by an earlier callback
      if (s.repeats) {
        // A late loop fires once and picks up the rhythm after now.
        double next = s.fireDate + s.interval;
        if (next <= now) next += s.interval * (std::floor((now - next) / s.interval) + 1);
        s.fireDate = next;
      }
      t->fire();
      ++fired;
    }
    pruneTimers();
    return fired;
  }

  // A perform is queued or a timer is due (what a descriptor callback may just have caused).
  bool hasWorkDue(const std::string& mode) {
    auto next = nextTimerDate(mode);
    return hasPerforms(mode) || (next && *next <= Clock::current().now());
  }

  bool hasSources(const std::string& mode) {
    for (const auto& t : timers)
      if (t->isValid() && anyModeMatches(t->state().modes, mode)) return true;
    for (const auto& [id, source] : fdSources)
      if (modeMatches(source->mode, mode)) return true;
    return hasPerforms(mode);
  }

  // Descriptors to watch in the mode: a source waiting for no event is left out.
  bool hasFdSources(const std::string& mode) const {
    return std::any_of(fdSources.begin(), fdSources.end(), [&](const auto& entry) {
      return entry.second->events != 0 && modeMatches(entry.second->mode, mode);
    });
  }

  // Waits at most `timeoutMs` (-1: no limit) for a wake-up or a descriptor source of the mode,
  // then runs the performs that woke it and the callbacks of the ready descriptors. Returns how
  // many ran.
  int pollSources(const std::string& mode, int timeoutMs) {
    if (timeoutMs != 0 && beforeWaiting) {
      // The observer hears only of real waits: a descriptor that is ready already is handled
      // without one.
      if (hasFdSources(mode)) {
        if (int handled = waitForSources(mode, 0)) return handled;
      }
      restedAt = Clock::current().now();
      Task observer = beforeWaiting;  // it may replace itself
      observer();
      // A timer it scheduled (a frame owed) may fall due before the wait would end.
      if (auto next = nextTimerDate(mode)) {
        const double seconds = std::max(0.0, *next - Clock::current().now());
        const int dueMs = static_cast<int>(std::ceil(std::min(seconds, 3600.0) * 1000));
        if (timeoutMs < 0 || dueMs < timeoutMs) timeoutMs = dueMs;
      }
      const int handled = waitForSources(mode, timeoutMs);
      restedAt = Clock::current().now();  // the loop slept until now
      return handled;
    }
    return waitForSources(mode, timeoutMs);
  }

  int waitForSources(const std::string& mode, int timeoutMs) {
    if (timeoutMs != 0 && !hasFdSources(mode)) return waitForPerforms(mode, timeoutMs);
    std::vector<pollfd> fds{{wakeFd, POLLIN, 0}};
    std::vector<int> ids;
    for (const auto& [id, source] : fdSources) {
      if (!modeMatches(source->mode, mode) || source->events == 0) continue;
      short events = 0;
      if (source->events & kFdReadable) events |= POLLIN;
      if (source->events & kFdWritable) events |= POLLOUT;
      fds.push_back({source->fd, events, 0});
      ids.push_back(id);
    }
    // Announce the sleep, then look again: a perform posted before the announcement was seen is
    // found here, one posted after it writes to the wake descriptor.
    if (timeoutMs != 0 &&
        (!wake->announce(WakeChannel::kPolling) || hasPerforms(mode) || stopRequested.load()))
      timeoutMs = 0;
    int n = ::poll(fds.data(), fds.size(), timeoutMs);
    int handled = 0;
    if (wake->settle(n > 0 && fds[0].revents != 0)) handled += runPerforms(mode);
    if (n <= 0) return handled;
    for (size_t i = 1; i < fds.size(); ++i) {
      if (!fds[i].revents) continue;
      auto it = fdSources.find(ids[i - 1]);
      if (it == fdSources.end()) continue;  // removed by an earlier callback
      std::shared_ptr<FdSource> source = it->second;
      unsigned ready = 0;
      if (fds[i].revents & POLLIN) ready |= kFdReadable;
      if (fds[i].revents & POLLOUT) ready |= kFdWritable;
      // Errors and hang-ups show as readiness, so the owner reads the failure itself.
      if (fds[i].revents & (POLLERR | POLLHUP | POLLNVAL)) ready |= source->events;
      ready &= source->events;
      if (!ready) continue;
      FdCallback callback = source->callback;
      callback(source->fd, ready);
      ++handled;
    }
    return handled;
  }

  // With no descriptor to watch: sleeps on the wake-up word alone, at most `timeoutMs` (-1: no
  // limit), then runs the performs that woke it.
  int waitForPerforms(const std::string& mode, int timeoutMs) {
    if (wake->announce(WakeChannel::kWaiting) && !hasPerforms(mode) && !stopRequested.load())
      wake->waitForRing(timeoutMs);
    wake->settle(false);
    return runPerforms(mode);
  }

  // One turn of the loop in `mode`: performs, due timers, then descriptors, waiting for them at
  // most until the next timer or `until` (clock time) when nothing ran yet.
  int pass(const std::string& mode, double until, bool mayWait) {
    const int handled = turn(mode, until, mayWait);
    handledTotal += static_cast<uint64_t>(handled);
    turnEnded();
    tellObserverIfBusy();
    return handled;
  }

  bool hasPerformsDueAtOnce(const std::string* mode) const {
    return std::any_of(timers.begin(), timers.end(), [&](const auto& timer) {
      const Timer::State& s = timer->state();
      return s.isPerform && s.interval == 0 && s.valid && (!mode || anyModeMatches(s.modes, *mode));
    });
  }

  // A turn that ends with no work queued to run at once ends the wait for it.
  void turnEnded() {
    if (!dueAtOnce) return;
    if (hasPerformsDueAtOnce(nullptr)) {
      ++dueAtOnce->turnsEnded;
    } else {
      dueAtOnce.reset();
    }
  }

  // Between turns: a loop that has not slept for the observer's busy interval tells it anyway,
  // keeping to the interval's rhythm: a turn that ran past the time tells it as it ends, and the
  // next telling is due an interval after the time missed, not after the late one, or turns of
  // most of an interval each would tell it only every other turn.
  void tellObserverIfBusy() {
    if (!beforeWaiting || busyInterval <= 0) return;
    const double now = Clock::current().now();
    if (now < restedAt + busyInterval && now >= restedAt) return;  // a clock set back tells too
    restedAt = beatTime(now, restedAt, busyInterval);
    Task observer = beforeWaiting;
    observer();
  }

  int turn(const std::string& mode, double until, bool mayWait) {
    int handled = runPerforms(mode) + fireDueTimers(mode);
    int timeoutMs = 0;
    if (mayWait && handled == 0 && !stopRequested.load()) {
      const double now = Clock::current().now();
      double wakeAt = until;
      if (auto next = nextTimerDate(mode)) wakeAt = std::min(wakeAt, *next);
      const double seconds = std::max(0.0, wakeAt - now);
      timeoutMs = seconds > 3600.0 * 24 ? -1 : static_cast<int>(std::ceil(seconds * 1000));
      if (Clock::current().isVirtual() && (timeoutMs < 0 || timeoutMs > kVirtualSliceMs))
        timeoutMs = kVirtualSliceMs;
      if (timeoutMs < 0 && until < 1e300) timeoutMs = 3600 * 1000;
    }
    if (timeoutMs == 0 && !hasFdSources(mode)) return handled;
    return handled + pollSources(mode, timeoutMs);
  }

  bool takeStop() { return stopRequested.exchange(false); }
};

// ---- Timer

Timer::State& Timer::state() {
  return *state_;
}
const Timer::State& Timer::state() const {
  return *state_;
}

std::shared_ptr<Timer> Timer::scheduled(double interval, bool repeats, Callback callback,
                                        const std::string& mode) {
  auto state = std::make_shared<State>();
  state->interval = repeats ? std::max(interval, 0.0001) : std::max(interval, 0.0);
  state->repeats = repeats;
  state->callback = std::move(callback);
  state->fireDate = Clock::current().now() + state->interval;
  auto timer = std::make_shared<Timer>(std::move(state));
  RunLoop::current().addTimer(timer, mode);
  return timer;
}

void Timer::invalidate() {
  state_->valid = false;
  if (state_->thread == std::this_thread::get_id()) state_->callback = nullptr;
}

bool Timer::isValid() const {
  return state_->valid;
}
double Timer::interval() const {
  return state_->interval;
}
double Timer::fireDate() const {
  return state_->fireDate;
}
void Timer::setFireDate(double date) {
  state_->fireDate = date;
}

void Timer::fire() {
  if (!state_->valid) return;
  auto self = weak_from_this().lock();  // the callback may drop the last other reference
  Callback callback = state_->callback;
  // A one-shot timer is spent before its callback runs: a callback that runs the loop again
  // (a nested run, a modal wait) must not see it due a second time.
  if (!state_->repeats) invalidate();
  if (callback) callback(*this);
}

// ---- RunLoop

RunLoop::RunLoop() : impl_(std::make_unique<Impl>()) {}
RunLoop::~RunLoop() = default;

namespace {

thread_local RunLoop* threadLoop = nullptr;

// Deletes the thread's loop when the thread ends; the main loop is kept, since other threads
// may still post to it while the process exits.
struct ThreadLoopOwner {
  ~ThreadLoopOwner() {
    if (threadLoop && threadLoop != mainLoop().load()) delete threadLoop;
    threadLoop = nullptr;
  }
};
thread_local ThreadLoopOwner threadLoopOwner;

}  // namespace

RunLoop& RunLoop::current() {
  if (!threadLoop) {
    (void)&threadLoopOwner;
    threadLoop = new RunLoop();
  }
  return *threadLoop;
}

RunLoop& RunLoop::main() {
  RunLoop* loop = mainLoop().load();
  if (loop) return *loop;
  RunLoop* mine = &current();
  mainLoop().compare_exchange_strong(loop, mine);
  return *mainLoop().load();
}

bool RunLoop::isMainThread() {
  RunLoop* loop = mainLoop().load();
  return loop && loop->thread() == std::this_thread::get_id();
}

void RunLoop::setMainThread() {
  mainLoop().store(&current());
}

std::unique_ptr<RunLoop> RunLoop::retireCurrent() {
  std::unique_ptr<RunLoop> loop(&current());
  threadLoop = nullptr;
  loop->impl_->retire();
  return loop;
}

std::thread::id RunLoop::thread() const {
  return impl_->thread;
}

void RunLoop::perform(Task task, const std::string& mode) {
  impl_->post(Posted(std::move(task), mode, nullptr));
}

void RunLoop::performWithoutWaking(Task task, const std::string& mode) {
  impl_->post(Posted(std::move(task), mode, nullptr), false);
}

void RunLoop::wake() {
  impl_->wake->ring(false);
}

void RunLoop::performAndWait(Task task, const std::string& mode) {
  if (std::this_thread::get_id() == impl_->thread) {
    task();
    return;
  }
  auto waiter = std::make_shared<Waiter>();
  impl_->post(Posted(std::move(task), mode, waiter));
  std::unique_lock lock(waiter->mutex);
  waiter->cv.wait(lock, [&] { return waiter->done; });
}

void RunLoop::performAfter(double delay, const void* owner, const std::string& key, Task task) {
  auto state = std::make_shared<Timer::State>();
  state->interval = std::max(delay, 0.0);
  state->fireDate = Clock::current().now() + state->interval;
  state->callback = [task = std::move(task)](Timer&) { task(); };
  state->isPerform = true;
  state->owner = owner;
  state->key = key;
  if (state->interval == 0 && !impl_->dueAtOnce)
    impl_->dueAtOnce = WaitingPerforms{state->fireDate};
  addTimer(std::make_shared<Timer>(std::move(state)), kDefaultRunLoopMode);
}

void RunLoop::cancelPerforms(const void* owner, const std::string& key) {
  for (const auto& t : impl_->timers) {
    const Timer::State& s = t->state();
    if (s.isPerform && s.owner == owner && s.key == key) t->invalidate();
  }
}

void RunLoop::cancelPerforms(const void* owner) {
  for (const auto& t : impl_->timers) {
    const Timer::State& s = t->state();
    if (s.isPerform && s.owner == owner) t->invalidate();
  }
}

void RunLoop::addTimer(const std::shared_ptr<Timer>& timer, const std::string& mode) {
  Timer::State& s = timer->state();
  s.thread = impl_->thread;
  if (std::find(s.modes.begin(), s.modes.end(), mode) == s.modes.end()) s.modes.push_back(mode);
  if (std::find(impl_->timers.begin(), impl_->timers.end(), timer) == impl_->timers.end()) {
    s.sequence = impl_->nextSequence++;
    impl_->timers.push_back(timer);
  }
}

int RunLoop::addFdSource(int fd, unsigned events, FdCallback callback, const std::string& mode) {
  int id = impl_->nextFdId++;
  impl_->fdSources[id] =
      std::make_shared<FdSource>(FdSource{fd, events, std::move(callback), mode});
  return id;
}

void RunLoop::updateFdSource(int id, unsigned events) {
  if (auto it = impl_->fdSources.find(id); it != impl_->fdSources.end())
    it->second->events = events;
}

void RunLoop::removeFdSource(int id) {
  impl_->fdSources.erase(id);
}

void RunLoop::setBeforeWaitingObserver(Task observer, double busyInterval) {
  impl_->beforeWaiting = std::move(observer);
  impl_->busyInterval = busyInterval;
  impl_->restedAt = Clock::current().now();
}

void RunLoop::run() {
  impl_->modeStack.push_back(kDefaultRunLoopMode);
  while (!impl_->takeStop()) impl_->pass(kDefaultRunLoopMode, 1e300, true);
  impl_->modeStack.pop_back();
}

bool RunLoop::runMode(const std::string& mode, double until, bool returnAfterSource) {
  if (!impl_->hasSources(mode)) return false;
  impl_->modeStack.push_back(mode);
  for (;;) {
    int handled = impl_->pass(mode, until, true);
    if (impl_->takeStop()) break;
    if (returnAfterSource && handled > 0) break;
    if (Clock::current().now() >= until || !impl_->hasSources(mode)) break;
  }
  impl_->modeStack.pop_back();
  return true;
}

void RunLoop::stop() {
  std::shared_ptr<WakeChannel> channel = impl_->wake;
  impl_->stopRequested.store(true);  // from here on the loop may end and go away
  channel->ring(true);
}

uint64_t RunLoop::handledCount() const {
  return impl_->handledTotal;
}

bool RunLoop::hasPerformsDueAtOnce(const std::string& mode) const {
  return impl_->hasPerformsDueAtOnce(&mode);
}

std::optional<RunLoop::WaitingPerforms> RunLoop::performsDueAtOnceWaiting(
    const std::string& mode) const {
  if (!hasPerformsDueAtOnce(mode)) return std::nullopt;
  return impl_->dueAtOnce;
}

std::string RunLoop::currentMode() const {
  return impl_->modeStack.empty() ? std::string() : impl_->modeStack.back();
}

void RunLoop::discardAllSources() {
  for (const auto& t : impl_->timers) t->invalidate();
  impl_->pruneTimers();
  impl_->dueAtOnce.reset();
  impl_->fdSources.clear();
  std::deque<Posted> dropped;
  {
    std::lock_guard lock(impl_->postedMutex);
    dropped.swap(impl_->posted);
  }
  impl_->stopRequested.store(false);
}

void RunLoop::runUntilIdle(const std::string& mode) {
  impl_->modeStack.push_back(mode);
  // Descriptors are polled once a round: one that stays ready (a writable socket) must not keep
  // the loop from being idle. Bounded, so that a perform that keeps posting itself cannot hang.
  for (int round = 0; round < 100000; ++round) {
    int work = impl_->runPerforms(mode) + impl_->fireDueTimers(mode);
    impl_->pollSources(mode, 0);
    impl_->turnEnded();
    if (work == 0 && !impl_->hasWorkDue(mode)) break;
  }
  impl_->modeStack.pop_back();
}

void RunLoop::advance(double seconds, const std::string& mode) {
  auto* clock = dynamic_cast<VirtualClock*>(&Clock::current());
  const double target = Clock::current().now() + seconds;
  if (!clock) {
    impl_->modeStack.push_back(mode);
    while (Clock::current().now() < target) impl_->pass(mode, target, true);
    impl_->modeStack.pop_back();
    return;
  }
  runUntilIdle(mode);
  while (auto next = impl_->nextTimerDate(mode)) {
    if (*next > target) break;
    if (*next > clock->now()) clock->set(*next);
    runUntilIdle(mode);
  }
  if (target > clock->now()) clock->set(target);
  runUntilIdle(mode);
}

bool RunLoop::runUntil(const std::function<bool()>& done, double timeoutSeconds,
                       const std::string& mode) {
  using Steady = std::chrono::steady_clock;
  const auto deadline = Steady::now() + std::chrono::duration<double>(timeoutSeconds);
  impl_->modeStack.push_back(mode);
  bool finished = done();
  while (!finished && Steady::now() < deadline) {
    // Short slices: `done` may turn true through another thread without waking this loop.
    impl_->pass(mode, Clock::current().now() + 0.005, true);
    finished = done();
  }
  impl_->modeStack.pop_back();
  return finished;
}

}  // namespace plat
