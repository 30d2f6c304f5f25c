// Why a socket stream failed: the layer that failed (socket, name lookup, TLS, the protocol above)
// with its code and a description. Callers map these to their own error objects and texts.
#pragma once

#include <string>

namespace plat::stream {

struct StreamError {
  enum class Domain {
    None,
    Posix,     // code is an errno value (ECONNREFUSED, ECONNRESET, EPIPE, ...)
    Network,   // code is one of the protocol's own codes (the HTTP transport's kNetwork...)
    Resolver,  // code is a getaddrinfo result (EAI_NONAME, ...)
    Tls,       // code is an X509 verification result, or -1 for other handshake failures
  };

  Domain domain = Domain::None;
  int code = 0;
  std::string message;

  explicit operator bool() const { return domain != Domain::None; }
  std::string domainName() const;

  static StreamError posix(int code);
  static StreamError resolver(int code);
  static StreamError network(int code, std::string message);
};

}  // namespace plat::stream
