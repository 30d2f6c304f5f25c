#include "util/DeviceIdentifier.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <thread>

#include "platform/base/Device.h"
#include "platform/crypto/SecretStore.h"
#include "tests/support/TempDeviceStore.h"
#include "tests/support/TempHome.h"
#include "util/MyExtensions.h"
#include "util/UDIDTools.h"

using DeviceIdentifier::uniqueGlobalDeviceIdentifier;

TEST(DeviceIdentifier, IsTheDigestOfTheStoredUuidAndOutlivesTheAppHome) {
  testsupport::TempDeviceStore store;
  std::string first;
  {
    testsupport::TempHome home;
    first = uniqueGlobalDeviceIdentifier("7.0");
    EXPECT_TRUE(std::regex_match(first, std::regex("[0-9a-f]{32}")));
    auto stored = plat::SecretStore::find("UUID");
    ASSERT_TRUE(stored);
    EXPECT_EQ(first, MyExtensions::md5(*stored));
    EXPECT_EQ(uniqueGlobalDeviceIdentifier("8.4.1"), first);
  }
  testsupport::TempHome reinstalled;  // the app's data gone, the device store kept
  EXPECT_EQ(uniqueGlobalDeviceIdentifier("10"), first);
}

// Without a version the device's own decides.
TEST(DeviceIdentifier, OlderSystemsUseTheHardwareAddress) {
  testsupport::TempDeviceStore store;
  auto address = DeviceIdentifier::macaddress1();
  plat::DeviceInfo info = plat::Device::current();
  info.systemVersion = "6.1.4";
  plat::Device::override(info);
  std::string id = uniqueGlobalDeviceIdentifier();
  plat::Device::resetOverride();
  if (address) {
    EXPECT_TRUE(std::regex_match(*address, std::regex("([0-9A-F]{2}:){5}[0-9A-F]{2}")));
    EXPECT_EQ(id, MyExtensions::md5(*address));
  } else {
    EXPECT_EQ(id, "");  // a machine without a hardware address has no identifier
  }
  EXPECT_FALSE(plat::SecretStore::find("UUID"));  // the UUID path was not taken
}

TEST(UDIDTools, AnEmptyItemIsReplacedByAFreshUuid) {
  testsupport::TempDeviceStore store;
  ASSERT_TRUE(plat::SecretStore::add("UUID", ""));
  std::string uuid = UDIDTools::UDID();
  EXPECT_EQ(uuid.size(), 36u);
  EXPECT_EQ(plat::SecretStore::find("UUID"), uuid);
}

TEST(UDIDTools, ConcurrentFirstUseGivesEveryCallerTheSameUuid) {
  testsupport::TempDeviceStore store;
  std::vector<std::string> seen(8);
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) threads.emplace_back([i, &seen] { seen[i] = UDIDTools::UDID(); });
  for (auto& t : threads) t.join();
  EXPECT_EQ(std::set<std::string>(seen.begin(), seen.end()).size(), 1u);
  EXPECT_EQ(plat::SecretStore::find("UUID"), seen[0]);
}
