#include "analytics/ANRecords.h"

#include <cmath>
#include <cstdint>
#include <typeinfo>

#include "analytics/ANUtil.h"
#include "analytics/AnalyticsApp.h"
#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsLog.h"
#include "analytics/AnalyticsTexts.h"

namespace {

double now() {
  return AnalyticsContext::current().now();
}

// Whole milliseconds since `ts`, held at the 32-bit bounds: a timer left open for weeks (or a
// clock set forward) is then over every duration limit instead of wrapping to a negative one.
int32_t millisecondsSince(double ts) {
  double ms = (now() - ts) * 1000;
  if (std::isnan(ms)) return 0;
  if (ms <= INT32_MIN) return INT32_MIN;
  if (ms >= INT32_MAX) return INT32_MAX;
  return static_cast<int32_t>(ms);
}

}  // namespace

ANBaseEvent::ANBaseEvent(std::string recordType)
    : ts(now()),
      type(std::move(recordType)),
      date(ANUtil::dateString()),
      time(ANUtil::timeString()) {}

bool ANBaseEvent::operator==(const ANBaseEvent& other) const {
  return typeid(*this) == typeid(other) && ts == other.ts;
}

plat::Value ANBaseEvent::encode() const {
  plat::Value coded = plat::Value::dictionary();
  coded.set("self.sendingFlag", sendingFlag);
  coded.set("self.ts", ts);
  coded.set("self.type", type);
  coded.set("self.date", date);
  coded.set("self.time", time);
  coded.set("self.session_id", session_id);
  encodeOwn(coded);
  return coded;
}

void ANBaseEvent::decodeBase(const plat::Value& coded) {
  sendingFlag = coded["self.sendingFlag"].asBool();
  ts = coded["self.ts"].asDouble();
  type = coded["self.type"].asString();
  date = coded["self.date"].asString();
  time = coded["self.time"].asString();
  session_id = coded["self.session_id"].asString();
}

std::shared_ptr<ANBaseEvent> decodeRecord(const plat::Value& coded) {
  if (!coded.isDictionary()) return nullptr;
  const std::string& type = coded["self.type"].asString();
  std::shared_ptr<ANBaseEvent> record;
  if (type == "event") {
    record = std::make_shared<ANEvent>();
  } else if (type == "ekv") {
    record = std::make_shared<ANEkv>();
  } else if (type == "error") {
    record = std::make_shared<ANError>();
  } else if (type == "terminate") {
    record = std::make_shared<ANTerminate>();
  } else {
    return nullptr;
  }
  record->decodeBase(coded);
  record->decodeOwn(coded);
  return record;
}

void ANEvent::updateDu() {
  du = millisecondsSince(ts);
}

void ANEvent::encodeOwn(plat::Value& coded) const {
  coded.set("self.event_id", event_id);
  coded.set("self.label", label);
  coded.set("self.acc", static_cast<int>(acc));
  coded.set("self.du", static_cast<int>(du));
  if (!values.isNull()) coded.set("self.values", values);
}

void ANEvent::decodeOwn(const plat::Value& coded) {
  event_id = coded["self.event_id"].asString();
  label = coded["self.label"].asString();
  acc = static_cast<int32_t>(coded["self.acc"].asInt());
  du = static_cast<int32_t>(coded["self.du"].asInt());
  values = coded["self.values"];
}

void ANEvent::outputUMLog() const {
  if (!AnalyticsApp::sharedInstance().logEnabled()) return;
  std::string text = "session_id=" + session_id + ", event=" + event_id;
  if (!label.empty()) text += ", label=" + label;
  if (du >= 1) text += anFormat(", du=%ld", static_cast<long>(du));
  analyticsLog("event: %s", text.c_str());
}

void ANEkv::updateDu() {
  du = millisecondsSince(ts);
}

std::shared_ptr<ANEkv> ANEkv::make(const std::string& id, const std::string& key,
                                   const plat::Value& values) {
  bool reserved = false;
  values.forEach([&](const std::string& k, const plat::Value&) {
    if (k == "id" || k == "ts" || k == "du") reserved = true;
  });
  if (reserved) {
    analyticsPrint(kReservedKey);
    return nullptr;
  }
  auto record = std::make_shared<ANEkv>();
  record->id = id;
  record->key = key;
  record->values = processDictionary(values);
  return record;
}

plat::Value ANEkv::processDictionary(const plat::Value& values) {
  plat::Value out = plat::Value::dictionary();
  size_t limit = values.has("__ct__") ? 11 : 10;
  size_t walked = 0;
  values.forEach([&](const std::string& key, const plat::Value& value) {
    if (walked++ >= limit) return;
    if (key.empty() || !value.isString()) {
      analyticsPrint(kKeysMustBeStrings);
      return;
    }
    out.set(ANUtil::getString(key, 128), ANUtil::getString(value.asString(), 256));
  });
  return out;
}

void ANEkv::encodeOwn(plat::Value& coded) const {
  coded.set("self.du", du);
  coded.set("self.id", id);
  coded.set("self.key", key);
  coded.set("self.values", values);
}

void ANEkv::decodeOwn(const plat::Value& coded) {
  du = static_cast<int32_t>(coded["self.du"].asInt());
  id = coded["self.id"].asString();
  key = coded["self.key"].asString();
  values = coded["self.values"].isDictionary() ? coded["self.values"] : plat::Value::dictionary();
}

void ANEkv::outputUMLog() const {
  if (!AnalyticsApp::sharedInstance().logEnabled()) return;
  std::string text = "session_id=" + session_id + ", id=" + id;
  if (du >= 1) text += anFormat(", duration=%d", du);
  if (!key.empty()) text += ",key=" + key;
  if (values.size() > 0) text += ",values=" + values.debugString();
  analyticsLog("ekv: %s", text.c_str());
}

void ANError::encodeOwn(plat::Value& coded) const {
  coded.set("self.context", context);
}

void ANError::decodeOwn(const plat::Value& coded) {
  context = coded["self.context"].asString();
}

void ANError::outputUMLog() const {
  analyticsLog("error: session_id=%s, context=%s", session_id.c_str(), context.c_str());
}

void ANTerminate::encodeOwn(plat::Value& coded) const {
  coded.set("self.duration", duration);
  plat::Value pages = plat::Value::array();
  for (const auto& [name, seconds] : pageViews) pages.append(plat::Value::array({name, seconds}));
  coded.set("self.pageViews", pages);
  coded.set("self.latitude", latitude);
  coded.set("self.longitude", longitude);
  coded.set("self.gps_time", static_cast<long long>(gps_time));
}

void ANTerminate::decodeOwn(const plat::Value& coded) {
  duration = coded["self.duration"].asDouble();
  const plat::Value& pages = coded["self.pageViews"];
  for (size_t i = 0; i < pages.size(); ++i) {
    pageViews.emplace_back(pages[i][size_t{0}].asString(), static_cast<int>(pages[i][1].asInt()));
  }
  latitude = coded["self.latitude"].asDouble();
  longitude = coded["self.longitude"].asDouble();
  gps_time = coded["self.gps_time"].asInt();
}

void ANTerminate::outputUMLog() const {
  if (!AnalyticsApp::sharedInstance().logEnabled()) return;
  std::string text = anFormat("session_id=%s, duration=%f", session_id.c_str(), duration);
  if (!pageViews.empty()) {
    text += ",pageViews=(";
    for (size_t i = 0; i < pageViews.size(); ++i) {
      text +=
          (i ? ", (" : "(") + pageViews[i].first + ", " + std::to_string(pageViews[i].second) + ")";
    }
    text += ")";
  }
  analyticsLog("session: %s", text.c_str());
}
