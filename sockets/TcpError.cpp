#include "sockets/TcpError.h"

#include <cstring>

#include "platform/base/Bundle.h"

namespace sockets {

TcpError tcpSocketError(long code, const std::string& key, const std::string& defaultText) {
  std::string text = plat::localized(key, "TcpSocket");
  if (text == key) text = defaultText;
  return TcpError{kTcpSocketErrorDomain, code, text};
}

TcpError tcpErrnoError(int err) {
  return TcpError{kPosixErrorDomain, err, std::strerror(err)};
}

std::optional<TcpError> errorFromCFStreamError(const plat::stream::StreamError& error) {
  using D = plat::stream::StreamError::Domain;
  if (!error) return std::nullopt;
  TcpError result{"", error.code, error.message};
  switch (error.domain) {
    case D::Posix:
      result.domain = kPosixErrorDomain;
      break;
    case D::Resolver:
      result.domain = "kCFStreamErrorDomainNetDB";
      break;
    case D::Tls:
      result.domain = "kCFStreamErrorDomainSSL";
      break;
    default:
      result.domain = "CFStreamError (unlisted domain)";
      break;
  }
  return result;
}

}  // namespace sockets
