#include "analytics/ANProtocolData.h"

#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>

#include "analytics/ANNetworkAccess.h"
#include "analytics/ANSharedUDID.h"
#include "analytics/ANUtils.h"
#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsLog.h"
#include "analytics/AnalyticsTexts.h"
#include "platform/base/DateFormat.h"
#include "platform/crypto/Uuid.h"

namespace {

std::string formatNow(const char* pattern) {
  AnalyticsContext& context = AnalyticsContext::current();
  return plat::DateFormat(pattern, context.zone()).format(context.now());
}

const AnalyticsDeviceValues& device() {
  return AnalyticsContext::current().device();
}

}  // namespace

std::string ANProtocolData::dateString() {
  return formatNow("yyyy-MM-dd");
}

std::string ANProtocolData::timeString() {
  return formatNow("HH:mm:ss");
}

std::string ANProtocolData::timeMSString() {
  return formatNow("HH:mm:ss.SSS");
}

std::string ANProtocolData::osVersionString() {
  return device().systemVersion;
}

std::string ANProtocolData::deviceModelString() {
  return device().machine;
}

std::string ANProtocolData::resolutionString() {
  const AnalyticsScreen& screen = device().screen;
  return anFormat("%d x %d", static_cast<int>(screen.height * screen.scale),
                  static_cast<int>(screen.width * screen.scale));
}

std::string ANProtocolData::accessString() {
  const AnalyticsDeviceValues& values = device();
  // A simulator shares its host's link. The machine's name alone says nothing here: every
  // desktop is an x86_64 one.
  if (values.model == "iPhone Simulator") return "WiFi";
  return networkAccessType(values.netClassDir);
}

std::string ANProtocolData::carrierString() {
  return "";  // no cellular carrier on this platform
}

bool ANProtocolData::isPad() {
  return device().isPad;
}

std::string ANProtocolData::deviceIDVendorString() {
  return device().vendorId;
}

std::string ANProtocolData::sharedUDIDString() {
  try {
    return ANSharedUDID::value();
  } catch (const std::exception& e) {
    analyticsPrint(anFormat(kExceptionOccurred, e.what(), "(null)"));
    return "";
  }
}

std::string ANProtocolData::appPackageNameString() {
  return AnalyticsContext::current().infoValue("CFBundleIdentifier");
}

std::string ANProtocolData::appDisplayNameString() {
  return AnalyticsContext::current().infoValue("CFBundleDisplayName");
}

std::string ANProtocolData::appBundleVersionString() {
  return AnalyticsContext::current().infoValue("CFBundleVersion");
}

std::string ANProtocolData::appShortVersionString() {
  return AnalyticsContext::current().infoValue("CFBundleShortVersionString");
}

std::string ANProtocolData::countryString() {
  return device().countryCode;
}

std::string ANProtocolData::languageString() {
  return device().preferredLanguage;
}

std::string ANProtocolData::timezoneString() {
  AnalyticsContext& context = AnalyticsContext::current();
  long hours = context.zone()->offsetAt(context.now()) / 3600;
  return std::to_string(hours);
}

std::string ANProtocolData::orientationString() {
  int orientation = device().orientation;
  return (orientation == 1 || orientation == 2) ? "0" : "1";
}

std::string ANProtocolData::UUIDString() {
  return plat::crypto::randomUuidString();
}

std::string ANProtocolData::UUIDMD5String() {
  return md5Value(UUIDString());
}

std::optional<std::string> ANProtocolData::deviceMacString() {
  const std::string& name = device().wifiInterface;
  if (::if_nametoindex(name.c_str()) == 0) {
    std::printf("%s\n", kIfNameToIndexError);
    return std::nullopt;
  }
  int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) {
    std::printf("%s\n", kSysctlTake1);
    return std::nullopt;
  }
  struct ifreq request;
  std::memset(&request, 0, sizeof request);
  std::strncpy(request.ifr_name, name.c_str(), IFNAMSIZ - 1);
  int result = ::ioctl(fd, SIOCGIFHWADDR, &request);
  ::close(fd);
  if (result != 0) {
    std::printf("%s", kSysctlTake2);
    return std::nullopt;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(request.ifr_hwaddr.sa_data);
  return anFormat("%02X:%02X:%02X:%02X:%02X:%02X", bytes[0], bytes[1], bytes[2], bytes[3], bytes[4],
                  bytes[5]);
}

std::string ANProtocolData::md5Value(const std::string& text) {
  return ANUtils::md5Value(text);
}
