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

// Unknown names and names that would read files outside the zone database fall back to UTC.
TEST(TimeZone, NamedZonesFollowTheirDatabaseAndRulesBeyondIt) {
  const struct {
    const char* name;
    double at;
    int offset;
  } cases[] = {
      {"America/New_York", kDstStart2024 - 1, -5 * 3600},
      {"America/New_York", kDstStart2024, -4 * 3600},
      {"America/New_York", 4118083200.0, -4 * 3600},  // 2100-07-01: from the rule after the table
      {"America/New_York", 4102444800.0, -5 * 3600},  // 2100-01-01
      {"America/New_York", -3e9, -17762},             // local mean time before 1883
      {"Asia/Shanghai", 1719835200.0, 8 * 3600},
      {"Asia/Shanghai", 583718400.0, 9 * 3600},  // 1988-07-01: summer time then
      {"Nowhere/Special", 0, 0},
      {"../../../etc/passwd", 0, 0},
      {"/etc/localtime", 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TimeZone::named(c.name)->offsetAt(c.at), c.offset) << c.name << " at " << c.at;
  }
  EXPECT_EQ(TimeZone::named("America/New_York")->name(), "America/New_York");
  EXPECT_EQ(TimeZone::fixed(-16200)->name(), "GMT-04:30");
  EXPECT_EQ(TimeZone::fixed(-16200)->offsetAt(123), -16200);
}

// TZ holds a zone name, a rule, or a zone file; what cannot be read is UTC.
TEST(TimeZone, LocalZoneFollowsTzNamesRulesAndFilesButNotTruncatedOnes) {
  std::string dir = testsupport::makeTempDir();
  std::ofstream(dir + "/broken") << "TZif2 but nothing else";
  const struct {
    std::string tz;
    double at;
    int offset;
  } cases[] = {
      {"Asia/Shanghai", 0, 8 * 3600},
      {":America/New_York", kDstStart2024, -4 * 3600},
      {"EST5EDT4,M3.2.0,M11.1.0", kDstStart2024 - 1, -5 * 3600},
      {"EST5EDT4,M3.2.0,M11.1.0", kDstStart2024, -4 * 3600},
      // Southern hemisphere: summer time spans the new year.
      {"AEST-10AEDT,M10.1.0,M4.1.0/3", 1704067200.0, 11 * 3600},  // January
      {"AEST-10AEDT,M10.1.0,M4.1.0/3", 1719792000.0, 10 * 3600},  // July
      {"<+0530>-5:30", 0, 5 * 3600 + 1800},
      {dir + "/broken", 0, 0},
      {"not a zone at all,,", 0, 0},
  };
  for (const auto& c : cases) {
    ScopedTz tz(c.tz.c_str());
    EXPECT_EQ(TimeZone::local()->offsetAt(c.at), c.offset) << c.tz << " at " << c.at;
  }

  // Truncated database files read as UTC too.
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
