// The core's side of event recording: the period limit, event timers, page views and crashes.
#include "analytics/ANUtil.h"
#include "analytics/AnalyticsApp.h"
#include "analytics/AnalyticsConfig.h"
#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsCrash.h"
#include "analytics/AnalyticsInternal.h"
#include "analytics/AnalyticsLog.h"
#include "analytics/AnalyticsSession.h"
#include "analytics/AnalyticsTexts.h"

namespace {

constexpr double kLimitPeriod = 28800;
constexpr int64_t kEventsPerPeriod = 5000;
constexpr int64_t kLongestDuration = 7200000;  // milliseconds

double now() {
  return AnalyticsContext::current().now();
}

ANTimerKey timerKey(const std::string& id, const std::string& second) {
  return {id, second.empty() ? std::nullopt : std::optional<std::string>(second)};
}

}  // namespace

bool AnalyticsInternal::checkEventLimit() {
  plat::Value separated = AnalyticsConfig::configureWithKey("anSeparatedTime");
  if (separated.isNull()) {
    AnalyticsConfig::setConfigure(now(), "anSeparatedTime");
    return true;
  }
  if (now() - separated.asDouble() > kLimitPeriod) {
    AnalyticsConfig::setConfigure(0, "anPeriodEvtCount");
    AnalyticsConfig::setConfigure(now(), "anSeparatedTime");
  }
  int64_t total = static_cast<int64_t>(events.size() + ekv.size()) +
                  AnalyticsConfig::configureWithKey("anPeriodEvtCount").asInt();
  if (total >= kEventsPerPeriod) {
    analyticsLog(kEventMaxCount, static_cast<int>(kEventsPerPeriod));
    return false;
  }
  return true;
}

void AnalyticsInternal::eventBegin(const std::shared_ptr<ANEvent>& record) {
  auto& stack = eventBeginTimes[timerKey(record->event_id, record->label)];
  stack.insert(stack.begin(), record);
  analyticsLog(kEventBeginLog, record->event_id.c_str(), record->label.c_str());
}

void AnalyticsInternal::eventEnd(const ANEvent& record) {
  if (record.event_id.empty()) return;
  auto it = eventBeginTimes.find(timerKey(record.event_id, record.label));
  if (it == eventBeginTimes.end() || it->second.empty()) return;
  std::shared_ptr<ANEvent> begin = it->second.front();
  begin->updateDu();
  if (begin->du < kLongestDuration && checkEventLimit()) addEvent(begin, arrayWithEventType(2));
  // addEvent may have emptied the timers (an envelope was made): look again.
  it = eventBeginTimes.find(timerKey(record.event_id, record.label));
  if (it != eventBeginTimes.end() && !it->second.empty()) it->second.erase(it->second.begin());
}

void AnalyticsInternal::ekvBegin(const std::shared_ptr<ANEkv>& record) {
  auto& stack = ekvBeginTimes[timerKey(record->id, record->key)];
  stack.insert(stack.begin(), record);
  analyticsLog(kEkvBeginLog, record->id.c_str(), record->key.c_str());
}

void AnalyticsInternal::ekvEnd(const ANEkv& record) {
  if (record.id.empty() || record.key.empty()) return;
  auto it = ekvBeginTimes.find(timerKey(record.id, record.key));
  if (it == ekvBeginTimes.end() || it->second.empty()) return;
  std::shared_ptr<ANEkv> begin = it->second.front();
  begin->updateDu();
  if (begin->du < kLongestDuration && checkEventLimit()) addEvent(begin, arrayWithEventType(4));
  it = ekvBeginTimes.find(timerKey(record.id, record.key));
  if (it != ekvBeginTimes.end() && !it->second.empty()) it->second.erase(it->second.begin());
}

void AnalyticsInternal::pageEnd(const std::string& name) {
  if (name.empty()) return;
  auto it = pageItemsHash.find(name);
  if (it == pageItemsHash.end()) return;
  int seconds = static_cast<int>(now() - it->second);
  if (seconds >= 1) {
    pageItems.emplace_back(name, seconds);
    analyticsLog(kPageEndLog, name.c_str(), seconds);
  }
  pageItemsHash.erase(it);
}

void AnalyticsInternal::error(const std::string& report) {
  if (AnalyticsApp::sharedInstance().crashReportEnabled()) {
    plat::Value info = errorSupportInfo();
    if (info.isNull()) {
      analyticsLog("%s", kBinaryInfoFailed);
      return;
    }
    auto record = std::make_shared<ANError>();
    setEventSessionID(*record);
    record->context = AnalyticsCrashCatcher::reportText(report, info);
    errors.push_back(record);
    record->outputUMLog();
  }
  AnalyticsSession& session = AnalyticsSession::sharedInstance();
  session.appCrashed = true;
  session.appInactivate(nullptr);
}

void AnalyticsInternal::saveCrashInfo(const plat::Value& userInfo) {
  AnalyticsConfig::setConfigure(ANUtil::appVersionString(), "ANAppVersion");
  error(userInfo["text"].asString());
}
