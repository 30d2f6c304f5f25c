// Turns a host name into socket addresses without blocking the caller's run loop: literal
// addresses at once, names on a short-lived thread that signals a descriptor when it is done, so
// the caller can watch it as one more run-loop source. HTTP streams, socket streams and
// reachability targets all look names up here.
#pragma once

#include <sys/socket.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/stream/StreamError.h"

namespace plat::stream {

struct SocketAddress {
  sockaddr_storage storage{};
  socklen_t length = 0;
  int family = 0;
};

struct Resolution {
  std::vector<SocketAddress> addresses;
  StreamError error;
};

// A literal IPv4 or IPv6 address into `out`; false for names.
bool resolveLiteral(const std::string& host, int port, Resolution& out);
// Looks a name up on the calling thread with getaddrinfo, waiting for the answer.
Resolution resolveBlocking(const std::string& host, int port);
// Looks a name up on the calling thread the way lookups are made (below), waiting for the answer.
Resolution resolve(const std::string& host, int port);

// How lookups are made, on their own threads: resolveBlocking unless replaced. Tests slow it
// down to watch callers go on while a name is looked up; nullptr restores it.
using LookupFunction = std::function<Resolution(const std::string& host, int port)>;
void setLookupFunction(LookupFunction lookup);

class HostLookup {
 public:
  // Starts looking `host` up on its own thread. When no descriptor is left to wait on, the lookup
  // is done at once with that failure: check isDone() before waiting on fd().
  static std::shared_ptr<HostLookup> start(const std::string& host, int port);
  ~HostLookup();

  int fd() const { return eventFd_; }  // readable once the answer is there
  bool isDone();
  Resolution takeResult();

 private:
  HostLookup();
  void finish(Resolution result);

  int eventFd_ = -1;
  std::mutex mutex_;
  bool done_ = false;
  Resolution result_;
};

}  // namespace plat::stream
