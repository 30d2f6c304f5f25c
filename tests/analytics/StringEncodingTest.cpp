#include <gtest/gtest.h>

#include "analytics/ANStringEncoding.h"

namespace {

struct Vector {
  const char* plain;
  const char* base64;
  const char* base32;
  const char* base32hex;
  const char* base16;
};

// The test vectors of RFC 4648, section 10.
const Vector kRfcVectors[] = {
    {"", "", "", "", ""},
    {"f", "Zg==", "MY======", "CO======", "66"},
    {"fo", "Zm8=", "MZXQ====", "CPNG====", "666F"},
    {"foo", "Zm9v", "MZXW6===", "CPNMU===", "666F6F"},
    {"foob", "Zm9vYg==", "MZXW6YQ=", "CPNMUOG=", "666F6F62"},
    {"fooba", "Zm9vYmE=", "MZXW6YTB", "CPNMUOJ1", "666F6F6261"},
    {"foobar", "Zm9vYmFy", "MZXW6YTBOI======", "CPNMUOJ1E8======", "666F6F626172"},
};

TEST(AnalyticsBaseN, RfcVectorsInEveryAlphabet) {
  auto base64 = ANStringEncoding::rfc4648Base64StringEncoding();
  auto base32 = ANStringEncoding::rfc4648Base32StringEncoding();
  auto base32hex = ANStringEncoding::rfc4648Base32HexStringEncoding();
  auto hex = ANStringEncoding::hexStringEncoding();
  for (const Vector& v : kRfcVectors) {
    EXPECT_EQ(base64.encodeString(v.plain), v.base64);
    EXPECT_EQ(base32.encodeString(v.plain), v.base32);
    EXPECT_EQ(base32hex.encodeString(v.plain), v.base32hex);
    EXPECT_EQ(hex.encodeString(v.plain), v.base16);
    EXPECT_EQ(*base64.stringByDecoding(v.base64), v.plain);
    EXPECT_EQ(*base32.stringByDecoding(v.base32), v.plain);
    EXPECT_EQ(*base32hex.stringByDecoding(v.base32hex), v.plain);
    EXPECT_EQ(*hex.stringByDecoding(v.base16), v.plain);
  }
  // Web-safe Base64 differs only in its last two characters.
  ANStringEncoding::Bytes bytes = {0xfb, 0xff, 0xbf};
  EXPECT_EQ(base64.encode(bytes), "+/+/");
  auto websafe = ANStringEncoding::rfc4648Base64WebsafeStringEncoding();
  EXPECT_EQ(websafe.encode(bytes), "-_-_");
  EXPECT_EQ(*websafe.decode("-_-_"), bytes);
  EXPECT_EQ(ANStringEncoding::binaryStringEncoding().encode({0xA5}), "10100101");
}

TEST(AnalyticsBaseN, DecodingRulesAndBadInput) {
  auto base64 = ANStringEncoding::rfc4648Base64StringEncoding();
  ANStringEncoding::Bytes four = {1, 2, 3, 4};
  EXPECT_EQ(base64.encode(four), "AQIDBA==");
  EXPECT_EQ(*base64.decode("AQIDBA"), four);  // padding may be left out
  EXPECT_FALSE(base64.decode("AQ=D"));        // data after padding
  EXPECT_FALSE(base64.decode("AR=="));        // leftover bits that are not zero
  EXPECT_FALSE(base64.decode("A*"));
  EXPECT_FALSE(base64.decode("\xC3\xA9"));

  auto hex = ANStringEncoding::hexStringEncoding();
  EXPECT_EQ(*hex.decode("ff"), *hex.decode("FF"));
  auto crockford = ANStringEncoding::crockfordBase32StringEncoding();
  EXPECT_EQ(*crockford.decode("oO"), *crockford.decode("00"));
  EXPECT_EQ(*crockford.decode("IiLlIiLl"), *crockford.decode("11111111"));

  hex.ignoreCharacters(" -");
  EXPECT_EQ(*hex.decode("66 6F-6F"), *hex.decode("666F6F"));
  EXPECT_THROW(hex.ignoreCharacters("A"), std::logic_error);

  EXPECT_FALSE(ANStringEncoding::stringEncodingWithString("abc"));
  EXPECT_FALSE(ANStringEncoding::stringEncodingWithString("abca"));
  EXPECT_TRUE(ANStringEncoding::stringEncodingWithString("ab"));
}

}  // namespace
