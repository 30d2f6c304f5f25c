// Reads each device, system, locale and application value the analytics reports from the
// platform, as text. Nothing here keeps state; a value the platform does not give is "".
#pragma once

#include <optional>
#include <string>

class ANProtocolData {
 public:
  static std::string dateString();    // "yyyy-MM-dd"
  static std::string timeString();    // "HH:mm:ss"
  static std::string timeMSString();  // "HH:mm:ss.SSS"
  static std::string osString() { return "iOS"; }
  static std::string osVersionString();
  static std::string deviceModelString();  // the machine identifier
  static std::string resolutionString();   // "<height> x <width>" in pixels
  static std::string accessString();       // "WiFi", "CellNetwork" or ""
  static std::string carrierString();
  static bool isPad();
  static std::string deviceIDVendorString();
  static std::string sharedUDIDString();
  static std::string appPackageNameString();
  static std::string appDisplayNameString();
  static std::string appBundleVersionString();
  static std::string appShortVersionString();
  static std::string countryString();
  static std::string languageString();
  static std::string timezoneString();
  static std::string latString() { return ""; }
  static std::string lngString() { return ""; }
  static std::string cpuString() { return ""; }
  static std::string orientationString();
  static std::string UUIDString();
  static std::string UUIDMD5String();
  // The hardware address of the Wi-Fi interface; nullopt (after a printed line) on failure.
  static std::optional<std::string> deviceMacString();
  static std::string md5Value(const std::string& text);
};
