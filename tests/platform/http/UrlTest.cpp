#include "platform/http/Url.h"

#include <gtest/gtest.h>

using plat::http::Url;

TEST(Url, ParsesAndResolvesAsRfc3986) {
  auto url = Url::parse("HTTP://User:Pw@Example.COM:8080/a/b.php?x=1&y=%20#frag");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->scheme(), "http");
  EXPECT_EQ(url->user(), "User");
  EXPECT_EQ(url->password(), "Pw");
  EXPECT_EQ(url->host(), "example.com");
  EXPECT_EQ(url->port(), 8080);
  EXPECT_EQ(url->path(), "/a/b.php");
  EXPECT_EQ(url->query(), "x=1&y=%20");
  EXPECT_EQ(url->fragment(), "frag");
  EXPECT_EQ(url->requestTarget(), "/a/b.php?x=1&y=%20");
  EXPECT_EQ(url->hostHeader(), "example.com:8080");
  EXPECT_EQ(url->absoluteString(), "http://User:Pw@example.com:8080/a/b.php?x=1&y=%20#frag");
  auto plain = Url::parse("https://host");
  ASSERT_TRUE(plain);
  EXPECT_FALSE(plain->port());
  EXPECT_EQ(plain->effectivePort(), 443);
  EXPECT_EQ(plain->requestTarget(), "/");
  EXPECT_EQ(plain->hostHeader(), "host");
  auto v6 = Url::parse("http://[::1]:81/x");
  ASSERT_TRUE(v6);
  EXPECT_EQ(v6->host(), "::1");
  EXPECT_EQ(v6->port(), 81);
  EXPECT_EQ(v6->hostHeader(), "[::1]:81");
  // Brackets hold IP literals only, and stay around them when the URL is written again.
  auto future = Url::parse("http://[v1.Fe80::a+en1]/");
  ASSERT_TRUE(future);
  EXPECT_EQ(future->absoluteString(), "http://[v1.fe80::a+en1]/");
  EXPECT_EQ(Url::parse("http://[::ffff:127.0.0.1]/")->host(), "::ffff:127.0.0.1");

  // The edges of a port, a user without a password and an empty port.
  EXPECT_EQ(Url::parse("http://h:65535/")->port(), 65535);
  EXPECT_EQ(Url::parse("http://h:00080/")->port(), 80);
  auto bare = Url::parse("http://u@h:/p");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->user(), "u");
  EXPECT_EQ(bare->password(), "");
  EXPECT_FALSE(bare->port());
  EXPECT_EQ(bare->absoluteString(), "http://u@h/p");

  for (const char* text : {"", "no scheme here", "http://h:65536/", "http://h/#a#b", "/relative/path", "http://host:99999/",
                           "http://host:12ab/", "http://ho st/", "http://host/%zz", "http://h/\x01",
                           "http://[::1/", "http://a:b:80/", "http://a]b/", "http://[a[b]/",
                           "http://::1/", "http://[127.0.0.1]/", "http://[example.com]/",
                           "http://[]/", "http://[v1.]/", "http://[vz.x]/", "http://[v.x]/"}) {
    EXPECT_FALSE(Url::parse(text)) << text;
  }

  Url base = *Url::parse("http://a/b/c/d;p?q");
  const std::pair<const char*, const char*> cases[] = {
      {"g:h", "g:h"},
      {"g", "http://a/b/c/g"},
      {"./g", "http://a/b/c/g"},
      {"g/", "http://a/b/c/g/"},
      {"/g", "http://a/g"},
      {"//g", "http://g"},
      {"?y", "http://a/b/c/d;p?y"},
      {"g?y", "http://a/b/c/g?y"},
      {"#s", "http://a/b/c/d;p?q#s"},
      {"", "http://a/b/c/d;p?q"},
      {".", "http://a/b/c/"},
      {"..", "http://a/b/"},
      {"../g", "http://a/b/g"},
      {"../..", "http://a/"},
      {"../../../g", "http://a/g"},
      {"/./g", "http://a/g"},
      {"g;x=1/../y", "http://a/b/c/y"},
      {"http://a/b/../../g/./h", "http://a/g/h"},
  };
  for (const auto& [reference, expected] : cases) {
    auto resolved = Url::resolve(reference, base);
    ASSERT_TRUE(resolved) << reference;
    EXPECT_EQ(resolved->absoluteString(), expected) << reference;
  }
  // A location keeps the port and credentials of its base.
  Url login = *Url::parse("http://u:p@127.0.0.1:8123/api/login.php?x=1");
  EXPECT_EQ(Url::resolve("next.php", login)->absoluteString(),
            "http://u:p@127.0.0.1:8123/api/next.php");
  EXPECT_FALSE(Url::resolve("bad location", login));
}
