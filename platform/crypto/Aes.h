// AES-128 in CBC mode with PKCS#7 padding, the cipher of the analytics envelopes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace plat::crypto {

using AesKey = std::span<const uint8_t, 16>;
using AesIv = std::span<const uint8_t, 16>;

// The whole input in one pass; nullopt when the cipher fails (for decryption: wrong key or
// padding, or a length that is not a multiple of the block size).
std::optional<std::vector<uint8_t>> aes128CbcEncrypt(std::span<const uint8_t> data, AesKey key,
                                                     AesIv iv);
std::optional<std::vector<uint8_t>> aes128CbcDecrypt(std::span<const uint8_t> data, AesKey key,
                                                     AesIv iv);

}  // namespace plat::crypto
