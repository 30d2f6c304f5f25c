#include "sockets/UdpSocketError.h"

#include <netdb.h>

#include <cstring>

namespace sockets {

UdpSocketError UdpSocketError::posix(int errnoValue) {
  return {kPosixDomain, errnoValue, std::strerror(errnoValue)};
}

UdpSocketError UdpSocketError::resolver(int code, const std::string& prefix) {
  return {kNetDBDomain, code, prefix + ::gai_strerror(code)};
}

}  // namespace sockets
