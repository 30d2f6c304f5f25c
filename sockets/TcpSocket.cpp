// The socket's state, queries, run-loop scheduling and error objects.
#include "sockets/TcpSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/base/Clock.h"
#include "platform/base/NamedException.h"

namespace sockets {

std::shared_ptr<TcpSocket> TcpSocket::create(TcpSocketDelegate* delegate, int64_t userData) {
  return std::make_shared<TcpSocket>(Passkey{}, delegate, userData);
}

TcpSocket::TcpSocket(Passkey, TcpSocketDelegate* delegate, int64_t userData)
    : theDelegate(delegate), theUserData(userData), theRunLoopModes{plat::kDefaultRunLoopMode} {
  partialReadBuffer.reserve(256);
}

TcpSocket::~TcpSocket() {
  close();
  cancelAllDeferred();
}

bool TcpSocket::canSafelySetDelegate() const {
  return theReadQueue.empty() && theWriteQueue.empty() && !theCurrentRead && !theCurrentWrite;
}

void TcpSocket::checkForThreadSafety() const {
  if (theRunLoop && theRunLoop != &plat::RunLoop::current())
    throw plat::NamedException("TcpSocketException",
                               "Attempting to access TcpSocket instance from incorrect thread.");
}

float TcpSocket::progressOfReadReturningTag(int64_t* tag, uint64_t* done, uint64_t* total) const {
  auto packet = std::dynamic_pointer_cast<TcpReadPacket>(theCurrentRead);
  if (tag) *tag = packet ? packet->tag : 0;
  if (done) *done = packet ? packet->bytesDone : 0;
  if (total) *total = packet ? packet->readLength : 0;
  if (!packet) return std::numeric_limits<float>::quiet_NaN();
  if (packet->readLength == 0) return 1.0f;
  return static_cast<float>(packet->bytesDone) / static_cast<float>(packet->readLength);
}

float TcpSocket::progressOfWriteReturningTag(int64_t* tag, uint64_t* done, uint64_t* total) const {
  auto packet = std::dynamic_pointer_cast<TcpWritePacket>(theCurrentWrite);
  if (tag) *tag = packet ? packet->tag : 0;
  if (done) *done = packet ? packet->bytesDone : 0;
  if (total) *total = packet ? packet->buffer.size() : 0;
  if (!packet) return std::numeric_limits<float>::quiet_NaN();
  return static_cast<float>(packet->bytesDone) / static_cast<float>(packet->buffer.size());
}

// ---- Queries

bool TcpSocket::isDisconnected() const {
  return theNativeSocket4 <= 0 && theNativeSocket6 <= 0 && !theSocket4 && !theSocket6 &&
         !theReadStream && !theWriteStream;
}

bool TcpSocket::isConnected() const {
  if (!theReadStream || !theWriteStream) return false;
  auto r = theReadStream->status();
  auto w = theWriteStream->status();
  return (r == plat::stream::StreamStatus::Open || r == plat::stream::StreamStatus::Reading ||
          r == plat::stream::StreamStatus::Error) &&
         (w == plat::stream::StreamStatus::Open || w == plat::stream::StreamStatus::Writing ||
          w == plat::stream::StreamStatus::Error);
}

bool TcpSocket::isIPv4() const {
  return theNativeSocket4 > 0 || theSocket4;
}
bool TcpSocket::isIPv6() const {
  return theNativeSocket6 > 0 || theSocket6;
}

std::optional<TcpData> TcpSocket::address4(bool peer) const {
  if (theSocket4) return peer ? theSocket4->copyPeerAddress() : theSocket4->copyAddress();
  return plat::stream::socketAddress(theNativeSocket4, peer);
}

std::optional<TcpData> TcpSocket::address6(bool peer) const {
  if (theSocket6) return peer ? theSocket6->copyPeerAddress() : theSocket6->copyAddress();
  return plat::stream::socketAddress(theNativeSocket6, peer);
}

std::optional<TcpData> TcpSocket::connectedAddress() const {
  return theSocket4 || theNativeSocket4 > 0 ? address4(true) : address6(true);
}

std::optional<TcpData> TcpSocket::localAddress() const {
  return theSocket4 || theNativeSocket4 > 0 ? address4(false) : address6(false);
}

std::string TcpSocket::connectedHost() const {
  return hostOf(connectedAddress());
}
uint16_t TcpSocket::connectedPort() const {
  return portOf(connectedAddress());
}
std::string TcpSocket::localHost() const {
  return hostOf(localAddress());
}
uint16_t TcpSocket::localPort() const {
  return portOf(localAddress());
}

std::string TcpSocket::hostOf(const std::optional<TcpData>& address) {
  if (!address || address->size() < sizeof(sa_family_t)) return "";
  auto family = reinterpret_cast<const sockaddr*>(address->data())->sa_family;
  if (family == AF_INET) return hostFromAddress4(*address);
  if (family == AF_INET6) return hostFromAddress6(*address);
  return "";
}

uint16_t TcpSocket::portOf(const std::optional<TcpData>& address) {
  if (!address || address->size() < sizeof(sa_family_t)) return 0;
  auto family = reinterpret_cast<const sockaddr*>(address->data())->sa_family;
  if (family == AF_INET) return portFromAddress4(*address);
  if (family == AF_INET6) return portFromAddress6(*address);
  return 0;
}

std::string TcpSocket::hostFromAddress4(const TcpData& address) {
  sockaddr_in in{};
  char text[INET_ADDRSTRLEN];
  std::memcpy(&in, address.data(), std::min(address.size(), sizeof in));
  if (address.size() < sizeof in || !inet_ntop(AF_INET, &in.sin_addr, text, sizeof text))
    throw plat::NamedException("NSInternalInconsistencyException",
                               "Cannot convert IPv4 address to string.");
  return text;
}

std::string TcpSocket::hostFromAddress6(const TcpData& address) {
  sockaddr_in6 in{};
  char text[INET6_ADDRSTRLEN];
  std::memcpy(&in, address.data(), std::min(address.size(), sizeof in));
  if (address.size() < sizeof in || !inet_ntop(AF_INET6, &in.sin6_addr, text, sizeof text))
    throw plat::NamedException("NSInternalInconsistencyException",
                               "Cannot convert IPv6 address to string.");
  return text;
}

uint16_t TcpSocket::portFromAddress4(const TcpData& address) {
  sockaddr_in in{};
  std::memcpy(&in, address.data(), std::min(address.size(), sizeof in));
  return ntohs(in.sin_port);
}

uint16_t TcpSocket::portFromAddress6(const TcpData& address) {
  sockaddr_in6 in{};
  std::memcpy(&in, address.data(), std::min(address.size(), sizeof in));
  return ntohs(in.sin6_port);
}

namespace {

const char* statusName(const std::shared_ptr<plat::stream::SocketStream>& stream) {
  if (!stream) return "not open";
  switch (stream->status()) {
    case plat::stream::StreamStatus::NotOpen:
      return "not open";
    case plat::stream::StreamStatus::Opening:
      return "opening";
    case plat::stream::StreamStatus::Open:
      return "open";
    case plat::stream::StreamStatus::Reading:
      return "reading";
    case plat::stream::StreamStatus::Writing:
      return "writing";
    case plat::stream::StreamStatus::AtEnd:
      return "at end";
    case plat::stream::StreamStatus::Closed:
      return "closed";
    case plat::stream::StreamStatus::Error:
      return "has error";
  }
  return "not open";
}

std::string format(const char* pattern, auto... values) {
  char text[256];
  std::snprintf(text, sizeof text, pattern, values...);
  return text;
}

}  // namespace

std::string TcpSocket::description() const {
  auto side = [this](bool peer) -> std::string {
    bool v4 = isIPv4(), v6 = isIPv6();
    if (v4 && v6)
      return peer ? connectedHost4() + "/" + connectedHost6() + " " +
                        std::to_string(connectedPort4())
                  : localHost4() + "/" + localHost6() + " " + std::to_string(localPort4());
    if (v4 || v6)
      return peer ? connectedHost() + " " + std::to_string(connectedPort())
                  : localHost() + " " + std::to_string(localPort());
    return "nowhere";
  };
  std::string text = format("<TcpSocket %p", static_cast<const void*>(this));
  text += " local " + side(false) + " remote " + side(true) + " ";
  text += format("has queued %u reads %u writes, ", unsigned(theReadQueue.size()),
                 unsigned(theWriteQueue.size()));
  if (auto read = std::dynamic_pointer_cast<TcpReadPacket>(theCurrentRead)) {
    int percent = read->readLength > 0 ? int(100.0 * read->bytesDone / read->readLength) : 100;
    text += format("currently read %u bytes (%d%% done), ", unsigned(read->buffer->size()),
                   read->bytesDone == 0 && read->readLength > 0 ? 0 : percent);
  } else {
    text += "no current read, ";
  }
  if (auto write = std::dynamic_pointer_cast<TcpWritePacket>(theCurrentWrite)) {
    text += format("currently written %u (%d%%), ", unsigned(write->bytesDone),
                   int(100.0 * write->bytesDone / write->buffer.size()));
  } else {
    text += "no current write, ";
  }
  text += format("read stream %p %s, ", static_cast<const void*>(theReadStream.get()),
                 statusName(theReadStream));
  text += format("write stream %p %s", static_cast<const void*>(theWriteStream.get()),
                 statusName(theWriteStream));
  if ((theFlags & kDisconnectAfterReads) && (theFlags & kDisconnectAfterWrites))
    text += ", will disconnect after reads & writes";
  else if (theFlags & kDisconnectAfterReads)
    text += ", will disconnect after reads";
  else if (theFlags & kDisconnectAfterWrites)
    text += ", will disconnect after writes";
  if (!isConnected()) text += ", not connected";
  return text + ">";
}

// ---- Deferred calls and timers

void TcpSocket::performDeferred(const std::string& key, void (TcpSocket::*method)()) {
  plat::RunLoop& loop = theRunLoop ? *theRunLoop : plat::RunLoop::current();
  std::weak_ptr<TcpSocket> weak = weak_from_this();
  uint64_t generation = deferredGeneration_;
  uint64_t keyGeneration = deferredKeys_[key];
  auto ran = std::make_shared<bool>(false);
  for (const auto& mode : theRunLoopModes) {
    loop.perform(
        [weak, key, generation, keyGeneration, ran, method] {
          auto self = weak.lock();
          if (!self || *ran || self->deferredGeneration_ != generation ||
              self->deferredKeys_[key] != keyGeneration)
            return;
          *ran = true;
          ((*self).*method)();
        },
        mode);
  }
}

void TcpSocket::cancelDeferred(const std::string& key) {
  ++deferredKeys_[key];
}

void TcpSocket::cancelAllDeferred() {
  ++deferredGeneration_;
}

std::shared_ptr<plat::Timer> TcpSocket::makeTimer(double fireDate, void (TcpSocket::*method)()) {
  std::weak_ptr<TcpSocket> weak = weak_from_this();
  double interval = std::max(0.0, fireDate - plat::Clock::current().now());
  auto timer = plat::Timer::scheduled(
      interval, false,
      [weak, method](plat::Timer&) {
        if (auto self = weak.lock()) ((*self).*method)();
      },
      theRunLoopModes.front());
  plat::RunLoop& loop = theRunLoop ? *theRunLoop : plat::RunLoop::current();
  for (size_t i = 1; i < theRunLoopModes.size(); ++i) loop.addTimer(timer, theRunLoopModes[i]);
  return timer;
}

// Timers cannot leave one mode, so a changed mode list gets fresh timers due at the same time.
void TcpSocket::rescheduleTimers() {
  auto renew = [this](std::shared_ptr<plat::Timer>& timer, void (TcpSocket::*method)()) {
    if (!timer || !timer->isValid()) return;
    double fireDate = timer->fireDate();
    timer->invalidate();
    timer = makeTimer(fireDate, method);
  };
  renew(theReadTimer, &TcpSocket::doReadTimeout);
  renew(theWriteTimer, &TcpSocket::doWriteTimeout);
}

void TcpSocket::askForDeferredWork() {
  performDeferred("maybeDequeueRead", &TcpSocket::maybeDequeueRead);
  performDeferred("maybeDequeueWrite", &TcpSocket::maybeDequeueWrite);
  performDeferred("maybeScheduleDisconnect", &TcpSocket::maybeScheduleDisconnect);
}

// ---- Run loop

bool TcpSocket::moveToRunLoop(plat::RunLoop* runLoop) {
  if (!runLoop) return false;
  if (runLoop == theRunLoop) return true;
  cancelAllDeferred();
  theFlags &= ~(kDequeueReadScheduled | kDequeueWriteScheduled);
  bool streams = theReadStream && theWriteStream;
  if (streams && theRunLoop)
    for (const auto& mode : theRunLoopModes) {
      theReadStream->unscheduleFromRunLoop(*theRunLoop, mode);
      theWriteStream->unscheduleFromRunLoop(*theRunLoop, mode);
    }
  for (auto& socket : {theSocket4, theSocket6})
    if (socket)
      for (const auto& mode : theRunLoopModes) socket->unschedule(mode);
  theRunLoop = runLoop;
  // Sources and timers join the new loop on its own thread; this thread waits meanwhile, so the
  // socket is never touched from two threads at once.
  bool attached = true;
  runLoop->performAndWait([&] {
    rescheduleTimers();
    for (auto& socket : {theSocket4, theSocket6})
      if (socket)
        for (const auto& mode : theRunLoopModes) socket->schedule(*runLoop, mode);
    if (streams) attached = attachStreamsToRunLoop(runLoop, nullptr);
    if (attached) askForDeferredWork();
  });
  return attached;
}

bool TcpSocket::setRunLoopModes(const std::vector<std::string>& modes) {
  if (modes.empty()) return false;
  if (modes == theRunLoopModes) return true;
  cancelAllDeferred();
  theFlags &= ~(kDequeueReadScheduled | kDequeueWriteScheduled);
  bool streams = theReadStream && theWriteStream;
  for (const auto& mode : theRunLoopModes) {
    if (streams && theRunLoop) {
      theReadStream->unscheduleFromRunLoop(*theRunLoop, mode);
      theWriteStream->unscheduleFromRunLoop(*theRunLoop, mode);
    }
    for (auto& socket : {theSocket4, theSocket6})
      if (socket) socket->unschedule(mode);
  }
  theRunLoopModes = modes;
  rescheduleTimers();
  if (theRunLoop)
    for (auto& socket : {theSocket4, theSocket6})
      if (socket)
        for (const auto& mode : theRunLoopModes) socket->schedule(*theRunLoop, mode);
  if (streams && !attachStreamsToRunLoop(theRunLoop, nullptr)) return false;
  askForDeferredWork();
  return true;
}

bool TcpSocket::addRunLoopMode(const std::string& mode) {
  if (mode.empty()) return false;
  for (const auto& m : theRunLoopModes)
    if (m == mode) return true;
  cancelAllDeferred();
  theFlags &= ~(kDequeueReadScheduled | kDequeueWriteScheduled);
  theRunLoopModes.push_back(mode);
  plat::RunLoop& loop = theRunLoop ? *theRunLoop : plat::RunLoop::current();
  for (auto* timer : {&theReadTimer, &theWriteTimer})
    if (*timer && (*timer)->isValid()) loop.addTimer(*timer, mode);
  for (auto& socket : {theSocket4, theSocket6})
    if (socket) socket->schedule(loop, mode);
  if (theReadStream && theWriteStream) {
    theReadStream->scheduleInRunLoop(loop, mode);
    theWriteStream->scheduleInRunLoop(loop, mode);
  }
  askForDeferredWork();
  return true;
}

bool TcpSocket::removeRunLoopMode(const std::string& mode) {
  if (mode.empty()) return false;
  auto it = std::find(theRunLoopModes.begin(), theRunLoopModes.end(), mode);
  if (it == theRunLoopModes.end()) return true;
  if (theRunLoopModes.size() == 1) return false;
  theRunLoopModes.erase(it);
  rescheduleTimers();
  for (auto& socket : {theSocket4, theSocket6})
    if (socket) socket->unschedule(mode);
  if (theReadStream && theWriteStream && theRunLoop) {
    theReadStream->unscheduleFromRunLoop(*theRunLoop, mode);
    theWriteStream->unscheduleFromRunLoop(*theRunLoop, mode);
  }
  askForDeferredWork();
  return true;
}

// ---- Errors

TcpError TcpSocket::getSocketError() {
  return tcpSocketError(-1, "TcpSocketCFSocketError", "General CFSocket error");
}
TcpError TcpSocket::getAbortError() {
  return tcpSocketError(1, "TcpSocketCanceledError", "Connection canceled");
}
TcpError TcpSocket::getConnectTimeoutError() {
  return tcpSocketError(2, "TcpSocketConnectTimeoutError", "Attempt to connect to host timed out");
}
TcpError TcpSocket::getReadMaxedOutError() {
  return tcpSocketError(3, "TcpSocketReadMaxedOutError",
                        "Read operation reached set maximum length");
}
TcpError TcpSocket::getReadTimeoutError() {
  return tcpSocketError(4, "TcpSocketReadTimeoutError", "Read operation timed out");
}
TcpError TcpSocket::getWriteTimeoutError() {
  return tcpSocketError(5, "TcpSocketWriteTimeoutError", "Write operation timed out");
}
TcpError TcpSocket::getErrnoError() {
  return tcpErrnoError(errno);
}

std::optional<TcpError> TcpSocket::getStreamError() const {
  if (theReadStream && theReadStream->error())
    return errorFromCFStreamError(theReadStream->error());
  if (theWriteStream) return errorFromCFStreamError(theWriteStream->error());
  return std::nullopt;
}

}  // namespace sockets
