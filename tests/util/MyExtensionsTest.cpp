#include "util/MyExtensions.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace MyExtensions;

TEST(MyExtensions, Md5MatchesTheStandardsVectors) {
  const std::pair<std::string, const char*> vectors[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      {std::string(1'000'000, 'a'), "7707d6ae4e027c70eea2a935c2296f21"},
      {"\xE5\x8D\x95\xE8\xAF\x8D", "a23b6acaf0e8eed75b547c90b3177756"},  // 单词, as UTF-8
  };
  for (const auto& [text, digest] : vectors) {
    EXPECT_EQ(md5(text), digest);
    EXPECT_EQ(md5(plat::Value::Bytes(text.begin(), text.end())), digest);
  }
}

TEST(MyExtensions, Md5OfTextIsLowerCaseHexAndStopsAtAZeroCharacter) {
  EXPECT_EQ(md5(std::string("abc\0def", 7)), "900150983cd24fb0d6963f7d28e17f72");
  // Data, unlike text, counts every byte.
  EXPECT_NE(md5(plat::Value::Bytes{'a', 'b', 'c', 0, 'd'}), md5("abc"));
  EXPECT_EQ(md5(plat::Value::Bytes{'a', 'b', 'c'}), md5("abc"));
}

TEST(MyExtensions, UrlEncodingEscapesReservedAndNonAsciiBytes) {
  const std::pair<std::string, std::string> table[] = {
      {"", ""},
      {"AZaz09-._~", "AZaz09-._~"},
      {"!*'();:@&=+$,/?%#[]", "%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D"},
      {"a b\"<>\\^`{|}", "a%20b%22%3C%3E%5C%5E%60%7B%7C%7D"},
      {"\xE5\x8D\x95\xE8\xAF\x8D", "%E5%8D%95%E8%AF%8D"},  // 单词
      {std::string("\n\0", 2), "%0A%00"},
  };
  for (const auto& [plain, encoded] : table) {
    EXPECT_EQ(URLEncodedString(plain), encoded);
    EXPECT_EQ(URLDecodedString(encoded), plain);
  }
}

TEST(MyExtensions, UrlDecodingReplacesEveryEscapeOrRefuses) {
  EXPECT_EQ(URLDecodedString("a+b%2fc%2Fd"), "a+b/c/d");
  EXPECT_EQ(URLDecodedString("%2525"), "%25");  // decoded once, not twice
  EXPECT_FALSE(URLDecodedString("%"));
  EXPECT_FALSE(URLDecodedString("abc%4"));
  EXPECT_FALSE(URLDecodedString("%zz"));
  EXPECT_FALSE(URLDecodedString("%FF"));           // not UTF-8
  EXPECT_FALSE(URLDecodedString("%E5%8D"));        // cut short
  EXPECT_FALSE(URLDecodedString("%C0%AF"));        // overlong "/"
  EXPECT_FALSE(URLDecodedString("%ED%A0%80"));     // a surrogate
  EXPECT_FALSE(URLDecodedString("%F4%90%80%80"));  // past U+10FFFF
  EXPECT_EQ(URLDecodedString("%F0%9F%98%80"), "\xF0\x9F\x98\x80");
}

// The word card's note pages check the other escapes and their order.
TEST(MyExtensions, TurnHtmlEscapesTheFiveCharactersOnce) {
  EXPECT_EQ(turnHtml("x>y \xE5\x8D\x95"), "x&gt;y \xE5\x8D\x95");
  EXPECT_EQ(turnHtml("a<b & it's Tom's"), "a&lt;b &amp; it&#146;s Tom&#146;s");
  EXPECT_EQ(turnHtml("\"q\""), "&quot;q&quot;");
  // A reference already there is text to escape, and made references are not escaped again.
  EXPECT_EQ(turnHtml("&amp; &#39;"), "&amp;amp; &amp;#39;");
  EXPECT_EQ(turnHtml(""), "");
}

TEST(MyExtensions, LonglongCompareIsExactBeyondDoublePrecision) {
  const int64_t big = (int64_t{1} << 53);
  EXPECT_EQ(longlongCompare(plat::Value(big + 1), plat::Value(big)),
            ComparisonResult::OrderedDescending);
  EXPECT_EQ(longlongCompare(plat::Value(big), plat::Value(static_cast<uint64_t>(big))),
            ComparisonResult::OrderedSame);
  EXPECT_EQ(longlongCompare(plat::Value(INT64_MIN), plat::Value(INT64_MAX)),
            ComparisonResult::OrderedAscending);
}
