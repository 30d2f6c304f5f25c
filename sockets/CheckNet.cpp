#include "sockets/CheckNet.h"

#include <cstdio>
#include <optional>

#include "platform/http/Url.h"
#include "store/CallDB.h"

namespace sockets {

namespace {

CheckNet* sharedInstance = nullptr;

}  // namespace

std::string CheckNet::watchedHost() {
  std::optional<plat::http::Url> base =
      plat::http::Url::parse(CallDB::callDB()->getPersonalValue("url"));
  return base ? base->host() : "";
}

CheckNet& CheckNet::sharedCheck() {
  if (!sharedInstance) sharedInstance = new CheckNet();
  return *sharedInstance;
}

CheckNet::CheckNet() {
  plat::NotificationCenter::defaultCenter().addObserver(
      this, kNetworkReachabilityChangedNotification, nullptr,
      [this](const plat::Notification& note) { reachabilityChanged(note); });
  watch(&CheckNet::hostReach_, NetReachability::reachabilityWithHostName(watchedHost()));
  watch(&CheckNet::internetReach_, NetReachability::reachabilityForInternetConnection());
  watch(&CheckNet::wifiReach_, NetReachability::reachabilityForLocalWiFi());
}

CheckNet::~CheckNet() {
  hostReach_.reset();
  internetReach_.reset();
  wifiReach_.reset();
  plat::NotificationCenter::defaultCenter().removeObserver(this);
  if (sharedInstance == this) sharedInstance = nullptr;
}

void CheckNet::watch(std::shared_ptr<NetReachability> CheckNet::*property,
                     std::shared_ptr<NetReachability> monitor) {
  this->*property = std::move(monitor);
  NetReachability* reach = (this->*property).get();
  if (!reach) return;  // no target could be made for it
  reach->startNotifier();
  updateInterFaceWithReachability(*reach);
}

void CheckNet::reachabilityChanged(const plat::Notification& note) {
  // Every poster of this name is a monitor.
  auto* curReach = static_cast<NetReachability*>(const_cast<void*>(note.object));
  if (curReach) updateInterFaceWithReachability(*curReach);
}

void CheckNet::updateInterFaceWithReachability(NetReachability& curReach) {
  configureTextField(curReach);
}

NetReachabilityStatus CheckNet::configureTextField(NetReachability& curReach) {
  NetReachabilityStatus status = curReach.currentReachabilityStatus();
  (void)curReach.connectionRequired();
  return status;
}

void CheckNet::clickedButtonAtIndex(plat::AlertView& alertView, int buttonIndex) {
  std::printf("aler tag:%d,click button %d\n", alertView.tag(), buttonIndex);
  std::fflush(stdout);
}

}  // namespace sockets
