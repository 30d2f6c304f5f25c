#include "util/DeviceIdentifier.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <regex>
#include <set>
#include <thread>

#include "platform/base/Device.h"
#include "platform/crypto/SecretStore.h"
#include "tests/support/RefusedCalls.h"
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

// Programs started at once on a file system without hard links (some network and FUSE ones,
// played by the kernel refusing link() to them) all get one UUID, the one stored.
TEST(UDIDTools, ProgramsStartedAtOnceWithoutHardLinksAgreeOnTheStoredUuid) {
  testsupport::TempDeviceStore store;
  constexpr int kPrograms = 8;
  for (int round = 0; round < 40; ++round) {
    int start[2], answers[2];
    ASSERT_TRUE(::pipe(start) == 0 && ::pipe(answers) == 0);
    const std::string refused =
        testsupport::runRefusing({{testsupport::RefusedCall::link, EPERM}}, [&] {
          for (int i = 0; i < kPrograms; ++i) {
            if (::fork() != 0) continue;
            ::close(start[1]);
            char go;
            (void)!::read(start[0], &go, 1);             // all go when the test closes its end
            const std::string uuid = UDIDTools::UDID();  // less than a pipe takes in one write
            (void)!::write(answers[1], uuid.data(), uuid.size());
            ::_exit(0);
          }
        });
    for (int end : {start[0], start[1], answers[1]}) ::close(end);
    std::string told;
    char chunk[512];
    for (ssize_t got; (got = ::read(answers[0], chunk, sizeof chunk)) > 0;) told.append(chunk, got);
    ::close(answers[0]);
    for (int i = 0; i < kPrograms; ++i) ::wait(nullptr);
    if (!refused.empty()) GTEST_SKIP() << refused;
    const std::string stored = plat::SecretStore::find("UUID").value_or("(none)");
    std::string expected;
    for (int i = 0; i < kPrograms; ++i) expected += stored;
    ASSERT_EQ(told, expected) << "round " << round;
    ASSERT_TRUE(plat::SecretStore::remove("UUID"));
  }
}
