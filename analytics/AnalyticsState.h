// The process-wide objects of the analytics component, one set per context.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "analytics/ANSharedUDID.h"
#include "analytics/AnalyticsApp.h"
#include "analytics/AnalyticsInternal.h"
#include "analytics/AnalyticsJob.h"
#include "analytics/AnalyticsSession.h"

class AnalyticsContext;
class AnalyticsThrift;
class AnalyticsEnvelope;
class AnalyticsOnlineConfig;

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

  // Made on first use, on the core's thread.
  AnalyticsThrift& thrift();
  AnalyticsEnvelope& envelope();
  AnalyticsOnlineConfig& onlineConfig();

 private:
  std::unique_ptr<AnalyticsThrift> thrift_;
  std::unique_ptr<AnalyticsEnvelope> envelope_;
  std::once_flag onlineConfigOnce_;
  std::unique_ptr<AnalyticsOnlineConfig> onlineConfig_;
};
