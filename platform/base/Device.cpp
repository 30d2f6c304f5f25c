#include "platform/base/Device.h"

#include <sys/utsname.h>

#include <cstdlib>
#include <mutex>
#include <optional>

namespace plat {
namespace {

std::mutex& deviceMutex() {
  static std::mutex m;
  return m;
}

// Never destroyed, like the system's description below: the network thread builds the default
// User-Agent from them, and may still do so while the process exits.
std::optional<DeviceInfo>& overridden() {
  static auto* info = new std::optional<DeviceInfo>;
  return *info;
}

// "zh_CN.UTF-8" -> "zh_CN"; "C" and "POSIX" mean no language was chosen.
std::string localeFromEnvironment() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(var);
    if (!value || !*value) continue;
    std::string locale(value);
    locale = locale.substr(0, locale.find_first_of(".@"));
    if (locale == "C" || locale == "POSIX") break;
    return locale;
  }
  return "en_US";
}

DeviceInfo systemDevice() {
  DeviceInfo info;
  struct utsname names;
  info.model = ::uname(&names) == 0 ? names.machine : "unknown";
  info.systemName = "Linux";
  // The level of the phone system whose services this layer provides.
  info.systemVersion = "7.0";
  info.localeIdentifier = localeFromEnvironment();
  return info;
}

}  // namespace

DeviceInfo Device::current() {
  std::lock_guard lock(deviceMutex());
  if (overridden()) return *overridden();
  static const DeviceInfo* system = new DeviceInfo(systemDevice());
  return *system;
}

void Device::override(const DeviceInfo& info) {
  std::lock_guard lock(deviceMutex());
  overridden() = info;
}

void Device::resetOverride() {
  std::lock_guard lock(deviceMutex());
  overridden().reset();
}

}  // namespace plat
