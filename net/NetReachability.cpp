// The reachability monitor over the platform's reachability targets.
#include "net/NetReachability.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include "platform/base/NotificationCenter.h"
#include "platform/base/RunLoop.h"

using plat::http::Reachability;

namespace {

sockaddr_in ipv4Address(const char* text) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  inet_pton(AF_INET, text, &address.sin_addr);
  return address;
}

}  // namespace

NetReachability::NetReachability(std::shared_ptr<Reachability> reference, bool localWiFi)
    : localWiFiRef_(localWiFi), reachabilityRef_(std::move(reference)) {}

NetReachability::~NetReachability() {
  stopNotifier();
}

std::shared_ptr<NetReachability> NetReachability::wrap(std::shared_ptr<Reachability> reference,
                                                       bool localWiFi) {
  if (!reference) return nullptr;
  return std::shared_ptr<NetReachability>(new NetReachability(std::move(reference), localWiFi));
}

std::shared_ptr<NetReachability> NetReachability::reachabilityWithHostName(
    const std::string& hostName) {
  return wrap(Reachability::withHostName(hostName), false);
}

std::shared_ptr<NetReachability> NetReachability::reachabilityWithAddress(const sockaddr* address) {
  return wrap(Reachability::withAddress(address), false);
}

std::shared_ptr<NetReachability> NetReachability::reachabilityForInternetConnection() {
  sockaddr_in any = ipv4Address("0.0.0.0");
  return reachabilityWithAddress(reinterpret_cast<const sockaddr*>(&any));
}

std::shared_ptr<NetReachability> NetReachability::reachabilityForLocalWiFi() {
  sockaddr_in linkLocal = ipv4Address("169.254.0.0");
  auto monitor = reachabilityWithAddress(reinterpret_cast<const sockaddr*>(&linkLocal));
  if (monitor) monitor->localWiFiRef_ = true;
  return monitor;
}

bool NetReachability::startNotifier() {
  // The callback carries the monitor without owning it: stopping (also on release) clears it.
  reachabilityRef_->setCallback([this](uint32_t) {
    plat::NotificationCenter::defaultCenter().post(kNetworkReachabilityChangedNotification, this);
  });
  return reachabilityRef_->schedule(plat::RunLoop::current(), plat::kDefaultRunLoopMode);
}

void NetReachability::stopNotifier() {
  if (!reachabilityRef_) return;
  reachabilityRef_->unschedule();
  reachabilityRef_->setCallback(nullptr);
}

NetReachabilityStatus NetReachability::currentReachabilityStatus() const {
  std::optional<uint32_t> flags = reachabilityRef_->flags();
  if (!flags) return NotReachable;
  return localWiFiRef_ ? localWiFiStatusForFlags(*flags) : networkStatusForFlags(*flags);
}

bool NetReachability::connectionRequired() const {
  std::optional<uint32_t> flags = reachabilityRef_->flags();
  return flags && (*flags & plat::http::kReachabilityConnectionRequired);
}

NetReachabilityStatus NetReachability::localWiFiStatusForFlags(uint32_t flags) {
  const uint32_t wanted = plat::http::kReachabilityReachable | plat::http::kReachabilityIsDirect;
  return (flags & wanted) == wanted ? ReachableViaWiFi : NotReachable;
}

NetReachabilityStatus NetReachability::networkStatusForFlags(uint32_t flags) {
  using namespace plat::http;
  if (!(flags & kReachabilityReachable)) return NotReachable;
  if (flags & kReachabilityIsWWAN) return ReachableViaWWAN;
  if (!(flags & kReachabilityConnectionRequired)) return ReachableViaWiFi;
  if ((flags & (kReachabilityConnectionOnDemand | kReachabilityConnectionOnTraffic)) &&
      !(flags & kReachabilityInterventionRequired))
    return ReachableViaWiFi;
  return NotReachable;
}
