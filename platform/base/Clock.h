// Where the time comes from. The real clock reads the system; tests install a VirtualClock and move
// it by hand (RunLoop::advance), so that no test sleeps. Times are seconds since the Unix epoch.
#pragma once

#include <atomic>
#include <memory>
#include <string>

namespace plat {

// A time zone: the offset from UTC (seconds east) in force at a given instant.
class TimeZone {
 public:
  virtual ~TimeZone() = default;
  virtual int offsetAt(double unixTime) const = 0;
  virtual std::string name() const = 0;

  // The zone of the TZ environment variable or /etc/localtime; UTC when neither can be read.
  static std::shared_ptr<const TimeZone> local();
  // A zone of the time zone database by name ("Asia/Shanghai", "America/New_York"); UTC if unknown.
  static std::shared_ptr<const TimeZone> named(const std::string& name);
  static std::shared_ptr<const TimeZone> fixed(int secondsEast);
  static std::shared_ptr<const TimeZone> utc() { return fixed(0); }
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual double now() const = 0;  // seconds since 1970-01-01 00:00 UTC
  virtual bool isVirtual() const { return false; }

  std::shared_ptr<const TimeZone> zone() const;
  void setZone(std::shared_ptr<const TimeZone> zone);
  int localOffsetAt(double unixTime) const { return zone()->offsetAt(unixTime); }

  // The process-wide clock; the real one unless a test installed another.
  static Clock& current();
  static void install(std::shared_ptr<Clock> clock);  // nullptr restores the real clock

 private:
  std::shared_ptr<const TimeZone> zone_;
};

class RealClock : public Clock {
 public:
  double now() const override;
};

class VirtualClock : public Clock {
 public:
  explicit VirtualClock(double start = 1'700'000'000.0) : now_(start) {}
  double now() const override { return now_.load(); }
  bool isVirtual() const override { return true; }
  void set(double t) { now_.store(t); }
  void advance(double seconds) { now_.store(now_.load() + seconds); }

 private:
  std::atomic<double> now_;
};

// Seconds from the Unix epoch to 2001-01-01 00:00 UTC, the origin of stored times.
inline constexpr double kReferenceDateOffset = 978307200.0;

}  // namespace plat
