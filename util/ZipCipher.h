// The traditional zip encryption of password entries: three keys stirred by every plain byte, the
// 12-byte header before the data whose last byte checks the password. Weak by today's measure,
// but the one every zip reader understands.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

class ZipCipher {
 public:
  static constexpr size_t kHeaderSize = 12;

  explicit ZipCipher(const std::string& password);

  // In place; the keys follow the plain bytes, so both sides must see the same stream in order.
  void encrypt(std::span<uint8_t> bytes);
  void decrypt(std::span<uint8_t> bytes);

  // The header a writer puts before the data: random bytes, the last one being `check`.
  std::array<uint8_t, kHeaderSize> encryptedHeader(uint8_t check);

 private:
  uint8_t keyStreamByte() const;
  void updateKeys(uint8_t plain);

  uint32_t keys_[3];
};
