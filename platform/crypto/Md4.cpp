#include "platform/crypto/Md4.h"

#include <openssl/hmac.h>

#include <cstring>
#include <stdexcept>

#include "platform/crypto/CryptoLibrary.h"

namespace plat::crypto {
namespace {

// The state of RFC 1320 over one 64-byte block.
struct Md4State {
  uint32_t a = 0x67452301, b = 0xefcdab89, c = 0x98badcfe, d = 0x10325476;

  static uint32_t rotl(uint32_t x, int s) { return (x << s) | (x >> (32 - s)); }

  void block(const uint8_t* bytes) {
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
      x[i] = uint32_t(bytes[4 * i]) | uint32_t(bytes[4 * i + 1]) << 8 |
             uint32_t(bytes[4 * i + 2]) << 16 | uint32_t(bytes[4 * i + 3]) << 24;
    uint32_t aa = a, bb = b, cc = c, dd = d;
    auto f = [](uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (~x & z); };
    auto g = [](uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (x & z) | (y & z); };
    auto h = [](uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; };
    static const int s1[4] = {3, 7, 11, 19}, s2[4] = {3, 5, 9, 13}, s3[4] = {3, 9, 11, 15};
    uint32_t* v[4] = {&aa, &dd, &cc, &bb};  // the word each step of a round writes
    for (int i = 0; i < 16; ++i) {
      uint32_t& w = *v[i % 4];
      w = rotl(w + f(*v[(i + 3) % 4], *v[(i + 2) % 4], *v[(i + 1) % 4]) + x[i], s1[i % 4]);
    }
    static const int order2[16] = {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15};
    for (int i = 0; i < 16; ++i) {
      uint32_t& w = *v[i % 4];
      w = rotl(
          w + g(*v[(i + 3) % 4], *v[(i + 2) % 4], *v[(i + 1) % 4]) + x[order2[i]] + 0x5a827999u,
          s2[i % 4]);
    }
    static const int order3[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
    for (int i = 0; i < 16; ++i) {
      uint32_t& w = *v[i % 4];
      w = rotl(
          w + h(*v[(i + 3) % 4], *v[(i + 2) % 4], *v[(i + 1) % 4]) + x[order3[i]] + 0x6ed9eba1u,
          s3[i % 4]);
    }
    a += aa;
    b += bb;
    c += cc;
    d += dd;
  }
};

}  // namespace

Md4Digest md4(const void* data, size_t length) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  Md4State state;
  size_t done = 0;
  for (; length - done >= 64; done += 64) state.block(bytes + done);
  // The tail, a one bit, zeros and the length in bits, over one or two blocks.
  uint8_t tail[128] = {};
  const size_t rest = length - done;
  if (rest) std::memcpy(tail, bytes + done, rest);
  tail[rest] = 0x80;
  const size_t tailLength = rest < 56 ? 64 : 128;
  const uint64_t bits = uint64_t(length) * 8;
  for (int i = 0; i < 8; ++i) tail[tailLength - 8 + i] = uint8_t(bits >> (8 * i));
  for (size_t at = 0; at < tailLength; at += 64) state.block(tail + at);

  Md4Digest out;
  const uint32_t words[4] = {state.a, state.b, state.c, state.d};
  for (int i = 0; i < 16; ++i) out[i] = uint8_t(words[i / 4] >> (8 * (i % 4)));
  return out;
}

HmacMd5Digest hmacMd5(std::string_view key, std::string_view message) {
  prepareLibrary();
  HmacMd5Digest out{};
  unsigned int written = 0;
  // libcrypto refuses an empty key; a block of zeros is the same key once padded.
  static const unsigned char zeros[64] = {};
  static const unsigned char nothing = 0;
  const auto* keyBytes = key.empty() ? zeros : reinterpret_cast<const unsigned char*>(key.data());
  const int keyLength = key.empty() ? static_cast<int>(sizeof zeros) : static_cast<int>(key.size());
  const auto* data =
      message.empty() ? &nothing : reinterpret_cast<const unsigned char*>(message.data());
  // HMAC only fails when libcrypto cannot allocate; a silent zero value would be worse.
  if (!HMAC(EVP_md5(), keyBytes, keyLength, data, message.size(), out.data(), &written) ||
      written != out.size())
    throw std::runtime_error("HMAC-MD5 computation failed");
  return out;
}

}  // namespace plat::crypto
