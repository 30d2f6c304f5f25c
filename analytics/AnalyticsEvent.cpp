#include "analytics/AnalyticsEvent.h"

#include "analytics/ANUtil.h"
#include "analytics/ANWorkDispatch.h"
#include "analytics/AnalyticsLog.h"
#include "analytics/AnalyticsTexts.h"

namespace {

constexpr size_t kLongestEventId = 128;
constexpr int64_t kLongestDuration = 7200000;

// At most 10 attributes, or 11 with the counter among them; extra ones are left out.
plat::Value limitAttributes(const plat::Value& attributes) {
  bool counted = attributes.has("__ct__");
  if (attributes.size() <= (counted ? 11u : 10u)) return attributes;
  plat::Value limited = plat::Value::dictionary();
  if (counted) limited.set("__ct__", attributes["__ct__"]);
  size_t others = 0;
  attributes.forEach([&](const std::string& key, const plat::Value& value) {
    if (key == "__ct__" || others >= 10) return;
    limited.set(key, value);
    ++others;
  });
  return limited;
}

}  // namespace

bool AnalyticsEvent::validEventID(const std::string& id) {
  if (ANUtil::isEmptyString(id)) return false;
  if (id.size() > kLongestEventId) {
    analyticsPrint(anFormat(kEventIdTooLong, id.c_str(), static_cast<int>(kLongestEventId)));
    return false;
  }
  return true;
}

void AnalyticsEvent::eventJob(const std::string& id, const std::string& label, int64_t acc,
                              int64_t du) {
  if (!validEventID(id)) return;
  auto record = std::make_shared<ANEvent>();
  record->event_id = id;
  record->label = label;
  record->acc = acc;
  record->du = du;
  if (du < kLongestDuration) ANWorkDispatch::sendEvent(record, 2);
}

void AnalyticsEvent::beginEvent(const std::string& id, const std::string& label) {
  if (!validEventID(id)) return;
  auto record = std::make_shared<ANEvent>();
  record->event_id = id;
  record->label = label;
  ANWorkDispatch::sendEvent(record, 5);
}

void AnalyticsEvent::endEvent(const std::string& id, const std::string& label) {
  if (!validEventID(id)) return;
  auto record = std::make_shared<ANEvent>();
  record->event_id = id;
  record->label = label;
  ANWorkDispatch::sendEvent(record, 6);
}

void AnalyticsEvent::event(const std::string& id, const plat::Value& attributes,
                           int64_t durations) {
  if (!validEventID(id)) return;
  if (!attributes.isDictionary() || attributes.size() == 0) return;
  auto record = ANEkv::make(id, "", limitAttributes(attributes));
  if (record && durations >= 1) record->du = static_cast<int32_t>(durations);
  if (record) ANWorkDispatch::sendEvent(record, 4);
}

void AnalyticsEvent::beginEvent(const std::string& id, const std::string& primaryKey,
                                const plat::Value& attributes) {
  if (!validEventID(id)) return;
  auto record = ANEkv::make(id, primaryKey, attributes);
  if (record) ANWorkDispatch::sendEvent(record, 7);
}

void AnalyticsEvent::endEvent(const std::string& id, const std::string& primaryKey, bool) {
  if (!validEventID(id)) return;
  auto record = ANEkv::make(id, primaryKey, plat::Value::dictionary());
  ANWorkDispatch::sendEvent(record, 8);
}

void AnalyticsEvent::logPageView(const std::string& page, int seconds) {
  if (page.empty() || seconds < 1) return;
  ANWorkDispatch::sendEvent(plat::Value::array({page, seconds}), 9);
}

void AnalyticsEvent::beginLogPageView(const std::string& page) {
  if (page.empty()) return;
  ANWorkDispatch::sendEvent(plat::Value(page), 10);
}

void AnalyticsEvent::endLogPageView(const std::string& page) {
  ANWorkDispatch::sendEvent(plat::Value(page), 11);
}
