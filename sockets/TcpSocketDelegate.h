// What a TcpSocket tells its owner. Every method is optional: the default bodies are what the
// socket does for a delegate that does not answer (connect goes on, the new socket stays on the
// current run loop, a timed-out read or write fails).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "sockets/TcpError.h"

namespace plat {
class RunLoop;
}

namespace sockets {

class TcpSocket;

class TcpSocketDelegate {
 public:
  virtual ~TcpSocketDelegate() = default;

  // Before anything is torn down; unreadData() still gives the bytes read so far.
  virtual void onSocket_willDisconnectWithError(TcpSocket&, const std::optional<TcpError>&) {}
  virtual void onSocketDidDisconnect(TcpSocket&) {}
  // The delegate keeps the new socket alive by holding on to it.
  virtual void onSocket_didAcceptNewSocket(TcpSocket&, const std::shared_ptr<TcpSocket>&) {}
  virtual plat::RunLoop* onSocket_wantsRunLoopForNewSocket(TcpSocket&, TcpSocket&) {
    return nullptr;
  }
  virtual bool onSocketWillConnect(TcpSocket&) { return true; }
  virtual void onSocket_didConnectToHost_port(TcpSocket&, const std::string&, uint16_t) {}
  virtual void onSocket_didReadData_withTag(TcpSocket&, std::span<const uint8_t>, int64_t) {}
  virtual void onSocket_didReadPartialDataOfLength_tag(TcpSocket&, uint64_t, int64_t) {}
  virtual void onSocket_didWriteDataWithTag(TcpSocket&, int64_t) {}
  virtual void onSocket_didWritePartialDataOfLength_tag(TcpSocket&, uint64_t, int64_t) {}
  // A positive number of seconds extends the operation; anything else lets it time out.
  virtual double onSocket_shouldTimeoutReadWithTag_elapsed_bytesDone(TcpSocket&, int64_t, double,
                                                                     uint64_t) {
    return 0;
  }
  virtual double onSocket_shouldTimeoutWriteWithTag_elapsed_bytesDone(TcpSocket&, int64_t, double,
                                                                      uint64_t) {
    return 0;
  }
  virtual void onSocketDidSecure(TcpSocket&) {}
};

}  // namespace sockets
