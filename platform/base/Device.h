// What the application knows of the device it runs on: model, system, idiom, screen and locale.
// The values describe this platform layer; tests and the hosts replace them with override().
#pragma once

#include <string>

namespace plat {

enum class DeviceIdiom { Phone = 0, Tablet = 1 };

struct DeviceInfo {
  std::string model;          // the hardware model string ("x86_64")
  std::string systemName;     // "Linux"
  std::string systemVersion;  // the platform level the layer offers, "7.0"
  DeviceIdiom idiom = DeviceIdiom::Phone;
  double screenWidth = 320;  // points, portrait
  double screenHeight = 568;
  double screenScale = 2;        // pixels per point
  std::string localeIdentifier;  // "zh_CN", from LANG
};

class Device {
 public:
  static DeviceInfo current();
  static void override(const DeviceInfo& info);
  static void resetOverride();
};

}  // namespace plat
