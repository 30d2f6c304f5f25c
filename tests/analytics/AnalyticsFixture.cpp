#include "tests/analytics/AnalyticsFixture.h"

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"

AnalyticsFixture::AnalyticsFixture() {
  time_.clock().setZone(plat::TimeZone::fixed(8 * 3600));
  device_ = std::make_shared<AnalyticsDeviceValues>();
  device_->machine = "x86_64";
  // The machine's network, whatever it is, does not decide the tests: a wired link is up.
  device_->netClassDir = plat::files::join(home_.path(), "sys/class/net");
  plat::files::createDirectories(device_->netClassDir + "/eth0");
  plat::files::writeFileAtomically(device_->netClassDir + "/eth0/operstate", "up\n");
  device_->model = "iPhone";
  device_->systemVersion = "7.0";
  device_->screen = {320, 568, 2};
  device_->vendorId = "6F1D2C3B-0000-4000-8000-00000000ABCD";
  device_->countryCode = "CN";
  device_->preferredLanguage = "zh-Hans";
  endpoints_ = std::make_shared<AnalyticsEndpoints>();
  info_ = {{"CFBundleIdentifier", "org.vocab.trainer"},
           {"CFBundleDisplayName", "背单词"},
           {"CFBundleVersion", "1.0b"},
           {"CFBundleShortVersionString", "1.0"}};
  udidDir_ = plat::files::join(home_.path(), "shared/SharedUDID");
  context_ = makeContext();
  AnalyticsContext::install(context_);
}

AnalyticsFixture::~AnalyticsFixture() {
  context_.reset();
  AnalyticsContext::install(nullptr);
}

std::shared_ptr<AnalyticsContext> AnalyticsFixture::makeContext() {
  AnalyticsSetup setup;
  setup.clock = std::shared_ptr<plat::Clock>(&time_.clock(), [](plat::Clock*) {});
  setup.random = [this] { return nextRandom_++; };
  setup.settings = std::make_shared<plat::UserDefaults>(
      plat::files::join(plat::AppHome::preferencesDir(), "analytics.defaults"));
  setup.cachesDir = plat::AppHome::cachesDir();
  setup.sharedUdidDir = udidDir_;
  setup.device = device_;
  setup.endpoints = endpoints_;
  setup.info = info_;
  setup.print = [this](const std::string& line) {
    std::lock_guard lock(printedMutex_);
    printed_.push_back(line);
  };
  return std::make_shared<AnalyticsContext>(std::move(setup));
}

void AnalyticsFixture::relaunch() {
  context_->settings().synchronize();
  context_ = makeContext();
  AnalyticsContext::install(context_);
}

std::vector<std::string> AnalyticsFixture::printed() {
  std::lock_guard lock(printedMutex_);
  return printed_;
}

void AnalyticsFixture::start() {
  Analytics::setCrashReportEnabled(false);
  AnalyticsConfig::setConfigure(time_.now(), "lastPostInterval");
  Analytics::startWithAppkey("4f5a6b7c8d9e0f1a2b3c4d5e", 6, "");
  time_.runUntilIdle();
}

std::vector<std::string> AnalyticsFixture::eventIds() {
  std::vector<std::string> ids;
  for (auto& record : core().events) ids.push_back(static_cast<ANEvent&>(*record).event_id);
  return ids;
}
