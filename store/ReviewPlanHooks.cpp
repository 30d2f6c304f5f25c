#include "store/ReviewPlanHooks.h"

ReviewPlanHooks& ReviewPlanHooks::shared() {
  static ReviewPlanHooks hooks;
  return hooks;
}
