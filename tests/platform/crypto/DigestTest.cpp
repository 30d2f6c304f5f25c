#include "platform/crypto/Digest.h"

#include <gtest/gtest.h>

#include <string>

using plat::crypto::hex;
using plat::crypto::md5;
using plat::crypto::sha1;

// The library does the hashing: what is ours is the input handed over and the hex text.
TEST(Digest, HashesTheWholeInputAndWritesEveryByteAsTwoDigits) {
  EXPECT_EQ(hex(md5("")), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(hex(md5("abc")), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(hex(md5(std::string("ab\0cd", 5))), "5d622b3d4d8cc07754fd386e7f29326e");
  EXPECT_EQ(hex(sha1("abc")), "a9993e364706816aba3e25717850c26c9cd0d89d");
  const uint8_t bytes[] = {0x00, 0x0A, 0xF0, 0xFF};
  EXPECT_EQ(hex(bytes, 4), "000af0ff");
  EXPECT_EQ(hex(bytes, 4, true), "000AF0FF");
}
