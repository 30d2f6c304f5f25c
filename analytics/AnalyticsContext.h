// The analytics component's world: where its time, random numbers, settings, files, device values
// and service endpoints come from, and the state of its process-wide objects. The class-method
// interface works on the current context; each test installs a fresh one of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/base/Clock.h"
#include "platform/base/UserDefaults.h"

struct AnalyticsScreen {
  double width = 320;  // points, portrait
  double height = 568;
  double scale = 2;  // pixels per point
};

// What the component reports of the device. fromSystem() reads this Linux machine; tests set the
// values the rules depend on (machine name, the interface counted as Wi-Fi, the screen).
struct AnalyticsDeviceValues {
  std::string machine;        // the machine identifier ("x86_64")
  std::string model;          // the device's model name; "iPhone Simulator" marks a simulator
  std::string systemVersion;  // the operating-system version reported
  bool isPad = false;
  int orientation = 1;  // 1 and 2 are the portrait orientations
  AnalyticsScreen screen;
  std::string wifiInterface = "en0";           // the interface whose hardware address is asked for
  std::string netClassDir = "/sys/class/net";  // the kernel's list of network interfaces
  std::string vendorId;                        // the vendor identifier, "" when none
  std::string countryCode;                     // "CN"
  std::string preferredLanguage;               // "zh-Hans"

  static AnalyticsDeviceValues fromSystem();
};

// Where the log uploads and the online parameters go. Empty means not configured: envelopes are
// kept and nothing is sent.
struct AnalyticsEndpoints {
  std::string primaryLog;  // "http://host:port", the path is added by the upload
  std::string fallbackLog;
  std::string onlineConfig;

  // The bundle's info values "AnalyticsLogURL", "AnalyticsFallbackLogURL" and
  // "AnalyticsOnlineConfigURL", each overridden by the environment variables
  // VOCAB_ANALYTICS_LOG_URL, VOCAB_ANALYTICS_FALLBACK_LOG_URL and VOCAB_ANALYTICS_CONFIG_URL.
  static AnalyticsEndpoints fromConfiguration();
};

struct AnalyticsSetup {
  std::shared_ptr<plat::Clock> clock;             // null: plat::Clock::current()
  std::function<uint32_t()> random;               // null: the system's arc4random
  std::shared_ptr<plat::UserDefaults> settings;   // null: the standard user defaults
  std::string cachesDir;                          // "": the app home's Library/Caches
  std::string sharedUdidDir;                      // "": the user's data folder, "SharedUDID"
  std::shared_ptr<AnalyticsDeviceValues> device;  // null: fromSystem()
  std::shared_ptr<AnalyticsEndpoints> endpoints;  // null: fromConfiguration()
  std::map<std::string, std::string> info;        // bundle info values; empty: the main bundle
  std::function<void(const std::string&)> print;  // the platform log; null: standard error
};

class AnalyticsState;

class AnalyticsContext {
 public:
  explicit AnalyticsContext(AnalyticsSetup setup = {});
  ~AnalyticsContext();
  AnalyticsContext(const AnalyticsContext&) = delete;
  AnalyticsContext& operator=(const AnalyticsContext&) = delete;

  // The context the interface works on; a default one is made on first use.
  static AnalyticsContext& current();
  static std::shared_ptr<AnalyticsContext> currentShared();
  static void install(std::shared_ptr<AnalyticsContext> context);  // null: a default on next use

  double now() const;  // seconds since 1970
  std::shared_ptr<const plat::TimeZone> zone() const;
  uint32_t random();
  plat::UserDefaults& settings() { return *settings_; }
  const std::string& cachesDir() const { return cachesDir_; }
  const std::string& sharedUdidDir() const { return sharedUdidDir_; }
  const AnalyticsDeviceValues& device() const { return *device_; }
  const AnalyticsEndpoints& endpoints() const { return *endpoints_; }
  std::string infoValue(const std::string& key) const;  // "" when missing
  void print(const std::string& line);                  // always written

  // The component's process-wide objects, made on first use.
  AnalyticsState& state();

 private:
  std::shared_ptr<plat::Clock> clock_;
  std::function<uint32_t()> random_;
  std::shared_ptr<plat::UserDefaults> settings_;
  std::string cachesDir_;
  std::string sharedUdidDir_;
  std::shared_ptr<AnalyticsDeviceValues> device_;
  std::shared_ptr<AnalyticsEndpoints> endpoints_;
  std::map<std::string, std::string> info_;
  std::function<void(const std::string&)> print_;
  std::mutex printMutex_;
  std::once_flag stateOnce_;
  std::unique_ptr<AnalyticsState> state_;
};
