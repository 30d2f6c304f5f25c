// Errors of the UDP socket: what a failed send, receive or configuration step reports (a domain,
// a code and a text for people), and the exception raised when the socket is misused.
#pragma once

#include <string>

#include "platform/base/NamedException.h"

namespace sockets {

struct UdpSocketError {
  // The socket's own failures, with the codes below.
  static inline const std::string kDomain = "UdpSocketErrorDomain";
  // A system call failed; the code is errno.
  static inline const std::string kPosixDomain = "NSPOSIXErrorDomain";
  // A host or interface name could not be resolved; the code is the resolver's.
  static inline const std::string kNetDBDomain = "kCFStreamErrorDomainNetDB";
  // A socket option was refused; the code is the option call's result.
  static inline const std::string kStreamPosixDomain = "kCFStreamErrorDomainPOSIX";

  enum Code : int {
    kSocketError = -1,
    kBadParamError = 1,
    kIPv4UnavailableError = 2,
    kIPv6UnavailableError = 3,
    kSendTimeoutError = 4,
    kReceiveTimeoutError = 5,
  };

  std::string domain;
  int code = 0;
  std::string localizedDescription;

  static UdpSocketError own(int code, std::string description) {
    return {kDomain, code, std::move(description)};
  }
  static UdpSocketError posix(int errnoValue);
  static UdpSocketError resolver(int code, const std::string& prefix = {});
};

// Misuse of a socket: binding twice, connecting a closed socket and the like.
class UdpSocketException : public plat::NamedException {
 public:
  explicit UdpSocketException(std::string reason)
      : plat::NamedException("UdpSocketException", std::move(reason)) {}
};

}  // namespace sockets
