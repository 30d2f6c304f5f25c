#include "store/ReviewPlanHooks.h"

#include <atomic>

namespace {
std::atomic<ReviewPlanHooks*> registered{nullptr};
}

void ReviewPlanHooks::install(ReviewPlanHooks* hooks) {
  registered = hooks;
}

ReviewPlanHooks* ReviewPlanHooks::installed() {
  return registered;
}
