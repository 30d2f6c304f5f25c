#include "tests/support/TestCertificate.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include "platform/base/Files.h"
#include "tests/support/TempHome.h"

namespace testsupport {
namespace {

EVP_PKEY* newKey() {
  EVP_PKEY* key = EVP_EC_gen("P-256");
  if (!key) throw std::runtime_error("EC key generation failed");
  return key;
}

void addExtension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
  if (!ext) throw std::runtime_error("bad certificate extension");
  X509_add_ext(cert, ext, -1);
  X509_EXTENSION_free(ext);
}

X509* newCertificate(EVP_PKEY* key, const char* commonName, long serial, X509* issuer,
                     EVP_PKEY* issuerKey) {
  X509* cert = X509_new();
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), serial);
  X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert), 2 * 86400);
  X509_set_pubkey(cert, key);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
  X509_set_issuer_name(cert, issuer ? X509_get_subject_name(issuer) : name);
  X509* signer = issuer ? issuer : cert;
  if (issuer) {
    addExtension(cert, signer, NID_basic_constraints, "critical,CA:FALSE");
    addExtension(cert, signer, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
    addExtension(cert, signer, NID_ext_key_usage, "serverAuth");
    addExtension(cert, signer, NID_authority_key_identifier, "keyid");
  } else {
    addExtension(cert, signer, NID_basic_constraints, "critical,CA:TRUE");
    addExtension(cert, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
  }
  addExtension(cert, signer, NID_subject_key_identifier, "hash");
  if (!X509_sign(cert, issuerKey ? issuerKey : key, EVP_sha256()))
    throw std::runtime_error("certificate signing failed");
  return cert;
}

void writePem(const std::string& path, const std::function<int(FILE*)>& write) {
  FILE* file = fopen(path.c_str(), "w");
  if (!file || !write(file)) throw std::runtime_error("cannot write " + path);
  fclose(file);
}

}  // namespace

TestCertificate::TestCertificate() : folder_(makeTempDir("vocab-cert")) {
  caPath_ = folder_ + "/ca.pem";
  certificatePath_ = folder_ + "/server.pem";
  keyPath_ = folder_ + "/server.key";
  EVP_PKEY* caKey = newKey();
  EVP_PKEY* serverKey = newKey();
  X509* ca = newCertificate(caKey, "Vocab Test CA", 1, nullptr, nullptr);
  X509* server = newCertificate(serverKey, "127.0.0.1", 2, ca, caKey);
  writePem(caPath_, [&](FILE* f) { return PEM_write_X509(f, ca); });
  writePem(certificatePath_, [&](FILE* f) { return PEM_write_X509(f, server); });
  writePem(keyPath_, [&](FILE* f) {
    return PEM_write_PrivateKey(f, serverKey, nullptr, nullptr, 0, nullptr, nullptr);
  });
  X509_free(server);
  X509_free(ca);
  EVP_PKEY_free(serverKey);
  EVP_PKEY_free(caKey);
}

TestCertificate::~TestCertificate() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::string TestCertificate::caPem() const {
  return plat::files::readFile(caPath_).value_or("");
}

}  // namespace testsupport
