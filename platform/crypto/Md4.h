// MD4 and HMAC-MD5, the two primitives of NTLM logins. MD4 is ours: OpenSSL keeps it only in its
// legacy provider, which a system may not load. Both are for the login protocol alone: MD4 is
// broken as a general digest.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace plat::crypto {

using Md4Digest = std::array<uint8_t, 16>;
using HmacMd5Digest = std::array<uint8_t, 16>;

Md4Digest md4(const void* data, size_t length);
inline Md4Digest md4(std::string_view bytes) {
  return md4(bytes.data(), bytes.size());
}

// HMAC (RFC 2104) over MD5 with a key of any length.
HmacMd5Digest hmacMd5(std::string_view key, std::string_view message);

}  // namespace plat::crypto
