// The send and receive queues of the UDP socket: one current packet per direction, its time-out,
// and the readiness-driven datagram calls.
#include <poll.h>

#include <cerrno>

#include "sockets/UdpSocket.h"

namespace sockets {

namespace {

bool pollReady(int fd, short events) {
  pollfd p{fd, events, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & events);
}

bool wouldBlock(int error) {
  return error == EAGAIN || error == EWOULDBLOCK;
}

}  // namespace

// ---- Queueing

bool UdpSocket::queueSend(const Bytes& data, Bytes address, double timeout, int64_t tag) {
  theSendQueue_.push_back(std::make_unique<UdpSendPacket>(data, std::move(address), timeout, tag));
  scheduleDequeueSend();
  return true;
}

bool UdpSocket::sendData(const Bytes& data, double timeout, int64_t tag) {
  if (data.empty() || (theFlags_ & (kForbidSendReceive | kDidClose)) || !isConnected())
    return false;
  return queueSend(data, {}, timeout, tag);
}

bool UdpSocket::sendData(const Bytes& data, const std::string& host, uint16_t port, double timeout,
                         int64_t tag) {
  if (data.empty() || (theFlags_ & (kForbidSendReceive | kDidClose)) || isConnected()) return false;
  std::optional<sockaddr_in> address4;
  std::optional<sockaddr_in6> address6;
  if (convertForSendHost(host, port, &address4, &address6) != 0) return false;
  if (address4 && isIPv4()) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&*address4);
    return queueSend(data, Bytes(bytes, bytes + sizeof *address4), timeout, tag);
  }
  if (address6 && isIPv6()) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&*address6);
    return queueSend(data, Bytes(bytes, bytes + sizeof *address6), timeout, tag);
  }
  return false;
}

bool UdpSocket::sendData(const Bytes& data, const Bytes& remoteAddr, double timeout, int64_t tag) {
  if (data.empty() || (theFlags_ & (kForbidSendReceive | kDidClose)) || isConnected()) return false;
  const bool usable = (remoteAddr.size() == sizeof(sockaddr_in) && isIPv4()) ||
                      (remoteAddr.size() == sizeof(sockaddr_in6) && isIPv6());
  if (!usable) return false;
  return queueSend(data, remoteAddr, timeout, tag);
}

void UdpSocket::receiveWithTimeout(double timeout, int64_t tag) {
  if (theFlags_ & (kForbidSendReceive | kDidClose)) return;
  theReceiveQueue_.push_back(std::make_unique<UdpReceivePacket>(timeout, tag));
  scheduleDequeueReceive();
}

// ---- Sending

void UdpSocket::scheduleDequeueSend() {
  if (theFlags_ & kDequeueSendScheduled) return;
  theFlags_ |= kDequeueSendScheduled;
  defer(Deferred::DequeueSend, [this] { maybeDequeueSend(); });
}

void UdpSocket::maybeDequeueSend() {
  theFlags_ &= ~kDequeueSendScheduled;
  if (theCurrentSend_) return;
  if (!theSendQueue_.empty()) {
    theCurrentSend_ = std::move(theSendQueue_.front());
    theSendQueue_.pop_front();
    if (theCurrentSend_->timeout >= 0)
      theSendTimer_ = scheduleTimer(theCurrentSend_->timeout,
                                    [this](plat::Timer& timer) { doSendTimeout(timer); });
    if (NativeSocket* sock = socketForPacket(*theCurrentSend_)) doSend(*sock);
  } else if (theFlags_ & kCloseAfterSends) {
    const bool receivesPending = theCurrentReceive_ || !theReceiveQueue_.empty();
    if (!(theFlags_ & kCloseAfterReceives) || !receivesPending) close();
  }
}

UdpSocket::NativeSocket* UdpSocket::socketForPacket(const UdpSendPacket& packet) {
  if (isIPv4() != isIPv6()) return isIPv4() ? &theSocket4_ : &theSocket6_;
  if (!isIPv4()) return nullptr;
  return packet.address.size() == sizeof(sockaddr_in) ? &theSocket4_ : &theSocket6_;
}

bool UdpSocket::canAcceptBytes(NativeSocket& sock) {
  const uint16_t bit = isV6(sock) ? kSock6CanAcceptBytes : kSock4CanAcceptBytes;
  return (theFlags_ & bit) || pollReady(sock.fd, POLLOUT);
}

void UdpSocket::doSend(NativeSocket& sock) {
  if (!theCurrentSend_ || socketForPacket(*theCurrentSend_) != &sock) return;
  if (!canAcceptBytes(sock)) {
    rearm(sock);
    return;
  }
  const UdpSendPacket& packet = *theCurrentSend_;
  const ssize_t sent = packet.address.empty()
                           ? ::send(sock.fd, packet.buffer.data(), packet.buffer.size(), 0)
                           : ::sendto(sock.fd, packet.buffer.data(), packet.buffer.size(), 0,
                                      reinterpret_cast<const sockaddr*>(packet.address.data()),
                                      static_cast<socklen_t>(packet.address.size()));
  const int error = errno;
  theFlags_ &= ~(isV6(sock) ? kSock6CanAcceptBytes : kSock4CanAcceptBytes);
  if (sent < 0 && wouldBlock(error)) {
    // The socket filled up after saying it had room: wait for room again.
    rearm(sock);
    return;
  }
  auto alive = lifeToken();
  if (sent < 0) {
    failCurrentSend(UdpSocketError::posix(error));
  } else {
    theFlags_ |= kDidBind;  // the system bound the socket for its first datagram
    completeCurrentSend();
  }
  if (!alive.expired()) scheduleDequeueSend();
}

void UdpSocket::completeCurrentSend() {
  const UdpSendPacket* packet = theCurrentSend_.get();
  auto alive = lifeToken();
  if (theDelegate_) theDelegate_->onUdpSocket_didSendDataWithTag(*this, packet->tag);
  if (!alive.expired() && theCurrentSend_.get() == packet) endCurrentSend();
}

void UdpSocket::failCurrentSend(const UdpSocketError& error) {
  const UdpSendPacket* packet = theCurrentSend_.get();
  auto alive = lifeToken();
  if (theDelegate_)
    theDelegate_->onUdpSocket_didNotSendDataWithTag_dueToError(*this, packet->tag, error);
  if (!alive.expired() && theCurrentSend_.get() == packet) endCurrentSend();
}

void UdpSocket::endCurrentSend() {
  if (theSendTimer_) theSendTimer_->invalidate();
  theSendTimer_.reset();
  theCurrentSend_.reset();
}

void UdpSocket::doSendTimeout(plat::Timer& timer) {
  if (&timer != theSendTimer_.get() || !theCurrentSend_) return;
  auto alive = lifeToken();
  failCurrentSend(
      UdpSocketError::own(UdpSocketError::kSendTimeoutError, "Send operation timed out"));
  if (!alive.expired()) scheduleDequeueSend();
}

// ---- Receiving

void UdpSocket::scheduleDequeueReceive() {
  if (theFlags_ & kDequeueReceiveScheduled) return;
  theFlags_ |= kDequeueReceiveScheduled;
  defer(Deferred::DequeueReceive, [this] { maybeDequeueReceive(); });
}

void UdpSocket::maybeDequeueReceive() {
  theFlags_ &= ~kDequeueReceiveScheduled;
  if (theCurrentReceive_) return;
  if (!theReceiveQueue_.empty()) {
    theCurrentReceive_ = std::move(theReceiveQueue_.front());
    theReceiveQueue_.pop_front();
    if (theCurrentReceive_->timeout >= 0)
      theReceiveTimer_ = scheduleTimer(theCurrentReceive_->timeout,
                                       [this](plat::Timer& timer) { doReceiveTimeout(timer); });
    // Take turns, so that a busy family cannot starve the other.
    const bool ipv4First = theFlags_ & kFlipFlop;
    theFlags_ ^= kFlipFlop;
    auto alive = lifeToken();
    doReceive(ipv4First ? theSocket4_ : theSocket6_);
    if (!alive.expired()) doReceive(ipv4First ? theSocket6_ : theSocket4_);
  } else if (theFlags_ & kCloseAfterReceives) {
    const bool sendsPending = theCurrentSend_ || !theSendQueue_.empty();
    if (!(theFlags_ & kCloseAfterSends) || !sendsPending) close();
  }
}

bool UdpSocket::hasBytesAvailable(NativeSocket& sock) {
  const uint16_t bit = isV6(sock) ? kSock6HasBytesAvailable : kSock4HasBytesAvailable;
  return (theFlags_ & bit) || pollReady(sock.fd, POLLIN);
}

void UdpSocket::doReceive(NativeSocket& sock) {
  if (!theCurrentReceive_ || sock.fd < 0) return;
  auto alive = lifeToken();
  while (theCurrentReceive_ && hasBytesAvailable(sock)) {
    Bytes buffer(maxReceiveBufferSize_);
    sockaddr_storage sender{};
    socklen_t senderLength = sizeof sender;
    const ssize_t received = ::recvfrom(sock.fd, buffer.data(), buffer.size(), 0,
                                        reinterpret_cast<sockaddr*>(&sender), &senderLength);
    const int error = errno;
    theFlags_ &= ~(isV6(sock) ? kSock6HasBytesAvailable : kSock4HasBytesAvailable);
    if (received < 0) {
      if (wouldBlock(error)) break;  // the readiness was stale: nothing is waiting
      failCurrentReceive(UdpSocketError::posix(error));
      if (!alive.expired()) scheduleDequeueReceive();
      return;
    }
    const auto* from = reinterpret_cast<const sockaddr*>(&sender);
    const std::string host = addressHost(from);
    const uint16_t port = addressPort(from);
    // A datagram that came in before the socket was connected is not from the peer.
    if (isConnected() && !isConnectedToHost(host, port)) continue;
    buffer.resize(static_cast<size_t>(received));
    UdpReceivePacket& packet = *theCurrentReceive_;
    packet.buffer = std::move(buffer);
    packet.host = host;
    packet.port = port;
    packet.filled = true;
    const bool completed = maybeCompleteCurrentReceive();
    if (alive.expired()) return;
    if (completed) {
      scheduleDequeueReceive();
      return;
    }
    if (theCurrentReceive_) {  // declined: the receive waits for the next datagram
      theCurrentReceive_->buffer.clear();
      theCurrentReceive_->host.clear();
      theCurrentReceive_->port = 0;
      theCurrentReceive_->filled = false;
    }
  }
  if (sock.fd >= 0) rearm(sock);
}

bool UdpSocket::maybeCompleteCurrentReceive() {
  const UdpReceivePacket* packet = theCurrentReceive_.get();
  if (theDelegate_) {
    auto alive = lifeToken();
    const bool accepted = theDelegate_->onUdpSocket_didReceiveData_withTag_fromHost_port(
        *this, packet->buffer, packet->tag, packet->host, packet->port);
    if (alive.expired()) return true;
    if (!accepted) return false;
  }
  if (theCurrentReceive_.get() == packet) endCurrentReceive();
  return true;
}

void UdpSocket::failCurrentReceive(const UdpSocketError& error) {
  const UdpReceivePacket* packet = theCurrentReceive_.get();
  auto alive = lifeToken();
  if (theDelegate_)
    theDelegate_->onUdpSocket_didNotReceiveDataWithTag_dueToError(*this, packet->tag, error);
  if (!alive.expired() && theCurrentReceive_.get() == packet) endCurrentReceive();
}

void UdpSocket::endCurrentReceive() {
  if (theReceiveTimer_) theReceiveTimer_->invalidate();
  theReceiveTimer_.reset();
  theCurrentReceive_.reset();
}

void UdpSocket::doReceiveTimeout(plat::Timer& timer) {
  if (&timer != theReceiveTimer_.get() || !theCurrentReceive_) return;
  auto alive = lifeToken();
  failCurrentReceive(
      UdpSocketError::own(UdpSocketError::kReceiveTimeoutError, "Receive operation timed out"));
  if (!alive.expired()) scheduleDequeueReceive();
}

}  // namespace sockets
