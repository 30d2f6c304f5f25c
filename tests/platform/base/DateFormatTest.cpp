#include "platform/base/DateFormat.h"

#include <gtest/gtest.h>

using plat::DateFormat;
using plat::TimeZone;

namespace {

const auto kGmt = TimeZone::named("GMT");
const auto kNewYork = TimeZone::named("America/New_York");
const auto kShanghai = TimeZone::named("Asia/Shanghai");

}  // namespace

TEST(DateFormat, PatternsRoundTripAndDayBoundariesFollowTheZone) {
  const double t = 978307200.0 + 86400 * 365.0 + 3723;  // 2002-01-01 01:02:03
  struct Case {
    const char* pattern;
    const char* text;
  } cases[] = {{"yyyy-MM-dd", "2002-01-01"},
               {"yyyy-MM-dd HH:mm:ss", "2002-01-01 01:02:03"},
               {"yyyy-MM-dd HH:mm", "2002-01-01 01:02"},
               {"HH:mm", "01:02"}};
  for (const auto& c : cases) {
    DateFormat format(c.pattern, kGmt);
    EXPECT_EQ(format.format(t), c.text);
    auto back = format.parse(c.text);
    ASSERT_TRUE(back) << c.pattern;
    EXPECT_EQ(format.format(*back), c.text);
  }
  EXPECT_EQ(*DateFormat("HH:mm", kGmt).parse("21:00"), 21 * 3600.0);  // on 1970-01-01
  EXPECT_EQ(DateFormat("HH:mm:ss.SSS", kGmt).format(1.9999), "00:00:01.999");
  EXPECT_EQ(DateFormat("'at' HH 'o''clock' z", kShanghai).format(0), "at 08 o'clock GMT+8");

  DateFormat nyDay("yyyy-MM-dd", kNewYork);
  DateFormat shDay("yyyy-MM-dd", kShanghai);
  auto nyMidnight = DateFormat("yyyy-MM-dd HH:mm:ss", kNewYork).parse("2024-03-10 00:00:00");
  ASSERT_TRUE(nyMidnight);
  EXPECT_EQ(*nyMidnight, 1710046800.0);  // 05:00 UTC, still standard time
  EXPECT_EQ(nyDay.format(*nyMidnight - 1), "2024-03-09");
  EXPECT_EQ(nyDay.format(*nyMidnight), "2024-03-10");
  // The next midnight comes 23 hours later on the day the clocks spring forward.
  EXPECT_EQ(*nyDay.parse("2024-03-11") - *nyDay.parse("2024-03-10"), 23 * 3600.0);
  EXPECT_EQ(*shDay.parse("2024-07-02"), 1719849600.0);  // 16:00 UTC the day before
  EXPECT_EQ(shDay.format(1719849600.0 - 1), "2024-07-01");
  EXPECT_EQ(shDay.format(1719849600.0), "2024-07-02");
}

TEST(DateFormat, ParsingRejectsMalformedText) {
  DateFormat day("yyyy-MM-dd", kGmt);
  DateFormat full("yyyy-MM-dd HH:mm:ss", kGmt);
  DateFormat time("HH:mm", kGmt);
  for (const char* bad :
       {"", "2024-13-01", "2024-00-10", "2024-02-30", "2023-02-29", "2024-1x-01", "2024-01-01 ",
        " 2024-01-01", "24-01-01", "2024/01/01", "2024-01-001", "20240-01-01"}) {
    EXPECT_FALSE(day.parse(bad)) << bad;
  }
  EXPECT_TRUE(day.parse("2024-02-29"));
  for (const char* bad : {"2024-01-01", "2024-01-01 24:00:00", "2024-01-01 12:60:00",
                          "2024-01-01 12:00:61", "2024-01-01 12:00"}) {
    EXPECT_FALSE(full.parse(bad)) << bad;
  }
  for (const char* bad : {"25:00", "12:5a", "12", ":30", "12:30:00", "-1:30"}) {
    EXPECT_FALSE(time.parse(bad)) << bad;
  }
}

TEST(DateFormat, HttpDates) {
  EXPECT_EQ(DateFormat::formatRFC1123(784111777.0), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(DateFormat::parseRFC1123("Sun, 06 Nov 1994 08:49:37 GMT"), 784111777.0);
  EXPECT_EQ(DateFormat::parseRFC1123("06 Nov 1994 08:49 GMT"), 784111740.0);
  EXPECT_EQ(DateFormat::parseRFC1123("Sunday, 06 Nov 1994 08:49:37 +0100"), 784111777.0 - 3600);
  EXPECT_EQ(DateFormat::parseRFC1123("Sun, 06 Nov 1994 08:49:37 EST"), 784111777.0 + 5 * 3600);
  EXPECT_EQ(DateFormat::parseRFC1123("sun, 06 nov 1994 08:49:37 gmt"), std::nullopt);
  EXPECT_EQ(DateFormat::parseRFC1123("Sun, 06 Foo 1994 08:49:37 GMT"), std::nullopt);
  EXPECT_EQ(DateFormat::parseRFC1123("Sun, 31 Nov 1994 08:49:37 GMT"), std::nullopt);
  EXPECT_EQ(DateFormat::parseRFC1123("-1"), std::nullopt);
}
