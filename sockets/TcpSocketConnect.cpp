// Becoming a connection: connecting by host or by address, listening and accepting, and setting up
// the stream pair every path ends in.
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/base/Clock.h"
#include "platform/base/NamedException.h"
#include "sockets/TcpSocket.h"

namespace sockets {

namespace {

TcpData addressBytes(const void* address, size_t length) {
  auto* bytes = static_cast<const uint8_t*>(address);
  return TcpData(bytes, bytes + length);
}

int familyOf(const TcpData& address) {
  if (address.size() < sizeof(sa_family_t)) return AF_UNSPEC;
  return reinterpret_cast<const sockaddr*>(address.data())->sa_family;
}

void setError(TcpError* out, const TcpError& error) {
  if (out) *out = error;
}

void setError(TcpError* out, const std::optional<TcpError>& error) {
  if (out && error) *out = *error;
}

}  // namespace

void TcpSocket::checkPreconditions(bool accepting) {
  const char* verb = accepting ? "accept" : "connect";
  if (!theDelegate)
    throw plat::NamedException(
        "TcpSocketException",
        std::string("Attempting to ") + verb + " without a delegate. Set a delegate first.");
  if (!isDisconnected())
    throw plat::NamedException("TcpSocketException",
                               std::string("Attempting to ") + verb +
                                   " while connected or accepting connections. Disconnect first.");
  emptyQueues();
}

plat::stream::NativeSocket::Callback TcpSocket::socketCallback() {
  std::weak_ptr<TcpSocket> weak = weak_from_this();
  return [weak](plat::stream::NativeSocket::CallbackType type, plat::stream::NativeSocket& socket,
                int value) {
    if (auto self = weak.lock())
      self->doNativeSocketCallback(type, socket, value);
    else if (type == plat::stream::NativeSocket::kAcceptCallBack)
      ::close(value);
  };
}

void TcpSocket::doNativeSocketCallback(plat::stream::NativeSocket::CallbackType type,
                                       plat::stream::NativeSocket& socket, int value) {
  if (type == plat::stream::NativeSocket::kAcceptCallBack) doAcceptFromSocket(socket, value);
  if (type == plat::stream::NativeSocket::kConnectCallBack) doSocketOpen(socket, value);
}

// ---- Accepting

bool TcpSocket::acceptOnPort(uint16_t port, TcpError* error) {
  return acceptOnInterface("", port, error);
}

bool TcpSocket::acceptOnInterface(const std::string& interface, uint16_t port, TcpError* error) {
  checkPreconditions(true);
  std::optional<TcpData> address4, address6;
  sockaddr_in in4{};
  in4.sin_family = AF_INET;
  in4.sin_port = htons(port);
  sockaddr_in6 in6{};
  in6.sin6_family = AF_INET6;
  in6.sin6_port = htons(port);
  if (interface.empty() || interface == "localhost" || interface == "loopback") {
    bool loopback = !interface.empty();
    in4.sin_addr.s_addr = htonl(loopback ? INADDR_LOOPBACK : INADDR_ANY);
    in6.sin6_addr = loopback ? in6addr_loopback : in6addr_any;
    address4 = addressBytes(&in4, sizeof in4);
    address6 = addressBytes(&in6, sizeof in6);
  } else {
    addrinfo hints{};
    hints.ai_flags = AI_PASSIVE;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    char portText[8];
    std::snprintf(portText, sizeof portText, "%hu", port);
    if (int rc = getaddrinfo(interface.c_str(), portText, &hints, &found)) {
      setError(error, TcpError{"kCFStreamErrorDomainNetDB", rc, gai_strerror(rc)});
      return false;
    }
    for (addrinfo* a = found; a; a = a->ai_next) {
      if (a->ai_family == AF_INET && !address4) address4 = addressBytes(a->ai_addr, a->ai_addrlen);
      if (a->ai_family == AF_INET6 && !address6) address6 = addressBytes(a->ai_addr, a->ai_addrlen);
    }
    freeaddrinfo(found);
  }
  if (!address4 && !address6) return false;

  auto fail = [&] {
    setError(error, getSocketError());
    for (auto* socket : {&theSocket4, &theSocket6}) {
      if (*socket) (*socket)->invalidate();
      socket->reset();
    }
    return false;
  };
  if (address4 && !(theSocket4 = newAcceptSocketForAddress(*address4))) return fail();
  if (address6) theSocket6 = newAcceptSocketForAddress(*address6);
  if (!theSocket4 && !theSocket6) return fail();
  attachSocketsToRunLoop(nullptr);
  int on = 1;
  for (auto& socket : {theSocket4, theSocket6})
    if (socket) setsockopt(socket->native(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  // Each family listens on its own socket, so the IPv6 one must not claim IPv4 too.
  if (theSocket6) setsockopt(theSocket6->native(), IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);

  if (theSocket4 && !(theSocket4->bind(*address4) && theSocket4->listen())) return fail();
  if (port == 0 && theSocket4 && theSocket6) {
    uint16_t given = localPort4();
    reinterpret_cast<sockaddr_in6*>(address6->data())->sin6_port = htons(given);
  }
  if (theSocket6 && !(theSocket6->bind(*address6) && theSocket6->listen())) return fail();
  theFlags |= kDidStartConnect;
  return true;
}

std::shared_ptr<plat::stream::NativeSocket> TcpSocket::newAcceptSocketForAddress(
    const TcpData& address) {
  return plat::stream::NativeSocket::create(
      familyOf(address), plat::stream::NativeSocket::kAcceptCallBack, socketCallback());
}

bool TcpSocket::attachSocketsToRunLoop(plat::RunLoop* runLoop) {
  theRunLoop = runLoop ? runLoop : &plat::RunLoop::current();
  for (auto& socket : {theSocket4, theSocket6})
    if (socket)
      for (const auto& mode : theRunLoopModes) socket->schedule(*theRunLoop, mode);
  return true;
}

void TcpSocket::doAcceptFromSocket(plat::stream::NativeSocket& parent, int newNative) {
  if (newNative <= 0) return;
  auto newSocket = create(theDelegate);
  newSocket->theRunLoopModes = theRunLoopModes;
  if (!newSocket->createStreamsFromNative(newNative, nullptr)) {
    ::close(newNative);
    newSocket->close();
    return;
  }
  if (theSocket4 && &parent == theSocket4.get())
    newSocket->theNativeSocket4 = newNative;
  else
    newSocket->theNativeSocket6 = newNative;
  if (theDelegate) theDelegate->onSocket_didAcceptNewSocket(*this, newSocket);
  newSocket->theFlags |= kDidStartConnect;
  plat::RunLoop* runLoop =
      theDelegate ? theDelegate->onSocket_wantsRunLoopForNewSocket(*this, *newSocket) : nullptr;
  auto start = [newSocket, runLoop] {
    if (!newSocket->attachStreamsToRunLoop(runLoop, nullptr) ||
        !newSocket->configureStreamsAndReturnError(nullptr) ||
        !newSocket->openStreamsAndReturnError(nullptr))
      newSocket->close();
  };
  // A socket that another thread's loop hosts is set up on that thread.
  if (runLoop && runLoop != &plat::RunLoop::current()) {
    newSocket->theRunLoop = runLoop;
    runLoop->perform(start);
  } else {
    start();
  }
}

// ---- Connecting by host

bool TcpSocket::connectToHost(const std::string& host, uint16_t port, TcpError* error) {
  return connectToHost(host, port, -1, error);
}

bool TcpSocket::connectToHost(const std::string& host, uint16_t port, double timeout,
                              TcpError* error) {
  checkPreconditions(false);
  if (!createStreamsToHost(host, port, error) || !attachStreamsToRunLoop(nullptr, error) ||
      !configureStreamsAndReturnError(error) || !openStreamsAndReturnError(error)) {
    close();
    return false;
  }
  startConnectTimeout(timeout);
  theFlags |= kDidStartConnect;
  return true;
}

bool TcpSocket::createStreamsToHost(const std::string& host, uint16_t port, TcpError* error) {
  plat::stream::StreamPair pair = plat::stream::StreamPair::toHost(host, port);
  theReadStream = pair.read;
  theWriteStream = pair.write;
  if (!theReadStream || !theWriteStream) {
    setError(error, getStreamError());
    return false;
  }
  theReadStream->setClosesNativeSocket(true);
  return true;
}

bool TcpSocket::createStreamsFromNative(int native, TcpError* error) {
  if (native < 0) {
    setError(error, getStreamError());
    return false;
  }
  plat::stream::StreamPair pair = plat::stream::StreamPair::withSocket(native);
  theReadStream = pair.read;
  theWriteStream = pair.write;
  // The streams own the descriptor from now on: closing them must not leak it.
  theReadStream->setClosesNativeSocket(true);
  return true;
}

bool TcpSocket::attachStreamsToRunLoop(plat::RunLoop* runLoop, TcpError*) {
  theRunLoop = runLoop ? runLoop : &plat::RunLoop::current();
  std::weak_ptr<TcpSocket> weak = weak_from_this();
  theReadStream->setClient(
      plat::stream::kStreamOpenCompleted | plat::stream::kStreamHasBytesAvailable |
          plat::stream::kStreamErrorOccurred | plat::stream::kStreamEndEncountered,
      [weak](unsigned event) {
        if (auto self = weak.lock()) self->doCFReadStreamCallback(event);
      });
  theWriteStream->setClient(
      plat::stream::kStreamOpenCompleted | plat::stream::kStreamCanAcceptBytes |
          plat::stream::kStreamErrorOccurred | plat::stream::kStreamEndEncountered,
      [weak](unsigned event) {
        if (auto self = weak.lock()) self->doCFWriteStreamCallback(event);
      });
  for (const auto& mode : theRunLoopModes) {
    theReadStream->scheduleInRunLoop(*theRunLoop, mode);
    theWriteStream->scheduleInRunLoop(*theRunLoop, mode);
  }
  return true;
}

bool TcpSocket::configureStreamsAndReturnError(TcpError* error) {
  if (theDelegate && !theDelegate->onSocketWillConnect(*this)) {
    setError(error, getAbortError());
    return false;
  }
  return true;
}

bool TcpSocket::openStreamsAndReturnError(TcpError* error) {
  if (!theReadStream->open() || !theWriteStream->open()) {
    setError(error, getStreamError());
    return false;
  }
  return true;
}

// ---- Connecting by address

bool TcpSocket::connectToAddress(const TcpData& remoteAddr, TcpError* error) {
  return connectToAddress(remoteAddr, nullptr, -1, error);
}

bool TcpSocket::connectToAddress(const TcpData& remoteAddr, double timeout, TcpError* error) {
  return connectToAddress(remoteAddr, nullptr, timeout, error);
}

bool TcpSocket::connectToAddress(const TcpData& remoteAddr, const TcpData* interfaceAddr,
                                 double timeout, TcpError* error) {
  checkPreconditions(false);
  if (!createSocketForAddress(remoteAddr, error) || !bindSocketToAddress(interfaceAddr, error) ||
      !attachSocketsToRunLoop(nullptr) || !configureSocketAndReturnError(error) ||
      !connectSocketToAddress(remoteAddr, error)) {
    close();
    return false;
  }
  startConnectTimeout(timeout);
  theFlags |= kDidStartConnect;
  return true;
}

bool TcpSocket::createSocketForAddress(const TcpData& remoteAddr, TcpError* error) {
  int family = familyOf(remoteAddr);
  if (family != AF_INET && family != AF_INET6) {
    setError(error, TcpError{kTcpSocketErrorDomain, -1, "Remote address is not IPv4 or IPv6"});
    return false;
  }
  auto socket = plat::stream::NativeSocket::create(
      family, plat::stream::NativeSocket::kConnectCallBack, socketCallback());
  if (!socket) {
    setError(error, getSocketError());
    return false;
  }
  (family == AF_INET ? theSocket4 : theSocket6) = socket;
  return true;
}

bool TcpSocket::bindSocketToAddress(const TcpData* interfaceAddr, TcpError* error) {
  if (!interfaceAddr) return true;
  int family = familyOf(*interfaceAddr);
  if (family != AF_INET && family != AF_INET6) {
    setError(error, TcpError{kTcpSocketErrorDomain, -1, "Interface address is not IPv4 or IPv6"});
    return false;
  }
  if (!getCFSocket()->bind(*interfaceAddr)) {
    setError(error, getErrnoError());
    return false;
  }
  return true;
}

bool TcpSocket::configureSocketAndReturnError(TcpError* error) {
  return configureStreamsAndReturnError(error);
}

bool TcpSocket::connectSocketToAddress(const TcpData& remoteAddr, TcpError* error) {
  if (!getCFSocket()->connect(remoteAddr)) {
    setError(error, getSocketError());
    return false;
  }
  return true;
}

void TcpSocket::doSocketOpen(plat::stream::NativeSocket& socket, int socketError) {
  if (socketError != 0) return closeWithError(getSocketError());
  int native = socket.native();
  bool v4 = theSocket4 && &socket == theSocket4.get();
  (v4 ? theNativeSocket4 : theNativeSocket6) = native;
  socket.keepDescriptorOnInvalidate();
  socket.invalidate();
  theSocket4.reset();
  theSocket6.reset();
  TcpError error;
  if (!createStreamsFromNative(native, &error) || !attachStreamsToRunLoop(nullptr, &error) ||
      !openStreamsAndReturnError(&error))
    closeWithError(error);
}

// ---- Both streams open

void TcpSocket::doStreamOpen() {
  if ((theFlags & kDidCompleteOpenForRead) && (theFlags & kDidCompleteOpenForWrite)) {
    TcpError error;
    if (!setSocketFromStreamsAndReturnError(&error)) return closeWithError(error);
    endConnectTimeout();
    if (theDelegate)
      theDelegate->onSocket_didConnectToHost_port(*this, connectedHost(), connectedPort());
    maybeDequeueRead();
    maybeDequeueWrite();
  }
}

bool TcpSocket::setSocketFromStreamsAndReturnError(TcpError* error) {
  int native = theReadStream ? theReadStream->nativeHandle() : -1;
  if (native < 0) {
    setError(error, getStreamError());
    return false;
  }
  auto wrapper = plat::stream::NativeSocket::wrap(native);
  if (!wrapper) {
    setError(error, getSocketError());
    return false;
  }
  if (theNativeSocket4 > 0) {
    theSocket4 = wrapper;
  } else if (theNativeSocket6 > 0) {
    theSocket6 = wrapper;
  } else {
    auto peer = wrapper->copyPeerAddress();
    if (!peer) {
      setError(error, getSocketError());
      return false;
    }
    if (familyOf(*peer) == AF_INET) {
      theSocket4 = wrapper;
      theNativeSocket4 = native;
    } else {
      theSocket6 = wrapper;
      theNativeSocket6 = native;
    }
  }
  return true;
}

void TcpSocket::doCFReadStreamCallback(unsigned event) {
  auto keep = shared_from_this();
  switch (event) {
    case plat::stream::kStreamOpenCompleted:
      theFlags |= kDidCompleteOpenForRead;
      return doStreamOpen();
    case plat::stream::kStreamHasBytesAvailable:
      if (theFlags & kStartingReadTLS) return onTLSHandshakeSuccessful();
      theFlags |= kSocketHasBytesAvailable;
      return doBytesAvailable();
    default:
      return closeWithError(errorFromCFStreamError(theReadStream->error()));
  }
}

void TcpSocket::doCFWriteStreamCallback(unsigned event) {
  auto keep = shared_from_this();
  switch (event) {
    case plat::stream::kStreamOpenCompleted:
      theFlags |= kDidCompleteOpenForWrite;
      return doStreamOpen();
    case plat::stream::kStreamCanAcceptBytes:
      if (theFlags & kStartingWriteTLS) return onTLSHandshakeSuccessful();
      theFlags |= kSocketCanAcceptBytes;
      return doSendBytes();
    default:
      return closeWithError(errorFromCFStreamError(theWriteStream->error()));
  }
}

// ---- Connect time-out

void TcpSocket::startConnectTimeout(double timeout) {
  if (timeout < 0) return;
  theConnectTimer = makeTimer(plat::Clock::current().now() + timeout, &TcpSocket::doConnectTimeout);
}

void TcpSocket::endConnectTimeout() {
  if (theConnectTimer) theConnectTimer->invalidate();
  theConnectTimer.reset();
}

void TcpSocket::doConnectTimeout() {
  auto keep = shared_from_this();
  endConnectTimeout();
  closeWithError(getConnectTimeoutError());
}

}  // namespace sockets
