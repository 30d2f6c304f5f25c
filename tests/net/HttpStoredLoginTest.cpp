// Which stored login may answer for a request naming a user in an account domain.
#include <gtest/gtest.h>

#include "net/HttpStoredLogin.h"

using plat::http::Credentials;
using storedlogin::serves;

namespace {

// Users alone are told apart against loopback servers; these are the account domains of NTLM.
TEST(HttpStoredLogin, AnAccountDomainNamedMustMatchAndAWholeLoginIncludesIt) {
  const Credentials gateBob{"bob", "bob-pw", "GATE"};
  EXPECT_TRUE(serves(gateBob, {}, true)) << "a request naming no one takes any";
  EXPECT_TRUE(serves(gateBob, {"GATE\\bob", "", ""}, true));
  EXPECT_TRUE(serves(gateBob, {"bob", "", "GATE"}, true));
  EXPECT_FALSE(serves(gateBob, {"OTHER\\bob", "", ""}, true));
  EXPECT_TRUE(serves(gateBob, {"bob", "", ""}, true)) << "no domain named: the user's login";
  EXPECT_FALSE(serves(gateBob, {"bob", "bob-pw", ""}, true)) << "a whole login is the same one";
  EXPECT_TRUE(serves(gateBob, {"GATE\\bob", "bob-pw", ""}, true));
  // Where the scheme has no account domains, "GATE\bob" is a user name of its own.
  EXPECT_FALSE(serves({"bob", "bob-pw", ""}, {"GATE\\bob", "", ""}, false));
}

}  // namespace
