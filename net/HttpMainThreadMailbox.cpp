#include "net/HttpMainThreadMailbox.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/base/Mutex.h"
#include "platform/base/RunLoop.h"

namespace HttpMainThreadMailbox {
namespace {

// How long a report that may wait can keep the main thread asleep: a real-time limit, so that it
// holds under a test's virtual clock too.
constexpr long kMaxWaitNanoseconds = 1000000;

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

  void wakeMain() { plat::RunLoop::main().wake(); }

  // On the network thread.
  void setNetworkLoop(plat::RunLoop& loop) {
    timer_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (timer_ < 0) return;
    loop.addFdSource(timer_, plat::kFdReadable, [this](int, unsigned) { timeUp(); });
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

  // The time limit, kept by the network thread's loop. It is not called off when a report that
  // must not wait comes first: when it runs out it finds nothing waiting, and a stream of short
  // requests sets it once a millisecond rather than twice a request.
  void arm() {
    if (armed_) return;
    itimerspec limit{};
    limit.it_value.tv_nsec = kMaxWaitNanoseconds;
    armed_ = ::timerfd_settime(timer_, 0, &limit, nullptr) == 0;
  }
  void timeUp() {
    uint64_t expirations;
    [[maybe_unused]] ssize_t n = ::read(timer_, &expirations, sizeof expirations);
    armed_ = false;
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
  int timer_ = -1;      // set before networkThread_, read on the network thread only
  bool armed_ = false;  // network thread only
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
