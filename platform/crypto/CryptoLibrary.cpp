#include "platform/crypto/CryptoLibrary.h"

#include <openssl/crypto.h>

#include <cstdio>
#include <cstdlib>

namespace plat::crypto {

void prepareLibrary() {
  static const bool prepared = [] {
    if (OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr) != 1) {
      std::fputs("OpenSSL could not be set up\n", stderr);
      std::abort();
    }
    return true;
  }();
  (void)prepared;
}

namespace {

// Before the static objects of the program (priority 101 runs ahead of those without one), any
// of which might use OpenSSL and so set it up with its clean-up at exit.
__attribute__((constructor(101))) void prepareAtStart() {
  prepareLibrary();
}

}  // namespace

}  // namespace plat::crypto
