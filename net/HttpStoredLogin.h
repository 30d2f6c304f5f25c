// Which stored login may answer for a request, from the session stores or saved on the device. A
// request that names a user (for a server or for a proxy) is answered only with that user's
// login: the very same login when it gives a password too. A request that names no one may take
// any login stored for the place it goes to. Pure functions, callable from any thread.
#pragma once

#include <initializer_list>
#include <string>

#include "platform/http/HttpAuthentication.h"

namespace storedlogin {

// The login a request names for one side: a user, and the password and account domain it gives
// with it (either may be empty).
struct Named {
  std::string user, password, domain;
};

// What a request names among the logins of its own, given in the order it would send them: the
// first whole one (user and password), since that is the one it sends; else the first user named
// alone; else no one.
Named firstNamed(std::initializer_list<Named> own);

// For a scheme that needs an account domain: the given domain, else the part before a single "\"
// of the user name (which keeps the part after it); else none.
void splitAccountDomain(plat::http::Credentials& credentials, const std::string& domain);

// Whether `stored` may answer for a request naming `named`. With `needsAccountDomain` the named
// user is compared as the scheme sends it, "DOMAIN\user" split into domain and user.
bool serves(const plat::http::Credentials& stored, const Named& named, bool needsAccountDomain);

}  // namespace storedlogin
