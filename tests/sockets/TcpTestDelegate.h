// A delegate that records what a TcpSocket told it, and a pair of connected loopback sockets for
// the read, write and TLS tests, all on the main run loop under virtual time.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/RunLoop.h"
#include "sockets/TcpSocket.h"
#include "tests/support/Patience.h"
#include "tests/support/VirtualTime.h"

namespace sockets::testing {

inline std::string text(std::span<const uint8_t> bytes) {
  return std::string(bytes.begin(), bytes.end());
}
inline TcpData bytes(const std::string& s) {
  return TcpData(s.begin(), s.end());
}
// 127.0.0.1 and `port` as a socket address.
inline TcpData loopbackAddress(uint16_t port) {
  sockaddr_in in{};
  in.sin_family = AF_INET;
  in.sin_port = htons(port);
  in.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  auto* p = reinterpret_cast<const uint8_t*>(&in);
  return TcpData(p, p + sizeof in);
}

struct Recorder : TcpSocketDelegate {
  std::vector<std::pair<int64_t, std::string>> reads;
  std::vector<uint64_t> partialReads;
  std::vector<int64_t> writes;
  std::vector<uint64_t> partialWrites;
  std::vector<std::shared_ptr<TcpSocket>> accepted;
  std::vector<std::string> events;
  std::optional<TcpError> disconnectError;
  std::optional<TcpData> unreadAtDisconnect;
  bool willDisconnect = false;
  int didDisconnect = 0;
  int secured = 0;
  bool connected = false;
  std::string connectedHost;
  uint16_t connectedPort = 0;
  bool allowConnect = true;
  std::vector<std::pair<double, uint64_t>> readTimeoutQuestions;
  double readTimeoutAnswer = 0;
  std::function<void(TcpSocket&)> onConnect;
  std::function<void(TcpSocket&)> onAccept;

  // Accepted sockets outliving the recorder must not call back into it.
  ~Recorder() override {
    for (auto& socket : accepted) socket->setDelegate(nullptr);
  }

  void onSocket_willDisconnectWithError(TcpSocket& socket,
                                        const std::optional<TcpError>& error) override {
    willDisconnect = true;
    disconnectError = error;
    unreadAtDisconnect = socket.unreadData();
    events.push_back("willDisconnect");
  }
  void onSocketDidDisconnect(TcpSocket&) override {
    ++didDisconnect;
    events.push_back("didDisconnect");
  }
  void onSocket_didAcceptNewSocket(TcpSocket&, const std::shared_ptr<TcpSocket>& s) override {
    accepted.push_back(s);
    if (onAccept) onAccept(*s);
  }
  bool onSocketWillConnect(TcpSocket&) override { return allowConnect; }
  void onSocket_didConnectToHost_port(TcpSocket& socket, const std::string& host,
                                      uint16_t port) override {
    connected = true;
    connectedHost = host;
    connectedPort = port;
    if (onConnect) onConnect(socket);
  }
  void onSocket_didReadData_withTag(TcpSocket&, std::span<const uint8_t> data,
                                    int64_t tag) override {
    reads.emplace_back(tag, text(data));
  }
  void onSocket_didReadPartialDataOfLength_tag(TcpSocket&, uint64_t length, int64_t) override {
    partialReads.push_back(length);
  }
  void onSocket_didWriteDataWithTag(TcpSocket&, int64_t tag) override {
    writes.push_back(tag);
    events.push_back("didWrite " + std::to_string(tag));
  }
  void onSocket_didWritePartialDataOfLength_tag(TcpSocket&, uint64_t length, int64_t) override {
    partialWrites.push_back(length);
  }
  double onSocket_shouldTimeoutReadWithTag_elapsed_bytesDone(TcpSocket&, int64_t, double elapsed,
                                                             uint64_t done) override {
    readTimeoutQuestions.emplace_back(elapsed, done);
    return readTimeoutAnswer;
  }
  void onSocketDidSecure(TcpSocket&) override { ++secured; }
};

// Runs the main loop until `done`, for ten seconds at most; true when done.
inline bool run(const std::function<bool()>& done) {
  return plat::RunLoop::main().runUntil(done, testsupport::kPatience);
}

// Runs the main loop until `done`, for as long as the bytes `log` saw move on: false once ten
// seconds pass without any. A large transfer may take longer than that as a whole when the
// machine is busy; a stalled one still fails.
inline bool runWhileBytesMove(const Recorder& log, const std::function<bool()>& done) {
  auto moved = [&log] {
    uint64_t bytes = log.reads.size() + log.writes.size();
    for (uint64_t length : log.partialReads) bytes += length;
    for (uint64_t length : log.partialWrites) bytes += length;
    return bytes;
  };
  for (;;) {
    const uint64_t seen = moved();
    if (!plat::RunLoop::main().runUntil([&] { return done() || moved() != seen; },
                                        testsupport::kPatience))
      return false;
    if (done()) return true;
  }
}

// A listener on 127.0.0.1 and a client connected to it; `server` is the accepted socket.
class LoopbackPair : public ::testing::Test {
 protected:
  LoopbackPair() {
    listener->acceptOnInterface("127.0.0.1", 0);
    client->connectToHost("127.0.0.1", listener->localPort());
    run([&] { return clientLog.connected && serverLog.connected; });
    server = serverLog.accepted.at(0);
  }

  testsupport::VirtualTime time;
  Recorder serverLog, clientLog;  // the listener's and its accepted socket's, the client's
  std::shared_ptr<TcpSocket> listener = TcpSocket::create(&serverLog);
  std::shared_ptr<TcpSocket> client = TcpSocket::create(&clientLog);
  std::shared_ptr<TcpSocket> server;
};

}  // namespace sockets::testing
