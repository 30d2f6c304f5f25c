#include "analytics/AnalyticsConfig.h"

#include "analytics/ANUtil.h"
#include "analytics/AnalyticsContext.h"

namespace {

plat::UserDefaults& store() {
  return AnalyticsContext::current().settings();
}

}  // namespace

plat::Value AnalyticsConfig::configureWithKey(const std::string& key) {
  return store().objectForKey(key);
}

void AnalyticsConfig::setConfigure(const plat::Value& value, const std::string& key,
                                   bool synchronize) {
  if (value.isNull() || ANUtil::isEmptyString(key)) return;
  store().setObject(key, value);
  if (synchronize) store().synchronize();
}

void AnalyticsConfig::removeConfigureWithKey(const std::string& key) {
  if (ANUtil::isEmptyString(key)) return;
  store().removeObject(key);
  store().synchronize();
}

void AnalyticsConfig::accumulateCount(int64_t count, const std::string& key) {
  setConfigure(plat::Value(static_cast<long long>(configureWithKey(key).asInt() + count)), key);
}

void AnalyticsConfig::incrementRequest(bool success, int64_t usedMilliseconds) {
  accumulateCount(1, success ? "anSuccessfulRequests" : "anFailedRequests");
  if (usedMilliseconds >= 1) {
    setConfigure(plat::Value(static_cast<long long>(usedMilliseconds)), "anLastRequestSpentMS");
  }
}

void AnalyticsConfig::setLastPostDate() {
  setConfigure(ANUtil::dateString(), "lastPostDate");
  setConfigure(AnalyticsContext::current().now(), "lastPostInterval");
}
