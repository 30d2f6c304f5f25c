// UDP sockets over 127.0.0.1 and ::1: queued sends and receives, time-outs on virtual time,
// connected and unconnected sockets, and the delegate's say over each datagram.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/RunLoop.h"
#include "sockets/UdpSocket.h"
#include "tests/sockets/TcpTestDelegate.h"
#include "tests/support/OutsidePeer.h"
#include "tests/support/Patience.h"
#include "tests/support/VirtualTime.h"

using sockets::UdpSocket;
using sockets::UdpSocketError;
using sockets::UdpSocketException;

namespace {

using Bytes = std::vector<uint8_t>;
using sockets::testing::bytes;
using sockets::testing::loopbackAddress;

struct Received {
  std::string text;
  int64_t tag;
  std::string host;
  uint16_t port;
};

class Recorder : public sockets::UdpSocketDelegate {
 public:
  void onUdpSocket_didSendDataWithTag(UdpSocket&, int64_t tag) override { sent.push_back(tag); }
  void onUdpSocket_didNotSendDataWithTag_dueToError(UdpSocket&, int64_t tag,
                                                    const UdpSocketError& error) override {
    notSent.push_back(tag);
    errors.push_back(error);
  }
  bool onUdpSocket_didReceiveData_withTag_fromHost_port(UdpSocket& sock, const Bytes& data,
                                                        int64_t tag, const std::string& host,
                                                        uint16_t port) override {
    received.push_back({std::string(data.begin(), data.end()), tag, host, port});
    if (onReceive) return onReceive(sock);
    return true;
  }
  void onUdpSocket_didNotReceiveDataWithTag_dueToError(UdpSocket&, int64_t tag,
                                                       const UdpSocketError& error) override {
    notReceived.push_back(tag);
    errors.push_back(error);
  }
  void onUdpSocketDidClose(UdpSocket&) override { ++closes; }

  std::vector<int64_t> sent, notSent, notReceived;
  std::vector<Received> received;
  std::vector<UdpSocketError> errors;
  std::function<bool(UdpSocket&)> onReceive;
  int closes = 0;
};

// `sock`, bound to 127.0.0.1, and an unbound `sender`, each with its recorder.
class UdpSocketTest : public ::testing::Test {
 protected:
  // Waits (for real, briefly) until `done`: loopback datagrams arrive at once, but a descriptor
  // is only polled once a round.
  bool pump(const std::function<bool()>& done) {
    return plat::RunLoop::main().runUntil(done, testsupport::kPatience);
  }
  bool pumpUntilReceived(size_t count) {
    return pump([&] { return log.received.size() == count; });
  }
  void settle() { time.runUntilIdle(); }

  // A socket bound to 127.0.0.1 on a port of the system's choosing.
  std::unique_ptr<UdpSocket> boundSocket(Recorder* delegate) {
    auto bound = std::make_unique<UdpSocket>(delegate);
    UdpSocketError error;
    EXPECT_TRUE(bound->bindToAddress("127.0.0.1", 0, &error)) << error.localizedDescription;
    return bound;
  }
  void sendToSock(const std::string& text, int64_t tag = 0) {
    sender.sendData(bytes(text), "127.0.0.1", sock->localPort(), -1, tag);
  }

  testsupport::VirtualTime time;
  Recorder log, senderLog;
  std::unique_ptr<UdpSocket> sock = boundSocket(&log);
  UdpSocket sender{&senderLog};
};

}  // namespace

TEST_F(UdpSocketTest, UnconnectedSendsReachQueuedReceivesInOrderWithTheSenderAddress) {
  EXPECT_FALSE(sock->isIPv6());  // an IPv4 address leaves the IPv4 socket only
  for (int i = 1; i <= 3; ++i) {
    EXPECT_TRUE(sender.sendData(bytes("d" + std::to_string(i)), "127.0.0.1", sock->localPort(), 5.0,
                                10 + i));
    sock->receiveWithTimeout(5.0, i);
  }
  ASSERT_TRUE(pumpUntilReceived(3));
  EXPECT_EQ(senderLog.sent, (std::vector<int64_t>{11, 12, 13}));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(log.received[i].text, "d" + std::to_string(i + 1));
    EXPECT_EQ(log.received[i].tag, i + 1);
    EXPECT_EQ(log.received[i].host, "127.0.0.1");
    EXPECT_EQ(log.received[i].port, sender.localPort());
  }
  EXPECT_GT(sock->maximumTransmissionUnit(), 0u);  // the loopback interface's
  // Finished packets leave no time-out behind.
  time.advance(10);
  EXPECT_TRUE(log.notReceived.empty());
  EXPECT_TRUE(senderLog.notSent.empty());
}

// socat sends a greeting from its own port, then echoes every datagram back to where it came from.
TEST_F(UdpSocketTest, ExchangesDatagramsWithSocatOverBothFamilies) {
  for (const std::string loopback : {"127.0.0.1", "::1"}) {
    if (loopback == "::1" && !testsupport::OutsidePeer::hasIPv6Loopback()) {
      GTEST_SKIP() << "no IPv6 loopback here";
    }
    Recorder peerLog;
    UdpSocket peer(&peerLog);
    ASSERT_TRUE(peer.bindToAddress(loopback, 0));
    const std::string address = loopback == "::1" ? "UDP6:[::1]:" : "UDP4:127.0.0.1:";
    testsupport::OutsidePeer socat(
        {"socat", address + std::to_string(peer.localPort()), "SYSTEM:echo hello; exec cat"});
    peer.receiveWithTimeout(5.0, 1);
    ASSERT_TRUE(pump([&] { return peerLog.received.size() == 1; })) << socat.output();
    const Received greeting = peerLog.received[0];
    EXPECT_EQ(greeting.text, "hello\n");
    EXPECT_EQ(greeting.host, loopback);

    EXPECT_TRUE(peer.sendData(bytes("ping"), greeting.host, greeting.port, 5.0, 2));
    peer.receiveWithTimeout(5.0, 3);
    ASSERT_TRUE(pump([&] { return peerLog.received.size() == 2; })) << socat.output();
    EXPECT_EQ(peerLog.received[1].text, "ping");
    EXPECT_EQ(peerLog.received[1].tag, 3);
    EXPECT_EQ(peerLog.sent, std::vector<int64_t>{2});
  }
}

TEST_F(UdpSocketTest, ReceiveTimesOutAndTheNextReceiveStillGetsItsDatagram) {
  sock->receiveWithTimeout(2.0, 1);
  sock->receiveWithTimeout(-1, 2);
  time.advance(1.9);
  EXPECT_TRUE(log.notReceived.empty());
  time.advance(0.2);
  ASSERT_EQ(log.notReceived, std::vector<int64_t>{1});
  EXPECT_EQ(log.errors[0].code, UdpSocketError::kReceiveTimeoutError);

  sendToSock("late");
  ASSERT_TRUE(pumpUntilReceived(1));
  EXPECT_EQ(log.received[0].tag, 2);
  EXPECT_FALSE(sock->isClosed());
}

TEST_F(UdpSocketTest, LargeDatagramIsCutToTheReceiveLimit) {
  sock->setMaxReceiveBufferSize(4);
  sendToSock("0123456789");
  sock->receiveWithTimeout(-1, 0);
  ASSERT_TRUE(pumpUntilReceived(1));
  EXPECT_EQ(log.received[0].text, "0123");
}

TEST_F(UdpSocketTest, ConnectedSocketSendsToItsPeerOnly) {
  Recorder connectedLog;
  UdpSocket connected(&connectedLog);
  EXPECT_FALSE(connected.sendData(bytes("x"), -1, 1));  // not connected yet
  UdpSocketError error;
  ASSERT_TRUE(connected.connectToHost("127.0.0.1", sock->localPort(), &error))
      << error.localizedDescription;
  EXPECT_TRUE(connected.isConnectedToHost("127.0.0.1", sock->localPort()));

  EXPECT_FALSE(connected.sendData(bytes("x"), "127.0.0.1", sock->localPort(), -1, 1));
  EXPECT_FALSE(connected.sendData(bytes("x"), loopbackAddress(sock->localPort()), -1, 1));
  EXPECT_FALSE(connected.sendData(bytes(""), -1, 1));
  EXPECT_TRUE(connected.sendData(bytes("to peer"), -1, 5));
  sock->receiveWithTimeout(-1, 0);
  ASSERT_TRUE(pumpUntilReceived(1));
  EXPECT_EQ(log.received[0].text, "to peer");
  EXPECT_EQ(connectedLog.sent, std::vector<int64_t>{5});

  // Connecting twice, or binding after connecting, is misuse.
  EXPECT_THROW(connected.connectToHost("127.0.0.1", 9), UdpSocketException);
  UdpSocket unbound(&connectedLog);
  ASSERT_TRUE(unbound.connectToHost("127.0.0.1", sock->localPort()));
  EXPECT_THROW(unbound.bindToPort(0), UdpSocketException);
}

TEST_F(UdpSocketTest, ConnectedSocketDropsADatagramFromAnotherSender) {
  Recorder peerLog;
  auto peer = boundSocket(&peerLog);
  // The stranger's datagram is queued before the connect, so the system still hands it over.
  sendToSock("stranger");
  ASSERT_TRUE(pump([&] { return senderLog.sent.size() == 1; }));
  ASSERT_TRUE(sock->connectToHost("127.0.0.1", peer->localPort()));

  sock->receiveWithTimeout(5, 1);
  settle();
  EXPECT_TRUE(log.received.empty());  // dropped without a word; the receive goes on waiting
  EXPECT_TRUE(log.notReceived.empty());

  peer->sendData(bytes("peer"), "127.0.0.1", sock->localPort(), -1, 0);
  ASSERT_TRUE(pumpUntilReceived(1));
  EXPECT_EQ(log.received[0].text, "peer");
  EXPECT_EQ(log.received[0].tag, 1);
}

TEST_F(UdpSocketTest, DeclinedDatagramLeavesTheReceiveForTheNextOne) {
  log.onReceive = [&](UdpSocket&) { return log.received.size() > 1; };
  sendToSock("first");
  sendToSock("second");
  ASSERT_TRUE(pump([&] { return senderLog.sent.size() == 2; }));
  sock->receiveWithTimeout(-1, 4);
  sock->receiveWithTimeout(1.0, 5);
  ASSERT_TRUE(pumpUntilReceived(2));
  EXPECT_EQ(log.received[0].text, "first");
  EXPECT_EQ(log.received[1].text, "second");
  EXPECT_EQ(log.received[0].tag, 4);
  EXPECT_EQ(log.received[1].tag, 4);
  time.advance(1.5);  // the next receive is now current and finds nothing
  EXPECT_EQ(log.notReceived, std::vector<int64_t>{5});
}

TEST_F(UdpSocketTest, DelegateMayDestroyTheSocketFromACallback) {
  log.onReceive = [&](UdpSocket&) {
    sock.reset();
    return true;
  };
  sendToSock("bye");
  sock->receiveWithTimeout(1, 0);
  sock->receiveWithTimeout(1, 1);
  ASSERT_TRUE(pump([&] { return !sock; }));
  time.advance(2);
  EXPECT_EQ(log.received.size(), 1u);
  EXPECT_TRUE(log.notReceived.empty());
  EXPECT_EQ(log.closes, 0);  // a destroyed socket reports no close
}

TEST_F(UdpSocketTest, MisuseRaisesAndBadInputFailsWithItsError) {
  EXPECT_THROW(sock->bindToPort(0), UdpSocketException);                     // bound twice
  EXPECT_THROW(sender.joinMulticastGroup("239.1.2.3"), UdpSocketException);  // not bound
  UdpSocketError error;
  EXPECT_FALSE(sender.connectToAddress(Bytes(5, 0), &error));
  EXPECT_EQ(error.code, UdpSocketError::kBadParamError);
  EXPECT_FALSE(sender.connectToHost("", 80, &error));
  EXPECT_EQ(error.domain, "kCFStreamErrorDomainNetDB");
  EXPECT_FALSE(sender.sendData(bytes("x"), "", 80, -1, 0));
  EXPECT_FALSE(sender.sendData(bytes("x"), Bytes(7, 0), -1, 0));

  // An IPv6 group does not match the IPv4 socket left by binding to 127.0.0.1.
  EXPECT_FALSE(sock->joinMulticastGroup("ff02::1", &error));
  EXPECT_EQ(error.code, UdpSocketError::kBadParamError);

  sock->close();
  EXPECT_THROW(sock->connectToHost("127.0.0.1", 9), UdpSocketException);
}

TEST_F(UdpSocketTest, ClosingReportsEveryCloseAndRefusesNewWork) {
  sock->receiveWithTimeout(1, 0);
  sock->close();
  EXPECT_TRUE(sock->isClosed());
  EXPECT_FALSE(sock->isIPv4());
  EXPECT_EQ(log.closes, 0);  // reported from the run loop
  sock->close();
  settle();
  EXPECT_EQ(log.closes, 2);
  time.advance(2);
  EXPECT_TRUE(log.notReceived.empty());  // the dropped receive does not time out later
  sock->receiveWithTimeout(1, 0);
  sock->closeAfterSending();
  settle();
  EXPECT_EQ(log.closes, 2);
}

TEST_F(UdpSocketTest, CloseAfterSendingWaitsForTheLastReceiveAndSend) {
  sock->receiveWithTimeout(-1, 1);
  sock->closeAfterSendingAndReceiving();
  settle();
  EXPECT_FALSE(sock->isClosed());  // a receive is still current
  sendToSock("last");
  ASSERT_TRUE(pump([&] { return log.closes == 1; }));
  EXPECT_EQ(log.received.size(), 1u);

  sender.sendData(bytes("a"), "127.0.0.1", 9, -1, 1);
  sender.sendData(bytes("b"), "127.0.0.1", 9, -1, 2);
  sender.closeAfterSending();
  EXPECT_FALSE(sender.sendData(bytes("c"), "127.0.0.1", 9, -1, 3));
  sender.receiveWithTimeout(-1, 0);  // refused as well
  ASSERT_TRUE(pump([&] { return senderLog.closes == 1; }));
  EXPECT_EQ(senderLog.sent, (std::vector<int64_t>{0, 1, 2}));
  EXPECT_TRUE(sender.isClosed());
  settle();
  EXPECT_EQ(senderLog.closes, 1);
}

TEST_F(UdpSocketTest, BothFamiliesShareOnePortAndBroadcastNeedsEnabling) {
  Recorder anyLog;
  UdpSocket any(&anyLog);
  ASSERT_TRUE(any.bindToPort(0));
  ASSERT_TRUE(any.isIPv4());
  ASSERT_TRUE(any.isIPv6());
  EXPECT_EQ(any.maximumTransmissionUnit(), 0u);  // the any-address names no interface
  auto sender6 = UdpSocket::initIPv6();
  sender6->setDelegate(&senderLog);
  EXPECT_FALSE(sender6->sendData(bytes("x"), "127.0.0.1", any.localPort(), -1, 0));
  EXPECT_TRUE(sender6->sendData(bytes("over six"), "::1", any.localPort(), -1, 0));
  any.receiveWithTimeout(-1, 6);
  ASSERT_TRUE(pump([&] { return anyLog.received.size() == 1; }));
  EXPECT_EQ(anyLog.received[0].text, "over six");
  EXPECT_EQ(anyLog.received[0].host, "::1");
  EXPECT_EQ(anyLog.received[0].port, sender6->localPort());

  // 127.255.255.255 is the loopback network's broadcast address: the datagram never leaves lo.
  Recorder broadcastLog;
  auto broadcaster = UdpSocket::initIPv4();
  broadcaster->setDelegate(&broadcastLog);
  ASSERT_TRUE(broadcaster->enableBroadcast(false));
  broadcaster->sendData(bytes("refused"), "127.255.255.255", any.localPort(), -1, 1);
  ASSERT_TRUE(pump([&] { return broadcastLog.notSent.size() == 1; }));
  EXPECT_EQ(broadcastLog.errors[0].domain, "NSPOSIXErrorDomain");
  EXPECT_EQ(broadcastLog.errors[0].code, EACCES);

  ASSERT_TRUE(broadcaster->enableBroadcast(true));
  broadcaster->sendData(bytes("to all"), "127.255.255.255", any.localPort(), -1, 2);
  any.receiveWithTimeout(-1, 0);
  ASSERT_TRUE(pump([&] { return anyLog.received.size() == 2; }));
  EXPECT_EQ(anyLog.received[1].text, "to all");
  EXPECT_EQ(broadcastLog.sent, std::vector<int64_t>{2});
}

TEST_F(UdpSocketTest, RunLoopModesDecideWhereTheSocketIsServed) {
  EXPECT_FALSE(sock->setRunLoopModes({}));
  ASSERT_TRUE(sock->setRunLoopModes({plat::kTrackingRunLoopMode}));
  sock->receiveWithTimeout(5, 1);
  sendToSock("tracked");
  ASSERT_TRUE(pump([&] { return senderLog.sent.size() == 1; }));
  settle();
  EXPECT_TRUE(log.received.empty());  // the default mode does not serve it
  plat::RunLoop::main().runUntil([&] { return log.received.size() == 1; }, testsupport::kPatience,
                                 plat::kTrackingRunLoopMode);
  ASSERT_EQ(log.received.size(), 1u);

  // A time-out keeps its date when the modes change.
  sock->receiveWithTimeout(5, 2);
  plat::RunLoop::main().advance(3, plat::kTrackingRunLoopMode);
  ASSERT_TRUE(sock->setRunLoopModes({plat::kDefaultRunLoopMode, plat::kTrackingRunLoopMode}));
  time.advance(1.9);
  EXPECT_TRUE(log.notReceived.empty());
  time.advance(0.2);
  EXPECT_EQ(log.notReceived, std::vector<int64_t>{2});
}

TEST_F(UdpSocketTest, MovedSocketIsServedByTheOtherThread) {
  const uint16_t port = sock->localPort();
  EXPECT_FALSE(sock->moveToRunLoop(nullptr));
  EXPECT_TRUE(sock->moveToRunLoop(&plat::RunLoop::current()));

  std::atomic<plat::RunLoop*> other{nullptr};
  std::atomic<bool> done{false};
  std::thread::id receivedOn;
  std::thread worker([&] {
    other = &plat::RunLoop::current();
    other.load()->runUntil([&] { return done.load(); }, testsupport::kPatience);
    sock.reset();  // the socket now belongs to this thread's loop
  });
  while (!other.load()) std::this_thread::yield();
  ASSERT_TRUE(sock->moveToRunLoop(other.load()));
  log.onReceive = [&](UdpSocket&) {
    receivedOn = std::this_thread::get_id();
    done = true;
    return true;
  };
  other.load()->perform([&] { sock->receiveWithTimeout(-1, 1); });
  sender.sendData(bytes("elsewhere"), "127.0.0.1", port, -1, 0);
  pump([&] { return done.load(); });
  const std::thread::id workerId = worker.get_id();
  worker.join();
  EXPECT_EQ(receivedOn, workerId);
  ASSERT_EQ(log.received.size(), 1u);
  EXPECT_EQ(log.received[0].text, "elsewhere");
}

// A socket bound to every address joins a group on the loopback interface and receives what a
// plain socket (which can pick loopback as its multicast interface) sends to the group, and
// nothing of a group it did not join.
TEST_F(UdpSocketTest, JoinsAMulticastGroupOnLoopbackAndHearsIt) {
  Recorder groupLog;
  UdpSocket member(&groupLog);
  UdpSocketError error;
  ASSERT_TRUE(member.bindToPort(0, &error)) << error.localizedDescription;
  ASSERT_TRUE(member.joinMulticastGroup("239.1.2.3", "127.0.0.1", &error))
      << error.localizedDescription;
  EXPECT_TRUE(member.isIPv4());
  EXPECT_FALSE(member.isIPv6());  // the group's family is kept, the other socket closed

  int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(fd, 0);
  in_addr loopback{};
  inet_pton(AF_INET, "127.0.0.1", &loopback);
  ASSERT_EQ(::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &loopback, sizeof loopback), 0);
  auto sendTo = [&](const char* group, const std::string& text) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(member.localPort());
    inet_pton(AF_INET, group, &to.sin_addr);
    return ::sendto(fd, text.data(), text.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  };
  ASSERT_EQ(sendTo("239.9.9.9", "not for us"), 10);
  ASSERT_EQ(sendTo("239.1.2.3", "to the group"), 12);
  member.receiveWithTimeout(-1, 7);
  ASSERT_TRUE(pump([&] { return !groupLog.received.empty(); }));
  EXPECT_EQ(groupLog.received[0].text, "to the group");
  EXPECT_EQ(groupLog.received[0].tag, 7);
  EXPECT_EQ(groupLog.received[0].host, "127.0.0.1");
  ::close(fd);
}
