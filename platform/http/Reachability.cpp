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
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

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

class SystemSource : public NetworkStateSource {
 public:
  std::optional<NetworkState> read() override {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return std::nullopt;
    NetworkState state;
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
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

// A socket that becomes readable when links, addresses or routes change. Shared with the loop's
// source, so that it stays open for as long as the loop may poll it.
struct RoutingSocket {
  int fd = -1;
  RoutingSocket() {
    fd = socket(AF_NETLINK, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) return;
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV4_ROUTE;
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
struct Reachability::Watch {
  std::mutex mutex;
  std::function<std::optional<uint32_t>()> readFlags;
  Callback callback;
  RunLoop* loop = nullptr;
  std::thread::id thread;
  std::string mode;
  int sourceId = -1;
  std::shared_ptr<RoutingSocket> routingSocket;
  std::optional<uint32_t> lastFlags;

  // On the loop's thread: reads the flags and calls back when they differ from the last ones.
  void check() {
    std::optional<uint32_t> flags = readFlags();
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

Reachability::Reachability(uint32_t address) : watch_(std::make_shared<Watch>()) {
  watch_->readFlags = [address]() -> std::optional<uint32_t> {
    std::optional<NetworkState> state = readState();
    if (!state) return std::nullopt;
    return reachabilityFlagsForAddress(*state, address);
  };
}

Reachability::~Reachability() {
  unschedule();
}

std::shared_ptr<Reachability> Reachability::withHostName(const std::string& name) {
  if (name.empty()) return nullptr;
  in_addr numeric{};
  if (inet_pton(AF_INET, name.c_str(), &numeric) == 1)
    return std::shared_ptr<Reachability>(new Reachability(ntohl(numeric.s_addr)));
  if (name == "localhost") return std::shared_ptr<Reachability>(new Reachability(kLoopbackNet + 1));
  // A name goes wherever the default route goes.
  return std::shared_ptr<Reachability>(new Reachability(0));
}

std::shared_ptr<Reachability> Reachability::withAddress(const sockaddr* address) {
  if (!address || address->sa_family != AF_INET) return nullptr;
  const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
  return std::shared_ptr<Reachability>(new Reachability(ntohl(v4->sin_addr.s_addr)));
}

std::optional<uint32_t> Reachability::flags() const {
  return watch_->readFlags();
}

void Reachability::setCallback(Callback callback) {
  std::lock_guard<std::mutex> lock(watch_->mutex);
  watch_->callback = std::move(callback);
}

bool Reachability::schedule(RunLoop& loop, const std::string& mode) {
  std::optional<uint32_t> current = flags();
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
  std::lock_guard<std::mutex> lock(registry().mutex);
  registry().scheduled.push_back(watch_);
  return true;
}

void Reachability::unschedule() {
  std::lock_guard<std::mutex> lock(watch_->mutex);
  if (!watch_->loop) return;
  if (watch_->thread == std::this_thread::get_id()) {
    if (watch_->sourceId >= 0) watch_->loop->removeFdSource(watch_->sourceId);
    watch_->sourceId = -1;
  }
  watch_->routingSocket.reset();
  // Elsewhere the loop's source stays until the loop goes, but calls nobody any more.
  watch_->loop = nullptr;
}

}  // namespace plat::http
