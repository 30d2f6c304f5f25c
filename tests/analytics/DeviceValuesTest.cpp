#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include "analytics/ANUtil.h"
#include "analytics/ANUtils.h"
#include "tests/analytics/AnalyticsFixture.h"

namespace {

class AnalyticsDeviceValues_ : public AnalyticsFixture {};

// A non-loopback interface with an IPv4 address on this machine, or "".
std::string someIpv4Interface() {
  struct ifaddrs* list = nullptr;
  std::string name;
  if (getifaddrs(&list) != 0) return name;
  for (auto* e = list; e; e = e->ifa_next) {
    if (e->ifa_addr && e->ifa_addr->sa_family == AF_INET && !(e->ifa_flags & IFF_LOOPBACK)) {
      name = e->ifa_name;
      break;
    }
  }
  freeifaddrs(list);
  return name;
}

TEST_F(AnalyticsDeviceValues_, ScreenAndZoneValues) {
  device_->screen = {320, 568, 2};
  EXPECT_EQ(ANUtil::resolutionString(), "1136 x 640");
  EXPECT_EQ(ANUtil::resolutionWidth(), 640);

  time_.clock().setZone(plat::TimeZone::fixed(-(9 * 3600 + 1800)));
  EXPECT_EQ(ANUtil::timezoneString(), "-9");
  EXPECT_EQ(ANUtil::timezone(), -9);
  time_.clock().setZone(plat::TimeZone::fixed(5 * 3600 + 1800));
  EXPECT_EQ(ANUtil::timezoneString(), "5");
  time_.clock().set(0);
  EXPECT_EQ(ANUtil::dateString(), "1970-01-01");
  EXPECT_EQ(ANUtil::timeString(), "05:30:00");
}

TEST_F(AnalyticsDeviceValues_, NetworkAccessBySimulatorRuleAndInterfaceWalk) {
  device_->machine = "x86_64";
  device_->wifiInterface = "none0";
  EXPECT_EQ(ANUtil::accessString(), "WiFi");
  device_->machine = "iPhone5,2";
  device_->model = "iPhone Simulator";
  EXPECT_EQ(ANUtil::accessString(), "WiFi");

  device_->model = "iPhone";
  std::string interface = someIpv4Interface();
  if (interface.empty()) {
    EXPECT_EQ(ANUtil::accessString(), "");
  } else {
    EXPECT_EQ(ANUtil::accessString(), "CellNetwork");
    device_->wifiInterface = interface;
    EXPECT_EQ(ANUtil::accessString(), "WiFi");
  }
  device_->wifiInterface = "none0";
  EXPECT_FALSE(ANProtocolData::deviceMacString());
}

TEST_F(AnalyticsDeviceValues_, DigestAndStringCuts) {
  EXPECT_EQ(ANUtil::md5("abc"), "900150983CD24FB0D6963F7D28E17F72");

  std::string threeWide = "\xC3\xA9\xC3\xA9\xC3\xA9";  // three two-byte characters
  EXPECT_EQ(ANUtil::getString(threeWide, 5), "\xC3\xA9\xC3\xA9");
  EXPECT_EQ(ANUtil::getString(threeWide, 1), threeWide);
  EXPECT_TRUE(ANUtil::isEmptyString(std::string(" \n\t")));
  EXPECT_TRUE(ANUtil::isEmptyString(plat::Value()));

  EXPECT_EQ(ANUtil::urlEncode("a b&c/\xC3\xA9~"), "a%20b%26c%2F%C3%A9~");
  EXPECT_EQ(ANUtils::urlDecode("a%20b%C3%A9"), "a b\xC3\xA9");
  plat::Value query = ANUtils::dictionaryWithQueryString("a=1&b&c=2=3&d=%41");
  EXPECT_EQ(query.keys(), (std::vector<std::string>{"a", "d"}));
  EXPECT_EQ(query["d"].asString(), "A");
}

}  // namespace
