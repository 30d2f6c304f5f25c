#include <gtest/gtest.h>

#include "platform/http/CookieStore.h"
#include "tests/support/VirtualTime.h"

using plat::http::Cookie;
using plat::http::CookieStore;
using plat::http::Url;

namespace {

const double kNow = 1'700'000'000.0;

std::vector<Cookie> parse(const std::string& value, const std::string& url) {
  return Cookie::parseSetCookieValues({value}, *Url::parse(url), kNow);
}

class CookieStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { CookieStore::shared().removeAll(); }
  void TearDown() override { CookieStore::shared().removeAll(); }
  std::vector<std::string> namesFor(const std::string& url) {
    std::vector<std::string> names;
    for (const Cookie& c : CookieStore::shared().cookiesForUrl(*Url::parse(url)))
      names.push_back(c.name + "=" + c.value);
    return names;
  }
  testsupport::VirtualTime time_{kNow};
};

}  // namespace

TEST(Cookie, ReadsAttributesDatesAndDefaultsAndRefusesForeignDomains) {
  auto cookies =
      parse("sid = abc=def ; Path=/api; Secure; HttpOnly; Max-Age=60", "https://Example.com/x/y");
  ASSERT_EQ(cookies.size(), 1u);
  const Cookie& c = cookies[0];
  EXPECT_EQ(c.name, "sid");
  EXPECT_EQ(c.value, "abc=def");
  EXPECT_EQ(c.domain, "example.com");
  EXPECT_TRUE(c.isHostOnly());
  EXPECT_EQ(c.path, "/api");
  EXPECT_TRUE(c.secure);
  EXPECT_TRUE(c.httpOnly);
  EXPECT_EQ(c.expires, kNow + 60);

  auto defaults = parse("a=1", "http://host/dir/page.php");
  ASSERT_EQ(defaults.size(), 1u);
  EXPECT_EQ(defaults[0].path, "/dir");
  EXPECT_TRUE(defaults[0].isSessionOnly());

  // Foreign domains and nameless pairs are refused.
  EXPECT_TRUE(parse("a=1; Domain=other.com", "http://www.example.com/").empty());
  EXPECT_TRUE(parse("a=1; Domain=ample.com", "http://www.example.com/").empty());
  EXPECT_TRUE(parse("=1", "http://example.com/").empty());
  EXPECT_TRUE(parse("novalue", "http://example.com/").empty());
  auto parent = parse("a=1; Domain=.Example.com", "http://www.example.com/");
  ASSERT_EQ(parent.size(), 1u);
  EXPECT_EQ(parent[0].domain, ".example.com");

  const double expected = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT
  EXPECT_EQ(plat::http::parseCookieDate("Sun, 06 Nov 1994 08:49:37 GMT"), expected);
  EXPECT_EQ(plat::http::parseCookieDate("Sunday, 06-Nov-94 08:49:37 GMT"), expected);
  EXPECT_EQ(plat::http::parseCookieDate("Sun Nov  6 08:49:37 1994"), expected);
  EXPECT_FALSE(plat::http::parseCookieDate("yesterday"));
  EXPECT_FALSE(plat::http::parseCookieDate("Sun, 32 Nov 1994 08:49:37 GMT"));
  // Max-Age wins over Expires.
  auto both = parse("a=1; Expires=Sun, 06 Nov 1994 08:49:37 GMT; Max-Age=5", "http://h/");
  EXPECT_EQ(both[0].expires, kNow + 5);
}

TEST_F(CookieStoreTest, MatchesDomainPathAndSchemeReplacesSameIdentityAndDropsExpired) {
  auto& store = CookieStore::shared();
  store.setCookies(parse("host=1", "http://www.example.com/"));
  store.setCookies(parse("parent=2; Domain=example.com", "http://www.example.com/"));
  store.setCookies(parse("deep=3; Path=/api/v1", "http://www.example.com/"));
  store.setCookies(parse("safe=4; Secure", "https://www.example.com/"));

  EXPECT_EQ(namesFor("http://www.example.com/api/v1/x"),
            (std::vector<std::string>{"deep=3", "host=1", "parent=2"}));
  EXPECT_EQ(namesFor("http://other.example.com/"), (std::vector<std::string>{"parent=2"}));
  EXPECT_EQ(namesFor("http://www.example.com/api/v10"),
            (std::vector<std::string>{"host=1", "parent=2"}));
  EXPECT_EQ(namesFor("https://www.example.com/"),
            (std::vector<std::string>{"host=1", "parent=2", "safe=4"}));
  EXPECT_TRUE(namesFor("http://example.org/").empty());

  // Same identity replaces; expired cookies go.
  store.removeAll();
  store.setCookies(parse("a=1", "http://h/"));
  store.setCookies(parse("b=2; Max-Age=10", "http://h/"));
  store.setCookies(parse("a=3", "http://h/"));
  EXPECT_EQ(namesFor("http://h/"), (std::vector<std::string>{"a=3", "b=2"}));
  time_.clock().advance(11);
  EXPECT_EQ(namesFor("http://h/"), (std::vector<std::string>{"a=3"}));
  store.setCookies(parse("a=gone; Max-Age=0", "http://h/"));
  EXPECT_TRUE(namesFor("http://h/").empty());
  EXPECT_TRUE(store.allCookies().empty());
}
