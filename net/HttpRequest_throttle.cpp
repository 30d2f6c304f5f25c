// The bandwidth budget all requests share: one-second windows of counted bytes, the average of
// the last windows, and the wake-up time until which throttled connections stay paused.
#include <deque>
#include <numeric>

#include "net/HttpRequest.h"
#include "net/NetReachability.h"
#include "platform/base/Clock.h"
#include "platform/base/Mutex.h"
#include "platform/base/NotificationCenter.h"

namespace {

constexpr uint64_t kWWANBandwidthLimit = 14800;
constexpr size_t kTrackedWindows = 6;

struct Bandwidth {
  mutable plat::Mutex lock;  // never taken twice: the window is closed only from measuring
  uint64_t maxBandwidthPerSecond GUARDED_BY(lock) = 0;
  uint64_t bandwidthUsedInLastSecond GUARDED_BY(lock) = 0;
  std::optional<double> bandwidthMeasurementDate GUARDED_BY(lock);
  std::deque<uint64_t> bandwidthUsageTracker GUARDED_BY(lock);
  uint64_t averageBandwidthUsedPerSecond GUARDED_BY(lock) = 0;
  std::optional<double> throttleWakeUpTime GUARDED_BY(lock);
  bool isBandwidthThrottled GUARDED_BY(lock) = false;
  bool shouldThrottleBandwidthForWWANOnly GUARDED_BY(lock) = false;
  std::shared_ptr<NetReachability> reachability GUARDED_BY(lock);
};

Bandwidth& bandwidth() {
  static Bandwidth* state = new Bandwidth();  // used by requests still running at exit
  return *state;
}

double now() {
  return plat::Clock::current().now();
}

// A limit of 0 throttles nothing, even while on WWAN.
bool throttlingApplies(const Bandwidth& b) REQUIRES(b.lock) {
  return b.maxBandwidthPerSecond > 0 &&
         (b.isBandwidthThrottled || !b.shouldThrottleBandwidthForWWANOnly);
}

// A window more than a second ahead means the clock was set back: it ends now, rather than
// holding connections back for as long as the clock jumped.
bool windowEnded(const Bandwidth& b) REQUIRES(b.lock) {
  if (!b.bandwidthMeasurementDate) return true;
  const double end = *b.bandwidthMeasurementDate;
  return end <= now() || end > now() + 1;
}

// Closes the current window and starts the next.
void recordBandwidthUsage(Bandwidth& b) REQUIRES(b.lock) {
  if (b.bandwidthUsedInLastSecond == 0) {
    b.bandwidthUsageTracker.clear();
  } else {
    double interval = b.bandwidthMeasurementDate ? *b.bandwidthMeasurementDate - now() : 0;
    while ((interval < 0 || b.bandwidthUsageTracker.size() >= kTrackedWindows) &&
           !b.bandwidthUsageTracker.empty()) {
      b.bandwidthUsageTracker.pop_front();
      interval += 1;
    }
  }
  b.bandwidthUsageTracker.push_back(b.bandwidthUsedInLastSecond);
  b.bandwidthMeasurementDate = now() + 1;
  b.bandwidthUsedInLastSecond = 0;
  const uint64_t total =
      std::accumulate(b.bandwidthUsageTracker.begin(), b.bandwidthUsageTracker.end(), uint64_t{0});
  b.averageBandwidthUsedPerSecond = total / b.bandwidthUsageTracker.size();
}

// The window that bytes read now belong to. Bytes counted into a window that has already ended
// would be closed into the past, and the window after it would start with its whole budget again.
void rollWindow(Bandwidth& b) REQUIRES(b.lock) {
  if (windowEnded(b)) recordBandwidthUsage(b);
}

}  // namespace

bool HttpRequest::isBandwidthThrottled() {
  plat::LockGuard lock(bandwidth().lock);
  return throttlingApplies(bandwidth());
}

uint64_t HttpRequest::maxBandwidthPerSecond() {
  plat::LockGuard lock(bandwidth().lock);
  return bandwidth().maxBandwidthPerSecond;
}

void HttpRequest::setMaxBandwidthPerSecond(uint64_t bytes) {
  plat::LockGuard lock(bandwidth().lock);
  bandwidth().maxBandwidthPerSecond = bytes;
}

uint64_t HttpRequest::averageBandwidthUsedPerSecond() {
  plat::LockGuard lock(bandwidth().lock);
  return bandwidth().averageBandwidthUsedPerSecond;
}

std::optional<double> HttpRequest::throttleWakeUpTime() {
  plat::LockGuard lock(bandwidth().lock);
  return bandwidth().throttleWakeUpTime;
}

void HttpRequest::incrementBandwidthUsedInLastSecond(uint64_t bytes) {
  plat::LockGuard lock(bandwidth().lock);
  rollWindow(bandwidth());
  bandwidth().bandwidthUsedInLastSecond += bytes;
}

void HttpRequest::measureBandwidthUsage() {
  Bandwidth& b = bandwidth();
  plat::LockGuard lock(b.lock);
  if (b.bandwidthMeasurementDate && *b.bandwidthMeasurementDate > now() + 1)
    b.throttleWakeUpTime.reset();
  if (windowEnded(b)) recordBandwidthUsage(b);
  if (throttlingApplies(b) && b.bandwidthUsedInLastSecond > b.maxBandwidthPerSecond) {
    const double over = static_cast<double>(b.bandwidthUsedInLastSecond - b.maxBandwidthPerSecond);
    b.throttleWakeUpTime =
        *b.bandwidthMeasurementDate + over / static_cast<double>(b.maxBandwidthPerSecond);
  }
}

uint64_t HttpRequest::maxUploadReadLength() {
  Bandwidth& b = bandwidth();
  plat::LockGuard lock(b.lock);
  // The budget of the window the read will count in, not of one already over.
  if (throttlingApplies(b)) rollWindow(b);
  uint64_t budget = b.maxBandwidthPerSecond / 4;
  if (b.maxBandwidthPerSecond > 0 &&
      b.bandwidthUsedInLastSecond + budget > b.maxBandwidthPerSecond) {
    budget = b.bandwidthUsedInLastSecond < b.maxBandwidthPerSecond
                 ? b.maxBandwidthPerSecond - b.bandwidthUsedInLastSecond
                 : 0;
  }
  if (budget != 0 && (!b.bandwidthMeasurementDate || !windowEnded(b))) return budget;
  b.throttleWakeUpTime = b.bandwidthMeasurementDate;
  return budget;
}

void HttpRequest::performThrottling() {
  if (!readStream_ || complete_) return;
  measureBandwidthUsage();
  enum class Action { None, Pause, Resume } action = Action::None;
  {
    const Bandwidth& b = bandwidth();
    plat::LockGuard lock(b.lock);
    if (!throttlingApplies(b)) {
      action = Action::Resume;
    } else if (b.throttleWakeUpTime) {
      action = *b.throttleWakeUpTime > now() ? Action::Pause : Action::Resume;
    }
  }
  if (action == Action::Resume && !readStreamIsScheduled_) scheduleReadStream();
  if (action != Action::Pause && readWaitsForBudget_) {
    // The stream offered bytes that were left unread for the next window: it waits for a read.
    readWaitsForBudget_ = false;
    std::weak_ptr<HttpRequest> weak = self();
    plat::RunLoop::current().perform(
        [weak] {
          if (auto request = weak.lock()) request->resumeHandOver();
        },
        runLoopMode_);
  }
  if (action != Action::Pause || !readStreamIsScheduled_) return;
  // Paused from the loop, not from inside one of the stream's own events (reads of its body or
  // its response), which it finishes first.
  std::weak_ptr<HttpRequest> weak = self();
  plat::RunLoop::current().perform(
      [weak] {
        auto request = weak.lock();
        if (!request) return;
        plat::LockGuard lock(request->cancelledLock_);
        std::optional<double> wakeUp = throttleWakeUpTime();
        if (!request->complete_ && request->readStreamIsScheduled_ && isBandwidthThrottled() &&
            wakeUp && *wakeUp > now()) {
          request->unscheduleReadStream();
          // Resumed when the debt is paid, not at the next status check a quarter second on.
          plat::RunLoop::current().performAfter(*wakeUp - now(), request.get(), "throttle", [weak] {
            auto again = weak.lock();
            if (!again) return;
            plat::LockGuard lock(again->cancelledLock_);
            again->performThrottling();
          });
        }
      },
      runLoopMode_);
}

// ---- The WWAN limit

void HttpRequest::setShouldThrottleBandwidthForWWAN(bool throttle) {
  if (throttle) {
    throttleBandwidthForWWANUsingLimit(kWWANBandwidthLimit);
    return;
  }
  unsubscribeFromNetworkReachabilityNotifications();
  plat::LockGuard lock(bandwidth().lock);
  bandwidth().maxBandwidthPerSecond = 0;
  bandwidth().shouldThrottleBandwidthForWWANOnly = false;
  bandwidth().isBandwidthThrottled = false;
}

void HttpRequest::throttleBandwidthForWWANUsingLimit(uint64_t limit) {
  {
    plat::LockGuard lock(bandwidth().lock);
    bandwidth().shouldThrottleBandwidthForWWANOnly = true;
    bandwidth().maxBandwidthPerSecond = limit;
  }
  registerForNetworkReachabilityNotifications();
  reachabilityChanged();
}

void HttpRequest::registerForNetworkReachabilityNotifications() {
  unsubscribeFromNetworkReachabilityNotifications();
  auto monitor = NetReachability::reachabilityForInternetConnection();
  if (!monitor) return;
  monitor->startNotifier();
  plat::NotificationCenter::defaultCenter().addObserver(
      &bandwidth(), kNetworkReachabilityChangedNotification, monitor.get(),
      [](const plat::Notification&) { reachabilityChanged(); });
  plat::LockGuard lock(bandwidth().lock);
  bandwidth().reachability = std::move(monitor);
}

void HttpRequest::unsubscribeFromNetworkReachabilityNotifications() {
  plat::NotificationCenter::defaultCenter().removeObserver(&bandwidth());
  std::shared_ptr<NetReachability> monitor;
  {
    plat::LockGuard lock(bandwidth().lock);
    monitor = std::move(bandwidth().reachability);
  }
}

bool HttpRequest::isNetworkReachableViaWWAN() {
  auto monitor = NetReachability::reachabilityForInternetConnection();
  return monitor && monitor->currentReachabilityStatus() == ReachableViaWWAN;
}

void HttpRequest::reachabilityChanged() {
  const bool onWWAN = isNetworkReachableViaWWAN();
  plat::LockGuard lock(bandwidth().lock);
  bandwidth().isBandwidthThrottled = onWWAN;
}
