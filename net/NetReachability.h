// Watches whether one target (a host name, an address, the internet, the local WiFi link) can be
// reached and by what route; once started it posts "kNetworkReachabilityChangedNotification",
// with itself as the object, on the starting thread's run loop whenever that changes.
#pragma once

#include <sys/socket.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/http/Reachability.h"

enum NetReachabilityStatus : int {
  NotReachable = 0,
  ReachableViaWiFi = 1,
  ReachableViaWWAN = 2,
};

inline constexpr char kNetworkReachabilityChangedNotification[] =
    "kNetworkReachabilityChangedNotification";

class NetReachability {
 public:
  // Nothing when no platform target can be made for the name or address.
  static std::shared_ptr<NetReachability> reachabilityWithHostName(const std::string& hostName);
  static std::shared_ptr<NetReachability> reachabilityWithAddress(const sockaddr* address);
  static std::shared_ptr<NetReachability> reachabilityForInternetConnection();
  static std::shared_ptr<NetReachability> reachabilityForLocalWiFi();

  // Stops the notifier.
  ~NetReachability();
  NetReachability(const NetReachability&) = delete;
  NetReachability& operator=(const NetReachability&) = delete;

  bool startNotifier();
  void stopNotifier();

  NetReachabilityStatus currentReachabilityStatus() const;
  bool connectionRequired() const;

  static NetReachabilityStatus localWiFiStatusForFlags(uint32_t flags);
  static NetReachabilityStatus networkStatusForFlags(uint32_t flags);

  bool localWiFiRef() const { return localWiFiRef_; }

 private:
  NetReachability(std::shared_ptr<plat::http::Reachability> reference, bool localWiFi);
  static std::shared_ptr<NetReachability> wrap(std::shared_ptr<plat::http::Reachability> reference,
                                               bool localWiFi);

  bool localWiFiRef_;
  std::shared_ptr<plat::http::Reachability> reachabilityRef_;
};
