// Authentication objects made from a 401 or 407 response: they read the server's (or proxy's)
// challenge and write the matching "Authorization" or "Proxy-Authorization" field into the next
// request message. Basic and Digest (MD5 and SHA-256, with or without "-sess", qop "auth") are
// built here; a challenge that offers only NTLM, Negotiate or an unknown scheme gives no object.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/http/HttpMessage.h"

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
  // Digest with SHA-256 before Digest with MD5 before Basic. Null when none can be answered.
  static std::shared_ptr<Authentication> fromResponse(const ResponseHead& head, bool proxy);

  const std::string& method() const { return method_; }  // "Basic" or "Digest"
  const std::string& realm() const { return realm_; }
  bool requiresAccountDomain() const { return false; }
  bool requiresUserNameAndPassword() const { return true; }
  bool isProxy() const { return proxy_; }

  // After credentials were sent, the next challenge of the same exchange decides: a stale Digest
  // nonce keeps the object valid with the fresh nonce; any other challenge refuses the
  // credentials. False when the new challenge is for another realm or scheme (a new object is
  // needed).
  bool updateFromResponse(const ResponseHead& head);
  bool isValid() const;
  Refusal refusal() const;

  // Writes the field for `credentials` into `message`; false when the user name is empty.
  bool apply(RequestMessage& message, const Credentials& credentials);

  // The Digest "response" value of RFC 7616 for the given parts (`algorithm` "MD5", "SHA-256",
  // with or without "-sess"; empty `qop` for the old form without one).
  static std::string digestResponse(const std::string& algorithm, const std::string& username,
                                    const std::string& realm, const std::string& password,
                                    const std::string& method, const std::string& uri,
                                    const std::string& nonce, const std::string& nc,
                                    const std::string& cnonce, const std::string& qop);
  static std::string base64(const std::string& bytes);
  // The "Basic" field value for a user and password.
  static std::string basicValue(const std::string& username, const std::string& password);

 private:
  Authentication() = default;

  mutable std::mutex mutex_;
  bool proxy_ = false;
  std::string method_, realm_, nonce_, opaque_, algorithm_, qop_;
  uint32_t nonceCount_ = 0;
  bool sentCredentials_ = false;
  bool valid_ = true;
  Refusal refusal_ = Refusal::None;
};

}  // namespace plat::http
