#include "analytics/AnalyticsJob.h"

#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsState.h"

AnalyticsJob& AnalyticsJob::sharedInstance() {
  return AnalyticsContext::current().state().job;
}
