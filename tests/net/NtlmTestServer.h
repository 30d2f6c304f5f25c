// The server side of an NTLM login for the loopback servers of the tests: it answers a negotiate
// message with a challenge bound to the connection it came on, and checks the NTLMv2 proof of
// the answer against its accounts. As a proxy it speaks through the Proxy- fields and 407. Like the
// common Windows servers it may remember a login per connection: later requests on that connection
// are answered as that user without any credentials.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/Utf.h"
#include "platform/http/HttpAuthentication.h"
#include "platform/http/NtlmMessages.h"
#include "tests/net/NetTestSupport.h"

namespace nettest {

class NtlmServer {
 public:
  struct Answer {
    std::string user, domain;
    bool sameConnection = false;  // came on the connection its challenge went out on
    bool accepted = false;
  };

  explicit NtlmServer(bool proxy = false, bool keepsLoginPerConnection = false)
      : proxy_(proxy), keepsLogin_(keepsLoginPerConnection) {}
  void addAccount(const std::string& user, const std::string& password) {
    accounts_[user] = password;
  }

  ServerReply handle(const ServerRequest& r) {
    const std::string field = r.header(proxy_ ? "Proxy-Authorization" : "Authorization");
    auto message = field.rfind("NTLM ", 0) == 0
                       ? plat::http::Authentication::fromBase64(field.substr(5))
                       : std::nullopt;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!message || message->size() < 12) {
      auto login = logins_.find(r.connection);
      if (login != logins_.end()) return welcome(login->second, r);
      return challenge("");
    }
    if ((*message)[8] == 1) {
      ++negotiates_;
      std::string serverChallenge = "chal" + std::to_string(r.connection) + "xxxx";
      serverChallenge.resize(8);
      challenges_[r.connection] = serverChallenge;
      return challenge(challengeMessage(serverChallenge));
    }
    Answer answer = check(*message, r.connection);
    answers_.push_back(answer);
    if (!answer.accepted) return challenge("");
    if (keepsLogin_) logins_[r.connection] = answer.user;
    return welcome(answer.user, r);
  }

  std::vector<Answer> answers() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return answers_;
  }
  int negotiates() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return negotiates_;
  }

 private:
  ServerReply welcome(const std::string& user, const ServerRequest& r) const {
    return ServerReply::text((proxy_ ? "via proxy " : "welcome ") + user + " " + r.method + " " +
                             r.body);
  }
  ServerReply challenge(const std::string& bytes) {
    std::string value = "NTLM";
    if (!bytes.empty()) value += " " + plat::http::Authentication::base64(bytes);
    return ServerReply::text("login", proxy_ ? 407 : 401)
        .header(proxy_ ? "Proxy-Authenticate" : "WWW-Authenticate", value);
  }

  static void put16(std::string& out, size_t v) {
    out += static_cast<char>(v & 0xff);
    out += static_cast<char>((v >> 8) & 0xff);
  }
  static void put32(std::string& out, size_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
  }
  static size_t get16(const std::string& b, size_t at) {
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
  }
  static std::string payload(const std::string& m, size_t at) {
    const size_t length = get16(m, at), offset = get16(m, at + 4) | get16(m, at + 6) << 16;
    return offset + length <= m.size() ? m.substr(offset, length) : "";
  }
  static std::string text(const std::string& utf16le) {
    std::u16string units;
    for (size_t k = 0; k + 1 < utf16le.size(); k += 2)
      units += static_cast<char16_t>(get16(utf16le, k));
    return plat::utf::fromUtf16(units);
  }

  // Unicode, NTLM, target information: MsvAvNbDomainName "WORDS" and the end.
  static std::string challengeMessage(const std::string& serverChallenge) {
    std::string pairs;
    put16(pairs, 2);
    put16(pairs, 10);
    for (char c : std::string("WORDS")) pairs += std::string{c, '\0'};
    pairs += std::string(4, '\0');
    std::string m("NTLMSSP\0", 8);
    put32(m, 2);
    put32(m, 0);
    put32(m, 48);
    put32(m, 0x00828205);
    m += serverChallenge + std::string(8, '\0');
    put16(m, pairs.size());
    put16(m, pairs.size());
    put32(m, 48);
    return m + pairs;
  }

  Answer check(const std::string& m, int connection) {
    Answer answer;
    if (m.size() < 64 || m[8] != 3) return answer;
    answer.domain = text(payload(m, 28));
    answer.user = text(payload(m, 36));
    auto found = challenges_.find(connection);
    answer.sameConnection = found != challenges_.end();
    auto account = accounts_.find(answer.user);
    const std::string nt = payload(m, 20);
    if (!answer.sameConnection || account == accounts_.end() || nt.size() < 16) return answer;
    const std::string key = plat::http::ntlm::ntowfV2(answer.user, answer.domain, account->second);
    answer.accepted =
        plat::http::ntlm::ntProofStr(key, found->second, nt.substr(16)) == nt.substr(0, 16);
    challenges_.erase(found);
    return answer;
  }

  bool proxy_;
  bool keepsLogin_;
  std::map<int, std::string> logins_;  // by connection, for a server that keeps them
  std::map<std::string, std::string> accounts_;
  mutable std::mutex mutex_;
  std::map<int, std::string> challenges_;  // by connection
  std::vector<Answer> answers_;
  int negotiates_ = 0;
};

}  // namespace nettest
