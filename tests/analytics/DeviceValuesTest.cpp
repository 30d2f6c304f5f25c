#include <gtest/gtest.h>

#include "analytics/ANUtil.h"
#include "analytics/ANUtils.h"
#include "platform/base/Files.h"
#include "tests/analytics/AnalyticsFixture.h"

namespace {

class AnalyticsDeviceValues_ : public AnalyticsFixture {};

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

// One interface of a fake /sys/class/net.
void addInterface(const std::string& netDir, const std::string& name, const std::string& state,
                  const std::string& kind = "wired") {
  std::string dir = netDir + "/" + name;
  plat::files::createDirectories(dir);
  plat::files::writeFileAtomically(dir + "/operstate", state + "\n");
  plat::files::writeFileAtomically(dir + "/type", name == "lo" ? "772\n" : "1\n");
  if (kind == "wireless") plat::files::createDirectories(dir + "/wireless");
  plat::files::writeFileAtomically(
      dir + "/uevent", "INTERFACE=" + name + (kind == "wwan" ? "\nDEVTYPE=wwan\n" : "\n"));
}

TEST_F(AnalyticsDeviceValues_, NetworkAccessFromTheKernelsInterfaces) {
  std::string net = home_.path() + "/net";
  device_->netClassDir = net;
  addInterface(net, "lo", "up");
  addInterface(net, "wlp2s0", "down", "wireless");
  addInterface(net, "enp3s0", "down");
  EXPECT_EQ(ANUtil::accessString(), "");  // nothing but the loopback is up
  addInterface(net, "wwan0", "up", "wwan");
  EXPECT_EQ(ANUtil::accessString(), "CellNetwork");
  addInterface(net, "enp3s0", "up");
  EXPECT_EQ(ANUtil::accessString(), "WiFi");  // a wire beats the mobile link
  addInterface(net, "enp3s0", "down");
  addInterface(net, "wlp2s0", "up", "wireless");
  EXPECT_EQ(ANUtil::accessString(), "WiFi");
  device_->netClassDir = home_.path() + "/missing";
  EXPECT_EQ(ANUtil::accessString(), "");

  device_->model = "iPhone Simulator";
  EXPECT_EQ(ANUtil::accessString(), "WiFi");
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
