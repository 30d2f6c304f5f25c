// The queued operations of a TcpSocket: a read (fixed length, up to a terminator, or whatever is
// there), a write, and the TLS marker that holds both queues until the handshake is done. A read
// packet decides how many bytes each step may take, so a terminator read never reads past it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/stream/SocketStream.h"

namespace sockets {

// The settings of startTLS, as the stream layer takes them.
using TcpTlsSettings = plat::stream::TlsSettings;

using TcpData = std::vector<uint8_t>;

struct TcpPacket {
  virtual ~TcpPacket() = default;
};

struct TcpReadPacket : TcpPacket {
  // Without a caller buffer the packet makes its own.
  TcpReadPacket(std::shared_ptr<TcpData> data, uint64_t startOffset, uint64_t maxLength,
                double timeout, uint64_t readLength, const TcpData* terminator, int64_t tag);

  std::shared_ptr<TcpData> buffer;
  uint64_t startOffset = 0;
  uint64_t bytesDone = 0;
  uint64_t maxLength = 0;
  double timeout = -1;
  uint64_t readLength = 0;
  std::optional<TcpData> term;
  bool bufferOwner = false;
  uint64_t originalBufferLength = 0;
  int64_t tag = 0;

  uint64_t readLengthForNonTerm() const;
  uint64_t readLengthForTerm() const;
  uint64_t prebufferReadLengthForTerm() const;
  uint64_t readLengthForTermWithPreBuffer(const TcpData& preBuffer, bool& found) const;
  // Bytes that follow the terminator in the packet's bytes, searching the last `bytesRead` bytes
  // and the terminator's length before them; -1 when it is not there.
  int64_t searchForTermAfterPreBuffering(uint64_t bytesRead) const;

 private:
  uint64_t clampToCallerBuffer(uint64_t length) const;
  const uint8_t* readBytes() const { return buffer->data() + startOffset; }
};

struct TcpWritePacket : TcpPacket {
  TcpWritePacket(TcpData data, double timeout, int64_t tag)
      : buffer(std::move(data)), timeout(timeout), tag(tag) {}
  TcpData buffer;
  uint64_t bytesDone = 0;
  double timeout;
  int64_t tag;
};

struct TcpSpecialPacket : TcpPacket {
  explicit TcpSpecialPacket(TcpTlsSettings settings) : tlsSettings(std::move(settings)) {}
  TcpTlsSettings tlsSettings;
};

}  // namespace sockets
