#include "net/HttpMainThreadMailbox.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/base/Mutex.h"
#include "platform/base/RunLoop.h"

namespace HttpMainThreadMailbox {
namespace {

// How long a report that may wait can keep the main thread asleep: a real-time limit, so that it
// holds under a test's virtual clock too.
constexpr std::chrono::nanoseconds kMaxWait = std::chrono::milliseconds(1);
using Steady = std::chrono::steady_clock;  // the timer's clock, CLOCK_MONOTONIC

thread_local int turnDepth = 0;
thread_local bool wakeWhenTurnEnds = false;

class Mailbox {
 public:
  void post(std::function<void()> task, Urgency urgency) {
    {
      plat::LockGuard lock(mutex_);
      tasks_.push_back(std::move(task));
      // The delivery takes its place among the main thread's performs now, so that reports keep
      // their order with performs posted after them; only the wake-up may come later.
      if (!deliveryPosted_) plat::RunLoop::main().performWithoutWaking([this] { deliver(); });
      deliveryPosted_ = true;
    }
    if (urgency == Urgency::WakeNow && turnDepth > 0) {
      wakeWhenTurnEnds = true;
    } else if (urgency == Urgency::WakeNow || !onNetworkThread()) {
      wakeMain();
    } else {
      arm();
    }
  }

  void wakeMain() {
    plat::RunLoop::main().wake();
    // Whatever waited goes with this wake-up: nothing is left for the time limit to watch.
    if (onNetworkThread() && watching_) watch(false);
  }

  // On the network thread.
  void setNetworkLoop(plat::RunLoop& loop) {
    timer_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (timer_ < 0) return;
    loop_ = &loop;
    timerSource_ = loop.addFdSource(timer_, 0, [this](int, unsigned) { timeUp(); });
    networkThread_.store(std::this_thread::get_id());
  }

 private:
  void deliver() {
    std::vector<std::function<void()>> tasks;
    {
      plat::LockGuard lock(mutex_);
      tasks.swap(tasks_);
      deliveryPosted_ = false;
    }
    for (auto& task : tasks) task();
    // The emptied list goes back for the next reports, so that posting them takes no new room.
    tasks.clear();
    plat::LockGuard lock(mutex_);
    if (tasks_.empty()) tasks_.swap(tasks);
  }

  bool onNetworkThread() const {
    return networkThread_.load() == std::this_thread::get_id() && timer_ >= 0;
  }

  // The time limit, a timer descriptor that the network thread's loop watches only while a
  // report waits for it: a loop with nothing to watch sleeps more cheaply, and between requests
  // the network thread has nothing else. When a report that must not wait comes first, the timer
  // is left to run out unwatched rather than called off (which costs a system call): a stream of
  // short requests sets it about once a millisecond rather than twice a request. Not a loop timer:
  // a sleep with a time-out shorter than the scheduler's tick costs several microseconds more on
  // a virtual machine, and every sleep of the network thread would have one.
  void arm() {
    const Steady::time_point now = Steady::now();
    if (now >= expiry_) {
      // Not running, or run out unwatched: setting it again also clears what it announced.
      itimerspec limit{};
      limit.it_value.tv_nsec = kMaxWait.count();
      if (::timerfd_settime(timer_, 0, &limit, nullptr) != 0) {
        wakeMain();
        return;
      }
      // Read before setting: the timer runs out no earlier than this.
      expiry_ = now + kMaxWait;
    }
    watch(true);
  }
  void watch(bool on) {
    watching_ = on;
    loop_->updateFdSource(timerSource_, on ? unsigned{plat::kFdReadable} : 0u);
  }
  void timeUp() {
    uint64_t expirations;
    [[maybe_unused]] ssize_t n = ::read(timer_, &expirations, sizeof expirations);
    expiry_ = Steady::time_point::min();
    watch(false);
    bool waiting;
    {
      plat::LockGuard lock(mutex_);
      waiting = deliveryPosted_;
    }
    if (waiting) plat::RunLoop::main().wake();
  }

  plat::Mutex mutex_;
  std::vector<std::function<void()>> tasks_ GUARDED_BY(mutex_);
  bool deliveryPosted_ GUARDED_BY(mutex_) = false;

  std::atomic<std::thread::id> networkThread_{};
  // Set before networkThread_, then used on the network thread only.
  int timer_ = -1;
  plat::RunLoop* loop_ = nullptr;
  int timerSource_ = 0;
  Steady::time_point expiry_ = Steady::time_point::min();  // when the timer runs out if set
  bool watching_ = false;
};

Mailbox& mailbox() {
  static Mailbox* instance = new Mailbox();  // used until the process ends
  return *instance;
}

}  // namespace

void post(std::function<void()> task, Urgency urgency) {
  mailbox().post(std::move(task), urgency);
}

void setNetworkLoop(plat::RunLoop& loop) {
  mailbox().setNetworkLoop(loop);
}

Turn::Turn() {
  ++turnDepth;
}

Turn::~Turn() {
  if (--turnDepth > 0 || !wakeWhenTurnEnds) return;
  wakeWhenTurnEnds = false;
  mailbox().wakeMain();
}

}  // namespace HttpMainThreadMailbox
