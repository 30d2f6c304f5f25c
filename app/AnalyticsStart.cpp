#include "app/AnalyticsStart.h"

// The analytics component is not part of the application yet: nothing is recorded.
void startAnalytics() {}
