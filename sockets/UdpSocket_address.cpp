// Address conversion of the UDP socket: resolving hosts for binding and sending, and writing
// addresses as text.
#include <arpa/inet.h>
#include <netdb.h>

#include <cstring>

#include "sockets/UdpSocket.h"

namespace sockets {

namespace {

sockaddr_in anyOrLoopback4(uint16_t port, bool loopback) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(loopback ? INADDR_LOOPBACK : INADDR_ANY);
  return a;
}

sockaddr_in6 anyOrLoopback6(uint16_t port, bool loopback) {
  sockaddr_in6 a{};
  a.sin6_family = AF_INET6;
  a.sin6_port = htons(port);
  a.sin6_addr = loopback ? in6addr_loopback : in6addr_any;
  return a;
}

// Resolves `host` and keeps the first address of each family.
int resolve(const std::string& host, uint16_t port, bool passive,
            std::optional<sockaddr_in>* address4, std::optional<sockaddr_in6>* address6) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_protocol = IPPROTO_UDP;
  if (passive) hints.ai_flags = AI_PASSIVE;
  addrinfo* results = nullptr;
  const std::string service = std::to_string(port);
  int code = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &results);
  if (code != 0) return code;
  for (addrinfo* r = results; r; r = r->ai_next) {
    if (r->ai_family == AF_INET && !*address4 && r->ai_addrlen >= sizeof(sockaddr_in)) {
      sockaddr_in a;
      std::memcpy(&a, r->ai_addr, sizeof a);
      *address4 = a;
    } else if (r->ai_family == AF_INET6 && !*address6 && r->ai_addrlen >= sizeof(sockaddr_in6)) {
      sockaddr_in6 a;
      std::memcpy(&a, r->ai_addr, sizeof a);
      *address6 = a;
    }
  }
  ::freeaddrinfo(results);
  return 0;
}

bool isLoopbackName(const std::string& host) {
  return host == "localhost" || host == "loopback";
}

[[noreturn]] void cannotConvert() {
  throw plat::NamedException("NSInternalInconsistencyException",
                             "Cannot convert address to string.");
}

}  // namespace

int UdpSocket::convertForBindHost(const std::string& host, uint16_t port,
                                  std::optional<sockaddr_in>* address4,
                                  std::optional<sockaddr_in6>* address6) {
  address4->reset();
  address6->reset();
  if (host.empty() || isLoopbackName(host)) {
    *address4 = anyOrLoopback4(port, !host.empty());
    *address6 = anyOrLoopback6(port, !host.empty());
    return 0;
  }
  return resolve(host, port, true, address4, address6);
}

int UdpSocket::convertForSendHost(const std::string& host, uint16_t port,
                                  std::optional<sockaddr_in>* address4,
                                  std::optional<sockaddr_in6>* address6) {
  address4->reset();
  address6->reset();
  if (host.empty()) return EAI_NONAME;
  if (isLoopbackName(host)) {
    *address4 = anyOrLoopback4(port, true);
    *address6 = anyOrLoopback6(port, true);
    return 0;
  }
  return resolve(host, port, false, address4, address6);
}

std::string UdpSocket::addressHost4(const sockaddr_in& address) {
  char text[INET_ADDRSTRLEN];
  if (!::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text)) cannotConvert();
  return text;
}

std::string UdpSocket::addressHost6(const sockaddr_in6& address) {
  char text[INET6_ADDRSTRLEN];
  if (!::inet_ntop(AF_INET6, &address.sin6_addr, text, sizeof text)) cannotConvert();
  return text;
}

std::string UdpSocket::addressHost(const sockaddr* address) {
  if (address->sa_family == AF_INET6)
    return addressHost6(*reinterpret_cast<const sockaddr_in6*>(address));
  return addressHost4(*reinterpret_cast<const sockaddr_in*>(address));
}

}  // namespace sockets
