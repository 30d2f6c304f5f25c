#include "util/DeviceIdentifier.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/base/Device.h"
#include "util/MyExtensions.h"
#include "util/UDIDTools.h"

namespace DeviceIdentifier {
namespace {

// One network interface as the hardware-address lookup sees it.
struct Interface {
  std::string name;
  bool loopback = false;
  std::vector<unsigned char> address;  // link-level address bytes
};

// The leading number of a version text: "6.1.4" reads 6.1, text that is no number reads 0.
double versionNumber(std::string_view text) {
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

std::vector<Interface> systemInterfaces(bool& ok) {
  std::vector<Interface> found;
  ifaddrs* list = nullptr;
  ok = ::getifaddrs(&list) == 0;
  if (!ok) return found;
  for (ifaddrs* it = list; it; it = it->ifa_next) {
    if (!it->ifa_addr || it->ifa_addr->sa_family != AF_PACKET) continue;
    const auto* link = reinterpret_cast<const sockaddr_ll*>(it->ifa_addr);
    Interface item;
    item.name = it->ifa_name;
    item.loopback = (it->ifa_flags & IFF_LOOPBACK) != 0;
    item.address.assign(link->sll_addr, link->sll_addr + std::min<size_t>(link->sll_halen, 8));
    found.push_back(std::move(item));
  }
  ::freeifaddrs(list);
  return found;
}

// The interface whose address is used: "en0", else "en1", else the first real one.
const Interface* chooseHardwareInterface(const std::vector<Interface>& interfaces) {
  for (const char* preferred : {"en0", "en1"}) {
    for (const auto& item : interfaces)
      if (item.name == preferred) return &item;
  }
  for (const auto& item : interfaces)
    if (!item.loopback && item.address.size() == 6) return &item;
  return nullptr;
}

}  // namespace

std::optional<std::string> macaddress1() {
  bool listed = false;
  std::vector<Interface> interfaces = systemInterfaces(listed);
  if (!listed) {
    // errno is still getifaddrs's: nothing ran since.
    std::fprintf(stderr, "Error: sysctl, take 1 (the interfaces could not be listed: %s)\n",
                 std::strerror(errno));
    return std::nullopt;
  }
  const Interface* chosen = chooseHardwareInterface(interfaces);
  if (!chosen) {
    std::fprintf(stderr, "Error: if_nametoindex error (no interface with a hardware address)\n");
    return std::nullopt;
  }
  if (chosen->address.size() < 6) {
    std::fprintf(stderr, "Error: sysctl, take 2 (%s has a %zu-byte hardware address)\n",
                 chosen->name.c_str(), chosen->address.size());
    return std::nullopt;
  }
  const auto& a = chosen->address;
  char text[18];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", a[0], a[1], a[2], a[3], a[4],
                a[5]);
  return std::string(text);
}

std::string macaddress2() {
  return UDIDTools::UDID();
}

std::string uniqueGlobalDeviceIdentifier(std::string_view systemVersion) {
  if (versionNumber(systemVersion) >= 7.0) return MyExtensions::md5(macaddress2());
  auto address = macaddress1();
  return address ? MyExtensions::md5(*address) : std::string();
}

std::string uniqueGlobalDeviceIdentifier() {
  return uniqueGlobalDeviceIdentifier(plat::Device::current().systemVersion);
}

}  // namespace DeviceIdentifier
