// The certificates a secure connection trusts: the system's roots, plus certificates added here
// (the stand-in for a profile installed on the device; tests add the authority of their server).
// Every client connection, HTTP or socket, takes its context from here; servers get theirs from
// their own certificate and key.
#pragma once

#include <memory>
#include <string>

typedef struct ssl_ctx_st SSL_CTX;

namespace plat::stream {

// Adds the PEM certificates in `pemText` to the trusted roots of connections opened from now on;
// false when the text holds no certificate.
bool addTrustedCertificates(const std::string& pemText);
// Forgets every certificate added above.
void removeAddedTrustedCertificates();

// The client context for new connections: validating the peer's chain and name, or not at all.
std::shared_ptr<SSL_CTX> clientTlsContext(bool validatesCertificate);
// A validating client context that also trusts the PEM authorities in `authoritiesFile`; null when
// the file holds none.
std::shared_ptr<SSL_CTX> clientTlsContext(const std::string& authoritiesFile);
// A server context presenting the PEM chain and key of these files; null when they do not load.
// One that requires a client certificate asks every client for one and refuses a client without
// one, or with one not issued by the PEM authorities of `clientAuthoritiesFile` (else by the
// trusted roots).
std::shared_ptr<SSL_CTX> serverTlsContext(const std::string& chainFile, const std::string& keyFile,
                                          bool requiresClientCertificate = false,
                                          const std::string& clientAuthoritiesFile = "");

}  // namespace plat::stream
