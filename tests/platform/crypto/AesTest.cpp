#include "platform/crypto/Aes.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using plat::crypto::aes128CbcDecrypt;
using plat::crypto::aes128CbcEncrypt;

namespace {

// NIST SP 800-38A, F.2.1 (CBC-AES128), first block.
const std::array<uint8_t, 16> kKey = {0x2b, 0x7e, 0x15, 0x16, 0x28, 0xae, 0xd2, 0xa6,
                                      0xab, 0xf7, 0x15, 0x88, 0x09, 0xcf, 0x4f, 0x3c};
const std::array<uint8_t, 16> kIv = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
const std::vector<uint8_t> kPlain = {0x6b, 0xc1, 0xbe, 0xe2, 0x2e, 0x40, 0x9f, 0x96,
                                     0xe9, 0x3d, 0x7e, 0x11, 0x73, 0x93, 0x17, 0x2a};
const std::vector<uint8_t> kCipher = {0x76, 0x49, 0xab, 0xac, 0x81, 0x19, 0xb2, 0x46,
                                      0xce, 0xe9, 0x8e, 0x9b, 0x12, 0xe9, 0x19, 0x7d};

}  // namespace

TEST(Aes, EncryptsLikeTheStandardAndRoundTripsEveryLengthWithPaddingAndRefusesDamage) {
  auto standard = aes128CbcEncrypt(kPlain, kKey, kIv);
  ASSERT_TRUE(standard);
  EXPECT_EQ(std::vector<uint8_t>(standard->begin(), standard->begin() + 16), kCipher);
  for (size_t n : {0u, 1u, 15u, 16u, 17u, 1000u}) {
    std::vector<uint8_t> data(n);
    for (size_t i = 0; i < n; ++i) data[i] = static_cast<uint8_t>(i * 7);
    auto out = aes128CbcEncrypt(data, kKey, kIv);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->size(), (n / 16 + 1) * 16);  // a whole block of padding after an exact multiple
    auto back = aes128CbcDecrypt(*out, kKey, kIv);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, data);
  }
  // Damaged cipher text fails instead of returning garbage.
  std::vector<uint8_t> truncated(standard->begin(), standard->end() - 1);
  EXPECT_FALSE(aes128CbcDecrypt(truncated, kKey, kIv));
  EXPECT_FALSE(aes128CbcDecrypt(std::vector<uint8_t>{}, kKey, kIv));
}
