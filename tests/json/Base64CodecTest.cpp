// Base64: the RFC 4648 vectors in both alphabets, padding rules, skipped bytes and what fails.
#include <gtest/gtest.h>

#include "json/Base64Codec.h"

namespace {

using Bytes = Base64Codec::Bytes;

Bytes bytesOf(const std::string& text) {
  return Bytes(text.begin(), text.end());
}
std::string textOf(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

TEST(Base64Codec, Rfc4648Vectors) {
  const std::pair<const char*, const char*> vectors[] = {
      {"f", "Zg=="},        {"fo", "Zm8="},        {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
  for (auto [plain, encoded] : vectors) {
    EXPECT_EQ(Base64Codec::stringByEncodingData(bytesOf(plain)).value(), encoded);
    EXPECT_EQ(textOf(Base64Codec::decodeString(encoded).value()), plain);
    EXPECT_EQ(textOf(Base64Codec::webSafeDecodeString(encoded).value()), plain);
    EXPECT_EQ(Base64Codec::stringByWebSafeEncodingData(bytesOf(plain), true).value(), encoded);
  }
  EXPECT_EQ(Base64Codec::stringByWebSafeEncodingData(bytesOf("fo"), false).value(), "Zm8");
}

TEST(Base64Codec, WebSafeAlphabetDiffersInTheLastTwoCharacters) {
  Bytes high = {0xFB, 0xFF, 0xBF};
  EXPECT_EQ(Base64Codec::stringByEncodingData(high).value(), "+/+/");
  EXPECT_EQ(Base64Codec::stringByWebSafeEncodingData(high, false).value(), "-_-_");
  EXPECT_EQ(Base64Codec::webSafeDecodeString("-_-_").value(), high);
  EXPECT_FALSE(Base64Codec::webSafeDecodeString("+/+/").has_value());
  EXPECT_FALSE(Base64Codec::decodeString("-_-_").has_value());

  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(i);
  EXPECT_EQ(Base64Codec::decodeData(Base64Codec::encodeData(all).value()).value(), all);
  EXPECT_EQ(Base64Codec::webSafeDecodeData(Base64Codec::webSafeEncodeData(all, false).value()),
            all);
}

TEST(Base64Codec, PaddingRules) {
  EXPECT_EQ(textOf(Base64Codec::webSafeDecodeString("QQ").value()), "A");
  EXPECT_FALSE(Base64Codec::decodeString("QQ").has_value());    // padding required
  EXPECT_FALSE(Base64Codec::decodeString("Q===").has_value());  // pad after one character
  EXPECT_FALSE(Base64Codec::decodeString("QQ=").has_value());   // second pad missing
  EXPECT_FALSE(Base64Codec::webSafeDecodeString("QQ=").has_value());
  EXPECT_FALSE(Base64Codec::decodeString("QUI==").has_value());  // one pad too many
  EXPECT_FALSE(Base64Codec::decodeString("QQ==QQ==").has_value());
  EXPECT_FALSE(Base64Codec::webSafeDecodeString("QUJDR").has_value());  // one character left
  EXPECT_EQ(textOf(Base64Codec::decodeString("QQ = =\n").value()), "A");
  // Stray low bits in the last character, and empty input, fail.
  EXPECT_FALSE(Base64Codec::decodeString("QR==").has_value());
  EXPECT_EQ(textOf(Base64Codec::decodeString("QUI=").value()), "AB");
  EXPECT_FALSE(Base64Codec::decodeString("QUJ=").has_value());
  EXPECT_FALSE(Base64Codec::encodeData({}).has_value());
  EXPECT_FALSE(Base64Codec::decodeData({}).has_value());
  EXPECT_FALSE(Base64Codec::decodeString(" \n").has_value());
  EXPECT_FALSE(Base64Codec::webSafeDecodeString("").has_value());
}

TEST(Base64Codec, SkippedBytesAndEndOfInput) {
  EXPECT_EQ(textOf(Base64Codec::decodeString("Zm9v\r\nYmFy\t \v\f").value()), "foobar");
  Bytes withHighSpaces = bytesOf("Zm9v");
  withHighSpaces.insert(withHighSpaces.begin() + 2, {0xA0, 0xFF});
  EXPECT_EQ(textOf(Base64Codec::decodeData(withHighSpaces).value()), "foo");
  Bytes nulEnds = bytesOf("Zm9v");
  nulEnds.push_back(0);
  nulEnds.push_back('!');
  EXPECT_EQ(textOf(Base64Codec::decodeData(nulEnds).value()), "foo");
  // As text, 0xA0 is not ASCII and fails; any other high byte fails as bytes too.
  EXPECT_FALSE(Base64Codec::decodeString("Zm9v\xC2\xA0").has_value());
  EXPECT_FALSE(Base64Codec::decodeData({'Z', 'm', 0x80, '9', 'v'}).has_value());
  EXPECT_FALSE(Base64Codec::decodeString("Zm9v!").has_value());
}

}  // namespace
