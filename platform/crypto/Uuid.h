// Random identifiers: the device's vendor identifier stand-in and fresh UUIDs.
#pragma once

#include <string>

namespace plat::crypto {

// A new random (version 4) UUID in its canonical form: 36 characters, five groups of 8-4-4-4-12
// upper-case hexadecimal digits joined by hyphens.
std::string randomUuidString();

}  // namespace plat::crypto
