#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/un.h>
#include <unistd.h>

#include "sockets/TcpSocket.h"
#include "tests/sockets/TcpTestDelegate.h"

namespace sockets {
namespace {

using testing::loopbackAddress;
using testing::Recorder;
using testing::run;
using TcpConnect = testing::LoopbackPair;

TEST_F(TcpConnect, ListenersShareOnePortAcrossFamiliesAndLocalhostMeansLoopback) {
  Recorder delegate;
  auto any = TcpSocket::create(&delegate);
  ASSERT_TRUE(any->acceptOnPort(0));
  EXPECT_NE(any->localPort4(), 0);
  EXPECT_EQ(any->localPort4(), any->localPort6());
  auto local = TcpSocket::create(&delegate);
  ASSERT_TRUE(local->acceptOnInterface("localhost", 0));
  EXPECT_EQ(local->localHost4(), "127.0.0.1");
  EXPECT_EQ(local->localHost6(), "::1");
}

TEST_F(TcpConnect, ConnectingToAnAddressEndsInTheSameStreams) {
  Recorder delegate;
  auto byAddress = TcpSocket::create(&delegate);
  TcpError error;
  ASSERT_TRUE(byAddress->connectToAddress(loopbackAddress(listener->localPort()), 5, &error));
  ASSERT_TRUE(run([&] { return delegate.connected; }));
  EXPECT_EQ(delegate.connectedPort, listener->localPort());
  EXPECT_EQ(serverLog.accepted.size(), 2u);
  // The time-out ended with the connect.
  time.advance(10);
  EXPECT_FALSE(delegate.willDisconnect);
}

TEST_F(TcpConnect, ACancelledConnectOrAnotherFamilyLeavesTheSocketDisconnected) {
  Recorder delegate;
  delegate.allowConnect = false;
  auto refused = TcpSocket::create(&delegate);
  TcpError error;
  EXPECT_FALSE(refused->connectToHost("127.0.0.1", listener->localPort(), &error));
  EXPECT_EQ(error.code, 1);
  EXPECT_FALSE(refused->connectToAddress(loopbackAddress(listener->localPort()), &error));
  EXPECT_EQ(error.code, 1);
  EXPECT_TRUE(refused->isDisconnected());
  EXPECT_EQ(delegate.didDisconnect, 0);

  delegate.allowConnect = true;
  sockaddr_un local{};
  local.sun_family = AF_UNIX;
  auto* p = reinterpret_cast<const uint8_t*>(&local);
  TcpData unixAddress(p, p + sizeof local);
  EXPECT_FALSE(refused->connectToAddress(unixAddress, &error));
  EXPECT_EQ(error.code, -1);
  error = {};
  EXPECT_FALSE(refused->connectToAddress(loopbackAddress(9), &unixAddress, -1, &error));
  EXPECT_EQ(error.code, -1);
  EXPECT_TRUE(refused->isDisconnected());
}

TEST_F(TcpConnect, RefusedConnectClosesWithAnError) {
  // A port that was just free: nobody listens there.
  uint16_t port;
  {
    Recorder d;
    auto probe = TcpSocket::create(&d);
    probe->acceptOnInterface("127.0.0.1", 0);
    port = probe->localPort();
  }
  Recorder delegate;
  auto toNowhere = TcpSocket::create(&delegate);
  ASSERT_TRUE(toNowhere->connectToHost("127.0.0.1", port, 30, nullptr));
  ASSERT_TRUE(run([&] { return delegate.didDisconnect == 1; }));
  ASSERT_TRUE(delegate.disconnectError);
  EXPECT_EQ(delegate.disconnectError->domain, "NSPOSIXErrorDomain");
  EXPECT_EQ(delegate.disconnectError->code, ECONNREFUSED);
  EXPECT_TRUE(toNowhere->isDisconnected());

  Recorder byAddress;
  auto other = TcpSocket::create(&byAddress);
  ASSERT_TRUE(other->connectToAddress(loopbackAddress(port), nullptr));
  ASSERT_TRUE(run([&] { return byAddress.didDisconnect == 1; }));
  EXPECT_EQ(byAddress.disconnectError->code, -1);
}

// A listener whose backlog is full drops further handshakes, so a connect to it stays pending.
struct FullListener {
  int listenFd = ::socket(AF_INET, SOCK_STREAM, 0);
  std::vector<int> queued;
  uint16_t port = 0;
  FullListener() {
    TcpData address = loopbackAddress(0);
    ::bind(listenFd, reinterpret_cast<const sockaddr*>(address.data()), address.size());
    ::listen(listenFd, 0);
    sockaddr_in in{};
    socklen_t length = sizeof in;
    getsockname(listenFd, reinterpret_cast<sockaddr*>(&in), &length);
    port = ntohs(in.sin_port);
    for (int i = 0; i < 3; ++i) {
      int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      TcpData to = loopbackAddress(port);
      ::connect(fd, reinterpret_cast<const sockaddr*>(to.data()), to.size());
      queued.push_back(fd);
    }
    usleep(20000);
  }
  ~FullListener() {
    for (int fd : queued) ::close(fd);
    ::close(listenFd);
  }
};

TEST_F(TcpConnect, ConnectTimeOutClosesWithCodeTwoOnlyWhenSet) {
  FullListener full;
  Recorder delegate;
  auto pending = TcpSocket::create(&delegate);
  ASSERT_TRUE(pending->connectToHost("127.0.0.1", full.port, 3, nullptr));
  plat::RunLoop::main().runUntil([] { return false; }, 0.05);
  ASSERT_FALSE(delegate.connected) << "the backlog did not fill";
  time.advance(3);
  ASSERT_TRUE(delegate.disconnectError);
  EXPECT_EQ(delegate.disconnectError->code, 2);
  EXPECT_EQ(delegate.didDisconnect, 1);

  Recorder patient;
  auto waiting = TcpSocket::create(&patient);
  ASSERT_TRUE(waiting->connectToHost("127.0.0.1", full.port, -1, nullptr));
  time.advance(1000);
  EXPECT_FALSE(patient.willDisconnect);
}

TEST_F(TcpConnect, ClosedSocketCanConnectAgainAndListenerServesMany) {
  client->close();
  EXPECT_EQ(clientLog.didDisconnect, 1);
  EXPECT_FALSE(clientLog.willDisconnect);  // a plain close sends no error
  EXPECT_TRUE(client->isDisconnected());
  // The accepted socket hears of the peer's close with no error.
  ASSERT_TRUE(server);
  server->readDataWithTimeout(-1, 1);
  ASSERT_TRUE(run([&] { return serverLog.didDisconnect == 1; }));
  EXPECT_TRUE(serverLog.willDisconnect);
  EXPECT_FALSE(serverLog.disconnectError);

  clientLog.connected = false;
  ASSERT_TRUE(client->connectToHost("127.0.0.1", listener->localPort()));
  ASSERT_TRUE(run([&] { return clientLog.connected; }));
  EXPECT_EQ(serverLog.accepted.size(), 2u);
}

}  // namespace
}  // namespace sockets
