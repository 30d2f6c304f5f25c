// What our wrappers over the crypto library add: the input handed over, hex text, padding and
// refusal of damaged cipher text, and the form of device identifiers.
#include <gtest/gtest.h>

#include <array>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "platform/crypto/Aes.h"
#include "platform/crypto/Digest.h"
#include "platform/crypto/Uuid.h"

using plat::crypto::aes128CbcDecrypt;
using plat::crypto::aes128CbcEncrypt;
using plat::crypto::hex;
using plat::crypto::md5;
using plat::crypto::sha1;

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

TEST(DigestAndUuid, HashesTheWholeInputWritesHexAndMakesUniqueVersion4Identifiers) {
  EXPECT_EQ(hex(md5("")), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(hex(md5("abc")), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(hex(md5(std::string("ab\0cd", 5))), "5d622b3d4d8cc07754fd386e7f29326e");
  EXPECT_EQ(hex(sha1("abc")), "a9993e364706816aba3e25717850c26c9cd0d89d");
  const uint8_t bytes[] = {0x00, 0x0A, 0xF0, 0xFF};
  EXPECT_EQ(hex(bytes, 4), "000af0ff");
  EXPECT_EQ(hex(bytes, 4, true), "000AF0FF");

  const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) {
    std::string uuid = plat::crypto::randomUuidString();
    EXPECT_TRUE(std::regex_match(uuid, form)) << uuid;
    seen.insert(uuid);
  }
  EXPECT_EQ(seen.size(), 200u);
}
