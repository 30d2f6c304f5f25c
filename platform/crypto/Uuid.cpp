#include "platform/crypto/Uuid.h"

#include <openssl/rand.h>

#include <array>
#include <cstdint>
#include <random>

#include "platform/crypto/CryptoLibrary.h"
#include "platform/crypto/Digest.h"

namespace plat::crypto {

std::string randomUuidString() {
  prepareLibrary();
  std::array<uint8_t, 16> bytes{};
  if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1) {
    // The system's entropy source is a fine fallback should libcrypto's generator be unusable.
    std::random_device device;
    for (auto& b : bytes) b = static_cast<uint8_t>(device());
  }
  bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  std::string digits = hex(bytes, true);
  return digits.substr(0, 8) + "-" + digits.substr(8, 4) + "-" + digits.substr(12, 4) + "-" +
         digits.substr(16, 4) + "-" + digits.substr(20, 12);
}

}  // namespace plat::crypto
