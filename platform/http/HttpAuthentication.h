// Authentication objects made from a 401 or 407 response: they read the server's (or proxy's)
// challenge and write the matching "Authorization" or "Proxy-Authorization" field into the next
// request message. Basic, Digest (MD5 and SHA-256, with or without "-sess", qop "auth") and NTLM
// (NTLMv2 responses) are built here; a challenge that offers only Negotiate or an unknown scheme
// gives no object.
//
// An NTLM object lives for one handshake on one connection: its first field is the negotiate
// message, the server's next challenge carries the value the authenticate message answers. The
// connection must stay the same from the negotiate message to the end of the exchange.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/http/HttpMessage.h"
#include "platform/http/NtlmMessages.h"

namespace plat::http {

// What a request presents to a challenge.
struct Credentials {
  std::string username, password;
  std::string accountDomain;  // only for schemes that need one
};

class Authentication {
 public:
  enum class Refusal { None, BadCredentials };

  // The best challenge of `head` ("WWW-Authenticate", or "Proxy-Authenticate" for a proxy):
  // Digest with SHA-256 before Digest with MD5 before NTLM before Basic. Null when none can be
  // answered.
  static std::shared_ptr<Authentication> fromResponse(const ResponseHead& head, bool proxy);
  // The object to apply stored credentials with on a new exchange: an NTLM handshake starts
  // over on a fresh object (its state belongs to one connection); others are shared.
  static std::shared_ptr<Authentication> forNewExchange(
      const std::shared_ptr<Authentication>& stored);

  const std::string& method() const { return method_; }  // "Basic", "Digest" or "NTLM"
  const std::string& realm() const { return realm_; }
  bool requiresAccountDomain() const { return method_ == "NTLM"; }
  // The server takes the connection that carried the login to speak for that user from then on.
  bool bindsLoginToConnection() const { return method_ == "NTLM"; }
  // An NTLM handshake has begun and is not over: its connection must be kept.
  bool isMidHandshake() const;
  // The next apply() sends the credentials themselves (not NTLM's negotiate message, which
  // carries none).
  bool sendsCredentialsNext() const;
  bool requiresUserNameAndPassword() const { return true; }
  bool isProxy() const { return proxy_; }

  // After credentials were sent, the next challenge of the same exchange decides: a stale Digest
  // nonce keeps the object valid with the fresh nonce, an NTLM challenge after the negotiate
  // message keeps it valid for the authenticate message; any other challenge refuses the
  // credentials (an NTLM server that answers the negotiate message without a challenge leaves
  // the object invalid without refusing them). False when the new challenge is for another realm
  // or scheme (a new object is needed).
  bool updateFromResponse(const ResponseHead& head);
  bool isValid() const;
  Refusal refusal() const;

  // Writes the field for `credentials` into `message`; false when the user name is empty. NTLM
  // writes the negotiate message until it holds a challenge, then the authenticate message.
  bool apply(RequestMessage& message, const Credentials& credentials);

  // The Digest "response" value of RFC 7616 for the given parts (`algorithm` "MD5", "SHA-256",
  // with or without "-sess"; empty `qop` for the old form without one).
  static std::string digestResponse(const std::string& algorithm, const std::string& username,
                                    const std::string& realm, const std::string& password,
                                    const std::string& method, const std::string& uri,
                                    const std::string& nonce, const std::string& nc,
                                    const std::string& cnonce, const std::string& qop);
  static std::string base64(const std::string& bytes);
  // Standard Base64 back into bytes; nothing when the text is not Base64.
  static std::optional<std::string> fromBase64(const std::string& text);
  // The "Basic" field value for a user and password.
  static std::string basicValue(const std::string& username, const std::string& password);
  // `message` carries an NTLM authenticate message (to a server or a proxy): it answers the
  // challenge of one connection and means nothing on any other.
  static bool answersNtlmChallenge(const RequestMessage& message);

 private:
  enum class NtlmStage { Start, SentNegotiate, HaveChallenge, SentAuthenticate };

  Authentication() = default;
  bool applyNtlm(RequestMessage& message, const Credentials& credentials, const char* field);
  void updateNtlm(const Authentication& fresh);

  mutable std::mutex mutex_;
  bool proxy_ = false;
  std::string method_, realm_, nonce_, opaque_, algorithm_, qop_;
  uint32_t nonceCount_ = 0;
  bool sentCredentials_ = false;
  bool valid_ = true;
  Refusal refusal_ = Refusal::None;
  NtlmStage ntlmStage_ = NtlmStage::Start;
  std::optional<ntlm::Challenge> ntlmChallenge_;
};

}  // namespace plat::http
