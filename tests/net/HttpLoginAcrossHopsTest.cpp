// Logins on the way to a server: through a proxy that asks for its own login, where each login is
// saved only once the one it is for let it in; along a chain of redirects, where a login given in
// the URL, like the request's own, names its user to every server on the way and goes back to the
// server it was given for; and an NTLM login let in, then asked again after a redirect.
#include <gtest/gtest.h>

#include <string>

#include "net/HttpRequest.h"
#include "tests/net/LoginGate.h"
#include "tests/support/TempDeviceStore.h"

using namespace nettest;
using plat::http::Authentication;

namespace {

class HttpLoginAcrossHopsTest : public LoginTest {};

struct ProxyKind {
  const char* name;
  bool ntlm, keepsLogin;
};
const ProxyKind kProxyKinds[] = {{"Basic proxy", false, false},
                                 {"NTLM proxy asking for every request", true, false},
                                 {"NTLM proxy keeping a login per connection", true, true}};

// Through a proxy, Basic or NTLM, to a server, Basic or NTLM, with the keychain on: both logins
// go through, though the proxy may ask again after the server asked (an NTLM proxy that asks for
// every request; or either NTLM proxy, on a new connection). A mistyped server password is
// refused and saves nothing, whatever the reply to it (that same asking proxy's 407); a mistyped
// proxy password saves nothing either. A proxy login the proxy let through is saved even when
// the server then refuses its login.
TEST_F(HttpLoginAcrossHopsTest, EachLoginIsSavedOnlyOnceTheProxyOrServerItIsForLetsItIn) {
  for (const ProxyKind& kind : kProxyKinds) {
    for (const bool serverNtlm : {false, true}) {
      for (const bool session : {true, false}) {
        SCOPED_TRACE(std::string(kind.name) + ", " + (serverNtlm ? "NTLM" : "Basic") +
                     " server, " + (session ? "session on" : "session off"));
        // A new proxy each time: none of its connections is logged in yet.
        GateBehindGate gates(kind.ntlm, kind.keepsLogin, serverNtlm);
        LoopbackHttpServer proxy([&](const ServerRequest& r) { return gates.handle(r); });
        HttpRequest::clearSessionCredentials();
        testsupport::TempDeviceStore device;
        auto attempt = [&](const std::string& proxyUser, const std::string& proxyPassword,
                           const std::string& user, const std::string& password) {
          Exchange get("http://127.0.0.1:9/who");
          get->setUseSessionPersistence(session);
          get->setUseKeychainPersistence(true);
          giveLogin(*get.request, proxy.port(), proxyUser, proxyPassword);
          get->setUsername(user);
          get->setPassword(password);
          get.run();
          return outcomeThroughProxy(get);
        };
        auto savedPasswords = [&] {
          auto server = HttpRequest::savedCredentialsForHost("127.0.0.1", 9, "http",
                                                             gates.server().realm());
          auto proxied = HttpRequest::savedCredentialsForProxy("127.0.0.1", proxy.port(),
                                                               gates.proxy().realm());
          return (proxied ? proxied->username + "/" + proxied->password : "none") + " then " +
                 (server ? server->username + "/" + server->password : "none");
        };
        ASSERT_EQ(attempt("alice", "alice-pw", "alice", "alice-pw"), "alice then alice");
        EXPECT_EQ(attempt("alice", "alice-pw", "alice", "typo"), "refused by the server");
        EXPECT_EQ(attempt("alice", "typo", "alice", "alice-pw"), "refused by the proxy");
        EXPECT_EQ(savedPasswords(), "alice/alice-pw then alice/alice-pw");
        EXPECT_EQ(attempt("", "", "", ""), "alice then alice");

        EXPECT_EQ(attempt("bob", "bob-pw", "bob", "typo"), "refused by the server");
        EXPECT_EQ(savedPasswords(), "bob/bob-pw then alice/alice-pw");
      }
    }
  }
}

// Three redirects, each to another server: from home on to a server away, or round back home.
// Both ask for a login and hold alice's (in the session when on, and saved). bob's login, given
// in the URL or to the request, is refused away, where it is not sent and alice's does not answer
// for it, and goes in as bob back home, where it was given, also when a URL on the way named
// another user for the server away; a request naming no one takes alice's wherever a store is
// read.
TEST_F(HttpLoginAcrossHopsTest, ALoginInTheUrlHoldsAlongAChainOfRedirectsAsTheRequestsOwnDoes) {
  for (const bool ntlm : {false, true}) {
    Gate homeGate(ntlm, /*proxy=*/false), awayGate(ntlm, /*proxy=*/false);
    LoopbackHttpServer home([&](const ServerRequest& r) { return homeGate.handle(r); });
    LoopbackHttpServer away([&](const ServerRequest& r) {
      if (r.path() == "/round") return ServerReply::redirect(302, home.url("/who"));
      return awayGate.handle(r);
    });
    LoopbackHttpServer secondHop([&](const ServerRequest& r) {
      return ServerReply::redirect(302, r.path() == "/away" ? away.url("/who") : home.url("/who"));
    });
    LoopbackHttpServer firstHop(
        [&](const ServerRequest& r) { return ServerReply::redirect(302, secondHop.url(r.path())); });
    home.setHandler([&](const ServerRequest& r) {
      if (r.path() == "/away" || r.path() == "/back")
        return ServerReply::redirect(302, firstHop.url(r.path()));
      if (r.path() == "/round")
        return ServerReply::redirect(302, "http://alice:alice-pw@" + away.url("/round").substr(7));
      return homeGate.handle(r);
    });
    for (const Switches& switches : kSwitches) {
      SCOPED_TRACE(std::string(ntlm ? "NTLM, " : "Basic, ") + switches.name());
      HttpRequest::clearSessionCredentials();
      testsupport::TempDeviceStore device;
      enum class Bob { InTheUrl, OwnLogin, Nowhere };
      auto attempt = [&](const std::string& url, Bob bob, const std::string& user = "") {
        Exchange get(bob == Bob::InTheUrl ? "http://bob:bob-pw@" + url.substr(7) : url);
        get->setUseSessionPersistence(switches.session);
        get->setUseKeychainPersistence(switches.keychain);
        get->setUsername(bob == Bob::OwnLogin ? "bob" : user);
        get->setPassword(bob == Bob::OwnLogin ? "bob-pw" : user.empty() ? "" : user + "-pw");
        get.run();
        EXPECT_EQ(get->redirectCount(), url.ends_with("/who") ? 0 : url.ends_with("/round") ? 2 : 3);
        return outcome(get, /*proxy=*/false);
      };
      for (const LoopbackHttpServer* server : {&home, &away}) {
        ASSERT_EQ(attempt(server->url("/who"), Bob::Nowhere, "alice"), "alice");
        HttpRequest::saveCredentials_forHost({"alice", "alice-pw", ""}, "127.0.0.1",
                                             server->port(), "http", homeGate.realm());
      }
      const bool storeRead = switches.session || switches.keychain;
      EXPECT_EQ(attempt(home.url("/away"), Bob::Nowhere), storeRead ? "alice" : "refused");
      EXPECT_EQ(attempt(home.url("/back"), Bob::Nowhere), storeRead ? "alice" : "refused");
      EXPECT_EQ(attempt(home.url("/round"), Bob::Nowhere), storeRead ? "alice" : "refused");
      for (const Bob bob : {Bob::InTheUrl, Bob::OwnLogin}) {
        SCOPED_TRACE(bob == Bob::InTheUrl ? "bob in the URL" : "bob's own login");
        EXPECT_EQ(attempt(home.url("/away"), bob), "refused");
        EXPECT_EQ(attempt(home.url("/back"), bob), "bob");
        EXPECT_EQ(attempt(home.url("/round"), bob), "bob");
      }
    }
  }
}

// An NTLM server that asks for every request lets a login in, then redirects it on to another of
// its pages, where it asks again: the request logs in again there, instead of taking the new
// question for a refusal of the login it already let in. With the session store off, so that no
// stored login starts the second handshake.
TEST_F(HttpLoginAcrossHopsTest, AnNtlmLoginRedirectedOnItsServerLogsInAgainWhenAsked) {
  NtlmServer ntlm;
  ntlm.addAccount("alice", "alice-pw");
  LoopbackHttpServer server([&](const ServerRequest& r) {
    ServerReply reply = ntlm.handle(r);
    if (reply.status == 200 && r.path() == "/first") return ServerReply::redirect(302, "/second");
    return reply;
  });
  Exchange get(server.url("/first"));
  get->setUseSessionPersistence(false);
  get->setUsername("alice");
  get->setPassword("alice-pw");
  get.run();
  EXPECT_EQ(get.finished, 1);
  EXPECT_EQ(text(get->responseData()), "welcome alice GET ");
  EXPECT_EQ(get->url().path(), "/second");
}

// Answers a proxy's question with the proxy's login, and no other question.
class ProxyLoginGiver : public Recorder {
 public:
  bool respondsTo(HttpDelegateCallback callback) const override {
    return callback == HttpDelegateCallback::ProxyAuthenticationNeeded;
  }
  void proxyAuthenticationNeededForRequest(HttpRequest& request) override {
    ++asked;
    request.setProxyUsername("proxy");
    request.setProxyPassword("secret");
    request.retryUsingSuppliedCredentials();
  }
  int asked = 0;
};

// A request with bob's login for its server is redirected to another server, and the proxy asks
// the owner for its own login on the way there: that answer is for the proxy, so bob's login
// still does not go to the other server when it asks for a login.
TEST_F(HttpLoginAcrossHopsTest, AProxyLoginGivenAfterARedirectDoesNotSendTheServerLoginOn) {
  // One proxy before the request's server (port 9) and another (port 10), which asks for a login
  // and tells what it got. The proxy asks for its login on the way to the other one only.
  LoopbackHttpServer proxy([](const ServerRequest& r) {
    if (r.target == "http://127.0.0.1:9/start")
      return ServerReply::redirect(302, "http://127.0.0.1:10/who");
    if (r.header("Proxy-Authorization") != Authentication::basicValue("proxy", "secret"))
      return ServerReply::text("proxy login", 407)
          .header("Proxy-Authenticate", "Basic realm=\"proxy\"");
    if (!r.hasHeader("Authorization"))
      return ServerReply::text("login", 401).header("WWW-Authenticate", "Basic realm=\"there\"");
    return ServerReply::text("got " + r.header("Authorization"));
  });
  ExchangeWith<ProxyLoginGiver> get("http://127.0.0.1:9/start");
  giveLogin(*get.request, proxy.port(), "", "");
  get->setUsername("bob");
  get->setPassword("bob-pw");
  get.run();
  EXPECT_EQ(get.asked, 1);
  EXPECT_EQ(get.failureCode(), kHttpAuthenticationFailure) << text(get->responseData());
  EXPECT_EQ(get->responseStatusCode(), 401);
}

}  // namespace
