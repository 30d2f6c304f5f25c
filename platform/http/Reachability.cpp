// Reachability from the interface and route tables; changes are heard on a routing socket.
#include "platform/http/Reachability.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "platform/stream/Resolver.h"

namespace plat::http {

namespace {

bool isCellular(const std::string& name) {
  std::ifstream uevent("/sys/class/net/" + name + "/uevent");
  std::string line;
  while (std::getline(uevent, line))
    if (line == "DEVTYPE=wwan") return true;
  return false;
}

std::string defaultRouteInterface() {
  std::ifstream routes("/proc/net/route");
  std::string line;
  std::getline(routes, line);  // the column titles
  while (std::getline(routes, line)) {
    std::istringstream fields(line);
    std::string name, destination, gateway, flags, refCount, use, metric, mask;
    if (!(fields >> name >> destination >> gateway >> flags >> refCount >> use >> metric >> mask))
      continue;
    const bool up = std::strtoul(flags.c_str(), nullptr, 16) & 0x1;
    if (up && destination == "00000000" && mask == "00000000") return name;
  }
  return {};
}

// The interface of a usable IPv6 default route (the kernel keeps a refusing one on "lo").
std::string defaultRoute6Interface() {
  constexpr unsigned long kRouteUp = 0x1, kRouteReject = 0x200;
  std::ifstream routes("/proc/net/ipv6_route");
  std::string line;
  while (std::getline(routes, line)) {
    std::istringstream fields(line);
    std::string destination, prefix, source, sourcePrefix, nextHop, metric, refCount, use, flags,
        name;
    if (!(fields >> destination >> prefix >> source >> sourcePrefix >> nextHop >> metric >>
          refCount >> use >> flags >> name))
      continue;
    const unsigned long bits = std::strtoul(flags.c_str(), nullptr, 16);
    if (destination == std::string(32, '0') && prefix == "00" && (bits & kRouteUp) &&
        !(bits & kRouteReject) && name != "lo")
      return name;
  }
  return {};
}

class SystemSource : public NetworkStateSource {
 public:
  std::optional<NetworkState> read() override {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return std::nullopt;
    NetworkState state;
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
      if (entry->ifa_addr && entry->ifa_addr->sa_family == AF_INET6) {
        NetworkAddress6 address;
        address.interfaceName = entry->ifa_name;
        std::memcpy(address.address.data(),
                    &reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr)->sin6_addr, 16);
        state.addresses6.push_back(address);
      }
      if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
      NetworkInterface interface;
      interface.name = entry->ifa_name;
      interface.up = (entry->ifa_flags & IFF_UP) && (entry->ifa_flags & IFF_RUNNING);
      interface.loopback = entry->ifa_flags & IFF_LOOPBACK;
      interface.cellular = !interface.loopback && isCellular(interface.name);
      interface.address =
          ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr);
      if (entry->ifa_netmask)
        interface.netmask =
            ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask)->sin_addr.s_addr);
      state.interfaces.push_back(interface);
    }
    freeifaddrs(list);
    state.defaultRouteInterface = defaultRouteInterface();
    state.defaultRoute6Interface = defaultRoute6Interface();
    return state;
  }
};

struct Registry {
  std::mutex mutex;
  std::shared_ptr<NetworkStateSource> source = systemNetworkStateSource();
  std::vector<std::weak_ptr<Reachability::Watch>> scheduled;
};

Registry& registry() {
  static Registry* instance = new Registry();  // outlives watches torn down at exit
  return *instance;
}

std::optional<NetworkState> readState() {
  std::shared_ptr<NetworkStateSource> source;
  {
    std::lock_guard<std::mutex> lock(registry().mutex);
    source = registry().source;
  }
  return source->read();
}

constexpr uint32_t kLoopbackNet = 0x7F000000, kLoopbackMask = 0xFF000000;
constexpr uint32_t kLinkLocalNet = 0xA9FE0000, kLinkLocalMask = 0xFFFF0000;

// A socket that becomes readable when links, addresses or routes (IPv4 and IPv6) change. Shared
// with the loop's source, so that it stays open for as long as the loop may poll it.
struct RoutingSocket {
  int fd = -1;
  RoutingSocket() {
    fd = socket(AF_NETLINK, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) return;
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_IFADDR |
                      RTMGRP_IPV6_ROUTE;
    if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
      close(fd);
      fd = -1;
    }
  }
  ~RoutingSocket() {
    if (fd >= 0) close(fd);
  }
};

}  // namespace

// What a scheduled target shares with its loop's callbacks, which may outlive the target.
struct Reachability::Watch : std::enable_shared_from_this<Watch> {
  std::mutex mutex;
  std::function<std::optional<uint32_t>()> readFlags;
  // A name target's flags, from its addresses and the state of the moment.
  std::function<std::optional<uint32_t>(const stream::Resolution&)> flagsForAnswer;
  std::string hostName;
  std::shared_ptr<stream::HostLookup> lookup;  // the pending lookup of a scheduled name target
  int lookupSourceId = -1;
  Callback callback;
  RunLoop* loop = nullptr;
  std::thread::id thread;
  std::string mode;
  int sourceId = -1;
  std::shared_ptr<RoutingSocket> routingSocket;
  std::optional<uint32_t> lastFlags;

  // On the loop's thread: reads the flags and calls back when they differ from the last ones. A
  // name is looked up afresh first, off the loop's thread.
  void check() {
    if (!hostName.empty()) return startLookup();
    deliver(readFlags());
  }

  void startLookup() {
    RunLoop* on;
    std::string inMode;
    std::shared_ptr<stream::HostLookup> pending;
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (!loop || lookup) return;  // the pending answer serves this change too
      pending = lookup = stream::HostLookup::start(hostName, 0);
      on = loop;
      inMode = mode;
    }
    std::weak_ptr<Watch> weak = weak_from_this();
    if (pending->fd() < 0) return lookupDone();  // it failed at once
    const int id = on->addFdSource(
        pending->fd(), kFdReadable,
        [weak](int, unsigned) {
          if (auto watch = weak.lock()) watch->lookupDone();
        },
        inMode);
    std::lock_guard<std::mutex> lock(mutex);
    lookupSourceId = id;
  }

  void lookupDone() {
    std::shared_ptr<stream::HostLookup> done;
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (!lookup || !lookup->isDone()) return;
      done = std::move(lookup);
      if (loop && lookupSourceId >= 0) loop->removeFdSource(lookupSourceId);
      lookupSourceId = -1;
    }
    deliver(flagsForAnswer(done->takeResult()));
  }

  void deliver(std::optional<uint32_t> flags) {
    Callback call;
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (!loop || !flags || flags == lastFlags) return;
      lastFlags = flags;
      call = callback;
    }
    if (call) call(*flags);
  }
};

std::shared_ptr<NetworkStateSource> systemNetworkStateSource() {
  return std::make_shared<SystemSource>();
}

void setNetworkStateSource(std::shared_ptr<NetworkStateSource> source) {
  {
    std::lock_guard<std::mutex> lock(registry().mutex);
    registry().source = source ? std::move(source) : systemNetworkStateSource();
  }
  networkStateChanged();
}

void networkStateChanged() {
  std::vector<std::shared_ptr<Reachability::Watch>> watches;
  {
    std::lock_guard<std::mutex> lock(registry().mutex);
    std::erase_if(registry().scheduled, [](const auto& weak) { return weak.expired(); });
    for (const auto& weak : registry().scheduled)
      if (auto watch = weak.lock()) watches.push_back(watch);
  }
  for (const auto& watch : watches) {
    std::lock_guard<std::mutex> lock(watch->mutex);
    if (!watch->loop) continue;
    std::weak_ptr<Reachability::Watch> weak = watch;
    watch->loop->perform(
        [weak] {
          if (auto alive = weak.lock()) alive->check();
        },
        watch->mode);
  }
}

uint32_t reachabilityFlagsForAddress(const NetworkState& state, uint32_t address) {
  constexpr uint32_t kLocal =
      kReachabilityReachable | kReachabilityIsLocalAddress | kReachabilityIsDirect;
  if ((address & kLoopbackMask) == kLoopbackNet) return kLocal;
  for (const NetworkInterface& interface : state.interfaces)
    if (interface.up && interface.address != 0 && interface.address == address) return kLocal;

  auto wwan = [](const NetworkInterface& interface) {
    return interface.cellular ? kReachabilityIsWWAN : 0u;
  };
  if ((address & kLinkLocalMask) == kLinkLocalNet) {
    // The local link: any attached network that is not a cellular one.
    for (const NetworkInterface& interface : state.interfaces)
      if (interface.up && !interface.loopback && !interface.cellular && interface.address != 0)
        return kReachabilityReachable | kReachabilityIsDirect;
    return 0;
  }
  if (address != 0) {
    for (const NetworkInterface& interface : state.interfaces) {
      if (!interface.up || interface.loopback || interface.address == 0) continue;
      if ((address & interface.netmask) == (interface.address & interface.netmask))
        return kReachabilityReachable | kReachabilityIsDirect | wwan(interface);
    }
  }
  if (state.defaultRouteInterface.empty()) return 0;
  for (const NetworkInterface& interface : state.interfaces)
    if (interface.up && interface.name == state.defaultRouteInterface)
      return kReachabilityReachable | wwan(interface);
  return 0;
}

uint32_t reachabilityFlagsForAddress6(const NetworkState& state,
                                      const std::array<uint8_t, 16>& address) {
  static const std::array<uint8_t, 16> kLoopback = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  static const uint8_t kMappedPrefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
  if (std::memcmp(address.data(), kMappedPrefix, 12) == 0) {
    const uint32_t v4 = uint32_t(address[12]) << 24 | uint32_t(address[13]) << 16 |
                        uint32_t(address[14]) << 8 | address[15];
    return reachabilityFlagsForAddress(state, v4);
  }
  constexpr uint32_t kLocal =
      kReachabilityReachable | kReachabilityIsLocalAddress | kReachabilityIsDirect;
  if (address == kLoopback) return kLocal;
  auto isUp = [&](const std::string& name) {
    for (const NetworkInterface& interface : state.interfaces)
      if (interface.name == name && interface.up) return true;
    return false;
  };
  for (const NetworkAddress6& own : state.addresses6)
    if (own.address == address && isUp(own.interfaceName)) return kLocal;
  const bool linkLocal = address[0] == 0xfe && (address[1] & 0xc0) == 0x80;
  if (linkLocal) {
    for (const NetworkInterface& interface : state.interfaces)
      if (interface.up && !interface.loopback && !interface.cellular)
        return kReachabilityReachable | kReachabilityIsDirect;
    return 0;
  }
  if (state.defaultRoute6Interface.empty()) return 0;
  for (const NetworkInterface& interface : state.interfaces)
    if (interface.up && interface.name == state.defaultRoute6Interface)
      return kReachabilityReachable | (interface.cellular ? kReachabilityIsWWAN : 0u);
  return 0;
}

namespace {

uint32_t flagsForSocketAddress(const NetworkState& state, const sockaddr* address) {
  if (address->sa_family == AF_INET)
    return reachabilityFlagsForAddress(
        state, ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr));
  std::array<uint8_t, 16> bytes;
  std::memcpy(bytes.data(), &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, 16);
  return reachabilityFlagsForAddress6(state, bytes);
}

// A name is as reachable as the first of its addresses that can be reached.
std::optional<uint32_t> flagsForResolution(const stream::Resolution& answer) {
  std::optional<NetworkState> state = readState();
  if (!state) return std::nullopt;
  if (answer.error) return 0u;
  for (const stream::SocketAddress& address : answer.addresses)
    if (uint32_t flags =
            flagsForSocketAddress(*state, reinterpret_cast<const sockaddr*>(&address.storage)))
      return flags;
  return 0u;
}

}  // namespace

Reachability::Reachability(FlagsInState flagsInState, std::string hostName)
    : watch_(std::make_shared<Watch>()) {
  watch_->hostName = hostName;
  watch_->flagsForAnswer = flagsForResolution;
  if (!hostName.empty()) {
    watch_->readFlags = [hostName] { return flagsForResolution(stream::resolve(hostName, 0)); };
    return;
  }
  watch_->readFlags = [flagsInState]() -> std::optional<uint32_t> {
    std::optional<NetworkState> state = readState();
    if (!state) return std::nullopt;
    return flagsInState(*state);
  };
}

Reachability::~Reachability() {
  unschedule();
}

std::shared_ptr<Reachability> Reachability::withHostName(const std::string& name) {
  if (name.empty()) return nullptr;
  stream::Resolution literal;
  if (stream::resolveLiteral(name, 0, literal))
    return withAddress(reinterpret_cast<const sockaddr*>(&literal.addresses.front().storage));
  return std::shared_ptr<Reachability>(new Reachability(nullptr, name));
}

std::shared_ptr<Reachability> Reachability::withAddress(const sockaddr* address) {
  if (!address || (address->sa_family != AF_INET && address->sa_family != AF_INET6)) return nullptr;
  sockaddr_storage copy{};
  std::memcpy(&copy, address,
              address->sa_family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6));
  return std::shared_ptr<Reachability>(new Reachability(
      [copy](const NetworkState& state) {
        return flagsForSocketAddress(state, reinterpret_cast<const sockaddr*>(&copy));
      },
      ""));
}

std::optional<uint32_t> Reachability::flags() const {
  {
    // A scheduled name answers from its last lookup rather than wait for a new one.
    std::lock_guard<std::mutex> lock(watch_->mutex);
    if (!watch_->hostName.empty() && watch_->loop) return watch_->lastFlags;
  }
  return watch_->readFlags();
}

void Reachability::setCallback(Callback callback) {
  std::lock_guard<std::mutex> lock(watch_->mutex);
  watch_->callback = std::move(callback);
}

bool Reachability::schedule(RunLoop& loop, const std::string& mode) {
  // A name's first answer comes from a lookup below, which the loop does not wait for.
  std::optional<uint32_t> current = watch_->hostName.empty() ? flags() : std::nullopt;
  {
    std::lock_guard<std::mutex> lock(watch_->mutex);
    if (watch_->loop) return false;
    watch_->loop = &loop;
    watch_->thread = std::this_thread::get_id();
    watch_->mode = mode;
    watch_->lastFlags = current;
  }
  // Without a routing socket, changes are heard only through networkStateChanged().
  auto routing = std::make_shared<RoutingSocket>();
  if (routing->fd >= 0) {
    std::weak_ptr<Watch> weak = watch_;
    watch_->routingSocket = routing;
    watch_->sourceId = loop.addFdSource(
        routing->fd, kFdReadable,
        [weak, routing](int fd, unsigned) {
          char buffer[8192];
          while (recv(fd, buffer, sizeof buffer, 0) > 0) {
          }
          if (auto watch = weak.lock()) watch->check();
        },
        mode);
  }
  {
    std::lock_guard<std::mutex> lock(registry().mutex);
    registry().scheduled.push_back(watch_);
  }
  if (!watch_->hostName.empty()) watch_->startLookup();
  return true;
}

void Reachability::unschedule() {
  std::lock_guard<std::mutex> lock(watch_->mutex);
  if (!watch_->loop) return;
  if (watch_->thread == std::this_thread::get_id()) {
    if (watch_->sourceId >= 0) watch_->loop->removeFdSource(watch_->sourceId);
    if (watch_->lookupSourceId >= 0) watch_->loop->removeFdSource(watch_->lookupSourceId);
    watch_->sourceId = watch_->lookupSourceId = -1;
  }
  watch_->lookup.reset();
  watch_->routingSocket.reset();
  // Elsewhere the loop's source stays until the loop goes, but calls nobody any more.
  watch_->loop = nullptr;
}

}  // namespace plat::http
