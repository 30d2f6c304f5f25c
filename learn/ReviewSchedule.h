// The spaced-repetition arithmetic of an answer: how many days the word had been planned for
// (stretched by lateness), how far away its next showing goes, and where a weak answer brings
// the word back in the queue. Pure functions; all day and second counts are 64-bit.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace ReviewSchedule {

inline constexpr int64_t kSecondsPerDay = 86400;
// The next showing is never sooner than 22 hours.
inline constexpr double kMinimumSeconds = 79200.0;
// Re-tests come back no sooner than 2 and no later than 19 words on.
inline constexpr int32_t kNearestRetest = 2;
inline constexpr int32_t kFarthestRetest = 19;

// The interval D in days for a word last tested at `lastTest` and planned for `nextStudy`,
// answered at `now` (stored times): the planned days plus a fifth of the days late, the lateness
// counting at most as much as the plan; 0 when negative or when the word was never tested.
int64_t intervalDays(int64_t lastTest, int64_t nextStudy, int64_t now);

// The ideal values of this answer's grade (c0) and of the two answers before it (c1, c2).
struct Ideals {
  double c0 = 0.0;
  double c1 = 0.0;
  double c2 = 0.0;
};

// Seconds from now to the next showing. `hasEarlierAnswer` is whether the previous grade is not
// 0; `usedCofe` gives the word's frequency factor and is asked only when the formula needs it.
double studySeconds(const Ideals& ideals, bool hasEarlierAnswer, int64_t days,
                    const std::function<double()>& usedCofe);

// The stored time `seconds` after the local-as-GMT date `now`, truncated toward zero (and kept
// within 64 bits).
int64_t nextStudyTime(double now, double seconds);

// The re-test position for an answer of ideal value `ideal` to an entry at position `pos`:
// pos + 2 × trunc(ideal × 10 − 3), at least 2; nullopt beyond 19 (no re-test).
std::optional<int32_t> retestPosition(int32_t pos, double ideal);

}  // namespace ReviewSchedule
