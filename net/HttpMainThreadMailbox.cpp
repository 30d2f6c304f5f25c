#include "net/HttpMainThreadMailbox.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
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
constexpr Steady::time_point kNotWaiting = Steady::time_point::min();

thread_local int turnDepth = 0;
thread_local bool wakeWhenTurnEnds = false;

class Mailbox {
 public:
  // A delivery that the main loop dropped unrun (a test discarding what it left on the loop, a
  // retired loop) says so, and the reports it would have carried go the way of the loop's other
  // performs. Otherwise every later report would wait for good for a delivery that never comes.
  struct Delivery {
    explicit Delivery(Mailbox* owner) : mailbox(owner) {}
    ~Delivery() {
      if (!ran) mailbox->deliveryLost_.store(true);
    }
    Mailbox* mailbox;
    bool ran = false;
  };

  void post(std::function<void()> task, Urgency urgency) {
    std::vector<std::function<void()>> dropped;  // released outside the lock: captures may post
    {
      plat::LockGuard lock(mutex_);
      if (deliveryLost_.exchange(false)) {
        dropped.swap(tasks_);
        deliveryPosted_ = false;
      }
      tasks_.push_back(std::move(task));
      // The delivery takes its place among the main thread's performs now, so that reports keep
      // their order with performs posted after them; only the wake-up may come later.
      if (!deliveryPosted_) {
        auto delivery = std::make_shared<Delivery>(this);
        plat::RunLoop::main().performWithoutWaking([delivery] {
          delivery->ran = true;
          delivery->mailbox->deliver();
        });
      }
      deliveryPosted_ = true;
    }
    if (urgency == Urgency::WakeNow && turnDepth > 0) {
      wakeWhenTurnEnds = true;
    } else if (urgency == Urgency::WakeNow || !onNetworkThread()) {
      wakeMain();
    } else if (waitingSince_ == kNotWaiting) {
      waitingSince_ = Steady::now();
    }
  }

  void wakeMain() {
    plat::RunLoop::main().wake();
    // Whatever waited goes with this wake-up: nothing is left for the time limit.
    if (!onNetworkThread()) return;
    waitingSince_ = kNotWaiting;
    if (watching_) watch(false);
  }

  // On the working thread, when its outermost piece of work ends.
  void turnEnded() {
    if (wakeWhenTurnEnds) {
      wakeWhenTurnEnds = false;
      wakeMain();
    } else if (onNetworkThread() && waitingSince_ != kNotWaiting &&
               Steady::now() - waitingSince_ >= kMaxWait) {
      wakeMain();  // a network thread too busy to sleep
    }
  }

  // On the network thread.
  void setNetworkLoop(plat::RunLoop& loop) {
    timer_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (timer_ < 0) return;
    loop_ = &loop;
    timerSource_ = loop.addFdSource(timer_, 0, [this](int, unsigned) { timeUp(); });
    loop.setBeforeWaitingObserver([this] { beforeNetworkThreadWaits(); });
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

  // The time limit of a report that waits is kept only when the network thread is about to sleep
  // with the report still waiting: a timer descriptor, set to when the report's time is up and
  // watched by the thread's loop while it sleeps. Most short requests never need it, as their end
  // comes before the thread sleeps, and setting a timer that runs out before the scheduler's next
  // tick costs several microseconds on a virtual machine. A thread that stays busy instead looks
  // at the time when a piece of its work ends.
  void beforeNetworkThreadWaits() {
    if (waitingSince_ == kNotWaiting) return;
    {
      plat::LockGuard lock(mutex_);
      if (!deliveryPosted_) {  // the main thread took the reports on its own
        waitingSince_ = kNotWaiting;
        return;
      }
    }
    const Steady::time_point due = waitingSince_ + kMaxWait;
    if (Steady::now() >= due) {
      wakeMain();
      return;
    }
    if (due != expiry_) {
      itimerspec limit{};
      const auto sinceEpoch = std::chrono::duration_cast<std::chrono::nanoseconds>(due.time_since_epoch());
      limit.it_value.tv_sec = static_cast<time_t>(sinceEpoch.count() / 1000000000);
      limit.it_value.tv_nsec = static_cast<long>(sinceEpoch.count() % 1000000000);
      if (::timerfd_settime(timer_, TFD_TIMER_ABSTIME, &limit, nullptr) != 0) {
        wakeMain();
        return;
      }
      expiry_ = due;
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
    expiry_ = kNotWaiting;
    bool waiting;
    {
      plat::LockGuard lock(mutex_);
      waiting = deliveryPosted_;
    }
    if (waiting) {
      wakeMain();
    } else {
      waitingSince_ = kNotWaiting;
      watch(false);
    }
  }

  plat::Mutex mutex_;
  std::vector<std::function<void()>> tasks_ GUARDED_BY(mutex_);
  bool deliveryPosted_ GUARDED_BY(mutex_) = false;
  std::atomic<bool> deliveryLost_{false};

  std::atomic<std::thread::id> networkThread_{};
  // Set before networkThread_, then used on the network thread only.
  int timer_ = -1;
  plat::RunLoop* loop_ = nullptr;
  int timerSource_ = 0;
  Steady::time_point expiry_ = kNotWaiting;        // when the timer runs out, if set
  Steady::time_point waitingSince_ = kNotWaiting;  // of the oldest report that may wait
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
  if (--turnDepth == 0) mailbox().turnEnded();
}

}  // namespace HttpMainThreadMailbox
