// Whose stored login answers for a request: the session stores and the saved (keychain) logins
// answer only for the user whose login the request would send, at a server and at a proxy, by
// Basic and by NTLM, and at another server a redirect took the request to; and only a login that
// was let in is saved.
#include <gtest/gtest.h>

#include <string>

#include "net/HttpRequest.h"
#include "tests/net/LoginGate.h"
#include "tests/support/TempDeviceStore.h"

using namespace nettest;

namespace {

class HttpNamedLoginTest : public LoginTest {};

// alice's login is stored in the session (when on) and saved, as a run with the keychain on left
// it. Then requests naming bob without a password are refused, naming alice or no one take her
// login where a store is read (a proxy's saved login is read whatever the switch says), and a
// request whose URL or proxy user names alice without a password, but whose own whole login (which
// it sends) is bob's, goes in as bob.
TEST_F(HttpNamedLoginTest, AStoredOrSavedLoginAnswersOnlyForTheUserTheRequestNames) {
  for (const bool proxy : {false, true}) {
    for (const bool ntlm : {false, true}) {
      Gate gate(ntlm, proxy);
      LoopbackHttpServer server([&](const ServerRequest& r) { return gate.handle(r); });
      const std::string page = proxy ? "http://127.0.0.1:9/who" : server.url("/who");
      for (const Switches& switches : kSwitches) {
        SCOPED_TRACE(std::string(ntlm ? "NTLM" : "Basic") + (proxy ? " proxy, " : " server, ") +
                     switches.name());
        HttpRequest::clearSessionCredentials();
        testsupport::TempDeviceStore device;
        auto attempt = [&](const std::string& urlUser, const std::string& user,
                           const std::string& password, const std::string& ownServerUser = "") {
          std::string url = page;
          if (!urlUser.empty()) url.insert(url.find("//") + 2, urlUser + "@");
          Exchange get(url);
          get->setUseSessionPersistence(switches.session);
          get->setUseKeychainPersistence(switches.keychain);
          giveLogin(*get.request, proxy ? server.port() : 0, user, password);
          if (!ownServerUser.empty()) {
            get->setUsername(ownServerUser);
            get->setPassword(ownServerUser + "-pw");
          }
          get.run();
          return outcome(get, proxy);
        };
        ASSERT_EQ(attempt("", "alice", "alice-pw"), "alice");
        if (proxy) {
          HttpRequest::saveCredentials_forProxy({"alice", "alice-pw", ""}, "127.0.0.1",
                                                server.port(), gate.realm());
        } else {
          HttpRequest::saveCredentials_forHost({"alice", "alice-pw", ""}, "127.0.0.1",
                                               server.port(), "http", gate.realm());
        }
        const bool storeRead = switches.session || switches.keychain || proxy;
        EXPECT_EQ(attempt("", "bob", ""), "refused");
        EXPECT_EQ(attempt("", "alice", ""), storeRead ? "alice" : "refused");
        EXPECT_EQ(attempt("", "", ""), storeRead ? "alice" : "refused");
        if (proxy) {
          // An NTLM proxy takes the request's whole server login when it has no proxy password;
          // a Basic proxy does not, and the proxy user alone names alice.
          EXPECT_EQ(attempt("", "alice", "", "bob"), ntlm ? "bob" : "alice");
        } else {
          EXPECT_EQ(attempt("alice", "bob", "bob-pw"), "bob");
        }
      }
    }
  }
}

// A request with bob's whole login, redirected by a 302 to another server where alice's login is
// stored and saved, still names bob there: it does not send its own login to a server it was not
// made for, and no one else's answers for it, so it is refused. One naming no one takes alice's.
TEST_F(HttpNamedLoginTest, ARequestRedirectedElsewhereStillNamesTheUserOfItsOwnLogin) {
  for (const bool ntlm : {false, true}) {
    Gate gate(ntlm, /*proxy=*/false);
    LoopbackHttpServer elsewhere([&](const ServerRequest& r) { return gate.handle(r); });
    LoopbackHttpServer home([&](const ServerRequest& r) {
      return ServerReply::redirect(302, elsewhere.url(r.path()));
    });
    for (const Switches& switches : kSwitches) {
      SCOPED_TRACE(std::string(ntlm ? "NTLM, " : "Basic, ") + switches.name());
      HttpRequest::clearSessionCredentials();
      testsupport::TempDeviceStore device;
      auto attempt = [&](const std::string& url, const std::string& user) {
        Exchange get(url);
        get->setUseSessionPersistence(switches.session);
        get->setUseKeychainPersistence(switches.keychain);
        if (!user.empty()) {
          get->setUsername(user);
          get->setPassword(user + "-pw");
        }
        get.run();
        return outcome(get, /*proxy=*/false);
      };
      ASSERT_EQ(attempt(elsewhere.url("/who"), "alice"), "alice");
      EXPECT_EQ(attempt(home.url("/who"), "bob"), "refused");
      EXPECT_EQ(attempt(home.url("/who"), ""),
                switches.session || switches.keychain ? "alice" : "refused");
    }
  }
}

// With the keychain on, a mistyped password is refused and leaves alice's saved login as it was,
// so a request naming no one still goes in with it.
TEST_F(HttpNamedLoginTest, AMistypedPasswordDoesNotReplaceTheSavedLogin) {
  for (const bool proxy : {false, true}) {
    for (const bool ntlm : {false, true}) {
      SCOPED_TRACE(std::string(ntlm ? "NTLM" : "Basic") + (proxy ? " proxy" : " server"));
      Gate gate(ntlm, proxy);
      LoopbackHttpServer server([&](const ServerRequest& r) { return gate.handle(r); });
      testsupport::TempDeviceStore device;
      auto attempt = [&](const std::string& user, const std::string& password) {
        Exchange get(proxy ? "http://127.0.0.1:9/who" : server.url("/who"));
        get->setUseSessionPersistence(false);
        get->setUseKeychainPersistence(true);
        giveLogin(*get.request, proxy ? server.port() : 0, user, password);
        get.run();
        return outcome(get, proxy);
      };
      ASSERT_EQ(attempt("alice", "alice-pw"), "alice");
      EXPECT_EQ(attempt("alice", "typo"), "refused");
      EXPECT_EQ(attempt("", ""), "alice");
      const auto saved =
          proxy ? HttpRequest::savedCredentialsForProxy("127.0.0.1", server.port(), gate.realm())
                : HttpRequest::savedCredentialsForHost("127.0.0.1", server.port(), "http",
                                                       gate.realm());
      ASSERT_TRUE(saved);
      EXPECT_EQ(saved->password, "alice-pw");
    }
  }
}

}  // namespace
