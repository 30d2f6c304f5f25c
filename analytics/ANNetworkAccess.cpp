#include "analytics/ANNetworkAccess.h"

#include "platform/base/Files.h"

namespace {

constexpr const char* kLoopbackType = "772";  // ARPHRD_LOOPBACK

std::string firstLine(const std::string& path) {
  std::string text = plat::files::readFile(path).value_or("");
  return text.substr(0, text.find('\n'));
}

enum class Link { Wired, Wireless, Mobile };

Link linkKind(const std::string& interfaceDir) {
  if (plat::files::exists(interfaceDir + "/wireless") ||
      plat::files::exists(interfaceDir + "/phy80211")) {
    return Link::Wireless;
  }
  std::string events = plat::files::readFile(interfaceDir + "/uevent").value_or("");
  if (events.find("DEVTYPE=wwan") != std::string::npos) return Link::Mobile;
  return Link::Wired;
}

}  // namespace

std::string networkAccessType(const std::string& netClassDir) {
  bool wireless = false, mobile = false, wired = false;
  for (const std::string& name : plat::files::list(netClassDir)) {
    std::string dir = netClassDir + "/" + name;
    if (firstLine(dir + "/type") == kLoopbackType || firstLine(dir + "/operstate") != "up")
      continue;
    switch (linkKind(dir)) {
      case Link::Wireless:
        wireless = true;
        break;
      case Link::Mobile:
        mobile = true;
        break;
      case Link::Wired:
        wired = true;
        break;
    }
  }
  if (wireless || wired) return "WiFi";
  return mobile ? "CellNetwork" : "";
}
