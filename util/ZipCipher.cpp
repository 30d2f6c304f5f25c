#include "util/ZipCipher.h"

#include <openssl/rand.h>
#include <zlib.h>

#include "platform/crypto/CryptoLibrary.h"

namespace {

// One step of the CRC-32 that the keys are made of.
uint32_t crcStep(uint32_t crc, uint8_t byte) {
  static const z_crc_t* table = get_crc_table();
  return table[(crc ^ byte) & 0xff] ^ (crc >> 8);
}

}  // namespace

ZipCipher::ZipCipher(const std::string& password) : keys_{0x12345678, 0x23456789, 0x34567890} {
  for (char c : password) updateKeys(static_cast<uint8_t>(c));
}

uint8_t ZipCipher::keyStreamByte() const {
  const uint32_t temp = (keys_[2] | 2) & 0xffff;
  return static_cast<uint8_t>((temp * (temp ^ 1)) >> 8);
}

void ZipCipher::updateKeys(uint8_t plain) {
  keys_[0] = crcStep(keys_[0], plain);
  keys_[1] = (keys_[1] + (keys_[0] & 0xff)) * 134775813 + 1;
  keys_[2] = crcStep(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
}

void ZipCipher::encrypt(std::span<uint8_t> bytes) {
  for (uint8_t& byte : bytes) {
    const uint8_t plain = byte;
    byte = plain ^ keyStreamByte();
    updateKeys(plain);
  }
}

void ZipCipher::decrypt(std::span<uint8_t> bytes) {
  for (uint8_t& byte : bytes) {
    byte ^= keyStreamByte();
    updateKeys(byte);
  }
}

std::array<uint8_t, ZipCipher::kHeaderSize> ZipCipher::encryptedHeader(uint8_t check) {
  plat::crypto::prepareLibrary();
  std::array<uint8_t, kHeaderSize> header{};
  // The random bytes keep two entries of the same password and data from sharing a key stream.
  RAND_bytes(header.data(), static_cast<int>(header.size() - 1));
  header.back() = check;
  encrypt(header);
  return header;
}
