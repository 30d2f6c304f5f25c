// The due words' order against the plain three-part comparison it stands for.
#include "store/DueOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

namespace {

std::vector<uint32_t> readsOf(const std::vector<DueWord>& due, size_t kept) {
  std::vector<uint32_t> reads;
  for (size_t i = 0; i < kept; ++i) reads.push_back(due[i].read);
  return reads;
}

std::vector<uint32_t> expectedOrder(std::vector<DueWord> due, size_t kept) {
  std::sort(due.begin(), due.end(), [](const DueWord& a, const DueWord& b) {
    return std::tie(a.next, a.last, a.read) < std::tie(b.next, b.last, b.read);
  });
  return readsOf(due, kept);
}

// `count` words due within `span` seconds of a time, many of them at the same second and some of
// those tested at the same time too.
std::vector<DueWord> dueWords(size_t count, int64_t base, int64_t span, unsigned seed) {
  std::mt19937_64 random(seed);
  std::vector<DueWord> due;
  for (size_t i = 0; i < count; ++i) {
    const int64_t next = base + static_cast<int64_t>(random() % static_cast<uint64_t>(span));
    due.push_back({next, next - 86400 * static_cast<int64_t>(random() % 3),
                   static_cast<uint32_t>(i)});
  }
  return due;
}

TEST(DueOrderTest, FollowsNextStudyThenLastTestThenReadingForAnyLimitAndSpan) {
  const int64_t kNow = 818326129;
  const int64_t kFar = std::numeric_limits<int64_t>::max() / 2;
  for (int64_t span : {int64_t{40}, int64_t{86400}, kFar}) {
    for (size_t kept : {size_t{0}, size_t{1}, size_t{250}, size_t{999}, size_t{1000}}) {
      std::vector<DueWord> due = dueWords(1000, span == kFar ? -kFar : kNow, span, 7);
      const std::vector<uint32_t> expected = expectedOrder(due, kept);
      orderDueWords(due, kept);
      EXPECT_EQ(readsOf(due, kept), expected) << "span " << span << ", kept " << kept;
    }
  }
  std::vector<DueWord> none;
  orderDueWords(none, 5);
  EXPECT_TRUE(none.empty());
}

}  // namespace
