#include "platform/stream/TlsIdentity.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cstdio>

#include "platform/crypto/Digest.h"

namespace plat::stream {
namespace {

void setError(std::string* error, const std::string& text) {
  ERR_clear_error();
  if (error) *error = text;
}

}  // namespace

std::shared_ptr<TlsCertificate> TlsCertificate::fromPemFile(const std::string& path,
                                                            std::string* error) {
  FILE* file = std::fopen(path.c_str(), "r");
  if (!file) {
    setError(error, "can't open " + path);
    return nullptr;
  }
  X509* x509 = PEM_read_X509(file, nullptr, nullptr, nullptr);
  std::fclose(file);
  if (!x509) {
    setError(error, path + " holds no PEM certificate");
    return nullptr;
  }
  return std::shared_ptr<TlsCertificate>(new TlsCertificate(x509));
}

TlsCertificate::~TlsCertificate() {
  X509_free(x509_);
}

std::shared_ptr<TlsIdentity> TlsIdentity::fromPemFiles(const std::string& certificateFile,
                                                       const std::string& keyFile,
                                                       std::string* error) {
  std::shared_ptr<TlsIdentity> identity(new TlsIdentity());
  FILE* file = std::fopen(certificateFile.c_str(), "r");
  if (!file) {
    setError(error, "can't open " + certificateFile);
    return nullptr;
  }
  identity->certificate_ = PEM_read_X509(file, nullptr, nullptr, nullptr);
  while (identity->certificate_) {
    X509* next = PEM_read_X509(file, nullptr, nullptr, nullptr);
    if (!next) break;
    identity->chain_.push_back(std::shared_ptr<TlsCertificate>(new TlsCertificate(next)));
  }
  std::fclose(file);
  if (!identity->certificate_) {
    setError(error, certificateFile + " holds no PEM certificate");
    return nullptr;
  }
  file = std::fopen(keyFile.c_str(), "r");
  if (!file) {
    setError(error, "can't open " + keyFile);
    return nullptr;
  }
  identity->key_ = PEM_read_PrivateKey(file, nullptr, nullptr, nullptr);
  std::fclose(file);
  if (!identity->key_) {
    setError(error, keyFile + " holds no PEM private key (or one with a pass phrase)");
    return nullptr;
  }
  if (X509_check_private_key(identity->certificate_, identity->key_) != 1) {
    setError(error, keyFile + " is not the key of " + certificateFile);
    return nullptr;
  }
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (X509_digest(identity->certificate_, EVP_sha256(), digest, &length) != 1) {
    setError(error, certificateFile + " can't be digested");
    return nullptr;
  }
  identity->fingerprint_ = plat::crypto::hex(digest, length);
  ERR_clear_error();  // the read that ended the chain left an error behind
  return identity;
}

TlsIdentity::~TlsIdentity() {
  X509_free(certificate_);
  EVP_PKEY_free(key_);
}

bool TlsIdentity::presentOn(SSL* ssl,
                            const std::vector<std::shared_ptr<TlsCertificate>>& extra) const {
  bool ok = SSL_use_certificate(ssl, certificate_) == 1 && SSL_use_PrivateKey(ssl, key_) == 1;
  for (const auto* list : {&chain_, &extra})
    for (const auto& certificate : *list)
      ok = ok && certificate && SSL_add1_chain_cert(ssl, certificate->x509()) == 1;
  if (!ok) ERR_clear_error();
  return ok;
}

}  // namespace plat::stream
