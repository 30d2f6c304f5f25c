// The certificates a secure connection trusts: the system's roots, plus certificates added here
// (the stand-in for a profile installed on the device; tests add the authority of their server).
#pragma once

#include <memory>
#include <string>

typedef struct ssl_ctx_st SSL_CTX;

namespace plat::http {

// Adds the PEM certificates in `pemText` to the trusted roots of connections opened from now on;
// false when the text holds no certificate.
bool addTrustedCertificates(const std::string& pemText);
// Forgets every certificate added above.
void removeAddedTrustedCertificates();

// The client context for new connections: validating the peer's chain and name, or not at all.
std::shared_ptr<SSL_CTX> clientTlsContext(bool validatesCertificate);

}  // namespace plat::http
