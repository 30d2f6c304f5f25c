// What a TLS client presents when the server asks who it is: a certificate with its private key
// (the identity) and the further certificates of its chain. Loaded once from PEM files and shared
// by every connection that presents them; immutable after loading, so any thread may use them.
#pragma once

#include <memory>
#include <string>
#include <vector>

typedef struct x509_st X509;
typedef struct evp_pkey_st EVP_PKEY;
typedef struct ssl_st SSL;

namespace plat::stream {

class TlsCertificate {
 public:
  // The first certificate of a PEM file; null (and *error) when there is none.
  static std::shared_ptr<TlsCertificate> fromPemFile(const std::string& path,
                                                     std::string* error = nullptr);
  ~TlsCertificate();
  TlsCertificate(const TlsCertificate&) = delete;
  TlsCertificate& operator=(const TlsCertificate&) = delete;
  X509* x509() const { return x509_; }

 private:
  friend class TlsIdentity;
  explicit TlsCertificate(X509* x509) : x509_(x509) {}
  X509* x509_;
};

class TlsIdentity {
 public:
  // The certificate (followed by any chain certificates in the same file) and the key that
  // matches it; null (and *error saying which file is wrong) when they do not load or match.
  static std::shared_ptr<TlsIdentity> fromPemFiles(const std::string& certificateFile,
                                                   const std::string& keyFile,
                                                   std::string* error = nullptr);
  ~TlsIdentity();
  TlsIdentity(const TlsIdentity&) = delete;
  TlsIdentity& operator=(const TlsIdentity&) = delete;

  // Makes `ssl` present this identity and then `extra`; false when the TLS library refuses.
  bool presentOn(SSL* ssl, const std::vector<std::shared_ptr<TlsCertificate>>& extra) const;
  // The SHA-256 of the certificate, in hex: who a server takes the client to be. Two identities
  // loaded from the same files have the same fingerprint.
  const std::string& fingerprint() const { return fingerprint_; }

 private:
  TlsIdentity() = default;
  X509* certificate_ = nullptr;
  std::string fingerprint_;
  EVP_PKEY* key_ = nullptr;
  std::vector<std::shared_ptr<TlsCertificate>> chain_;
};

// An identity and the certificates that follow it, as a connection presents them.
struct ClientCertificate {
  std::shared_ptr<TlsIdentity> identity;
  std::vector<std::shared_ptr<TlsCertificate>> chain;
};

}  // namespace plat::stream
