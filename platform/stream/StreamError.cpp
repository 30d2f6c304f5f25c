#include "platform/stream/StreamError.h"

#include <netdb.h>

#include <cstring>

namespace plat::stream {

std::string StreamError::domainName() const {
  switch (domain) {
    case Domain::None:
      return "";
    case Domain::Posix:
      return "PosixErrorDomain";
    case Domain::Network:
      return "NetworkErrorDomain";
    case Domain::Resolver:
      return "ResolverErrorDomain";
    case Domain::Tls:
      return "TlsErrorDomain";
  }
  return "";
}

StreamError StreamError::posix(int code) {
  return {Domain::Posix, code, std::strerror(code)};
}

StreamError StreamError::resolver(int code) {
  return {Domain::Resolver, code, gai_strerror(code)};
}

StreamError StreamError::network(int code, std::string message) {
  return {Domain::Network, code, std::move(message)};
}

}  // namespace plat::stream
