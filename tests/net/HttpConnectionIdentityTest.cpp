// Kept connections and who the server takes the client to be: a server or proxy that binds an NTLM
// login to its connection, and a server that asks each connection for a client certificate,
// answer every request as the user it was made for, with users alternating, wrong passwords and
// requests made for no one.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/HttpRequest.h"
#include "platform/stream/TlsIdentity.h"
#include "platform/stream/TlsTrust.h"
#include "tests/net/NetTestSupport.h"
#include "tests/net/NtlmTestServer.h"
#include "tests/support/TestCertificate.h"

using namespace nettest;

namespace {

class HttpConnectionIdentityTest : public LoginTest {
 protected:
  void TearDown() override {
    plat::stream::removeAddedTrustedCertificates();
    LoginTest::TearDown();
  }
};

TEST_F(HttpConnectionIdentityTest,
       AServerKeepingTheNtlmLoginPerConnectionAnswersEachUserAsThemself) {
  NtlmServer ntlm(/*proxy=*/false, /*keepsLoginPerConnection=*/true);
  ntlm.addAccount("alice", "alice-pw");
  ntlm.addAccount("bob", "bob-pw");
  ntlm.addAccount("zoë", "zoë-pw");
  LoopbackHttpServer server([&](const ServerRequest& r) { return ntlm.handle(r); });

  for (int round = 0; round < 4; ++round) {
    for (std::string user : {"alice", "bob", "zoë"}) {
      SCOPED_TRACE(user + " in round " + std::to_string(round));
      Exchange get(server.url("/who"));
      get->setUsername(user);
      get->setPassword(user + "-pw");
      ASSERT_EQ(get.run().finished, 1);
      EXPECT_EQ(text(get->responseData()), "welcome " + user + " GET ");
    }
    // No one's request, stored logins not offered: never let in on a user's connection.
    Exchange anonymous(server.url("/who"));
    anonymous->setUseSessionPersistence(false);
    anonymous.run();
    EXPECT_EQ(anonymous->responseStatusCode(), 401);
    EXPECT_EQ(anonymous.failureCode(), kHttpAuthenticationFailure);
  }
  // Each user (and no one) went on on a connection of their own.
  EXPECT_EQ(server.connectionCount(), 4);
  for (const NtlmServer::Answer& answer : ntlm.answers()) EXPECT_TRUE(answer.accepted);
}

TEST_F(HttpConnectionIdentityTest, AWrongPasswordIsNotAnsweredOnTheConnectionTheRightOneLoggedIn) {
  NtlmServer ntlm(/*proxy=*/false, /*keepsLoginPerConnection=*/true);
  ntlm.addAccount("alice", "alice-pw");
  LoopbackHttpServer server([&](const ServerRequest& r) { return ntlm.handle(r); });

  for (const bool persistence : {true, false}) {
    for (const std::string password : {"alice-pw", "guess", "alice-pw"}) {
      SCOPED_TRACE(password + (persistence ? " with" : " without") + " stored logins");
      Exchange get(server.url("/who"));
      get->setUseSessionPersistence(persistence);
      get->setUsername("alice");
      get->setPassword(password);
      get.run();
      if (password == "alice-pw") {
        EXPECT_EQ(get.finished, 1);
        EXPECT_EQ(text(get->responseData()), "welcome alice GET ");
      } else {
        EXPECT_EQ(get->responseStatusCode(), 401);
        EXPECT_EQ(get.failureCode(), kHttpAuthenticationFailure);
      }
    }
  }
  // The wrong password had a connection of its own; the right one came back to its own.
  EXPECT_EQ(server.connectionCount(), 2);
}

// Users take turns through a proxy that keeps the NTLM login per connection: a stored login
// serves only the request that brings none or the same, never one that brings another's, and no
// one rides a connection another login (or another password) opened.
TEST_F(HttpConnectionIdentityTest, AProxyKeepingTheNtlmLoginPerConnectionLetsEachUserInAsThemself) {
  NtlmServer ntlm(/*proxy=*/true, /*keepsLoginPerConnection=*/true);
  ntlm.addAccount("alice", "alice-pw");
  ntlm.addAccount("bob", "bob-pw");
  LoopbackHttpServer proxy([&](const ServerRequest& r) { return ntlm.handle(r); });

  struct Turn {
    std::string user, password, expected;  // "" expected: refused
  };
  for (const bool persistence : {true, false}) {
    HttpRequest::clearSessionCredentials();
    const std::vector<Turn> turns = {
        {"alice", "alice-pw", "via proxy alice GET "},
        {"bob", "bob-pw", "via proxy bob GET "},
        // Without a login of its own a request borrows a stored one, when it may.
        {"", "", persistence ? "stored" : ""},
        {"alice", "guess", ""},
    };
    for (int round = 0; round < 3; ++round) {
      for (const Turn& turn : turns) {
        SCOPED_TRACE((turn.user.empty() ? std::string("no one") : turn.user + "/" + turn.password) +
                     " in round " + std::to_string(round) + (persistence ? " with" : " without") +
                     " stored logins");
        Exchange get("http://127.0.0.1:9/page");
        get->setProxyHost("127.0.0.1");
        get->setProxyPort(proxy.port());
        get->setShouldPresentProxyAuthenticationDialog(false);
        get->setUseSessionPersistence(persistence);
        get->setProxyUsername(turn.user);
        get->setProxyPassword(turn.password);
        get.run();
        if (turn.expected.empty()) {
          EXPECT_EQ(get->responseStatusCode(), 407);
          EXPECT_EQ(get.failureCode(), kHttpAuthenticationFailure);
        } else if (turn.expected == "stored") {
          EXPECT_EQ(get.finished, 1);
          EXPECT_THAT(text(get->responseData()),
                      testing::AnyOf("via proxy alice GET ", "via proxy bob GET "));
        } else {
          EXPECT_EQ(get.finished, 1);
          EXPECT_EQ(text(get->responseData()), turn.expected);
        }
      }
    }
  }
}

// A request that names a user but gives no password is let in with that user's stored login and
// no one else's, by a server and by a proxy that keep logins per connection; naming a user no
// login was stored for, or with stored logins off, it is refused.
TEST_F(HttpConnectionIdentityTest, ANamedUserTakesOnlyTheirOwnStoredLogin) {
  for (const bool proxied : {false, true}) {
    NtlmServer ntlm(proxied, /*keepsLoginPerConnection=*/true);
    ntlm.addAccount("alice", "alice-pw");
    ntlm.addAccount("bob", "bob-pw");
    LoopbackHttpServer server([&](const ServerRequest& r) { return ntlm.handle(r); });
    const std::string welcome = proxied ? "via proxy " : "welcome ";
    const int refusal = proxied ? 407 : 401;
    for (const bool persistence : {true, false}) {
      HttpRequest::clearSessionCredentials();
      // The URL's user names one too; only a server sees it.
      std::vector<std::pair<std::string, std::string>> turns = {
          {"alice", "alice-pw"}, {"bob", "bob-pw"}, {"bob", ""}, {"alice", ""}, {"carol", ""}};
      if (!proxied) turns.emplace_back("bob@", "");
      for (const auto& [user, password] : turns) {
        const bool inUrl = user.back() == '@';
        const std::string name = inUrl ? user.substr(0, user.size() - 1) : user;
        SCOPED_TRACE(user + "/" + password + (proxied ? " through the proxy" : " at the server") +
                     (persistence ? " with" : " without") + " stored logins");
        Exchange get(proxied ? "http://127.0.0.1:9/who"
                             : "http://" + (inUrl ? user : "") +
                                   "127.0.0.1:" + std::to_string(server.port()) + "/who");
        get->setUseSessionPersistence(persistence);
        if (proxied || !inUrl) giveLogin(*get.request, proxied ? server.port() : 0, name, password);
        get.run();
        const bool letIn = !password.empty() || (persistence && name != "carol");
        if (letIn) {
          EXPECT_EQ(get.finished, 1);
          EXPECT_EQ(text(get->responseData()), welcome + name + " GET ");
        } else {
          EXPECT_EQ(get->responseStatusCode(), refusal);
          EXPECT_EQ(get.failureCode(), kHttpAuthenticationFailure);
        }
      }
    }
  }
}

TEST_F(HttpConnectionIdentityTest, ClientCertificatesKeepTheirOwnConnectionsByContent) {
  testsupport::TestCertificate certificate;
  ASSERT_TRUE(plat::stream::addTrustedCertificates(certificate.caPem()));
  LoopbackHttpServer server(
      [](const ServerRequest& r) {
        return ServerReply::text("as " + (r.clientCertificateName.empty()
                                              ? std::string("no one")
                                              : r.clientCertificateName));
      },
      certificate);
  server.askForClientCertificates();

  for (int round = 0; round < 4; ++round) {
    for (std::string user : {"alice", "bob"}) {
      SCOPED_TRACE(user + " in round " + std::to_string(round));
      // Loaded afresh for each request, as an app does that reads its identity when it needs it:
      // the new object may well lie where the last one was freed.
      const auto files = certificate.clientCertificateFor(user);
      auto identity = plat::stream::TlsIdentity::fromPemFiles(files.first, files.second);
      ASSERT_TRUE(identity);
      Exchange get(server.url("/who"));
      get->setClientCertificateIdentity(identity);
      identity.reset();
      ASSERT_EQ(get.run().finished, 1);
      EXPECT_EQ(text(get->responseData()), "as " + user);
    }
    Exchange anonymous(server.url("/who"));
    ASSERT_EQ(anonymous.run().finished, 1);
    EXPECT_EQ(text(anonymous->responseData()), "as no one");
  }
  // One connection for each of the three, kept and taken again by the same certificate.
  EXPECT_EQ(server.connectionCount(), 3);
}

}  // namespace
