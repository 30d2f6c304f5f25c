// A UDP socket on the run loop of the thread that made it: datagrams are sent and received through
// queues of packets, each with its own time-out, and every outcome reaches the delegate. It holds
// an IPv4 socket, an IPv6 socket or both until binding or connecting settles on one family.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/RunLoop.h"
#include "sockets/UdpPackets.h"
#include "sockets/UdpSocketDelegate.h"
#include "sockets/UdpSocketError.h"

namespace sockets {

class UdpSocket {
 public:
  using Bytes = std::vector<uint8_t>;

  static constexpr uint32_t kDefaultMaxReceiveBufferSize = 9216;

  // Flag bits of theFlags.
  enum Flag : uint16_t {
    kDidBind = 0x0001,
    kDidConnect = 0x0002,
    kSock4CanAcceptBytes = 0x0004,
    kSock6CanAcceptBytes = 0x0008,
    kSock4HasBytesAvailable = 0x0010,
    kSock6HasBytesAvailable = 0x0020,
    kForbidSendReceive = 0x0040,
    kCloseAfterSends = 0x0080,
    kCloseAfterReceives = 0x0100,
    kDidClose = 0x0200,
    kDequeueSendScheduled = 0x0400,
    kDequeueReceiveScheduled = 0x0800,
    kFlipFlop = 0x1000,
  };

  // Both families.
  UdpSocket();
  explicit UdpSocket(UdpSocketDelegate* delegate);
  UdpSocket(UdpSocketDelegate* delegate, int64_t userData);
  UdpSocket(UdpSocketDelegate* delegate, int64_t userData, bool enableIPv4, bool enableIPv6);
  static std::unique_ptr<UdpSocket> initIPv4();
  static std::unique_ptr<UdpSocket> initIPv6();
  ~UdpSocket();
  UdpSocket(const UdpSocket&) = delete;
  UdpSocket& operator=(const UdpSocket&) = delete;

  UdpSocketDelegate* delegate() const { return theDelegate_; }
  void setDelegate(UdpSocketDelegate* delegate) { theDelegate_ = delegate; }
  int64_t userData() const { return theUserData_; }
  void setUserData(int64_t userData) { theUserData_ = userData; }
  uint32_t maxReceiveBufferSize() const { return maxReceiveBufferSize_; }
  void setMaxReceiveBufferSize(uint32_t size) { maxReceiveBufferSize_ = size; }
  uint16_t flags() const { return theFlags_; }

  // ---- Run loop
  const std::vector<std::string>& runLoopModes() const { return theRunLoopModes_; }
  // Moves the sockets, timers and pending work to another thread's loop; they are attached there
  // by a perform on that loop, after which the socket belongs to that thread.
  bool moveToRunLoop(plat::RunLoop* runLoop);
  bool setRunLoopModes(const std::vector<std::string>& modes);

  // ---- Configuration; each fills `error` (when given) on failure
  bool bindToPort(uint16_t port, UdpSocketError* error = nullptr);
  bool bindToAddress(const std::string& localAddr, uint16_t port, UdpSocketError* error = nullptr);
  bool connectToHost(const std::string& host, uint16_t port, UdpSocketError* error = nullptr);
  // A 16-byte IPv4 or 28-byte IPv6 socket address.
  bool connectToAddress(const Bytes& remoteAddr, UdpSocketError* error = nullptr);
  bool joinMulticastGroup(const std::string& group, UdpSocketError* error = nullptr);
  bool joinMulticastGroup(const std::string& group, const std::string& interfaceAddr,
                          UdpSocketError* error = nullptr);
  bool enableBroadcast(bool flag, UdpSocketError* error = nullptr);

  // ---- Sending and receiving; a send returns whether it was queued
  bool sendData(const Bytes& data, double timeout, int64_t tag);
  bool sendData(const Bytes& data, const std::string& host, uint16_t port, double timeout,
                int64_t tag);
  bool sendData(const Bytes& data, const Bytes& remoteAddr, double timeout, int64_t tag);
  void receiveWithTimeout(double timeout, int64_t tag);

  // ---- Closing
  void close();
  void closeAfterSending();
  void closeAfterReceiving();
  void closeAfterSendingAndReceiving();

  // ---- Queries
  std::string localHost();
  uint16_t localPort();
  std::string connectedHost();
  uint16_t connectedPort();
  bool isConnected() const { return (theFlags_ & kDidConnect) && !(theFlags_ & kDidClose); }
  bool isConnectedToHost(const std::string& host, uint16_t port);
  bool isClosed() const { return theFlags_ & kDidClose; }
  bool isIPv4() const { return theSocket4_.fd >= 0; }
  bool isIPv6() const { return theSocket6_.fd >= 0; }
  // The MTU of the interface that owns the socket's local address; 0 when there is none (a socket
  // bound to the any-address) or the system does not say.
  unsigned maximumTransmissionUnit();

  // Address text; raises NSInternalInconsistencyException when it cannot be written.
  static std::string addressHost4(const sockaddr_in& address);
  static std::string addressHost6(const sockaddr_in6& address);
  static std::string addressHost(const sockaddr* address);

  // Resolver steps behind binding and sending; return the resolver's code, 0 on success.
  static int convertForBindHost(const std::string& host, uint16_t port,
                                std::optional<sockaddr_in>* address4,
                                std::optional<sockaddr_in6>* address6);
  static int convertForSendHost(const std::string& host, uint16_t port,
                                std::optional<sockaddr_in>* address4,
                                std::optional<sockaddr_in6>* address6);

 private:
  // One family's native socket and its run-loop sources (one per mode).
  struct NativeSocket {
    int fd = -1;
    std::vector<int> sources;
    unsigned armed = 0;  // events the sources wait for; each is disarmed once it fired
  };
  enum class Deferred { DequeueSend, DequeueReceive, Close, DidClose };

  bool isV6(const NativeSocket& sock) const { return &sock == &theSocket6_; }
  NativeSocket& socketOf(bool v6) { return v6 ? theSocket6_ : theSocket4_; }

  void openSocket(NativeSocket& sock, int family);
  void closeSocket4();
  void closeSocket6();
  void closeSocket(NativeSocket& sock);
  void runLoopAddSource(NativeSocket& sock);
  void runLoopRemoveSource(NativeSocket& sock);
  void runLoopAddTimer(const std::shared_ptr<plat::Timer>& timer);
  void rearm(NativeSocket& sock);
  void onSocketEvent(bool v6, unsigned events);
  std::shared_ptr<plat::Timer> scheduleTimer(double seconds, plat::Timer::Callback callback);
  std::shared_ptr<plat::Timer> moveTimer(const std::shared_ptr<plat::Timer>& timer,
                                         void (UdpSocket::*handler)(plat::Timer&));
  void detachFromRunLoop();
  void attachToRunLoop();

  void defer(Deferred what, plat::RunLoop::Task task);
  void cancelDeferred(Deferred what);
  void cancelDeferredDequeues();
  std::weak_ptr<char> lifeToken() const { return alive_; }

  void checkConnectable() const;
  bool connectTo(const std::optional<sockaddr_in>& address4,
                 const std::optional<sockaddr_in6>& address6, UdpSocketError* error);
  static bool fail(UdpSocketError* error, UdpSocketError value);
  bool queueSend(const Bytes& data, Bytes address, double timeout, int64_t tag);

  // Sending
  void scheduleDequeueSend();
  void maybeDequeueSend();
  NativeSocket* socketForPacket(const UdpSendPacket& packet);
  bool canAcceptBytes(NativeSocket& sock);
  void doSend(NativeSocket& sock);
  void completeCurrentSend();
  void failCurrentSend(const UdpSocketError& error);
  void endCurrentSend();
  void doSendTimeout(plat::Timer& timer);

  // Receiving
  void scheduleDequeueReceive();
  void maybeDequeueReceive();
  bool hasBytesAvailable(NativeSocket& sock);
  void doReceive(NativeSocket& sock);
  bool maybeCompleteCurrentReceive();
  void failCurrentReceive(const UdpSocketError& error);
  void endCurrentReceive();
  void doReceiveTimeout(plat::Timer& timer);

  void maybeScheduleClose();
  void emptyQueues();

  // Local (getsockname) or peer (getpeername) address of one family's socket; "" or 0 on failure.
  static std::string hostOf(const NativeSocket& sock, bool peer);
  static uint16_t portOf(const NativeSocket& sock, bool peer);
  static uint16_t addressPort(const sockaddr* address);
  const NativeSocket* querySocket() const;

  NativeSocket theSocket4_, theSocket6_;
  plat::RunLoop* theRunLoop_ = nullptr;
  std::vector<std::string> theRunLoopModes_{plat::kDefaultRunLoopMode};
  std::deque<std::unique_ptr<UdpSendPacket>> theSendQueue_;
  std::deque<std::unique_ptr<UdpReceivePacket>> theReceiveQueue_;
  std::unique_ptr<UdpSendPacket> theCurrentSend_;
  std::unique_ptr<UdpReceivePacket> theCurrentReceive_;
  std::shared_ptr<plat::Timer> theSendTimer_, theReceiveTimer_;
  UdpSocketDelegate* theDelegate_ = nullptr;
  uint16_t theFlags_ = 0;
  int64_t theUserData_ = 0;
  std::string cachedLocalHost_, cachedConnectedHost_;
  uint16_t cachedLocalPort_ = 0, cachedConnectedPort_ = 0;
  uint32_t maxReceiveBufferSize_ = kDefaultMaxReceiveBufferSize;
  std::vector<std::pair<Deferred, std::shared_ptr<plat::Timer>>> deferred_;
  // Expires with the socket: callbacks that may destroy it check this before going on.
  std::shared_ptr<char> alive_ = std::make_shared<char>(0);
};

}  // namespace sockets
