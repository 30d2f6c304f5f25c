// NTLM logins against a loopback server and proxy that check the NTLMv2 proof: the handshake
// stays on one connection (a POST too), DOMAIN\user names the domain, the proxy takes the
// request's own account, and a second refusal ends the request.
#include <gtest/gtest.h>

#include "tests/net/NetTestSupport.h"
#include "tests/net/NtlmTestServer.h"

using namespace nettest;

namespace {

// Answers each question with the same password, counting the questions.
class Answerer : public Recorder {
 public:
  bool respondsTo(HttpDelegateCallback callback) const override {
    return callback == HttpDelegateCallback::AuthenticationNeeded;
  }
  void authenticationNeededForRequest(HttpRequest& request) override {
    ++asked;
    request.setPassword(password);
    request.retryUsingSuppliedCredentials();
  }
  std::string password;
  int asked = 0;
};

class HttpNtlmTest : public NetTest {
 protected:
  void SetUp() override {
    NetTest::SetUp();
    HttpRequest::clearSessionCredentials();
  }
  void TearDown() override {
    HttpRequest::clearSessionCredentials();
    NetTest::TearDown();
  }
};

TEST_F(HttpNtlmTest, ServerLoginKeepsItsConnectionAndSplitsTheDomainOffTheUser) {
  NtlmServer ntlm;
  ntlm.addAccount("lin", "right");
  ntlm.addAccount("OTHER\\lin", "right");
  LoopbackHttpServer server([&](const ServerRequest& r) { return ntlm.handle(r); });

  Exchange get(server.url("/words"));
  get->setUsername("WORDS\\lin");
  get->setPassword("right");
  ASSERT_EQ(get.run().finished, 1);
  EXPECT_EQ(text(get->responseData()), "welcome lin GET ");
  EXPECT_EQ(get->authenticationScheme(), "NTLM");
  ASSERT_EQ(ntlm.answers().size(), 1u);
  EXPECT_EQ(ntlm.answers()[0].domain, "WORDS");
  EXPECT_TRUE(ntlm.answers()[0].sameConnection);

  // A POST keeps no connection of its own accord, but the handshake keeps one; the domain field
  // comes before the user name's prefix.
  HttpRequest::clearSessionCredentials();
  Exchange post(server.url("/save"));
  post->setUsername("OTHER\\lin");
  post->setDomain("WORDS");
  post->setPassword("right");
  post->appendPostData(std::string("word=apple"));
  ASSERT_EQ(post.run().finished, 1);
  EXPECT_EQ(text(post->responseData()), "welcome OTHER\\lin POST word=apple");
  ASSERT_EQ(ntlm.answers().size(), 2u);
  EXPECT_EQ(ntlm.answers()[1].domain, "WORDS");
  EXPECT_TRUE(ntlm.answers()[1].sameConnection);
  EXPECT_EQ(server.lastRequest().body, "word=apple");
}

TEST_F(HttpNtlmTest, CredentialsAreTriedTwiceThenAuthenticationIsNeeded) {
  NtlmServer ntlm;
  ntlm.addAccount("lin", "right");
  LoopbackHttpServer server([&](const ServerRequest& r) { return ntlm.handle(r); });

  ExchangeWith<Answerer> wrong(server.url("/"));
  wrong->setUsername("lin");
  wrong->setPassword("wrong");
  wrong.password = "still wrong";
  ASSERT_EQ(wrong.run().failureCode(), kHttpAuthenticationFailure);
  EXPECT_EQ(wrong.asked, 1);
  EXPECT_EQ(ntlm.answers().size(), 2u);
  EXPECT_TRUE(HttpRequest::sessionCredentialsStore().empty());

  // The question answered right the first time round logs in.
  ExchangeWith<Answerer> corrected(server.url("/"));
  corrected->setUsername("lin");
  corrected->setPassword("wrong");
  corrected.password = "right";
  ASSERT_EQ(corrected.run().finished, 1);
  EXPECT_EQ(corrected.asked, 1);

  // Then the session store logs the next request in through a handshake of its own.
  const size_t before = ntlm.answers().size();
  Exchange next(server.url("/again"));
  ASSERT_EQ(next.run().finished, 1);
  ASSERT_EQ(ntlm.answers().size(), before + 1);
  EXPECT_TRUE(ntlm.answers().back().accepted);
}

TEST_F(HttpNtlmTest, ProxyLoginFallsBackToTheRequestsAccountAndDomain) {
  NtlmServer ntlm(/*proxy=*/true);
  ntlm.addAccount("lin", "right");
  LoopbackHttpServer proxy([&](const ServerRequest& r) { return ntlm.handle(r); });

  Exchange get("http://127.0.0.1:9/page");
  get->setProxyHost("127.0.0.1");
  get->setProxyPort(proxy.port());
  get->setShouldPresentProxyAuthenticationDialog(false);
  get->setUsername("lin");
  get->setPassword("right");
  get->setDomain("SERVER");
  get->setProxyDomain("GATE");
  ASSERT_EQ(get.run().finished, 1);
  EXPECT_EQ(text(get->responseData()), "via proxy lin GET ");
  EXPECT_EQ(get->proxyAuthenticationScheme(), "NTLM");
  ASSERT_EQ(ntlm.answers().size(), 1u);
  EXPECT_EQ(ntlm.answers()[0].domain, "GATE");
  EXPECT_TRUE(ntlm.answers()[0].sameConnection);
  // The proxy's login is not the server's business.
  EXPECT_FALSE(proxy.lastRequest().hasHeader("Authorization"));
}

}  // namespace
