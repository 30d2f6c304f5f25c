// The process-wide objects of the analytics component, one set per context.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "analytics/ANSharedUDID.h"
#include "analytics/AnalyticsApp.h"
#include "analytics/AnalyticsInternal.h"
#include "analytics/AnalyticsJob.h"
#include "analytics/AnalyticsSession.h"

class AnalyticsContext;

class AnalyticsState {
 public:
  explicit AnalyticsState(AnalyticsContext& context);
  ~AnalyticsState();

  AnalyticsApp app;
  SharedUDIDCache sharedUdid;
  AnalyticsJob job;
  AnalyticsLocation location;
  AnalyticsSession session;
  AnalyticsInternal core;
  std::mutex dispatchMutex;  // orders the hand-over of events to the main thread

  // Parts that later layers install: the stored server settings' lookup, the envelope maker
  // (true when an envelope file was written) and the send policy.
  std::function<std::optional<std::string>(const std::string&)> imprintLookup;
  std::function<bool()> makeEnvelope;
  std::function<void(int)> sendPolicy;
};
