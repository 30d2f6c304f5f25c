#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/base/Clock.h"
#include "tests/support/TempHome.h"

using plat::TimeZone;

namespace {

// Sets TZ for one test and puts the old value back.
class ScopedTz {
 public:
  explicit ScopedTz(const char* value) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    value ? setenv("TZ", value, 1) : unsetenv("TZ");
  }
  ~ScopedTz() { old_.empty() ? unsetenv("TZ") : setenv("TZ", old_.c_str(), 1); }

 private:
  std::string old_;
};

constexpr double kDstStart2024 = 1710054000;  // 2024-03-10 07:00 UTC, New York springs forward

}  // namespace

TEST(TimeZone, DatabaseZoneWithDaylightSavingAndItsRuleBeyondTheTable) {
  auto ny = TimeZone::named("America/New_York");
  EXPECT_EQ(ny->name(), "America/New_York");
  EXPECT_EQ(ny->offsetAt(kDstStart2024 - 1), -5 * 3600);
  EXPECT_EQ(ny->offsetAt(kDstStart2024), -4 * 3600);
  EXPECT_EQ(ny->offsetAt(4118083200.0), -4 * 3600);  // 2100-07-01: from the rule after the table
  EXPECT_EQ(ny->offsetAt(4102444800.0), -5 * 3600);  // 2100-01-01
  EXPECT_EQ(ny->offsetAt(-3e9), -17762);             // local mean time before 1883
}

TEST(TimeZone, ZoneEastOfUtcWithItsFormerSummerTime) {
  auto shanghai = TimeZone::named("Asia/Shanghai");
  EXPECT_EQ(shanghai->offsetAt(1719835200.0), 8 * 3600);
  EXPECT_EQ(shanghai->offsetAt(583718400.0), 9 * 3600);  // 1988-07-01: summer time then
}

TEST(TimeZone, UnknownOrUnsafeNamesFallBackToUtc) {
  EXPECT_EQ(TimeZone::named("Nowhere/Special")->offsetAt(0), 0);
  EXPECT_EQ(TimeZone::named("../../../etc/passwd")->offsetAt(0), 0);
  EXPECT_EQ(TimeZone::named("/etc/localtime")->offsetAt(0), 0);
  EXPECT_EQ(TimeZone::fixed(-16200)->name(), "GMT-04:30");
  EXPECT_EQ(TimeZone::fixed(-16200)->offsetAt(123), -16200);
  EXPECT_EQ(TimeZone::utc()->name(), "GMT");
}

TEST(TimeZone, LocalZoneFollowsTzNamesRulesAndFiles) {
  {
    ScopedTz tz("Asia/Shanghai");
    EXPECT_EQ(TimeZone::local()->offsetAt(0), 8 * 3600);
  }
  {
    ScopedTz tz(":America/New_York");
    EXPECT_EQ(TimeZone::local()->offsetAt(kDstStart2024), -4 * 3600);
  }
  {
    ScopedTz tz("EST5EDT4,M3.2.0,M11.1.0");
    EXPECT_EQ(TimeZone::local()->offsetAt(kDstStart2024 - 1), -5 * 3600);
    EXPECT_EQ(TimeZone::local()->offsetAt(kDstStart2024), -4 * 3600);
  }
  {
    // Southern hemisphere: summer time spans the new year.
    ScopedTz tz("AEST-10AEDT,M10.1.0,M4.1.0/3");
    EXPECT_EQ(TimeZone::local()->offsetAt(1704067200.0), 11 * 3600);  // January
    EXPECT_EQ(TimeZone::local()->offsetAt(1719792000.0), 10 * 3600);  // July
  }
  {
    ScopedTz tz("<+0530>-5:30");
    EXPECT_EQ(TimeZone::local()->offsetAt(0), 5 * 3600 + 1800);
  }
  std::string dir = testsupport::makeTempDir();
  std::ofstream(dir + "/broken") << "TZif2 but nothing else";
  {
    ScopedTz tz((dir + "/broken").c_str());
    EXPECT_EQ(TimeZone::local()->offsetAt(0), 0);
  }
  {
    ScopedTz tz("not a zone at all,,");
    EXPECT_EQ(TimeZone::local()->offsetAt(0), 0);
  }
  std::filesystem::remove_all(dir);
}

TEST(TimeZone, TruncatedDatabaseFilesAreRejected) {
  std::string dir = testsupport::makeTempDir();
  std::ifstream in("/usr/share/zoneinfo/America/New_York", std::ios::binary);
  std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(whole.size(), 100u);
  for (size_t cut : {size_t{10}, size_t{44}, size_t{60}, whole.size() / 2}) {
    std::ofstream(dir + "/cut", std::ios::binary) << whole.substr(0, cut);
    ScopedTz tz((dir + "/cut").c_str());
    EXPECT_EQ(TimeZone::local()->offsetAt(kDstStart2024), 0) << cut;
  }
  std::filesystem::remove_all(dir);
}
