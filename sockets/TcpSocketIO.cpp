// The read and write queues, per-packet time-outs, the TLS marker and closing.
#include <algorithm>
#include <cstring>

#include "platform/base/Clock.h"
#include "sockets/TcpSocket.h"

namespace sockets {

namespace {
constexpr uint64_t kWriteChunk = 4096;
constexpr uint64_t kUnreadChunk = 256;
}  // namespace

// ---- Queueing reads and writes

void TcpSocket::queueRead(std::shared_ptr<TcpReadPacket> packet) {
  if (theFlags & kForbidReadsWrites) return;
  theReadQueue.push_back(std::move(packet));
  scheduleDequeueRead();
}

void TcpSocket::readDataWithTimeout(double timeout, int64_t tag) {
  queueRead(std::make_shared<TcpReadPacket>(nullptr, 0, 0, timeout, 0, nullptr, tag));
}

void TcpSocket::readDataWithTimeout(double timeout, std::shared_ptr<TcpData> buffer,
                                    uint64_t offset, int64_t tag) {
  readDataWithTimeout(timeout, std::move(buffer), offset, 0, tag);
}

void TcpSocket::readDataWithTimeout(double timeout, std::shared_ptr<TcpData> buffer,
                                    uint64_t offset, uint64_t maxLength, int64_t tag) {
  if (buffer && offset > buffer->size()) return;
  queueRead(std::make_shared<TcpReadPacket>(std::move(buffer), offset, maxLength, timeout, 0,
                                            nullptr, tag));
}

void TcpSocket::readDataToLength(uint64_t length, double timeout, int64_t tag) {
  readDataToLength(length, timeout, nullptr, 0, tag);
}

void TcpSocket::readDataToLength(uint64_t length, double timeout, std::shared_ptr<TcpData> buffer,
                                 uint64_t offset, int64_t tag) {
  if (length == 0 || (buffer && offset > buffer->size())) return;
  queueRead(
      std::make_shared<TcpReadPacket>(std::move(buffer), offset, 0, timeout, length, nullptr, tag));
}

void TcpSocket::readDataToData(const TcpData& data, double timeout, int64_t tag) {
  readDataToData(data, timeout, nullptr, 0, 0, tag);
}

void TcpSocket::readDataToData(const TcpData& data, double timeout, std::shared_ptr<TcpData> buffer,
                               uint64_t offset, int64_t tag) {
  readDataToData(data, timeout, std::move(buffer), offset, 0, tag);
}

void TcpSocket::readDataToData(const TcpData& data, double timeout, uint64_t maxLength,
                               int64_t tag) {
  readDataToData(data, timeout, nullptr, 0, maxLength, tag);
}

void TcpSocket::readDataToData(const TcpData& data, double timeout, std::shared_ptr<TcpData> buffer,
                               uint64_t offset, uint64_t maxLength, int64_t tag) {
  if (data.empty() || (buffer && offset > buffer->size())) return;
  if (maxLength > 0 && maxLength < data.size()) return;
  queueRead(std::make_shared<TcpReadPacket>(std::move(buffer), offset, maxLength, timeout, 0, &data,
                                            tag));
}

void TcpSocket::writeData(const TcpData& data, double timeout, int64_t tag) {
  if (data.empty() || (theFlags & kForbidReadsWrites)) return;
  theWriteQueue.push_back(std::make_shared<TcpWritePacket>(data, timeout, tag));
  scheduleDequeueWrite();
}

void TcpSocket::startTLS(const std::optional<TcpTlsSettings>& settings) {
  auto marker = std::make_shared<TcpSpecialPacket>(settings.value_or(TcpTlsSettings{}));
  theReadQueue.push_back(marker);
  theWriteQueue.push_back(marker);
  scheduleDequeueRead();
  scheduleDequeueWrite();
}

// ---- Dequeuing

bool TcpSocket::directionBusy(bool reads) const {
  return reads ? !theReadQueue.empty() || theCurrentRead
               : !theWriteQueue.empty() || theCurrentWrite;
}

void TcpSocket::scheduleDequeueRead() {
  if (theFlags & kDequeueReadScheduled) return;
  theFlags |= kDequeueReadScheduled;
  performDeferred("maybeDequeueRead", &TcpSocket::maybeDequeueRead);
}

void TcpSocket::maybeDequeueRead() {
  theFlags &= ~kDequeueReadScheduled;
  if (theCurrentRead || !theReadStream) return;
  if (!theReadQueue.empty()) {
    theCurrentRead = theReadQueue.front();
    theReadQueue.pop_front();
    if (std::dynamic_pointer_cast<TcpSpecialPacket>(theCurrentRead)) {
      theFlags |= kStartingReadTLS;
      return maybeStartTLS();
    }
    auto packet = std::static_pointer_cast<TcpReadPacket>(theCurrentRead);
    if (packet->timeout >= 0)
      theReadTimer =
          makeTimer(plat::Clock::current().now() + packet->timeout, &TcpSocket::doReadTimeout);
    return doBytesAvailable();
  }
  if ((theFlags & kDisconnectAfterReads) &&
      !((theFlags & kDisconnectAfterWrites) && directionBusy(false)))
    disconnect();
}

void TcpSocket::scheduleDequeueWrite() {
  if (theFlags & kDequeueWriteScheduled) return;
  theFlags |= kDequeueWriteScheduled;
  performDeferred("maybeDequeueWrite", &TcpSocket::maybeDequeueWrite);
}

void TcpSocket::maybeDequeueWrite() {
  theFlags &= ~kDequeueWriteScheduled;
  if (theCurrentWrite || !theWriteStream) return;
  if (!theWriteQueue.empty()) {
    theCurrentWrite = theWriteQueue.front();
    theWriteQueue.pop_front();
    if (std::dynamic_pointer_cast<TcpSpecialPacket>(theCurrentWrite)) {
      theFlags |= kStartingWriteTLS;
      return maybeStartTLS();
    }
    auto packet = std::static_pointer_cast<TcpWritePacket>(theCurrentWrite);
    if (packet->timeout >= 0)
      theWriteTimer =
          makeTimer(plat::Clock::current().now() + packet->timeout, &TcpSocket::doWriteTimeout);
    return doSendBytes();
  }
  if ((theFlags & kDisconnectAfterWrites) &&
      !((theFlags & kDisconnectAfterReads) && directionBusy(true)))
    disconnect();
}

// ---- Reading

// The TLS handshake reads the connection itself, so the read before a TLS marker must not take
// bytes past its terminator into the pre-buffer: they may be the peer's first handshake bytes.
bool TcpSocket::tlsMarkerIsNext() const {
  return !theReadQueue.empty() &&
         std::dynamic_pointer_cast<TcpSpecialPacket>(theReadQueue.front()) != nullptr;
}

bool TcpSocket::hasBytesAvailable() {
  return (theFlags & kSocketHasBytesAvailable) || !partialReadBuffer.empty() ||
         (theReadStream && theReadStream->hasBytesAvailable());
}

long TcpSocket::readIntoBuffer(uint8_t* buffer, uint64_t maxLength) {
  if (!partialReadBuffer.empty()) {
    uint64_t count = std::min<uint64_t>(maxLength, partialReadBuffer.size());
    std::memcpy(buffer, partialReadBuffer.data(), count);
    partialReadBuffer.erase(partialReadBuffer.begin(), partialReadBuffer.begin() + count);
    return static_cast<long>(count);
  }
  theFlags &= ~kSocketHasBytesAvailable;
  return theReadStream->read(buffer, maxLength);
}

void TcpSocket::doBytesAvailable() {
  auto packet = std::dynamic_pointer_cast<TcpReadPacket>(theCurrentRead);
  if (!packet || !theReadStream) return;
  auto keep = shared_from_this();
  uint64_t totalBytesRead = 0;
  bool done = false, socketError = false, maxoutError = false;
  while (!done && !socketError && !maxoutError && hasBytesAvailable()) {
    bool didPreBuffer = false, fromPreBuffer = false, found = false;
    uint64_t step;
    if (packet->term && !partialReadBuffer.empty()) {
      step = packet->readLengthForTermWithPreBuffer(partialReadBuffer, found);
      fromPreBuffer = true;
    } else if (packet->term && (theFlags & kEnablePreBuffering) && !tlsMarkerIsNext()) {
      step = packet->prebufferReadLengthForTerm();
      didPreBuffer = true;
    } else if (packet->term) {
      step = packet->readLengthForTerm();
    } else {
      step = packet->readLengthForNonTerm();
    }
    TcpData& buffer = *packet->buffer;
    uint64_t at = packet->startOffset + packet->bytesDone;
    if (buffer.size() < at + step) buffer.resize(at + step);
    long count = readIntoBuffer(buffer.data() + at, step);
    if (count < 0) {
      socketError = true;
      break;
    }
    packet->bytesDone += count;
    totalBytesRead += count;
    if (packet->readLength > 0) {
      done = packet->bytesDone == packet->readLength;
    } else if (packet->term) {
      const TcpData& term = *packet->term;
      if (didPreBuffer) {
        int64_t overflow = packet->searchForTermAfterPreBuffering(count);
        if (overflow > 0) {
          const uint8_t* tail = buffer.data() + packet->startOffset + packet->bytesDone - overflow;
          partialReadBuffer.insert(partialReadBuffer.end(), tail, tail + overflow);
          packet->bytesDone -= overflow;
        }
        done = overflow >= 0;
      } else if (fromPreBuffer) {
        done = found;
      } else if (packet->bytesDone >= term.size()) {
        done = std::memcmp(buffer.data() + packet->startOffset + packet->bytesDone - term.size(),
                           term.data(), term.size()) == 0;
      }
      if (!done && packet->maxLength > 0 && packet->bytesDone >= packet->maxLength)
        maxoutError = true;
    } else {
      done = packet->maxLength > 0 && packet->bytesDone >= packet->maxLength;
    }
    if (count == 0 && !fromPreBuffer) break;  // nothing came although the stream said so
  }
  // A read-any takes whatever came.
  if (!packet->term && packet->readLength == 0 && packet->bytesDone > 0) done = true;
  if (done) {
    completeCurrentRead();
    if (!socketError) scheduleDequeueRead();
  } else if (totalBytesRead > 0 && theDelegate) {
    theDelegate->onSocket_didReadPartialDataOfLength_tag(*this, totalBytesRead, packet->tag);
  }
  if (socketError)
    closeWithError(errorFromCFStreamError(theReadStream ? theReadStream->error()
                                                        : plat::stream::StreamError{}));
  else if (maxoutError)
    closeWithError(getReadMaxedOutError());
}

void TcpSocket::completeCurrentRead() {
  auto packet = std::static_pointer_cast<TcpReadPacket>(theCurrentRead);
  TcpData& buffer = *packet->buffer;
  std::span<const uint8_t> bytes;
  if (packet->bufferOwner) {
    buffer.resize(packet->bytesDone);
    bytes = std::span<const uint8_t>(buffer.data(), buffer.size());
  } else {
    if (buffer.size() > packet->originalBufferLength)
      buffer.resize(
          std::max(packet->originalBufferLength, packet->startOffset + packet->bytesDone));
    bytes = std::span<const uint8_t>(buffer.data() + packet->startOffset, packet->bytesDone);
  }
  if (theDelegate) theDelegate->onSocket_didReadData_withTag(*this, bytes, packet->tag);
  if (theCurrentRead == packet) endCurrentRead();
}

void TcpSocket::endCurrentRead() {
  if (theReadTimer) theReadTimer->invalidate();
  theReadTimer.reset();
  theCurrentRead.reset();
}

void TcpSocket::doReadTimeout() {
  auto packet = std::dynamic_pointer_cast<TcpReadPacket>(theCurrentRead);
  if (!packet) return;
  auto keep = shared_from_this();
  double extension = theDelegate ? theDelegate->onSocket_shouldTimeoutReadWithTag_elapsed_bytesDone(
                                       *this, packet->tag, packet->timeout, packet->bytesDone)
                                 : 0;
  if (extension > 0 && theCurrentRead == packet) {
    packet->timeout += extension;
    theReadTimer = makeTimer(plat::Clock::current().now() + extension, &TcpSocket::doReadTimeout);
  } else if (theCurrentRead == packet) {
    closeWithError(getReadTimeoutError());
  }
}

// ---- Writing

bool TcpSocket::canAcceptBytes() {
  return (theFlags & kSocketCanAcceptBytes) || (theWriteStream && theWriteStream->canAcceptBytes());
}

void TcpSocket::doSendBytes() {
  auto packet = std::dynamic_pointer_cast<TcpWritePacket>(theCurrentWrite);
  if (!packet || !theWriteStream) return;
  auto keep = shared_from_this();
  uint64_t totalBytesWritten = 0;
  bool done = false;
  while (!done && canAcceptBytes()) {
    uint64_t length = std::min(kWriteChunk, packet->buffer.size() - packet->bytesDone);
    long count = theWriteStream->write(packet->buffer.data() + packet->bytesDone, length);
    theFlags &= ~kSocketCanAcceptBytes;
    if (count < 0) return closeWithError(errorFromCFStreamError(theWriteStream->error()));
    packet->bytesDone += count;
    totalBytesWritten += count;
    done = packet->bytesDone == packet->buffer.size();
    if (count == 0) break;
  }
  if (done) {
    completeCurrentWrite();
    scheduleDequeueWrite();
  } else if (totalBytesWritten > 0 && theDelegate) {
    theDelegate->onSocket_didWritePartialDataOfLength_tag(*this, totalBytesWritten, packet->tag);
  }
}

void TcpSocket::completeCurrentWrite() {
  auto packet = theCurrentWrite;
  if (theDelegate)
    theDelegate->onSocket_didWriteDataWithTag(*this, static_cast<TcpWritePacket&>(*packet).tag);
  if (theCurrentWrite == packet) endCurrentWrite();
}

void TcpSocket::endCurrentWrite() {
  if (theWriteTimer) theWriteTimer->invalidate();
  theWriteTimer.reset();
  theCurrentWrite.reset();
}

void TcpSocket::doWriteTimeout() {
  auto packet = std::dynamic_pointer_cast<TcpWritePacket>(theCurrentWrite);
  if (!packet) return;
  auto keep = shared_from_this();
  double extension = theDelegate
                         ? theDelegate->onSocket_shouldTimeoutWriteWithTag_elapsed_bytesDone(
                               *this, packet->tag, packet->timeout, packet->bytesDone)
                         : 0;
  if (extension > 0 && theCurrentWrite == packet) {
    packet->timeout += extension;
    theWriteTimer = makeTimer(plat::Clock::current().now() + extension, &TcpSocket::doWriteTimeout);
  } else if (theCurrentWrite == packet) {
    closeWithError(getWriteTimeoutError());
  }
}

// ---- TLS

void TcpSocket::maybeStartTLS() {
  if (!(theFlags & kStartingReadTLS) || !(theFlags & kStartingWriteTLS)) return;
  auto marker = std::static_pointer_cast<TcpSpecialPacket>(theCurrentRead);
  // Bytes already taken from the connection but not read by the owner can only be a client's
  // first handshake bytes, which the handshake could no longer read and would wait for forever,
  // or plain bytes, which the next read would hand over as if they had come secured.
  if (!partialReadBuffer.empty()) return closeWithError(getSocketError());
  if (!theReadStream->setTlsSettings(marker->tlsSettings) ||
      !theWriteStream->setTlsSettings(marker->tlsSettings))
    closeWithError(getSocketError());
}

void TcpSocket::onTLSHandshakeSuccessful() {
  if (!(theFlags & kStartingReadTLS) || !(theFlags & kStartingWriteTLS)) return;
  theFlags &= ~(kStartingReadTLS | kStartingWriteTLS);
  if (theDelegate) theDelegate->onSocketDidSecure(*this);
  endCurrentRead();
  endCurrentWrite();
  scheduleDequeueRead();
  scheduleDequeueWrite();
}

// ---- Closing

void TcpSocket::closeWithError(const std::optional<TcpError>& error) {
  theFlags |= kClosingWithError;
  if (theFlags & kDidStartConnect) {
    recoverUnreadData();
    if (theDelegate) theDelegate->onSocket_willDisconnectWithError(*this, error);
  }
  close();
}

void TcpSocket::recoverUnreadData() {
  auto packet = std::dynamic_pointer_cast<TcpReadPacket>(theCurrentRead);
  if (packet && packet->bytesDone > 0) {
    const uint8_t* bytes = packet->buffer->data() + packet->startOffset;
    partialReadBuffer.insert(partialReadBuffer.begin(), bytes, bytes + packet->bytesDone);
  }
  emptyQueues();
}

void TcpSocket::emptyQueues() {
  if (theCurrentRead) endCurrentRead();
  if (theCurrentWrite) endCurrentWrite();
  theReadQueue.clear();
  theWriteQueue.clear();
  cancelDeferred("maybeDequeueRead");
  cancelDeferred("maybeDequeueWrite");
  theFlags &= ~(kDequeueReadScheduled | kDequeueWriteScheduled);
}

void TcpSocket::close() {
  emptyQueues();
  partialReadBuffer.clear();
  cancelDeferred("disconnect");
  endConnectTimeout();
  if (theReadStream) {
    for (const auto& mode : theRunLoopModes)
      if (theRunLoop) theReadStream->unscheduleFromRunLoop(*theRunLoop, mode);
    theReadStream->setClient(0, nullptr);
    theReadStream->close();
    theReadStream.reset();
  }
  if (theWriteStream) {
    for (const auto& mode : theRunLoopModes)
      if (theRunLoop) theWriteStream->unscheduleFromRunLoop(*theRunLoop, mode);
    theWriteStream->setClient(0, nullptr);
    theWriteStream->close();
    theWriteStream.reset();
  }
  for (auto* socket : {&theSocket4, &theSocket6}) {
    if (*socket) (*socket)->invalidate();
    socket->reset();
  }
  theNativeSocket4 = theNativeSocket6 = 0;
  theRunLoop = nullptr;
  bool started = theFlags & kDidStartConnect;
  theFlags &= kEnablePreBuffering;
  if (started && theDelegate) theDelegate->onSocketDidDisconnect(*this);
}

void TcpSocket::disconnectAfterReading() {
  theFlags |= kForbidReadsWrites | kDisconnectAfterReads;
  maybeScheduleDisconnect();
}

void TcpSocket::disconnectAfterWriting() {
  theFlags |= kForbidReadsWrites | kDisconnectAfterWrites;
  maybeScheduleDisconnect();
}

void TcpSocket::disconnectAfterReadingAndWriting() {
  theFlags |= kForbidReadsWrites | kDisconnectAfterReads | kDisconnectAfterWrites;
  maybeScheduleDisconnect();
}

void TcpSocket::maybeScheduleDisconnect() {
  bool reads = theFlags & kDisconnectAfterReads, writes = theFlags & kDisconnectAfterWrites;
  if (!reads && !writes) return;
  if ((reads && directionBusy(true)) || (writes && directionBusy(false))) return;
  performDeferred("disconnect", &TcpSocket::close);
}

std::optional<TcpData> TcpSocket::unreadData() {
  if (!(theFlags & kClosingWithError) || !theReadStream) return std::nullopt;
  // Take the stream's bytes too, growing the buffer a chunk at a time.
  for (;;) {
    if (!theReadStream->hasBytesAvailable()) break;
    size_t at = partialReadBuffer.size();
    partialReadBuffer.resize(at + kUnreadChunk);
    long count = theReadStream->read(partialReadBuffer.data() + at, kUnreadChunk);
    partialReadBuffer.resize(at + std::max(count, 0L));
    if (count <= 0) break;
  }
  return partialReadBuffer;
}

}  // namespace sockets
