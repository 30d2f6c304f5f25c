#include "sockets/TcpPackets.h"

#include <algorithm>
#include <cstring>

namespace sockets {

namespace {
constexpr uint64_t kReadChunk = 256;
}

TcpReadPacket::TcpReadPacket(std::shared_ptr<TcpData> data, uint64_t startOffset_,
                             uint64_t maxLength_, double timeout_, uint64_t readLength_,
                             const TcpData* terminator, int64_t tag_)
    : maxLength(maxLength_), timeout(timeout_), readLength(readLength_), tag(tag_) {
  if (data) {
    buffer = std::move(data);
    startOffset = startOffset_;
    originalBufferLength = buffer->size();
  } else {
    buffer = std::make_shared<TcpData>();
    bufferOwner = true;
  }
  if (terminator) term = *terminator;
}

// Reads into a caller's buffer that kept its length stop where its room ends.
uint64_t TcpReadPacket::clampToCallerBuffer(uint64_t length) const {
  if (bufferOwner || buffer->size() != originalBufferLength) return length;
  uint64_t room = buffer->size() - startOffset - bytesDone;
  return room == 0 ? length : std::min(length, room);
}

uint64_t TcpReadPacket::readLengthForNonTerm() const {
  if (readLength > 0) return readLength - bytesDone;
  uint64_t length = maxLength > 0 ? std::min(kReadChunk, maxLength - bytesDone) : kReadChunk;
  return clampToCallerBuffer(length);
}

uint64_t TcpReadPacket::readLengthForTerm() const {
  const uint64_t termLength = term->size();
  if (bytesDone == 0 || termLength == 1) return termLength;
  uint64_t result = termLength;
  const uint8_t* end = readBytes() + bytesDone;
  for (uint64_t j = std::min(bytesDone, termLength - 1); j > 0; --j) {
    if (std::memcmp(end - j, term->data(), j) == 0) {
      result = termLength - j;
      break;
    }
  }
  if (maxLength > 0) result = std::min(result, maxLength - bytesDone);
  return clampToCallerBuffer(result);
}

uint64_t TcpReadPacket::prebufferReadLengthForTerm() const {
  uint64_t length = maxLength > 0 ? std::min(kReadChunk, maxLength - bytesDone) : kReadChunk;
  return clampToCallerBuffer(length);
}

uint64_t TcpReadPacket::readLengthForTermWithPreBuffer(const TcpData& preBuffer,
                                                       bool& found) const {
  const uint64_t p = preBuffer.size();
  const uint64_t t = term->size();
  if (bytesDone + p < t) return p;
  const uint64_t m = maxLength > 0 ? std::min(p, maxLength - bytesDone) : p;
  const uint8_t* pre = preBuffer.data();
  // The terminator straddling the packet's last b bytes and the start of the pre-buffer.
  const uint64_t b = std::min(bytesDone, t - 1);
  const uint8_t* packetEnd = readBytes() + bytesDone;
  for (uint64_t inPacket = b; inPacket > 0; --inPacket) {
    uint64_t inPre = t - inPacket;
    if (inPre > m) continue;
    if (std::memcmp(packetEnd - inPacket, term->data(), inPacket) == 0 &&
        std::memcmp(pre, term->data() + inPacket, inPre) == 0) {
      found = true;
      return inPre;
    }
  }
  // Wholly inside the pre-buffer.
  for (uint64_t start = 0; start + t <= m; ++start) {
    if (std::memcmp(pre + start, term->data(), t) == 0) {
      found = true;
      return start + t;
    }
  }
  found = false;
  return m;
}

int64_t TcpReadPacket::searchForTermAfterPreBuffering(uint64_t bytesRead) const {
  const uint64_t t = term->size();
  if (bytesDone < t) return -1;
  uint64_t back = bytesRead + t - 1;
  uint64_t start = back < bytesDone ? bytesDone - back : 0;
  const uint8_t* bytes = readBytes();
  for (uint64_t i = start; i + t <= bytesDone; ++i)
    if (std::memcmp(bytes + i, term->data(), t) == 0)
      return static_cast<int64_t>(bytesDone - i - t);
  return -1;
}

}  // namespace sockets
