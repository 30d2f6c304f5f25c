#include "analytics/ANWorkDispatch.h"

#include <memory>

#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsState.h"
#include "platform/base/MainThread.h"

void ANWorkDispatch::sendEvent(ANRecord record, int16_t type) {
  ANDispatchEvent event;
  event.type = type;
  event.record = std::move(record);
  sendEvent(std::move(event));
}

void ANWorkDispatch::sendEvent(plat::Value object, int16_t type) {
  ANDispatchEvent event;
  event.type = type;
  event.object = std::move(object);
  sendEvent(std::move(event));
}

void ANWorkDispatch::sendEvent(ANDispatchEvent event) {
  std::shared_ptr<AnalyticsContext> context = AnalyticsContext::currentShared();
  std::weak_ptr<AnalyticsContext> weak = context;
  std::lock_guard lock(context->state().dispatchMutex);
  plat::performOnMainThread([weak, event = std::move(event)] {
    // An event of a context that has since been replaced goes nowhere.
    auto owner = weak.lock();
    if (!owner || owner != AnalyticsContext::currentShared()) return;
    AnalyticsInternal::sharedInstance().workEvent(event);
  });
}
