// The facade through which the analytics reads every device and application value, computes
// digests and session ids and cuts strings to a UTF-8 byte limit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analytics/ANProtocolData.h"
#include "platform/base/Value.h"

class ANUtil {
 public:
  static std::string dateString() { return ANProtocolData::dateString(); }
  static std::string timeString() { return ANProtocolData::timeString(); }
  static std::string sdkVersionString() { return "3.6.5"; }
  static std::string sdkTypeString() { return "iOS"; }
  static std::string osString() { return ANProtocolData::osString(); }
  static std::string osVersionString() { return ANProtocolData::osVersionString(); }
  static std::string deviceModelString() { return ANProtocolData::deviceModelString(); }
  static std::string resolutionString() { return ANProtocolData::resolutionString(); }
  static int32_t resolutionHeight();
  static int32_t resolutionWidth();
  static std::string accessString() { return ANProtocolData::accessString(); }
  static std::string carrierString() { return ANProtocolData::carrierString(); }
  static bool isPad() { return ANProtocolData::isPad(); }
  static std::string idfv() { return ANProtocolData::deviceIDVendorString(); }
  static std::string sharedUDIDString() { return ANProtocolData::sharedUDIDString(); }
  // Every record reports this fixed hardware address.
  static std::string deviceMacAddressString() { return "02:00:00:00:00:00"; }
  static std::string appPackageNameString() { return ANProtocolData::appPackageNameString(); }
  static std::string appDisplayNameString() { return ANProtocolData::appDisplayNameString(); }
  static std::string appVersionString();
  static std::string appShortVersionString() { return ANProtocolData::appShortVersionString(); }
  static std::string countryString() { return ANProtocolData::countryString(); }
  static std::string languageString() { return ANProtocolData::languageString(); }
  static std::string timezoneString() { return ANProtocolData::timezoneString(); }
  static int32_t timezone();

  static std::string md5(const std::string& text);  // upper-case hexadecimal
  static std::vector<uint8_t> md5DataWithData(const std::vector<uint8_t>& data);
  static std::vector<uint8_t> md5BytesWithString(const std::string& text);
  static std::string bytesToHexString(const uint8_t* bytes, int32_t length);  // lower case
  static std::string sha1WithData(const std::vector<uint8_t>& data);
  static std::string sha1WithString(const std::string& text);
  static std::string sessionId();

  static bool isEmptyString(const std::string& text);  // empty after trimming white space
  static bool isEmptyString(const plat::Value& value);
  static std::string returnCheck(const std::optional<std::string>& text) {
    return text.value_or("");
  }
  // The text cut to at most `limit` UTF-8 bytes of whole characters; the text itself when no
  // character fits.
  static std::string getString(const std::string& text, int32_t limit);
  static std::string urlEncode(const std::string& text);
  static std::optional<std::string> JSONFragment(const plat::Value& value);
  static std::optional<plat::Value> JSONValue(const std::string& text);
};
