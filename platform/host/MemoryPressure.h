// The desktop's memory pressure turned into the application's memory warnings, as the phone's
// system sends them: the kernel's pressure figures (/proc/pressure/memory: the share of the last ten
// seconds in which tasks stalled waiting for memory) or, on a kernel without them, the share of
// memory still available (/proc/meminfo). The figures are read on the main run loop; one warning
// goes out per episode of pressure, and an episode ends only when the pressure has clearly eased,
// so that figures hovering at the mark do not warn again and again.
//
// Main thread only. A file that cannot be read or understood counts as no pressure.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace plat {

class Timer;

enum class MemoryPressureLevel { Low, Raised, High };

class MemoryPressure {
 public:
  // Stalls in the last ten seconds ("some avg10") from which an episode begins, and below which it
  // ends; available memory below which one begins, and above which it ends.
  static constexpr double kStallHighPercent = 10;
  static constexpr double kStallLowPercent = 2;
  static constexpr double kAvailableHighPercent = 5;
  static constexpr double kAvailableLowPercent = 10;
  static constexpr double kPollSeconds = 1;

  using Warn = std::function<void()>;

  // Reads `file` (a pressure file or a meminfo file; the kind is told by its text); `warn` is
  // called at the start of each episode. By default the application's memory warning.
  explicit MemoryPressure(std::string file = defaultFile(), Warn warn = warnApplication);
  ~MemoryPressure();
  MemoryPressure(const MemoryPressure&) = delete;
  MemoryPressure& operator=(const MemoryPressure&) = delete;

  // Reads the figures every kPollSeconds on the current thread's run loop, until stop().
  void start();
  void stop();
  // Reads the figures once; true when that began an episode (and warned).
  bool poll();
  bool inEpisode() const { return inEpisode_; }
  const std::string& file() const { return file_; }

  // $VOCAB_MEMORY_PRESSURE when set, else the kernel's pressure file where it has one, else
  // /proc/meminfo.
  static std::string defaultFile();
  // The level a pressure or meminfo text shows; Low for text of neither kind.
  static MemoryPressureLevel levelOf(const std::string& text);
  // The application's memory warning, with a line on standard error saying why.
  static void warnApplication();

 private:
  std::string file_;
  Warn warn_;
  bool inEpisode_ = false;
  std::shared_ptr<Timer> timer_;
};

}  // namespace plat
