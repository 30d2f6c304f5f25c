// The machine's own network changes reach scheduled targets: in a user and network namespace of
// its own (made with unshare, skipped where the machine allows none) the test gives an interface
// IPv6 addresses and routes with `ip`, and each target hears the change that concerns it.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/base/RunLoop.h"
#include "platform/http/Reachability.h"
#include "tests/support/Patience.h"

namespace {

using plat::http::Reachability;

constexpr const char* kInside = "VOCAB_IN_NETWORK_NAMESPACE";

std::shared_ptr<Reachability> watchIPv6(const char* text, uint32_t* heard) {
  sockaddr_in6 address{};
  address.sin6_family = AF_INET6;
  inet_pton(AF_INET6, text, &address.sin6_addr);
  auto target = Reachability::withAddress(reinterpret_cast<const sockaddr*>(&address));
  target->setCallback([heard](uint32_t flags) { *heard = flags; });
  target->schedule(plat::RunLoop::main(), plat::kDefaultRunLoopMode);
  return target;
}

bool run(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

TEST(ReachabilityChanges, IPv6AddressesAndRoutesAreHeard) {
  if (!std::getenv(kInside)) {
    if (!run("unshare -rn true 2>/dev/null") || !run("command -v ip >/dev/null"))
      GTEST_SKIP() << "no user and network namespaces (or no ip) on this machine";
    const std::string self = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_TRUE(run(std::string(kInside) + "=1 unshare -rn " + self +
                    " --gtest_filter=ReachabilityChanges.IPv6AddressesAndRoutesAreHeard"));
    return;
  }
  // An interface that is up, with an IPv4 address and no IPv6 of its own yet.
  ASSERT_TRUE(
      run("ip link add v0 type veth peer name v1 && ip addr add 10.9.0.1/24 dev v0 && "
          "ip link set v0 up && ip link set v1 up"));
  plat::RunLoop::setMainThread();
  uint32_t ownHeard = 0, farHeard = 0;
  auto own = watchIPv6("2001:db8::5", &ownHeard);
  auto far = watchIPv6("2001:db8:1::9", &farHeard);
  ASSERT_EQ(own->flags().value_or(1), 0u);
  ASSERT_EQ(far->flags().value_or(1), 0u);

  ASSERT_TRUE(run("ip -6 addr add 2001:db8::5/64 dev v0 nodad"));
  EXPECT_TRUE(plat::RunLoop::main().runUntil([&] { return ownHeard != 0; }, testsupport::kPatience))
      << "an address of the machine's own";
  ASSERT_TRUE(run("ip -6 route add default dev v0"));
  EXPECT_TRUE(plat::RunLoop::main().runUntil([&] { return farHeard != 0; }, testsupport::kPatience))
      << "an address beyond the new default route";
  EXPECT_EQ(far->flags().value_or(0) & plat::http::kReachabilityReachable,
            plat::http::kReachabilityReachable);
}

}  // namespace
