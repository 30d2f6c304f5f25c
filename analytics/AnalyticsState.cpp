#include "analytics/AnalyticsState.h"

#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsImprint.h"

AnalyticsState::AnalyticsState(AnalyticsContext& context) : app(context) {}

AnalyticsState::~AnalyticsState() = default;

std::optional<std::string> imprintValueWithKey(const std::string& key) {
  auto& lookup = AnalyticsContext::current().state().imprintLookup;
  return lookup ? lookup(key) : std::nullopt;
}
