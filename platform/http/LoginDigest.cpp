#include "platform/http/LoginDigest.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <array>
#include <cstdlib>

#include "platform/crypto/CryptoLibrary.h"
#include "platform/crypto/Digest.h"

namespace plat::http {
namespace {

using Key = std::array<unsigned char, 32>;

const Key& processKey() {
  static const Key key = [] {
    Key drawn{};
    // Without randomness there is no secret to key with, and nothing safe to fall back on.
    if (RAND_bytes(drawn.data(), static_cast<int>(drawn.size())) != 1) std::abort();
    return drawn;
  }();
  return key;
}

}  // namespace

std::string loginDigest(const std::string& password) {
  crypto::prepareLibrary();
  const Key& key = processKey();
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
       reinterpret_cast<const unsigned char*>(password.data()), password.size(), digest, &length);
  return crypto::hex(digest, length);
}

}  // namespace plat::http
