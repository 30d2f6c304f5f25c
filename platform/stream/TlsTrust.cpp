#include "platform/stream/TlsTrust.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <mutex>
#include <vector>

namespace plat::stream {
namespace {

struct TrustState {
  std::mutex mutex;
  std::vector<std::shared_ptr<X509>> added;
  std::shared_ptr<SSL_CTX> validating, permissive;
};

// Never destroyed: the network thread and threads of the socket library may still open a
// connection, and ask for a context, while the process exits and destroys its static objects.
TrustState& trust() {
  static auto* state = new TrustState;
  return *state;
}

SSL_CTX* newContext(const SSL_METHOD* method) {
  SSL_CTX* ctx = SSL_CTX_new(method);
  if (!ctx) return nullptr;
  SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
  SSL_CTX_set_mode(ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  return ctx;
}

std::shared_ptr<SSL_CTX> makeContext(bool validate,
                                     const std::vector<std::shared_ptr<X509>>& added) {
  SSL_CTX* ctx = newContext(TLS_client_method());
  if (!ctx) return nullptr;
  if (validate) {
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_default_verify_paths(ctx);
    X509_STORE* store = SSL_CTX_get_cert_store(ctx);
    for (const auto& cert : added) X509_STORE_add_cert(store, cert.get());
  } else {
    SSL_CTX_set_verify(ctx, SSL_VERIFY_NONE, nullptr);
  }
  return std::shared_ptr<SSL_CTX>(ctx, SSL_CTX_free);
}

}  // namespace

bool addTrustedCertificates(const std::string& pemText) {
  BIO* bio = BIO_new_mem_buf(pemText.data(), static_cast<int>(pemText.size()));
  if (!bio) return false;
  std::vector<std::shared_ptr<X509>> certs;
  while (X509* cert = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr))
    certs.emplace_back(cert, X509_free);
  BIO_free(bio);
  ERR_clear_error();  // the read that ended the loop left an error behind
  if (certs.empty()) return false;
  TrustState& state = trust();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.added.insert(state.added.end(), certs.begin(), certs.end());
  state.validating = nullptr;  // rebuilt with the new roots on next use
  return true;
}

void removeAddedTrustedCertificates() {
  TrustState& state = trust();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.added.clear();
  state.validating = nullptr;
}

std::shared_ptr<SSL_CTX> clientTlsContext(bool validatesCertificate) {
  TrustState& state = trust();
  std::lock_guard<std::mutex> lock(state.mutex);
  std::shared_ptr<SSL_CTX>& slot = validatesCertificate ? state.validating : state.permissive;
  if (!slot) slot = makeContext(validatesCertificate, state.added);
  return slot;
}

std::shared_ptr<SSL_CTX> clientTlsContext(const std::string& authoritiesFile) {
  std::shared_ptr<SSL_CTX> ctx;
  {
    TrustState& state = trust();
    std::lock_guard<std::mutex> lock(state.mutex);
    ctx = makeContext(true, state.added);
  }
  if (!ctx || SSL_CTX_load_verify_locations(ctx.get(), authoritiesFile.c_str(), nullptr) != 1) {
    ERR_clear_error();
    return nullptr;
  }
  return ctx;
}

std::shared_ptr<SSL_CTX> serverTlsContext(const std::string& chainFile, const std::string& keyFile,
                                          bool requiresClientCertificate,
                                          const std::string& clientAuthoritiesFile) {
  std::shared_ptr<SSL_CTX> ctx(newContext(TLS_server_method()), SSL_CTX_free);
  if (!ctx || SSL_CTX_use_certificate_chain_file(ctx.get(), chainFile.c_str()) != 1 ||
      SSL_CTX_use_PrivateKey_file(ctx.get(), keyFile.c_str(), SSL_FILETYPE_PEM) != 1 ||
      SSL_CTX_check_private_key(ctx.get()) != 1) {
    ERR_clear_error();
    return nullptr;
  }
  if (!requiresClientCertificate) return ctx;
  SSL_CTX_set_verify(ctx.get(), SSL_VERIFY_PEER | SSL_VERIFY_FAIL_IF_NO_PEER_CERT, nullptr);
  if (!clientAuthoritiesFile.empty()) {
    // Clients are told which authorities count, so one with several certificates picks right.
    STACK_OF(X509_NAME)* names = SSL_load_client_CA_file(clientAuthoritiesFile.c_str());
    if (!names ||
        SSL_CTX_load_verify_locations(ctx.get(), clientAuthoritiesFile.c_str(), nullptr) != 1) {
      if (names) sk_X509_NAME_pop_free(names, X509_NAME_free);
      ERR_clear_error();
      return nullptr;
    }
    SSL_CTX_set_client_CA_list(ctx.get(), names);
  } else {
    SSL_CTX_set_default_verify_paths(ctx.get());
    TrustState& state = trust();
    std::lock_guard<std::mutex> lock(state.mutex);
    X509_STORE* store = SSL_CTX_get_cert_store(ctx.get());
    for (const auto& cert : state.added) X509_STORE_add_cert(store, cert.get());
  }
  return ctx;
}

}  // namespace plat::stream
