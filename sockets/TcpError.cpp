#include "sockets/TcpError.h"

#include <netdb.h>

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

std::optional<TcpError> errorFromCFStreamError(const TcpStreamError& error) {
  using D = TcpStreamError::Domain;
  if (error.domain == D::None && error.code == 0) return std::nullopt;
  TcpError result{"", error.code, ""};
  switch (error.domain) {
    case D::Posix:
      result.domain = kPosixErrorDomain;
      break;
    case D::MacOSStatus:
      result.domain = "NSOSStatusErrorDomain";
      break;
    case D::Mach:
      result.domain = "NSMachErrorDomain";
      break;
    case D::NetDB:
      result.domain = "kCFStreamErrorDomainNetDB";
      result.description = gai_strerror(static_cast<int>(error.code));
      break;
    case D::NetServices:
      result.domain = "kCFStreamErrorDomainNetServices";
      break;
    case D::SOCKS:
      result.domain = "kCFStreamErrorDomainSOCKS";
      break;
    case D::SystemConfiguration:
      result.domain = "kCFStreamErrorDomainSystemConfiguration";
      break;
    case D::SSL:
      result.domain = "kCFStreamErrorDomainSSL";
      break;
    default:
      result.domain = "CFStreamError (unlisted domain)";
      break;
  }
  return result;
}

}  // namespace sockets
