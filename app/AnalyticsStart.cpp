#include "app/AnalyticsStart.h"

#include "analytics/Analytics.h"

// The endpoints come from the bundle's info values and the environment (see the README); with
// none configured the records stay on disk and nothing is sent.
void startAnalytics() {
  Analytics::startWithAppkey(kAnalyticsAppKey);
  Analytics::updateOnlineConfig();
}
