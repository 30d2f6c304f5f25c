#include "analytics/AnalyticsState.h"

#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsEnvelope.h"
#include "analytics/AnalyticsOnlineConfig.h"
#include "analytics/AnalyticsThrift.h"

AnalyticsState::AnalyticsState(AnalyticsContext& context) : app(context) {}

AnalyticsState::~AnalyticsState() = default;

AnalyticsThrift& AnalyticsState::thrift() {
  if (!thrift_) thrift_ = std::make_unique<AnalyticsThrift>();
  return *thrift_;
}

AnalyticsEnvelope& AnalyticsState::envelope() {
  if (!envelope_) envelope_ = std::make_unique<AnalyticsEnvelope>();
  return *envelope_;
}

AnalyticsOnlineConfig& AnalyticsState::onlineConfig() {
  // Any thread may ask for the online parameters.
  std::call_once(onlineConfigOnce_,
                 [this] { onlineConfig_ = std::make_unique<AnalyticsOnlineConfig>(); });
  return *onlineConfig_;
}
