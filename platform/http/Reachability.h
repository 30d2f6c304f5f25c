// Whether a host or address can be reached, and by what route, read from the interfaces and routes
// of the machine; a target scheduled on a run loop calls back when its answer changes. The state of
// the network can be replaced (tests describe interfaces and routes, then announce a change).
#pragma once

#include <sys/socket.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/RunLoop.h"

namespace plat::http {

enum ReachabilityFlag : uint32_t {
  kReachabilityTransientConnection = 1u << 0,
  kReachabilityReachable = 1u << 1,
  kReachabilityConnectionRequired = 1u << 2,
  kReachabilityConnectionOnTraffic = 1u << 3,
  kReachabilityInterventionRequired = 1u << 4,
  kReachabilityConnectionOnDemand = 1u << 5,
  kReachabilityIsLocalAddress = 1u << 16,
  kReachabilityIsDirect = 1u << 17,
  kReachabilityIsWWAN = 1u << 18,
};

// One network interface with one of its IPv4 addresses (an interface with several appears once per
// address; one without any appears with address 0).
struct NetworkInterface {
  std::string name;
  bool up = false;  // up and running
  bool loopback = false;
  bool cellular = false;  // a WWAN device
  uint32_t address = 0;   // IPv4, host byte order
  uint32_t netmask = 0;
};

// One IPv6 address of an interface.
struct NetworkAddress6 {
  std::string interfaceName;
  std::array<uint8_t, 16> address{};
};

struct NetworkState {
  std::vector<NetworkInterface> interfaces;
  // The interface of the IPv4 default route; empty when there is none.
  std::string defaultRouteInterface;
  std::vector<NetworkAddress6> addresses6;
  // The interface of the IPv6 default route; empty when there is none.
  std::string defaultRoute6Interface;
};

// Where the network state comes from.
class NetworkStateSource {
 public:
  virtual ~NetworkStateSource() = default;
  // Nothing when the state can't be read.
  virtual std::optional<NetworkState> read() = 0;
};

// The machine's own state: getifaddrs, /proc/net/route, and the device type in /sys/class/net.
std::shared_ptr<NetworkStateSource> systemNetworkStateSource();
// Replaces the source for every target (nullptr restores the system's), then announces a change.
void setNetworkStateSource(std::shared_ptr<NetworkStateSource> source);
// Every scheduled target reads its flags again on its loop and calls back when they changed. The
// system's own changes are heard through a routing socket; tests call this after changing state.
void networkStateChanged();

// The flags for an IPv4 address (host byte order) in a given state.
uint32_t reachabilityFlagsForAddress(const NetworkState& state, uint32_t address);
// The flags for an IPv6 address (network byte order); a mapped IPv4 address counts as that.
uint32_t reachabilityFlagsForAddress6(const NetworkState& state,
                                      const std::array<uint8_t, 16>& address);

class Reachability {
 public:
  using Callback = std::function<void(uint32_t flags)>;

  // A numeric name is taken as its address. Any other name is looked up each time the flags are
  // read: it is reachable as its first reachable address is, and not at all when the lookup
  // fails. Scheduled, the lookups run off the loop's thread and the callback follows each answer.
  // Nothing for an empty name.
  static std::shared_ptr<Reachability> withHostName(const std::string& name);
  // IPv4 and IPv6 addresses; nothing for other families.
  static std::shared_ptr<Reachability> withAddress(const sockaddr* address);

  ~Reachability();
  Reachability(const Reachability&) = delete;
  Reachability& operator=(const Reachability&) = delete;

  // Read afresh on every call, from any thread; nothing when the state can't be read. For a name
  // this waits for its lookup, unless the target is scheduled: then it is the answer of the last
  // lookup (nothing before the first).
  std::optional<uint32_t> flags() const;

  void setCallback(Callback callback);
  // Change callbacks run on `loop` (the calling thread's) in `mode`. One loop at a time.
  bool schedule(RunLoop& loop, const std::string& mode);
  // From the scheduling thread. From another thread only the callback stops.
  void unschedule();

  struct Watch;

 private:
  using FlagsInState = std::function<uint32_t(const NetworkState&)>;
  Reachability(FlagsInState flagsInState, std::string hostName);
  std::shared_ptr<Watch> watch_;
};

}  // namespace plat::http
