#include "platform/base/Clock.h"

#include <chrono>
#include <mutex>
#include <vector>

namespace plat {
namespace {

std::mutex& clockMutex() {
  static std::mutex m;
  return m;
}

// Every clock ever installed stays alive: Clock::current() hands out references that another
// thread may still hold while a test installs the next one.
// Never destroyed, like the real clock below: threads still running at exit may read the time.
std::vector<std::shared_ptr<Clock>>& installedClocks() {
  static auto* clocks = new std::vector<std::shared_ptr<Clock>>;
  return *clocks;
}

RealClock& realClock() {
  static auto* real = new RealClock;
  return *real;
}

std::atomic<Clock*>& currentClock() {
  static std::atomic<Clock*> current{&realClock()};
  return current;
}

}  // namespace

double RealClock::now() const {
  using namespace std::chrono;
  return duration<double>(system_clock::now().time_since_epoch()).count();
}

std::shared_ptr<const TimeZone> Clock::zone() const {
  std::lock_guard lock(clockMutex());
  return zone_ ? zone_ : TimeZone::local();
}

void Clock::setZone(std::shared_ptr<const TimeZone> zone) {
  std::lock_guard lock(clockMutex());
  zone_ = std::move(zone);
}

Clock& Clock::current() {
  return *currentClock().load();
}

void Clock::install(std::shared_ptr<Clock> clock) {
  std::lock_guard lock(clockMutex());
  if (!clock) {
    currentClock().store(&realClock());
    return;
  }
  installedClocks().push_back(clock);
  currentClock().store(clock.get());
}

}  // namespace plat
