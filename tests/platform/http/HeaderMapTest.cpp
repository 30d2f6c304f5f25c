#include "platform/http/HeaderMap.h"

#include <gtest/gtest.h>

using plat::http::equalsIgnoringCase;
using plat::http::HeaderMap;
using plat::http::lowercased;

// Names match in any letter case; only ASCII letters fold, so bytes of UTF-8 text stay apart.
TEST(HeaderMap, NamesFoldAsciiLettersOnly) {
  EXPECT_TRUE(equalsIgnoringCase("Content-LENGTH", "content-length"));
  EXPECT_FALSE(equalsIgnoringCase("Content-Length", "Content-Lengths"));
  EXPECT_FALSE(equalsIgnoringCase("\xC3\x89t\xC3\xA9", "\xC3\xA9t\xC3\xA9"));  // "Été", "été"
  EXPECT_EQ(lowercased("KEEP-Alive \xC3\x89"), "keep-alive \xC3\x89");

  HeaderMap headers;
  headers.set("Content-Type", "text/plain");
  headers.append("x-tag", "a");
  headers.append("X-TAG", "b");
  ASSERT_NE(headers.find("CONTENT-type"), nullptr);
  EXPECT_EQ(*headers.find("CONTENT-type"), "text/plain");
  EXPECT_EQ(headers.find("Content-Length"), nullptr);
  EXPECT_EQ(headers.value("X-Tag"), "a, b");
  EXPECT_EQ(headers.value("Missing"), "");
  EXPECT_TRUE(headers.contains("x-TAG"));
  EXPECT_TRUE(headers.remove("X-TAG"));
  EXPECT_FALSE(headers.contains("x-tag"));
}
