#include "platform/base/Device.h"

#include <gtest/gtest.h>

#include "platform/base/Random.h"

TEST(Random, SeedsRepeatSequencesAndStreamsAreSeparate) {
  plat::seedRand(42);
  std::vector<int> first;
  for (int i = 0; i < 5; ++i) first.push_back(plat::rand());
  plat::seedRandom(7);
  plat::random();  // the other stream does not disturb rand's
  plat::seedRand(42);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(plat::rand(), first[i]);
  plat::seedRand(43);
  EXPECT_NE(plat::rand(), first[0]);
  int buckets[4] = {};
  for (int i = 0; i < 4000; ++i) {
    int r = plat::rand();
    ASSERT_GE(r, 0);
    ASSERT_LE(r, plat::kRandMax);
    ++buckets[r % 4];
  }
  for (int b : buckets) EXPECT_GT(b, 800);  // mod 4 is spread, as the shuffles need
}
