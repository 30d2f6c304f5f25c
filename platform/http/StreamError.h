// Why an HTTP stream failed: the layer that failed (socket, name lookup, TLS, HTTP framing) and its
// code. Callers map these to their own error texts.
#pragma once

#include <string>

namespace plat::http {

struct StreamError {
  enum class Domain {
    None,
    Posix,     // code is an errno value (ECONNREFUSED, EPIPE, ENOTCONN, ...)
    Network,   // code is one of the kNetwork... codes below
    Resolver,  // code is a getaddrinfo result (EAI_NONAME, ...)
    Tls,       // code is an X509 verification result, or -1 for other handshake failures
  };

  Domain domain = Domain::None;
  int code = 0;
  std::string message;

  explicit operator bool() const { return domain != Domain::None; }
  std::string domainName() const;

  static StreamError posix(int code);
  static StreamError network(int code, std::string message);
};

// The connection closed or was reset before any byte of the response came: a kept connection the
// server had dropped, or a server that went away.
inline constexpr int kNetworkConnectionLost = -1005;
// The connection closed in the middle of the response (its body cut short).
inline constexpr int kNetworkResponseTruncated = -1017;
// The response could not be read as HTTP.
inline constexpr int kNetworkBadResponse = -1011;
// A proxy refused to open the tunnel or answered its handshake wrongly.
inline constexpr int kNetworkProxyFailure = -1200;
// The request body could not be read.
inline constexpr int kNetworkBodyUnreadable = -1013;

}  // namespace plat::http
