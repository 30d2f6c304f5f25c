// Servers and proxies of the login tests that let alice and bob in, by Basic or by NTLM, and say
// whom they let in; what a request came to (whom it went in as, or refused); and the four settings
// of the session and keychain switches.
#pragma once

#include <map>
#include <string>

#include "tests/net/NetTestSupport.h"
#include "tests/net/NtlmTestServer.h"

namespace nettest {

// A server or proxy that lets alice and bob in, by Basic or by NTLM, and says whom it let in.
class Gate {
 public:
  static constexpr const char* kBasicRealm = "gate";

  // An NTLM gate may let a connection's later requests in as the user who logged in on it.
  Gate(bool ntlm, bool proxy, bool keepsLoginPerConnection = false)
      : ntlm_(ntlm), proxy_(proxy), ntlmServer_(proxy, keepsLoginPerConnection) {
    for (const auto& [user, password] : accounts_) ntlmServer_.addAccount(user, password);
  }
  ServerReply handle(const ServerRequest& r) {
    if (ntlm_) return ntlmServer_.handle(r);
    const std::string field = r.header(proxy_ ? "Proxy-Authorization" : "Authorization");
    for (const auto& [user, password] : accounts_) {
      if (field == plat::http::Authentication::basicValue(user, password))
        return ServerReply::text(letIn(user, proxy_));
    }
    return ServerReply::text("login", proxy_ ? 407 : 401)
        .header(proxy_ ? "Proxy-Authenticate" : "WWW-Authenticate",
                std::string("Basic realm=\"") + kBasicRealm + "\"");
  }
  // The page of a user let in, as the NTLM server words it too.
  static std::string letIn(const std::string& user, bool proxy) {
    return (proxy ? "via proxy " : "welcome ") + user + " GET ";
  }
  const char* realm() const { return ntlm_ ? "" : kBasicRealm; }

 private:
  const std::map<std::string, std::string> accounts_{{"alice", "alice-pw"}, {"bob", "bob-pw"}};
  bool ntlm_, proxy_;
  NtlmServer ntlmServer_;
};

// A proxy gate in front of a server gate: what the proxy lets through goes on to the server on
// the connection it came on, as a proxy keeps one to the server for each of its own. A request
// let in by both is told "via proxy alice GET | welcome bob GET ".
class GateBehindGate {
 public:
  GateBehindGate(bool proxyNtlm, bool proxyKeepsLogin, bool serverNtlm)
      : proxy_(proxyNtlm, /*proxy=*/true, proxyKeepsLogin), server_(serverNtlm, /*proxy=*/false) {}
  ServerReply handle(const ServerRequest& r) {
    ServerReply passed = proxy_.handle(r);
    if (passed.status != 200) return passed;
    ServerReply reply = server_.handle(r);
    if (reply.status == 200) reply.body = passed.body + "| " + reply.body;
    return reply;
  }
  const Gate& proxy() const { return proxy_; }
  const Gate& server() const { return server_; }

 private:
  Gate proxy_, server_;
};

// Whom the request was let in as ("alice", "bob"), or "refused" when it failed asking for a login.
inline std::string outcome(Exchange& get, bool proxy) {
  if (get.failureCode() == kHttpAuthenticationFailure &&
      get->responseStatusCode() == (proxy ? 407 : 401))
    return "refused";
  const std::string page = text(get->responseData());
  for (const char* user : {"alice", "bob"}) {
    if (get.finished == 1 && page == Gate::letIn(user, proxy)) return user;
  }
  return "unexpected: status " + std::to_string(get->responseStatusCode()) + ", page " + page;
}

// Through a GateBehindGate: "alice then bob" for the proxy's user then the server's, "refused by
// the proxy" or "refused by the server".
inline std::string outcomeThroughProxy(Exchange& get) {
  if (get.failureCode() == kHttpAuthenticationFailure) {
    if (get->responseStatusCode() == 407) return "refused by the proxy";
    if (get->responseStatusCode() == 401) return "refused by the server";
  }
  const std::string page = text(get->responseData());
  for (const char* proxyUser : {"alice", "bob"}) {
    for (const char* serverUser : {"alice", "bob"}) {
      if (get.finished == 1 &&
          page == Gate::letIn(proxyUser, true) + "| " + Gate::letIn(serverUser, false))
        return std::string(proxyUser) + " then " + serverUser;
    }
  }
  return "unexpected: status " + std::to_string(get->responseStatusCode()) + ", page " + page;
}

struct Switches {
  bool session, keychain;
  std::string name() const {
    return std::string(session ? "session on" : "session off") +
           (keychain ? ", keychain on" : ", keychain off");
  }
};
inline const Switches kSwitches[] = {{true, true}, {true, false}, {false, true}, {false, false}};

}  // namespace nettest
