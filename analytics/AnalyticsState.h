// The process-wide objects of the analytics component, one set per context.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "analytics/ANSharedUDID.h"
#include "analytics/AnalyticsApp.h"

class AnalyticsContext;

class AnalyticsState {
 public:
  explicit AnalyticsState(AnalyticsContext& context);
  ~AnalyticsState();

  AnalyticsApp app;
  SharedUDIDCache sharedUdid;
  // Reads one value of the stored server settings.
  std::function<std::optional<std::string>(const std::string&)> imprintLookup;
};
