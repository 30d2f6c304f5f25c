#include "platform/http/HttpAuthentication.h"

#include <gtest/gtest.h>

using plat::http::Authentication;

// The worked example of RFC 7616 (section 3.9.1), both algorithms.
TEST(HttpAuthenticationTest, DigestMatchesThePublishedExampleAndTheBestChallengeIsTaken) {
  auto response = [](const char* algorithm) {
    return Authentication::digestResponse(
        algorithm, "Mufasa", "http-auth@example.org", "Circle of Life", "GET", "/dir/index.html",
        "7ypf/xlj9XXwfDPEoM4URrv/xwf94BcCAzFZH4GiTo0v", "00000001",
        "f2/wE4q74E6zIJEtWaHKaf5wv/H5QzzpXusqGemxURZJ", "auth");
  };
  EXPECT_EQ(response("MD5"), "8ca523f5e9506fed4657c9700eebdbec");
  EXPECT_EQ(response("SHA-256"),
            "753927fa0e85d155564e2e272a28d1802ca10daf4496794697cf8db5856cb6c1");

  plat::http::ResponseHead head;
  head.headers.set("WWW-Authenticate",
                   "Negotiate, Basic realm=\"a, b\", Digest realm=\"r\", nonce=\"n\", "
                   "algorithm=MD5-sess, qop=\"auth\"");
  auto object = Authentication::fromResponse(head, false);
  ASSERT_TRUE(object);
  EXPECT_EQ(object->method(), "Digest");
  EXPECT_EQ(object->realm(), "r");

  plat::http::RequestMessage message;
  message.url = *plat::http::Url::parse("http://h/p?q");
  ASSERT_TRUE(object->apply(message, {"u", "p", ""}));
  const std::string field = message.headers.value("Authorization");
  EXPECT_NE(field.find("uri=\"/p?q\""), std::string::npos);
  EXPECT_NE(field.find("nc=00000001"), std::string::npos);

  head.headers.set("WWW-Authenticate", "Basic realm=\"a, b\"");
  auto basic = Authentication::fromResponse(head, false);
  ASSERT_TRUE(basic);
  EXPECT_EQ(basic->realm(), "a, b");
  head.headers.set("WWW-Authenticate", "NTLM");
  EXPECT_FALSE(Authentication::fromResponse(head, false));
  EXPECT_EQ(Authentication::base64("user:"), "dXNlcjo=");
}
