#include "learn/ReviewSchedule.h"

#include <algorithm>
#include <cmath>

namespace ReviewSchedule {

int64_t intervalDays(int64_t lastTest, int64_t nextStudy, int64_t now) {
  if (lastTest <= kSecondsPerDay - 1) return 0;
  const int64_t planned = nextStudy / kSecondsPerDay - lastTest / kSecondsPerDay;
  const int64_t late = now / kSecondsPerDay - nextStudy / kSecondsPerDay;
  const int64_t days = planned + std::min(late / 5, planned);
  return days < 0 ? 0 : days;
}

double studySeconds(const Ideals& ideals, bool hasEarlierAnswer, int64_t days,
                    const std::function<double()>& usedCofe) {
  const double c0 = ideals.c0;
  const double c1 = ideals.c1;
  const double c2 = ideals.c2;
  const double d = hasEarlierAnswer ? c0 - c1 : 0.0;
  const double s = c0 * c0 + c1 * c1 * c1 + c2 * c2 * c2 * c2;
  double f;
  if (c0 > 0.1 && d >= 0)
    f = s + 1 + d;
  else if (c0 > 0.75)
    f = s + d;
  else
    f = 1 - (1 - c0) * (1 - c0);

  if (days == 0 && c0 > 0.75) {
    const double u = usedCofe();
    f = f + (c0 > 0.95 ? 8 - 8 * u : 4 - 4 * u);
  }
  if (days >= 21 && f > 1) f = (f - 1) / std::pow(static_cast<double>(days / 20), 1.05) + 1;

  // In doubles: an interval of a damaged record must not overflow the product.
  const double seconds = days < 1 ? f * 86400.0 : static_cast<double>(days) * 86400.0 * f;
  return seconds < kMinimumSeconds ? kMinimumSeconds : seconds;
}

int64_t nextStudyTime(double now, double seconds) {
  const double t = std::trunc(now + seconds);
  constexpr double kLimit = 9.2e18;  // within int64_t, where every such double converts exactly
  if (!(t < kLimit)) return static_cast<int64_t>(kLimit);
  if (!(t > -kLimit)) return -static_cast<int64_t>(kLimit);
  return static_cast<int64_t>(t);
}

std::optional<int32_t> retestPosition(int32_t pos, double ideal) {
  // The steps are clamped so that odd grade data cannot overflow the sum.
  const double steps = std::clamp(std::trunc(ideal * 10.0 - 3.0), -100.0, 100.0);
  const int64_t q =
      std::max<int64_t>(int64_t{pos} + 2 * static_cast<int64_t>(steps), kNearestRetest);
  if (q > kFarthestRetest) return std::nullopt;
  return static_cast<int32_t>(q);
}

}  // namespace ReviewSchedule
