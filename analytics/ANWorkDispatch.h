// Hands every analytics event to the main thread, where the core handles them one at a time in
// the order they were posted, also when the poster is the main thread itself.
#pragma once

#include <cstdint>

#include "analytics/AnalyticsInternal.h"

class ANWorkDispatch {
 public:
  static void sendEvent(ANRecord record, int16_t type);
  static void sendEvent(plat::Value object, int16_t type);
  static void sendEvent(ANDispatchEvent event);
};
