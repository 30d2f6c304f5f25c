#include "analytics/AnalyticsContext.h"

#include <sys/utsname.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "analytics/AnalyticsState.h"
#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"
#include "platform/base/Device.h"
#include "platform/base/Files.h"
#include "platform/crypto/Digest.h"

namespace {

std::mutex& currentMutex() {
  static std::mutex m;
  return m;
}

// Never destroyed: the dispatcher's queues read the context until they end, which may be after
// the process has begun to destroy its static objects.
std::shared_ptr<AnalyticsContext>& currentSlot() {
  static auto* context = new std::shared_ptr<AnalyticsContext>;
  return *context;
}

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The vendor identifier stands for one device and one maker: a digest of the machine's id.
std::string vendorIdFromMachineId() {
  std::ifstream in("/etc/machine-id");
  std::string id;
  if (!(in >> id) || id.empty()) return "";
  std::string hex = plat::crypto::hex(plat::crypto::md5("vendor:" + id), true);
  return hex.substr(0, 8) + "-" + hex.substr(8, 4) + "-" + hex.substr(12, 4) + "-" +
         hex.substr(16, 4) + "-" + hex.substr(20, 12);
}

// "zh_CN" -> language "zh-Hans" (the form the phone reports) and country "CN".
void localeValues(const std::string& locale, std::string& language, std::string& country) {
  std::string lang = locale.substr(0, locale.find('_'));
  country = locale.find('_') == std::string::npos ? "" : locale.substr(locale.find('_') + 1);
  if (lang == "zh") lang = (country == "TW" || country == "HK") ? "zh-Hant" : "zh-Hans";
  language = lang;
}

}  // namespace

AnalyticsDeviceValues AnalyticsDeviceValues::fromSystem() {
  AnalyticsDeviceValues values;
  plat::DeviceInfo info = plat::Device::current();
  struct utsname names;
  values.machine = ::uname(&names) == 0 ? names.machine : "";
  values.model = info.idiom == plat::DeviceIdiom::Tablet ? "iPad" : "iPhone";
  values.systemVersion = info.systemVersion;
  values.isPad = info.idiom == plat::DeviceIdiom::Tablet;
  values.screen = {info.screenWidth, info.screenHeight, info.screenScale};
  values.vendorId = vendorIdFromMachineId();
  localeValues(info.localeIdentifier, values.preferredLanguage, values.countryCode);
  return values;
}

AnalyticsEndpoints AnalyticsEndpoints::fromConfiguration() {
  auto pick = [](const char* variable, const char* infoKey) {
    std::string value = environment(variable);
    return value.empty() ? plat::Bundle::main().infoValue(infoKey) : value;
  };
  AnalyticsEndpoints endpoints;
  endpoints.primaryLog = pick("VOCAB_ANALYTICS_LOG_URL", "AnalyticsLogURL");
  endpoints.fallbackLog = pick("VOCAB_ANALYTICS_FALLBACK_LOG_URL", "AnalyticsFallbackLogURL");
  endpoints.onlineConfig = pick("VOCAB_ANALYTICS_CONFIG_URL", "AnalyticsOnlineConfigURL");
  return endpoints;
}

AnalyticsContext::AnalyticsContext(AnalyticsSetup setup)
    : clock_(std::move(setup.clock)),
      random_(std::move(setup.random)),
      settings_(std::move(setup.settings)),
      cachesDir_(std::move(setup.cachesDir)),
      sharedUdidDir_(std::move(setup.sharedUdidDir)),
      device_(std::move(setup.device)),
      endpoints_(std::move(setup.endpoints)),
      info_(std::move(setup.info)),
      print_(std::move(setup.print)) {
  if (!settings_) {
    settings_ = std::shared_ptr<plat::UserDefaults>(&plat::UserDefaults::standardUserDefaults(),
                                                    [](plat::UserDefaults*) {});
  }
  if (cachesDir_.empty()) cachesDir_ = plat::AppHome::cachesDir();
  if (sharedUdidDir_.empty()) {
    // Beside the app home, in the user's data folder (~/.local/share), where other programs of
    // the scheme find it too.
    std::string home = plat::AppHome::home();
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    std::string data = home.substr(0, home.find_last_of('/'));
    sharedUdidDir_ = plat::files::join(data.empty() ? "/" : data, "SharedUDID");
  }
  if (!device_)
    device_ = std::make_shared<AnalyticsDeviceValues>(AnalyticsDeviceValues::fromSystem());
  if (!endpoints_)
    endpoints_ = std::make_shared<AnalyticsEndpoints>(AnalyticsEndpoints::fromConfiguration());
  // Read once here: the bundle's tables are not meant for the upload thread.
  if (info_.empty()) {
    for (const char* key : {"CFBundleIdentifier", "CFBundleDisplayName", "CFBundleVersion",
                            "CFBundleShortVersionString"}) {
      std::string value = plat::Bundle::main().infoValue(key);
      if (!value.empty()) info_[key] = value;
    }
  }
}

AnalyticsContext::~AnalyticsContext() = default;

AnalyticsContext& AnalyticsContext::current() {
  return *currentShared();
}

std::shared_ptr<AnalyticsContext> AnalyticsContext::currentShared() {
  std::lock_guard lock(currentMutex());
  if (!currentSlot()) currentSlot() = std::make_shared<AnalyticsContext>();
  return currentSlot();
}

void AnalyticsContext::install(std::shared_ptr<AnalyticsContext> context) {
  std::shared_ptr<AnalyticsContext> previous;
  {
    std::lock_guard lock(currentMutex());
    previous = std::move(currentSlot());
    currentSlot() = std::move(context);
  }
  // `previous` goes away here, outside the lock: its queues may still be finishing.
}

double AnalyticsContext::now() const {
  return clock_ ? clock_->now() : plat::Clock::current().now();
}

std::shared_ptr<const plat::TimeZone> AnalyticsContext::zone() const {
  return clock_ ? clock_->zone() : plat::Clock::current().zone();
}

uint32_t AnalyticsContext::random() {
  return random_ ? random_() : ::arc4random();
}

std::string AnalyticsContext::infoValue(const std::string& key) const {
  auto it = info_.find(key);
  return it == info_.end() ? "" : it->second;
}

void AnalyticsContext::print(const std::string& line) {
  std::lock_guard lock(printMutex_);
  if (print_) {
    print_(line);
  } else {
    std::fprintf(stderr, "%s\n", line.c_str());
  }
}

AnalyticsState& AnalyticsContext::state() {
  std::call_once(stateOnce_, [this] { state_ = std::make_unique<AnalyticsState>(*this); });
  return *state_;
}
