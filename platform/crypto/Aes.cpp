#include "platform/crypto/Aes.h"

#include <openssl/evp.h>

#include <climits>
#include <memory>

#include "platform/crypto/CryptoLibrary.h"

namespace plat::crypto {
namespace {

struct CipherContextFree {
  void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};

std::optional<std::vector<uint8_t>> run(bool encrypt, std::span<const uint8_t> data, AesKey key,
                                        AesIv iv) {
  prepareLibrary();
  if (data.size() > static_cast<size_t>(INT_MAX) - 32) return std::nullopt;
  std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree> ctx(EVP_CIPHER_CTX_new());
  if (!ctx || EVP_CipherInit_ex(ctx.get(), EVP_aes_128_cbc(), nullptr, key.data(), iv.data(),
                                encrypt ? 1 : 0) != 1)
    return std::nullopt;
  // One block more than the input: the padding of encryption needs it.
  std::vector<uint8_t> out(data.size() + 16);
  int written = 0;
  int last = 0;
  static const uint8_t kNothing = 0;
  const uint8_t* in = data.empty() ? &kNothing : data.data();
  if (EVP_CipherUpdate(ctx.get(), out.data(), &written, in, static_cast<int>(data.size())) != 1 ||
      EVP_CipherFinal_ex(ctx.get(), out.data() + written, &last) != 1)
    return std::nullopt;
  out.resize(static_cast<size_t>(written + last));
  return out;
}

}  // namespace

std::optional<std::vector<uint8_t>> aes128CbcEncrypt(std::span<const uint8_t> data, AesKey key,
                                                     AesIv iv) {
  return run(true, data, key, iv);
}

std::optional<std::vector<uint8_t>> aes128CbcDecrypt(std::span<const uint8_t> data, AesKey key,
                                                     AesIv iv) {
  return run(false, data, key, iv);
}

}  // namespace plat::crypto
