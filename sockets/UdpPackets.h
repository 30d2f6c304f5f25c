// The queued work of a UDP socket: one datagram to send, or one receive waiting for a datagram.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sockets {

struct UdpSendPacket {
  UdpSendPacket(std::vector<uint8_t> data, std::vector<uint8_t> address, double timeout,
                int64_t tag)
      : buffer(std::move(data)), address(std::move(address)), timeout(timeout), tag(tag) {}

  std::vector<uint8_t> buffer;
  std::vector<uint8_t> address;  // raw socket address; empty on a connected socket
  double timeout;                // seconds; negative for none
  int64_t tag;
};

struct UdpReceivePacket {
  UdpReceivePacket(double timeout, int64_t tag) : timeout(timeout), tag(tag) {}

  double timeout;
  int64_t tag;
  // Filled from the datagram being offered to the delegate.
  std::vector<uint8_t> buffer;
  std::string host;
  uint16_t port = 0;
  bool filled = false;
};

}  // namespace sockets
