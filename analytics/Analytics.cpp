#include "analytics/Analytics.h"

#include <climits>

#include "analytics/AnalyticsApp.h"
#include "analytics/AnalyticsConfig.h"
#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsEvent.h"
#include "analytics/AnalyticsInternal.h"
#include "analytics/AnalyticsJob.h"
#include "analytics/AnalyticsLog.h"
#include "analytics/AnalyticsOnlineConfig.h"
#include "analytics/AnalyticsSession.h"
#include "analytics/AnalyticsTexts.h"
#include "platform/base/MainThread.h"

namespace {

constexpr int kLongestDuration = 7200000;
constexpr uint32_t kLongestLatency = 1800;

// The core's fields belong to the main thread.
void onCore(std::function<void(AnalyticsInternal&)> change) {
  std::weak_ptr<AnalyticsContext> context = AnalyticsContext::currentShared();
  plat::performOnMainThread([context, change] {
    auto owner = context.lock();
    if (owner && owner == AnalyticsContext::currentShared())
      change(AnalyticsInternal::sharedInstance());
  });
}

}  // namespace

void Analytics::startWithAppkey(const std::string& key) {
  AnalyticsSession::startWithAppkey(key);
}

void Analytics::startWithAppkey(const std::string& key, int32_t reportPolicy,
                                const std::string& channelId) {
  AnalyticsSession::startWithAppkey(key, static_cast<uint32_t>(reportPolicy), channelId);
}

void Analytics::startSession() {
  AnalyticsSession::sharedInstance().appActivate(nullptr);
}

void Analytics::setAppVersion(const std::string& version) {
  AnalyticsApp::setAppVersion(version);
}

void Analytics::setCrashReportEnabled(bool on) {
  AnalyticsApp::setCrashReportEnabled(on);
}

void Analytics::setLogEnabled(bool on) {
  AnalyticsApp::setLogEnabled(on);
}

void Analytics::setBackgroundTaskEnabled(bool on) {
  AnalyticsApp::setBackgroundTaskEnabled(on);
}

void Analytics::setEncryptEnabled(bool on) {
  AnalyticsApp::setEncryptEnabled(on);
}

void Analytics::setLogSendInterval(double seconds) {
  if (seconds < 90) {
    analyticsPrint(kIntervalTooShort);
    return;
  }
  AnalyticsConfig::setConfigure(seconds, "ancReportInterval");
  AnalyticsApp::sharedInstance().setLogSendInterval(AnalyticsApp::minReportInterval());
}

void Analytics::setLatency(int seconds) {
  uint32_t latency = static_cast<uint32_t>(seconds);
  AnalyticsJob::sharedInstance().setLatency_sdk(latency > kLongestLatency ? kLongestLatency
                                                                          : latency);
}

void Analytics::setWrapperType(const std::string& type) {
  if (type.empty()) return;
  onCore([type](AnalyticsInternal& core) { core.wrapperType = type; });
}

void Analytics::setWrapperVersion(const std::string& version) {
  if (version.empty()) return;
  onCore([version](AnalyticsInternal& core) { core.wrapperVersion = version; });
}

void Analytics::setWrapperType(const std::string& type, const std::string& version) {
  setWrapperType(type);
  setWrapperVersion(version);
}

void Analytics::event(const std::string& id) {
  AnalyticsEvent::eventJob(id, "", 1, 0);
}

void Analytics::event_label(const std::string& id, const std::string& label) {
  AnalyticsEvent::eventJob(id, label, 1, 0);
}

void Analytics::event_acc(const std::string& id, int acc) {
  AnalyticsEvent::eventJob(id, "", acc, 0);
}

void Analytics::event_label_acc(const std::string& id, const std::string& label, int acc) {
  AnalyticsEvent::eventJob(id, label, acc, 0);
}

void Analytics::event_durations(const std::string& id, int milliseconds) {
  AnalyticsEvent::eventJob(id, "", 1, milliseconds);
}

void Analytics::event_label_durations(const std::string& id, const std::string& label,
                                      int milliseconds) {
  if (milliseconds < 1 || milliseconds >= kLongestDuration) return;
  AnalyticsEvent::eventJob(id, label, 1, milliseconds);
}

void Analytics::event_attributes(const std::string& id, const plat::Value& attributes) {
  AnalyticsEvent::event(id, attributes, 0);
}

void Analytics::event_attributes_counter(const std::string& id, const plat::Value& attributes,
                                         int counter) {
  if (!attributes.isDictionary()) return;
  plat::Value copy = attributes;
  copy.set("__ct__", std::to_string(counter));
  event_attributes(id, copy);
}

void Analytics::event_attributes_durations(const std::string& id, const plat::Value& attributes,
                                           int milliseconds) {
  if (milliseconds < 1 || milliseconds >= kLongestDuration) return;
  AnalyticsEvent::event(id, attributes, milliseconds);
}

void Analytics::beginEvent(const std::string& id) {
  AnalyticsEvent::beginEvent(id, "");
}

void Analytics::endEvent(const std::string& id) {
  AnalyticsEvent::endEvent(id, "");
}

void Analytics::beginEvent_label(const std::string& id, const std::string& label) {
  AnalyticsEvent::beginEvent(id, label);
}

void Analytics::endEvent_label(const std::string& id, const std::string& label) {
  AnalyticsEvent::endEvent(id, label);
}

void Analytics::beginEvent_primarykey(const std::string& id, const std::string& primaryKey,
                                      const plat::Value& attributes) {
  AnalyticsEvent::beginEvent(id, primaryKey, attributes);
}

void Analytics::endEvent_primarykey(const std::string& id, const std::string& primaryKey) {
  AnalyticsEvent::endEvent(id, primaryKey, true);
}

void Analytics::logPageView(const std::string& page, int seconds) {
  AnalyticsEvent::logPageView(page, seconds);
}

void Analytics::beginLogPageView(const std::string& page) {
  AnalyticsEvent::beginLogPageView(page);
}

void Analytics::endLogPageView(const std::string& page) {
  AnalyticsEvent::endLogPageView(page);
}

void Analytics::setLatitude(double latitude, double longitude) {
  AnalyticsLocation::setLatitude(latitude, longitude);
}

void Analytics::setLocation(const plat::Location& location) {
  AnalyticsLocation::setLocation(location);
}

void Analytics::profileSignInWithPUID(const std::string& puid) {
  AnalyticsSession::profileSignInPUID(puid);
}

void Analytics::profileSignInWithPUID(const std::string& puid, const std::string& provider) {
  AnalyticsSession::profileSignInPUID(puid, provider);
}

void Analytics::profileSignOff() {
  AnalyticsSession::profileSignOff();
}

void Analytics::updateOnlineConfig() {
  AnalyticsOnlineConfig::sharedInstance().updateOnlineConfig();
}

std::optional<std::string> Analytics::getConfigParams(const std::string& key) {
  return AnalyticsOnlineConfig::sharedInstance().onlineConfigWithKey(key);
}

plat::Value Analytics::getConfigParams() {
  return AnalyticsOnlineConfig::sharedInstance().onlineConfig();
}

plat::Value Analytics::getAdURL() {
  analyticsPrint(kGetAdUrlInvalid);
  return {};
}
