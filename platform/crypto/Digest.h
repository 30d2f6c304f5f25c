// Message digests over OpenSSL's libcrypto: MD5 for request check codes, file keys and device
// identifiers, SHA-1 for the analytics, and the hexadecimal text forms the callers send.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace plat::crypto {

using Md5Digest = std::array<uint8_t, 16>;
using Sha1Digest = std::array<uint8_t, 20>;

Md5Digest md5(const void* data, size_t length);
inline Md5Digest md5(std::string_view bytes) {
  return md5(bytes.data(), bytes.size());
}

Sha1Digest sha1(const void* data, size_t length);
inline Sha1Digest sha1(std::string_view bytes) {
  return sha1(bytes.data(), bytes.size());
}

// Two hexadecimal digits per byte, most significant nibble first.
std::string hex(const uint8_t* bytes, size_t length, bool upperCase = false);
template <size_t N>
std::string hex(const std::array<uint8_t, N>& digest, bool upperCase = false) {
  return hex(digest.data(), N, upperCase);
}

}  // namespace plat::crypto
