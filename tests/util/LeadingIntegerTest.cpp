// Integers read from replies and stored texts: leading digits of a text, numbers as they are, and
// the type's ends instead of a wrap.
#include "util/LeadingInteger.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace {

using plat::Value;
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();
constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();

TEST(LeadingInteger, TextsCountByTheirLeadingDigitsAndEveryKindStopsAtTheTypesEnds) {
  EXPECT_EQ(LeadingInteger::of32(std::string("128abc")), 128);
  EXPECT_EQ(LeadingInteger::of32(std::string(" -7 days")), -7);
  EXPECT_EQ(LeadingInteger::of32(std::string("abc")), 0);
  EXPECT_EQ(LeadingInteger::of32(std::string("")), 0);
  EXPECT_EQ(LeadingInteger::of32(std::string("99999999999")), kMax32);
  EXPECT_EQ(LeadingInteger::of32(std::string("-99999999999")), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(LeadingInteger::of64(std::string("-99999999999999999999999")), kMin64);

  EXPECT_EQ(LeadingInteger::of32(Value("42x")), 42);
  EXPECT_EQ(LeadingInteger::of32(Value(12.9)), 12);
  EXPECT_EQ(LeadingInteger::of32(Value(true)), 1);
  EXPECT_EQ(LeadingInteger::of32(Value()), 0);
  EXPECT_EQ(LeadingInteger::of32(Value(std::nan(""))), 0);
  EXPECT_EQ(LeadingInteger::of32(Value(int64_t{1} << 40)), kMax32);
  EXPECT_EQ(LeadingInteger::of64(Value(1e30)), kMax64);
  EXPECT_EQ(LeadingInteger::of64(Value(-1e30)), kMin64);
  EXPECT_EQ(LeadingInteger::of64(Value(uint64_t{18446744073709551615u})), kMax64) << "no wrap";
}

}  // namespace
