// What a UDP socket tells its owner. Every callback is optional; all run on the socket's thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sockets/UdpSocketError.h"

namespace sockets {

class UdpSocket;

class UdpSocketDelegate {
 public:
  virtual ~UdpSocketDelegate() = default;

  virtual void onUdpSocket_didSendDataWithTag(UdpSocket& /*sock*/, int64_t /*tag*/) {}
  virtual void onUdpSocket_didNotSendDataWithTag_dueToError(UdpSocket& /*sock*/, int64_t /*tag*/,
                                                            const UdpSocketError& /*error*/) {}
  // Returning false declines the datagram: the receive stays current and waits for the next one.
  virtual bool onUdpSocket_didReceiveData_withTag_fromHost_port(
      UdpSocket& /*sock*/, const std::vector<uint8_t>& /*data*/, int64_t /*tag*/,
      const std::string& /*host*/, uint16_t /*port*/) {
    return true;
  }
  virtual void onUdpSocket_didNotReceiveDataWithTag_dueToError(UdpSocket& /*sock*/, int64_t /*tag*/,
                                                               const UdpSocketError& /*error*/) {}
  // After close, from the run loop (a socket destroyed first sends none).
  virtual void onUdpSocketDidClose(UdpSocket& /*sock*/) {}
};

}  // namespace sockets
