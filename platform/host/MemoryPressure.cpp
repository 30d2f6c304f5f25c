#include "platform/host/MemoryPressure.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/base/Files.h"
#include "platform/base/RunLoop.h"
#include "platform/view/Application.h"

namespace plat {
namespace {

constexpr const char* kKernelPressureFile = "/proc/pressure/memory";
constexpr const char* kMeminfoFile = "/proc/meminfo";

// The number after `key` in `text` ("avg10=" in "some avg10=1.25 ..."), or nothing.
std::optional<double> numberAfter(const std::string& text, const std::string& key,
                                  size_t from = 0) {
  const size_t at = text.find(key, from);
  if (at == std::string::npos) return std::nullopt;
  const char* start = text.c_str() + at + key.size();
  char* end = nullptr;
  const double value = std::strtod(start, &end);
  if (end == start) return std::nullopt;
  return value;
}

// "some avg10=12.50 avg60=3.00 avg300=1.00 total=123": the line of any task stalling.
std::optional<double> stalledPercent(const std::string& text) {
  const size_t some = text.rfind("some ", 0) == 0 ? 0 : text.find("\nsome ");
  if (some == std::string::npos) return std::nullopt;
  return numberAfter(text, "avg10=", some);
}

// "MemTotal:  16000000 kB" ... "MemAvailable:  800000 kB".
std::optional<double> availablePercent(const std::string& text) {
  const std::optional<double> total = numberAfter(text, "MemTotal:");
  const std::optional<double> available = numberAfter(text, "MemAvailable:");
  if (!total || !available || *total <= 0) return std::nullopt;
  return *available * 100 / *total;
}

}  // namespace

MemoryPressure::MemoryPressure(std::string file, Warn warn)
    : file_(std::move(file)), warn_(std::move(warn)) {}

MemoryPressure::~MemoryPressure() {
  stop();
}

void MemoryPressure::start() {
  stop();
  timer_ = Timer::scheduled(
      kPollSeconds, true, [this](Timer&) { poll(); }, kCommonModes);
}

void MemoryPressure::stop() {
  if (timer_) timer_->invalidate();
  timer_.reset();
}

bool MemoryPressure::poll() {
  const std::optional<std::string> text = files::readFile(file_);
  const MemoryPressureLevel level = text ? levelOf(*text) : MemoryPressureLevel::Low;
  if (level == MemoryPressureLevel::Low) inEpisode_ = false;
  if (level != MemoryPressureLevel::High || inEpisode_) return false;
  inEpisode_ = true;
  if (warn_) warn_();
  return true;
}

std::string MemoryPressure::defaultFile() {
  if (const char* chosen = std::getenv("VOCAB_MEMORY_PRESSURE"); chosen && *chosen) return chosen;
  return files::readFile(kKernelPressureFile) ? kKernelPressureFile : kMeminfoFile;
}

MemoryPressureLevel MemoryPressure::levelOf(const std::string& text) {
  if (const std::optional<double> stalled = stalledPercent(text)) {
    if (*stalled >= kStallHighPercent) return MemoryPressureLevel::High;
    return *stalled < kStallLowPercent ? MemoryPressureLevel::Low : MemoryPressureLevel::Raised;
  }
  if (const std::optional<double> available = availablePercent(text)) {
    if (*available <= kAvailableHighPercent) return MemoryPressureLevel::High;
    return *available > kAvailableLowPercent ? MemoryPressureLevel::Low
                                             : MemoryPressureLevel::Raised;
  }
  return MemoryPressureLevel::Low;
}

void MemoryPressure::warnApplication() {
  std::fprintf(stderr, "memory: the system is short of memory; the app releases what it can\n");
  Application::shared().receiveMemoryWarning();
}

}  // namespace plat
