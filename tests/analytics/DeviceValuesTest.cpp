#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include "analytics/ANUtil.h"
#include "analytics/ANUtils.h"
#include "analytics/AnalyticsApp.h"
#include "analytics/AnalyticsLog.h"
#include "platform/crypto/Digest.h"
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

TEST_F(AnalyticsDeviceValues_, DigestsSessionIdsAndStringCuts) {
  EXPECT_EQ(ANUtil::md5("abc"), "900150983CD24FB0D6963F7D28E17F72");
  auto bytes = ANUtil::md5BytesWithString("abc");
  EXPECT_EQ(ANUtil::bytesToHexString(bytes.data(), 16), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(ANUtil::sha1WithString("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");

  settings().setObject("appkey", "4f5a6b7c8d9e0f1a2b3c4d5e");
  time_.clock().set(1700000000.25);
  nextRandom_ = 7;
  EXPECT_EQ(ANUtil::sessionId(), ANUtil::md5("1700000000.2500004f5a6b7c8d9e0f1a2b3c4d5e78"));

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

TEST_F(AnalyticsDeviceValues_, LogWritesOnlyWhenSwitchedOn) {
  analyticsLog("abc");
  EXPECT_TRUE(printed().empty());
  AnalyticsApp::setLogEnabled(true);
  analyticsLog("a%s", "bc");
  EXPECT_EQ(printed(), std::vector<std::string>{"ANLOG: abc"});
}

}  // namespace
