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
  head.headers.set("WWW-Authenticate", "Negotiate");
  EXPECT_FALSE(Authentication::fromResponse(head, false));
  EXPECT_EQ(Authentication::base64("user:"), "dXNlcjo=");
}

namespace {

// A challenge message with a target name and no target information.
std::string challengeBytes() {
  std::string m("NTLMSSP\0\x02\0\0\0\0\0\0\0\x30\0\0\0\x05\x82\x08\0", 24);
  m += "\x01\x02\x03\x04\x05\x06\x07\x08";
  return m + std::string(8, '\0');
}

std::string fieldAfterApply(Authentication& object, const plat::http::Credentials& credentials) {
  plat::http::RequestMessage message;
  message.url = *plat::http::Url::parse("http://h/p");
  if (!object.apply(message, credentials)) return "";
  return message.headers.value("Authorization");
}

}  // namespace

// One handshake: negotiate, the challenge (whose Base64 ends in "="), the answer; a bare challenge
// after the answer refuses it, and a bare one after the negotiate message refuses nothing.
TEST(HttpAuthenticationTest, NtlmObjectWalksTheHandshakeAndTellsARefusalFromALostConnection) {
  plat::http::ResponseHead head;
  head.headers.set("WWW-Authenticate", "Negotiate, NTLM, Basic realm=\"r\"");
  auto object = Authentication::fromResponse(head, false);
  ASSERT_TRUE(object);
  EXPECT_EQ(object->method(), "NTLM");
  EXPECT_TRUE(object->requiresAccountDomain());
  EXPECT_EQ(object->realm(), "");
  EXPECT_FALSE(object->sendsCredentialsNext());
  const plat::http::Credentials credentials{"u", "p", "D"};
  const std::string negotiate = fieldAfterApply(*object, credentials);
  ASSERT_EQ(negotiate.rfind("NTLM ", 0), 0u);
  EXPECT_EQ(Authentication::fromBase64(negotiate.substr(5))->substr(0, 9),
            std::string("NTLMSSP\0\x01", 9));
  EXPECT_TRUE(object->isMidHandshake());

  const std::string token = Authentication::base64(challengeBytes());
  ASSERT_EQ(token.back(), '=');
  head.headers.set("WWW-Authenticate", "NTLM " + token + ", Basic realm=\"r\"");
  ASSERT_TRUE(object->updateFromResponse(head));
  EXPECT_TRUE(object->isValid());
  EXPECT_TRUE(object->sendsCredentialsNext());
  const std::string answer = fieldAfterApply(*object, credentials);
  EXPECT_EQ(Authentication::fromBase64(answer.substr(5))->substr(8, 1), "\x03");

  head.headers.set("WWW-Authenticate", "NTLM");
  ASSERT_TRUE(object->updateFromResponse(head));
  EXPECT_FALSE(object->isValid());
  EXPECT_EQ(object->refusal(), Authentication::Refusal::BadCredentials);

  auto again = Authentication::forNewExchange(object);
  ASSERT_NE(again, object);
  fieldAfterApply(*again, credentials);
  ASSERT_TRUE(again->updateFromResponse(head));
  EXPECT_FALSE(again->isValid());
  EXPECT_EQ(again->refusal(), Authentication::Refusal::None);

  // A challenge that is not an NTLM message can't be answered.
  head.headers.set("WWW-Authenticate", "NTLM " + Authentication::base64("nonsense"));
  EXPECT_FALSE(Authentication::fromResponse(head, false));
  EXPECT_FALSE(Authentication::fromBase64("abc"));
}
