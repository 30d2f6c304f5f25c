// The device identifier that every account request carries: the MD5 of the device UUID (systems
// from 7.0 on) or of the network hardware address (older systems). Computed afresh on each call.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace DeviceIdentifier {

// 32 lower-case hex digits; empty when there is no identifier (no readable hardware address).
// The system version is the device's version string ("7.0", "6.1.4"), read as a number.
std::string uniqueGlobalDeviceIdentifier(std::string_view systemVersion);
// The same for the system version of plat::Device.
std::string uniqueGlobalDeviceIdentifier();

// The hardware address of "en0", else "en1", else the first other interface that has one, as
// "%02X:%02X:%02X:%02X:%02X:%02X"; nullopt (and a line on standard output) when none is readable.
std::optional<std::string> macaddress1();

// The device UUID.
std::string macaddress2();

}  // namespace DeviceIdentifier
