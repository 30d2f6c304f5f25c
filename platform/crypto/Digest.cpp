#include "platform/crypto/Digest.h"

#include <openssl/evp.h>

#include <stdexcept>

#include "platform/crypto/CryptoLibrary.h"

namespace plat::crypto {
namespace {

template <size_t N>
std::array<uint8_t, N> digest(const EVP_MD* type, const void* data, size_t length) {
  prepareLibrary();
  std::array<uint8_t, N> out{};
  unsigned int written = 0;
  // EVP_Digest only fails when libcrypto cannot allocate; a silent zero digest would be worse.
  if (EVP_Digest(length ? data : "", length, out.data(), &written, type, nullptr) != 1 ||
      written != N)
    throw std::runtime_error("digest computation failed");
  return out;
}

}  // namespace

Md5Digest md5(const void* data, size_t length) {
  return digest<16>(EVP_md5(), data, length);
}

Sha1Digest sha1(const void* data, size_t length) {
  return digest<20>(EVP_sha1(), data, length);
}

std::string hex(const uint8_t* bytes, size_t length, bool upperCase) {
  const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text(length * 2, '0');
  for (size_t i = 0; i < length; ++i) {
    text[2 * i] = digits[bytes[i] >> 4];
    text[2 * i + 1] = digits[bytes[i] & 0x0F];
  }
  return text;
}

}  // namespace plat::crypto
