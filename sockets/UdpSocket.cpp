// Creation, run-loop scheduling, configuration, queries and closing of the UDP socket; the send and
// receive queues are in UdpSocket_io.cpp.
#include "sockets/UdpSocket.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/base/Clock.h"

namespace sockets {

namespace {

constexpr unsigned kReadWrite = plat::kFdReadable | plat::kFdWritable;

UdpSocketError socketError() {
  return UdpSocketError::own(UdpSocketError::kSocketError, "General CFSocket error");
}
UdpSocketError ipv4UnavailableError() {
  return UdpSocketError::own(UdpSocketError::kIPv4UnavailableError,
                             "IPv4 is unavailable due to binding/connecting using IPv6 only");
}
UdpSocketError ipv6UnavailableError() {
  return UdpSocketError::own(UdpSocketError::kIPv6UnavailableError,
                             "IPv6 is unavailable due to binding/connecting using IPv4 only or is "
                             "not supported on this platform");
}

bool setOption(int fd, int level, int option, int value) {
  return ::setsockopt(fd, level, option, &value, sizeof value) == 0;
}

}  // namespace

// ---- Creation

UdpSocket::UdpSocket() : UdpSocket(nullptr, 0, true, true) {}
UdpSocket::UdpSocket(UdpSocketDelegate* delegate) : UdpSocket(delegate, 0, true, true) {}
UdpSocket::UdpSocket(UdpSocketDelegate* delegate, int64_t userData)
    : UdpSocket(delegate, userData, true, true) {}

UdpSocket::UdpSocket(UdpSocketDelegate* delegate, int64_t userData, bool enableIPv4,
                     bool enableIPv6)
    : theDelegate_(delegate), theUserData_(userData) {
  if (enableIPv4) openSocket(theSocket4_, AF_INET);
  if (enableIPv6) openSocket(theSocket6_, AF_INET6);
  theRunLoop_ = &plat::RunLoop::current();
  runLoopAddSource(theSocket4_);
  runLoopAddSource(theSocket6_);
}

std::unique_ptr<UdpSocket> UdpSocket::initIPv4() {
  return std::make_unique<UdpSocket>(nullptr, 0, true, false);
}

std::unique_ptr<UdpSocket> UdpSocket::initIPv6() {
  return std::make_unique<UdpSocket>(nullptr, 0, false, true);
}

UdpSocket::~UdpSocket() {
  emptyQueues();
  closeSocket4();
  closeSocket6();
  for (auto& [what, timer] : deferred_) timer->invalidate();
}

void UdpSocket::openSocket(NativeSocket& sock, int family) {
  // Non-blocking: readiness is polled first, and a spurious wake-up must not block the loop.
  sock.fd = ::socket(family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_UDP);
  if (sock.fd < 0) return;
  // The IPv6 socket carries IPv6 only, so that both families can bind the same port.
  if (family == AF_INET6) setOption(sock.fd, IPPROTO_IPV6, IPV6_V6ONLY, 1);
  sock.armed = kReadWrite;
}

void UdpSocket::closeSocket4() {
  closeSocket(theSocket4_);
}
void UdpSocket::closeSocket6() {
  closeSocket(theSocket6_);
}

void UdpSocket::closeSocket(NativeSocket& sock) {
  runLoopRemoveSource(sock);
  if (sock.fd >= 0) ::close(sock.fd);
  sock.fd = -1;
  sock.armed = 0;
}

// ---- Run loop

void UdpSocket::runLoopAddSource(NativeSocket& sock) {
  if (sock.fd < 0 || !theRunLoop_) return;
  const bool v6 = isV6(sock);
  for (const std::string& mode : theRunLoopModes_) {
    sock.sources.push_back(theRunLoop_->addFdSource(
        sock.fd, sock.armed, [this, v6](int, unsigned events) { onSocketEvent(v6, events); },
        mode));
  }
}

void UdpSocket::runLoopRemoveSource(NativeSocket& sock) {
  if (theRunLoop_)
    for (int id : sock.sources) theRunLoop_->removeFdSource(id);
  sock.sources.clear();
}

void UdpSocket::rearm(NativeSocket& sock) {
  sock.armed = kReadWrite;
  if (theRunLoop_)
    for (int id : sock.sources) theRunLoop_->updateFdSource(id, sock.armed);
}

void UdpSocket::onSocketEvent(bool v6, unsigned events) {
  NativeSocket& sock = socketOf(v6);
  // Like a platform socket callback, each event fires once until the socket re-arms it.
  sock.armed &= ~events;
  for (int id : sock.sources) theRunLoop_->updateFdSource(id, sock.armed);
  auto alive = lifeToken();
  if (events & plat::kFdWritable) {
    theFlags_ |= v6 ? kSock6CanAcceptBytes : kSock4CanAcceptBytes;
    doSend(sock);
    if (alive.expired()) return;
  }
  if ((events & plat::kFdReadable) && sock.fd >= 0) {
    theFlags_ |= v6 ? kSock6HasBytesAvailable : kSock4HasBytesAvailable;
    doReceive(sock);
  }
}

std::shared_ptr<plat::Timer> UdpSocket::scheduleTimer(double seconds,
                                                      plat::Timer::Callback callback) {
  auto timer = plat::Timer::scheduled(seconds, false, std::move(callback), theRunLoopModes_[0]);
  runLoopAddTimer(timer);
  return timer;
}

void UdpSocket::runLoopAddTimer(const std::shared_ptr<plat::Timer>& timer) {
  plat::RunLoop& loop = plat::RunLoop::current();
  for (const std::string& mode : theRunLoopModes_) loop.addTimer(timer, mode);
}

void UdpSocket::defer(Deferred what, plat::RunLoop::Task task) {
  std::erase_if(deferred_, [](const auto& entry) { return !entry.second->isValid(); });
  auto timer = plat::Timer::scheduled(
      0, false, [task = std::move(task)](plat::Timer&) { task(); }, theRunLoopModes_[0]);
  runLoopAddTimer(timer);
  deferred_.emplace_back(what, std::move(timer));
}

void UdpSocket::cancelDeferred(Deferred what) {
  for (auto& [kind, timer] : deferred_)
    if (kind == what) timer->invalidate();
}

void UdpSocket::cancelDeferredDequeues() {
  cancelDeferred(Deferred::DequeueSend);
  cancelDeferred(Deferred::DequeueReceive);
  cancelDeferred(Deferred::Close);
  theFlags_ &= ~(kDequeueSendScheduled | kDequeueReceiveScheduled);
}

// A time-out timer rescheduled under the current loop and modes, keeping its firing date.
std::shared_ptr<plat::Timer> UdpSocket::moveTimer(const std::shared_ptr<plat::Timer>& timer,
                                                  void (UdpSocket::*handler)(plat::Timer&)) {
  if (!timer || !timer->isValid()) return nullptr;
  const double fireDate = timer->fireDate();
  timer->invalidate();
  auto moved = scheduleTimer(std::max(0.0, fireDate - plat::Clock::current().now()),
                             [this, handler](plat::Timer& t) { (this->*handler)(t); });
  moved->setFireDate(fireDate);
  return moved;
}

void UdpSocket::detachFromRunLoop() {
  cancelDeferredDequeues();
  runLoopRemoveSource(theSocket4_);
  runLoopRemoveSource(theSocket6_);
}

void UdpSocket::attachToRunLoop() {
  theSendTimer_ = moveTimer(theSendTimer_, &UdpSocket::doSendTimeout);
  theReceiveTimer_ = moveTimer(theReceiveTimer_, &UdpSocket::doReceiveTimeout);
  runLoopAddSource(theSocket4_);
  runLoopAddSource(theSocket6_);
}

bool UdpSocket::moveToRunLoop(plat::RunLoop* runLoop) {
  if (!runLoop) return false;
  if (runLoop == theRunLoop_) return true;
  detachFromRunLoop();
  theRunLoop_ = runLoop;
  // Sources and timers can only be added on the loop's own thread: the rest happens there.
  std::weak_ptr<char> alive = lifeToken();
  runLoop->perform([this, alive] {
    if (alive.expired()) return;
    attachToRunLoop();
    maybeDequeueSend();
    if (alive.expired()) return;
    maybeDequeueReceive();
    if (alive.expired()) return;
    maybeScheduleClose();
  });
  return true;
}

bool UdpSocket::setRunLoopModes(const std::vector<std::string>& modes) {
  if (modes.empty()) return false;
  if (modes == theRunLoopModes_) return true;
  detachFromRunLoop();
  theRunLoopModes_ = modes;
  attachToRunLoop();
  defer(Deferred::DequeueSend, [this] { maybeDequeueSend(); });
  defer(Deferred::DequeueReceive, [this] { maybeDequeueReceive(); });
  defer(Deferred::Close, [this] { maybeScheduleClose(); });
  return true;
}

// ---- Configuration

bool UdpSocket::fail(UdpSocketError* error, UdpSocketError value) {
  if (error) *error = std::move(value);
  return false;
}

bool UdpSocket::bindToPort(uint16_t port, UdpSocketError* error) {
  return bindToAddress({}, port, error);
}

bool UdpSocket::bindToAddress(const std::string& localAddr, uint16_t port, UdpSocketError* error) {
  if (isClosed()) throw UdpSocketException("The socket is closed.");
  if (theFlags_ & kDidBind) throw UdpSocketException("Cannot bind a socket more than once.");
  if (theFlags_ & kDidConnect)
    throw UdpSocketException("Cannot bind after connecting. If needed, bind first, then connect.");

  std::optional<sockaddr_in> address4;
  std::optional<sockaddr_in6> address6;
  if (int code = convertForBindHost(localAddr, port, &address4, &address6))
    return fail(error, UdpSocketError::resolver(code));

  if (isIPv4()) setOption(theSocket4_.fd, SOL_SOCKET, SO_REUSEADDR, 1);
  if (isIPv6()) setOption(theSocket6_.fd, SOL_SOCKET, SO_REUSEADDR, 1);

  bool bound4 = false;
  if (address4 && isIPv4()) {
    if (::bind(theSocket4_.fd, reinterpret_cast<const sockaddr*>(&*address4), sizeof *address4))
      return fail(error, socketError());
    if (!address6) {
      closeSocket6();
      theFlags_ |= kDidBind;
      return true;
    }
    bound4 = true;
    // Both halves answer on one port, the one the local-port query reports.
    if (port == 0 && isIPv6()) address6->sin6_port = htons(portOf(theSocket4_, false));
  } else if (address4 && !address6) {
    return fail(error, ipv4UnavailableError());
  } else if (!address4 && !address6) {
    theFlags_ |= kDidBind;
    return true;
  }

  if (!isIPv6()) {
    if (bound4) {
      theFlags_ |= kDidBind;
      return true;
    }
    return fail(error, address4 ? ipv4UnavailableError() : ipv6UnavailableError());
  }
  if (::bind(theSocket6_.fd, reinterpret_cast<const sockaddr*>(&*address6), sizeof *address6))
    return fail(error, socketError());
  if (!address4) closeSocket4();
  theFlags_ |= kDidBind;
  return true;
}

bool UdpSocket::connectTo(const std::optional<sockaddr_in>& address4,
                          const std::optional<sockaddr_in6>& address6, UdpSocketError* error) {
  if (address4 && isIPv4()) {
    if (::connect(theSocket4_.fd, reinterpret_cast<const sockaddr*>(&*address4), sizeof *address4))
      return fail(error, socketError());
    closeSocket6();
  } else if (address6 && isIPv6()) {
    if (::connect(theSocket6_.fd, reinterpret_cast<const sockaddr*>(&*address6), sizeof *address6))
      return fail(error, socketError());
    closeSocket4();
  } else if (address4) {
    return fail(error, ipv4UnavailableError());
  } else if (address6) {
    return fail(error, ipv6UnavailableError());
  } else {
    return false;
  }
  theFlags_ |= kDidConnect;
  return true;
}

void UdpSocket::checkConnectable() const {
  if (isClosed()) throw UdpSocketException("The socket is closed.");
  if (theFlags_ & kDidConnect) throw UdpSocketException("Cannot connect a socket more than once.");
}

bool UdpSocket::connectToHost(const std::string& host, uint16_t port, UdpSocketError* error) {
  checkConnectable();
  std::optional<sockaddr_in> address4;
  std::optional<sockaddr_in6> address6;
  if (int code = convertForSendHost(host, port, &address4, &address6))
    return fail(error, UdpSocketError::resolver(code));
  return connectTo(address4, address6, error);
}

bool UdpSocket::connectToAddress(const Bytes& remoteAddr, UdpSocketError* error) {
  checkConnectable();
  std::optional<sockaddr_in> address4;
  std::optional<sockaddr_in6> address6;
  if (remoteAddr.size() == sizeof(sockaddr_in)) {
    address4.emplace();
    std::memcpy(&*address4, remoteAddr.data(), sizeof(sockaddr_in));
  } else if (remoteAddr.size() == sizeof(sockaddr_in6)) {
    address6.emplace();
    std::memcpy(&*address6, remoteAddr.data(), sizeof(sockaddr_in6));
  } else {
    return fail(error, UdpSocketError::own(UdpSocketError::kBadParamError,
                                           "remoteAddr parameter is not a valid address"));
  }
  return connectTo(address4, address6, error);
}

bool UdpSocket::joinMulticastGroup(const std::string& group, UdpSocketError* error) {
  return joinMulticastGroup(group, {}, error);
}

bool UdpSocket::joinMulticastGroup(const std::string& group, const std::string& interfaceAddr,
                                   UdpSocketError* error) {
  if (isClosed()) throw UdpSocketException("The socket is closed.");
  if (!(theFlags_ & kDidBind))
    throw UdpSocketException("Must bind a socket before joining a multicast group.");
  if (theFlags_ & kDidConnect)
    throw UdpSocketException("Cannot join a multicast group if connected.");

  std::optional<sockaddr_in> interface4, group4;
  std::optional<sockaddr_in6> interface6, group6;
  if (int code = convertForBindHost(interfaceAddr, 0, &interface4, &interface6))
    return fail(error, UdpSocketError::resolver(code, "Invalid parameter 'address': "));
  if (int code = convertForBindHost(group, 0, &group4, &group6))
    return fail(error, UdpSocketError::resolver(code, "Invalid parameter 'group': "));

  if (isIPv4() && group4 && interface4) {
    ip_mreq request{};
    request.imr_multiaddr = group4->sin_addr;
    request.imr_interface = interface4->sin_addr;
    if (::setsockopt(theSocket4_.fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request))
      return fail(error,
                  {UdpSocketError::kStreamPosixDomain, -1, "Unable to join IPv4 multicast group"});
    closeSocket6();
    return true;
  }
  if (isIPv6() && group6 && interface6) {
    ipv6_mreq request{};
    request.ipv6mr_multiaddr = group6->sin6_addr;
    request.ipv6mr_interface = 0;
    if (::setsockopt(theSocket6_.fd, IPPROTO_IPV6, IPV6_JOIN_GROUP, &request, sizeof request))
      return fail(error,
                  {UdpSocketError::kStreamPosixDomain, -1, "Unable to join IPv6 multicast group"});
    closeSocket4();
    return true;
  }
  return fail(error, UdpSocketError::own(UdpSocketError::kBadParamError,
                                         "Invalid group and/or address, not matching existing "
                                         "socket(s)"));
}

bool UdpSocket::enableBroadcast(bool flag, UdpSocketError* error) {
  if (!isIPv4()) return true;
  if (!setOption(theSocket4_.fd, SOL_SOCKET, SO_BROADCAST, flag ? 1 : 0))
    return fail(error, {UdpSocketError::kStreamPosixDomain, -1,
                        "Unable to enable broadcast message sending"});
  return true;
}

// ---- Closing

void UdpSocket::emptyQueues() {
  endCurrentSend();
  endCurrentReceive();
  theSendQueue_.clear();
  theReceiveQueue_.clear();
  cancelDeferred(Deferred::DequeueSend);
  cancelDeferred(Deferred::DequeueReceive);
  theFlags_ &= ~(kDequeueSendScheduled | kDequeueReceiveScheduled);
}

void UdpSocket::close() {
  emptyQueues();
  // A close asked for by closeAfter... that has not run yet would report a second close.
  cancelDeferred(Deferred::Close);
  closeSocket4();
  closeSocket6();
  theRunLoop_ = nullptr;
  if (theDelegate_) {
    defer(Deferred::DidClose, [this] {
      if (theDelegate_) theDelegate_->onUdpSocketDidClose(*this);
    });
  }
  theFlags_ |= kDidClose;
}

void UdpSocket::closeAfterSending() {
  if (isClosed()) return;
  theFlags_ |= kForbidSendReceive | kCloseAfterSends;
  maybeScheduleClose();
}

void UdpSocket::closeAfterReceiving() {
  if (isClosed()) return;
  theFlags_ |= kForbidSendReceive | kCloseAfterReceives;
  maybeScheduleClose();
}

void UdpSocket::closeAfterSendingAndReceiving() {
  if (isClosed()) return;
  theFlags_ |= kForbidSendReceive | kCloseAfterSends | kCloseAfterReceives;
  maybeScheduleClose();
}

void UdpSocket::maybeScheduleClose() {
  if (isClosed()) return;
  const bool sendsDone = !theCurrentSend_ && theSendQueue_.empty();
  const bool receivesDone = !theCurrentReceive_ && theReceiveQueue_.empty();
  bool shouldClose = false;
  if (theFlags_ & kCloseAfterSends)
    shouldClose = sendsDone && (!(theFlags_ & kCloseAfterReceives) || receivesDone);
  else if (theFlags_ & kCloseAfterReceives)
    shouldClose = receivesDone;
  if (shouldClose) defer(Deferred::Close, [this] { close(); });
}

// ---- Queries

const UdpSocket::NativeSocket* UdpSocket::querySocket() const {
  if (isIPv4()) return &theSocket4_;
  if (isIPv6()) return &theSocket6_;
  return nullptr;
}

namespace {

std::optional<sockaddr_storage> socketAddress(int fd, bool peer) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  auto* raw = reinterpret_cast<sockaddr*>(&address);
  if (fd < 0 || (peer ? ::getpeername(fd, raw, &length) : ::getsockname(fd, raw, &length)))
    return std::nullopt;
  return address;
}

}  // namespace

uint16_t UdpSocket::addressPort(const sockaddr* address) {
  if (address->sa_family == AF_INET6)
    return ntohs(reinterpret_cast<const sockaddr_in6*>(address)->sin6_port);
  return ntohs(reinterpret_cast<const sockaddr_in*>(address)->sin_port);
}

std::string UdpSocket::hostOf(const NativeSocket& sock, bool peer) {
  auto address = socketAddress(sock.fd, peer);
  return address ? addressHost(reinterpret_cast<const sockaddr*>(&*address)) : std::string();
}

uint16_t UdpSocket::portOf(const NativeSocket& sock, bool peer) {
  auto address = socketAddress(sock.fd, peer);
  return address ? addressPort(reinterpret_cast<const sockaddr*>(&*address)) : 0;
}

std::string UdpSocket::localHost() {
  if (!cachedLocalHost_.empty()) return cachedLocalHost_;
  const NativeSocket* sock = querySocket();
  std::string host = sock ? hostOf(*sock, false) : std::string();
  if (theFlags_ & kDidBind) cachedLocalHost_ = host;
  return host;
}

uint16_t UdpSocket::localPort() {
  if (cachedLocalPort_) return cachedLocalPort_;
  const NativeSocket* sock = querySocket();
  uint16_t port = sock ? portOf(*sock, false) : 0;
  if (theFlags_ & kDidBind) cachedLocalPort_ = port;
  return port;
}

std::string UdpSocket::connectedHost() {
  if (!cachedConnectedHost_.empty()) return cachedConnectedHost_;
  const NativeSocket* sock = querySocket();
  std::string host = sock ? hostOf(*sock, true) : std::string();
  if (isConnected()) cachedConnectedHost_ = host;
  return host;
}

uint16_t UdpSocket::connectedPort() {
  if (cachedConnectedPort_) return cachedConnectedPort_;
  const NativeSocket* sock = querySocket();
  uint16_t port = sock ? portOf(*sock, true) : 0;
  if (isConnected()) cachedConnectedPort_ = port;
  return port;
}

bool UdpSocket::isConnectedToHost(const std::string& host, uint16_t port) {
  return connectedHost() == host && connectedPort() == port;
}

unsigned UdpSocket::maximumTransmissionUnit() {
  const NativeSocket* sock = querySocket();
  if (!sock) return 0;
  std::optional<sockaddr_storage> found = socketAddress(sock->fd, false);
  if (!found) return 0;
  const sockaddr_storage& local = *found;
  // The interface that owns the socket's local address.
  ifaddrs* interfaces = nullptr;
  if (::getifaddrs(&interfaces) != 0) return 0;
  std::string name;
  for (ifaddrs* i = interfaces; i && name.empty(); i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != local.ss_family) continue;
    const bool same =
        local.ss_family == AF_INET6
            ? std::memcmp(&reinterpret_cast<const sockaddr_in6*>(i->ifa_addr)->sin6_addr,
                          &reinterpret_cast<const sockaddr_in6&>(local).sin6_addr,
                          sizeof(in6_addr)) == 0
            : reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr ==
                  reinterpret_cast<const sockaddr_in&>(local).sin_addr.s_addr;
    if (same) name = i->ifa_name;
  }
  ::freeifaddrs(interfaces);
  if (name.empty() || ::if_nametoindex(name.c_str()) == 0) return 0;
  ifreq request{};
  std::strncpy(request.ifr_name, name.c_str(), IFNAMSIZ - 1);
  if (::ioctl(sock->fd, SIOCGIFMTU, &request) != 0) return 0;
  return static_cast<unsigned>(request.ifr_mtu);
}

}  // namespace sockets
