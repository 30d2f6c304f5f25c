// A process-wide watcher of three reachability monitors (the account server's host, any route off
// the device, the local WiFi link), started on the run loop of the thread that first asks for it.
// Nothing in the app asks for it.
#pragma once

#include <memory>
#include <string>

#include "net/NetReachability.h"
#include "platform/base/NotificationCenter.h"
#include "platform/view/AlertView.h"

namespace sockets {

class CheckNet : public plat::AlertViewDelegate {
 public:
  // The one shared instance, made (and its monitors started) on first use.
  static CheckNet& sharedCheck();
  // The host hostReach watches: that of the account server's base (the personal value "url"), the
  // one outside host the app talks to anyway; "" when the base names none.
  static std::string watchedHost();

  CheckNet();
  ~CheckNet() override;
  CheckNet(const CheckNet&) = delete;
  CheckNet& operator=(const CheckNet&) = delete;

  void reachabilityChanged(const plat::Notification& note);
  void updateInterFaceWithReachability(NetReachability& curReach);
  // Reads what a view would show; no view is attached here.
  NetReachabilityStatus configureTextField(NetReachability& curReach);

  void clickedButtonAtIndex(plat::AlertView& alertView, int buttonIndex) override;

  const std::shared_ptr<NetReachability>& hostReach() const { return hostReach_; }
  void setHostReach(std::shared_ptr<NetReachability> r) { hostReach_ = std::move(r); }
  const std::shared_ptr<NetReachability>& internetReach() const { return internetReach_; }
  void setInternetReach(std::shared_ptr<NetReachability> r) { internetReach_ = std::move(r); }
  const std::shared_ptr<NetReachability>& wifiReach() const { return wifiReach_; }
  void setWifiReach(std::shared_ptr<NetReachability> r) { wifiReach_ = std::move(r); }

 private:
  void watch(std::shared_ptr<NetReachability> CheckNet::*property,
             std::shared_ptr<NetReachability> monitor);

  std::shared_ptr<NetReachability> hostReach_, internetReach_, wifiReach_;
};

}  // namespace sockets
