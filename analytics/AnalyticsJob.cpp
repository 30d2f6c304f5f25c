#include "analytics/AnalyticsJob.h"

#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsState.h"

AnalyticsJob& AnalyticsJob::sharedInstance() {
  return AnalyticsContext::current().state().job;
}

void AnalyticsJob::preparePerformJob(int trigger) {
  // Envelope files are made and posted by the policy that `state().sendPolicy` installs; without
  // one the records wait in memory and in the record cache.
  auto& policy = AnalyticsContext::current().state().sendPolicy;
  if (policy) policy(trigger);
}
