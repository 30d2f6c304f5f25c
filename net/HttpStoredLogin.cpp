#include "net/HttpStoredLogin.h"

using plat::http::Credentials;

namespace storedlogin {

void splitAccountDomain(Credentials& credentials, const std::string& domain) {
  if (!domain.empty()) {
    credentials.accountDomain = domain;
    return;
  }
  const size_t slash = credentials.username.find('\\');
  if (slash != std::string::npos &&
      credentials.username.find('\\', slash + 1) == std::string::npos) {
    credentials.accountDomain = credentials.username.substr(0, slash);
    credentials.username = credentials.username.substr(slash + 1);
  }
}

Named firstNamed(std::initializer_list<Named> own) {
  for (const Named& login : own) {
    if (!login.user.empty() && !login.password.empty()) return login;
  }
  for (const Named& login : own) {
    if (!login.user.empty()) return login;
  }
  return {};
}

// A whole login (user and password) is served by the very same one only, domain included; a user
// named alone by that user's login, in the domain the request names if it names one.
bool serves(const Credentials& stored, const Named& named, bool needsAccountDomain) {
  if (named.user.empty()) return true;
  Credentials wanted{named.user, named.password, ""};
  const bool whole = !wanted.password.empty();
  if (needsAccountDomain) {
    splitAccountDomain(wanted, named.domain);
    if ((whole || !wanted.accountDomain.empty()) && wanted.accountDomain != stored.accountDomain)
      return false;
  }
  return wanted.username == stored.username && (!whole || wanted.password == stored.password);
}

}  // namespace storedlogin
