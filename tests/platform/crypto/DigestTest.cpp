#include "platform/crypto/Digest.h"

#include <gtest/gtest.h>

#include <string>

using plat::crypto::hex;
using plat::crypto::md5;
using plat::crypto::sha1;

TEST(Digest, Md5MatchesRfc1321TestSuiteAndReadsPastZeroBytes) {
  const std::pair<std::string, std::string> vectors[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      {std::string("ab\0cd", 5), "5d622b3d4d8cc07754fd386e7f29326e"},  // past a zero byte
  };
  for (const auto& [input, expected] : vectors) EXPECT_EQ(hex(md5(input)), expected) << input;
}

TEST(Digest, Sha1MatchesFips180Vectors) {
  EXPECT_EQ(hex(sha1("abc")), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(hex(sha1("")), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
  EXPECT_EQ(hex(sha1("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
}

TEST(Digest, HexWritesEveryByteAsTwoDigitsInTheAskedCase) {
  const uint8_t bytes[] = {0x00, 0x0A, 0xF0, 0xFF};
  EXPECT_EQ(hex(bytes, 4), "000af0ff");
  EXPECT_EQ(hex(bytes, 4, true), "000AF0FF");
  EXPECT_EQ(hex(bytes, 0), "");
}
