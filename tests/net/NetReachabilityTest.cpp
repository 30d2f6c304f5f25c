// The reachability monitor: statuses from flags, monitors over a described network, and the
// change notification on the starting thread's loop.
#include "net/NetReachability.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/un.h>

#include <vector>

#include "platform/base/NotificationCenter.h"
#include "platform/stream/Resolver.h"
#include "tests/support/FakeNetwork.h"
#include "tests/support/Patience.h"
#include "tests/support/VirtualTime.h"

using namespace plat::http;

namespace {

TEST(NetReachabilityFlagsTest, StatusesFollowTheRouteKind) {
  const uint32_t reachable = kReachabilityReachable, required = kReachabilityConnectionRequired,
                 onTraffic = reachable | required | kReachabilityConnectionOnTraffic;
  struct Case {
    uint32_t flags;
    NetReachabilityStatus internet, localWiFi;
  };
  for (Case c :
       {Case{0, NotReachable, NotReachable},
        {kReachabilityIsWWAN, NotReachable, NotReachable},
        {kReachabilityIsDirect, NotReachable, NotReachable},
        {reachable, ReachableViaWiFi, NotReachable},
        {reachable | kReachabilityIsDirect, ReachableViaWiFi, ReachableViaWiFi},
        {reachable | kReachabilityIsDirect | kReachabilityIsWWAN, ReachableViaWWAN,
         ReachableViaWiFi},
        {reachable | kReachabilityIsWWAN | required, ReachableViaWWAN, NotReachable},
        {onTraffic, ReachableViaWiFi, NotReachable},
        {onTraffic | kReachabilityInterventionRequired, NotReachable, NotReachable},
        {reachable | required | kReachabilityConnectionOnDemand, ReachableViaWiFi, NotReachable},
        {reachable | required, NotReachable, NotReachable}}) {
    SCOPED_TRACE(c.flags);
    EXPECT_EQ(NetReachability::networkStatusForFlags(c.flags), c.internet);
    EXPECT_EQ(NetReachability::localWiFiStatusForFlags(c.flags), c.localWiFi);
  }
}

// Names are looked up in a table of the test's: "www.example.org" stands at a public address,
// "words.example" at an IPv6 one, "localhost" is the machine, every other name is unknown.
// Nothing leaves the machine.
plat::stream::Resolution lookUpInTable(const std::string& host, int port) {
  if (host == "localhost") return plat::stream::resolveBlocking("127.0.0.1", port);
  if (host == "www.example.org") return plat::stream::resolveBlocking("93.184.216.34", port);
  if (host == "words.example") return plat::stream::resolveBlocking("2001:db8::7", port);
  plat::stream::Resolution unknown;
  unknown.error = plat::stream::StreamError::resolver(EAI_NONAME);
  return unknown;
}

class NetReachabilityTest : public ::testing::Test {
 protected:
  NetReachabilityTest() { plat::stream::setLookupFunction(lookUpInTable); }
  ~NetReachabilityTest() override { plat::stream::setLookupFunction(nullptr); }
  testsupport::VirtualTime time;
  testsupport::FakeNetwork network;
};

TEST_F(NetReachabilityTest, MonitorsReadTheNetworkAsItIsNow) {
  auto internet = NetReachability::reachabilityForInternetConnection();
  auto wifi = NetReachability::reachabilityForLocalWiFi();
  auto host = NetReachability::reachabilityWithHostName("www.example.org");
  ASSERT_TRUE(internet && wifi && host);
  EXPECT_EQ(NetReachability::reachabilityWithHostName(""), nullptr);
  sockaddr_un local{};
  local.sun_family = AF_UNIX;  // no monitor for another family
  EXPECT_EQ(NetReachability::reachabilityWithAddress(reinterpret_cast<sockaddr*>(&local)), nullptr);
  // A name that does not exist is not reachable, whatever the network.
  EXPECT_EQ(
      NetReachability::reachabilityWithHostName("nowhere.invalid")->currentReachabilityStatus(),
      NotReachable);

  EXPECT_EQ(internet->currentReachabilityStatus(), ReachableViaWiFi);
  EXPECT_EQ(wifi->currentReachabilityStatus(), ReachableViaWiFi);
  EXPECT_EQ(host->currentReachabilityStatus(), ReachableViaWiFi);
  EXPECT_FALSE(internet->connectionRequired());

  network.online(/*cellular=*/true);
  EXPECT_EQ(internet->currentReachabilityStatus(), ReachableViaWWAN);
  EXPECT_EQ(host->currentReachabilityStatus(), ReachableViaWWAN);
  EXPECT_EQ(wifi->currentReachabilityStatus(), NotReachable);

  network.offline();
  EXPECT_EQ(internet->currentReachabilityStatus(), NotReachable);
  EXPECT_EQ(wifi->currentReachabilityStatus(), NotReachable);
  // The machine itself stays reachable.
  EXPECT_EQ(NetReachability::reachabilityWithHostName("localhost")->currentReachabilityStatus(),
            ReachableViaWiFi);
  EXPECT_EQ(NetReachability::reachabilityWithHostName("127.0.0.1")->currentReachabilityStatus(),
            ReachableViaWiFi);

  network.unreadable();
  EXPECT_EQ(internet->currentReachabilityStatus(), NotReachable);
  EXPECT_FALSE(internet->connectionRequired());
}

TEST_F(NetReachabilityTest, AddressesOnAnAttachedNetworkAreDirect) {
  NetworkState state{{{"lo", true, true, false, 0x7F000001, 0xFF000000},
                      {"net0", true, false, false, 0x0A000005, 0xFFFFFF00}},
                     "",
                     {},
                     ""};
  EXPECT_EQ(reachabilityFlagsForAddress(state, 0x0A000009),
            kReachabilityReachable | kReachabilityIsDirect);
  EXPECT_EQ(reachabilityFlagsForAddress(state, 0x0A000005),
            kReachabilityReachable | kReachabilityIsDirect | kReachabilityIsLocalAddress);
  EXPECT_EQ(reachabilityFlagsForAddress(state, 0x08080808), 0u);  // no default route
  state.interfaces[1].up = false;
  EXPECT_EQ(reachabilityFlagsForAddress(state, 0x0A000009), 0u);
}

// IPv6: the loopback and the machine's own addresses are local, the link is direct, other
// addresses go by the IPv6 default route, and a mapped IPv4 address counts as IPv4.
TEST_F(NetReachabilityTest, Ipv6AddressesFollowTheirOwnRoutes) {
  auto bytes = [](const char* text) {
    std::array<uint8_t, 16> out{};
    inet_pton(AF_INET6, text, out.data());
    return out;
  };
  NetworkState state{{{"lo", true, true, false, 0x7F000001, 0xFF000000},
                      {"net0", true, false, false, 0x0A000005, 0xFFFFFF00}},
                     "",
                     {{"net0", bytes("2001:db8::5")}},
                     ""};
  const uint32_t local =
      kReachabilityReachable | kReachabilityIsDirect | kReachabilityIsLocalAddress;
  EXPECT_EQ(reachabilityFlagsForAddress6(state, bytes("::1")), local);
  EXPECT_EQ(reachabilityFlagsForAddress6(state, bytes("2001:db8::5")), local);
  EXPECT_EQ(reachabilityFlagsForAddress6(state, bytes("fe80::1")),
            kReachabilityReachable | kReachabilityIsDirect);
  EXPECT_EQ(reachabilityFlagsForAddress6(state, bytes("2001:db8::7")), 0u);  // no IPv6 route
  EXPECT_EQ(reachabilityFlagsForAddress6(state, bytes("::ffff:10.0.0.9")),
            kReachabilityReachable | kReachabilityIsDirect);
  state.defaultRoute6Interface = "net0";
  EXPECT_EQ(reachabilityFlagsForAddress6(state, bytes("2001:db8::7")), kReachabilityReachable);

  // Through the monitor: an IPv6 socket address, and a name that stands for one.
  state.interfaces[1].cellular = true;
  network.set(state);
  sockaddr_in6 v6{};
  v6.sin6_family = AF_INET6;
  v6.sin6_addr = in6addr_loopback;
  auto loopback = NetReachability::reachabilityWithAddress(reinterpret_cast<sockaddr*>(&v6));
  ASSERT_TRUE(loopback);
  EXPECT_EQ(loopback->currentReachabilityStatus(), ReachableViaWiFi);
  EXPECT_EQ(NetReachability::reachabilityWithHostName("words.example")->currentReachabilityStatus(),
            ReachableViaWWAN);
  EXPECT_EQ(NetReachability::reachabilityWithHostName("::1")->currentReachabilityStatus(),
            ReachableViaWiFi);
}

// A name monitor looks its name up off the loop's thread: the first answer and each change after
// it are posted.
TEST_F(NetReachabilityTest, StartedNameMonitorPostsOnceItsNameIsLookedUp) {
  auto host = NetReachability::reachabilityWithHostName("www.example.org");
  std::vector<NetReachabilityStatus> heard;
  int observer = 0;
  plat::NotificationCenter::defaultCenter().addObserver(
      &observer, kNetworkReachabilityChangedNotification, host.get(),
      [&](const plat::Notification&) { heard.push_back(host->currentReachabilityStatus()); });
  ASSERT_TRUE(host->startNotifier());
  ASSERT_TRUE(
      plat::RunLoop::main().runUntil([&] { return heard.size() == 1; }, testsupport::kPatience));
  EXPECT_EQ(heard[0], ReachableViaWiFi);
  network.offline();
  ASSERT_TRUE(
      plat::RunLoop::main().runUntil([&] { return heard.size() == 2; }, testsupport::kPatience));
  EXPECT_EQ(heard[1], NotReachable);
  host->stopNotifier();
  plat::NotificationCenter::defaultCenter().removeObserver(&observer);
}

TEST_F(NetReachabilityTest, StartedMonitorPostsEachChangeWithItselfAsObject) {
  auto internet = NetReachability::reachabilityForInternetConnection();
  std::vector<const void*> posted;
  int observer = 0;
  plat::NotificationCenter::defaultCenter().addObserver(
      &observer, kNetworkReachabilityChangedNotification, nullptr,
      [&](const plat::Notification& note) { posted.push_back(note.object); });

  network.offline();  // not started yet: nobody hears it
  time.runUntilIdle();
  EXPECT_TRUE(posted.empty());

  ASSERT_TRUE(internet->startNotifier());
  network.online(true);
  time.runUntilIdle();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0], internet.get());

  network.online(true);  // the same answer again
  time.runUntilIdle();
  EXPECT_EQ(posted.size(), 1u);

  internet->stopNotifier();
  network.offline();
  time.runUntilIdle();
  EXPECT_EQ(posted.size(), 1u);

  // A monitor released while a change is on its way posts nothing.
  ASSERT_TRUE(internet->startNotifier());
  network.online();
  internet.reset();
  time.runUntilIdle();
  EXPECT_EQ(posted.size(), 1u);
  plat::NotificationCenter::defaultCenter().removeObserver(&observer);
}

TEST(NetReachabilitySystemTest, TheMachineItselfIsAlwaysReachable) {
  std::optional<NetworkState> state = systemNetworkStateSource()->read();
  ASSERT_TRUE(state);
  bool haveLoopback = false;
  for (const auto& interface : state->interfaces) haveLoopback |= interface.loopback;
  EXPECT_TRUE(haveLoopback);
  auto local = NetReachability::reachabilityWithHostName("127.0.0.1");
  EXPECT_EQ(local->currentReachabilityStatus(), ReachableViaWiFi);
}

}  // namespace
