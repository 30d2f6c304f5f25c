#include "platform/stream/Resolver.h"

#include <netdb.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace plat::stream {
namespace {

Resolution lookUp(const std::string& host, int port, int flags) {
  Resolution result;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = flags;
  addrinfo* list = nullptr;
  std::string service = std::to_string(port);
  int status = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
  if (status != 0) {
    result.error = {StreamError::Domain::Resolver, status, gai_strerror(status)};
    return result;
  }
  for (addrinfo* entry = list; entry; entry = entry->ai_next) {
    SocketAddress address;
    std::memcpy(&address.storage, entry->ai_addr, entry->ai_addrlen);
    address.length = entry->ai_addrlen;
    address.family = entry->ai_family;
    result.addresses.push_back(address);
  }
  ::freeaddrinfo(list);
  if (result.addresses.empty())
    result.error = {StreamError::Domain::Resolver, EAI_NONAME, gai_strerror(EAI_NONAME)};
  return result;
}

std::mutex& lookupMutex() {
  static std::mutex mutex;
  return mutex;
}

// Never destroyed: a lookup thread still running as the process exits reads it.
LookupFunction& installedLookup() {
  static auto* lookup = new LookupFunction;
  return *lookup;
}

}  // namespace

Resolution resolveBlocking(const std::string& host, int port) {
  return lookUp(host, port, AI_ADDRCONFIG);
}

Resolution resolve(const std::string& host, int port) {
  LookupFunction how;
  {
    std::lock_guard<std::mutex> lock(lookupMutex());
    how = installedLookup();
  }
  return how ? how(host, port) : resolveBlocking(host, port);
}

void setLookupFunction(LookupFunction lookup) {
  std::lock_guard<std::mutex> lock(lookupMutex());
  installedLookup() = std::move(lookup);
}

bool resolveLiteral(const std::string& host, int port, Resolution& out) {
  Resolution numeric = lookUp(host, port, AI_NUMERICHOST);
  if (numeric.error) return false;
  out = std::move(numeric);
  return true;
}

HostLookup::HostLookup() : eventFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

HostLookup::~HostLookup() {
  if (eventFd_ >= 0) ::close(eventFd_);
}

std::shared_ptr<HostLookup> HostLookup::start(const std::string& host, int port) {
  std::shared_ptr<HostLookup> lookup(new HostLookup());
  // Without a descriptor to wait on, the caller would wait for ever: it gets the failure now.
  if (lookup->eventFd_ < 0) {
    Resolution failed;
    failed.error = StreamError::posix(errno);
    lookup->finish(std::move(failed));
    return lookup;
  }
  // The thread keeps the lookup alive, so a caller that gives up early leaves nothing dangling.
  std::thread([lookup, host, port] { lookup->finish(resolve(host, port)); }).detach();
  return lookup;
}

void HostLookup::finish(Resolution result) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    result_ = std::move(result);
    done_ = true;
  }
  if (eventFd_ < 0) return;
  const uint64_t one = 1;
  // The counter cannot overflow with one write per lookup; only a signal can interrupt it.
  while (::write(eventFd_, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

bool HostLookup::isDone() {
  std::lock_guard<std::mutex> lock(mutex_);
  return done_;
}

Resolution HostLookup::takeResult() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::move(result_);
}

}  // namespace plat::stream
