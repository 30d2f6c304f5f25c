#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include "sockets/TcpSocket.h"
#include "tests/sockets/TcpTestDelegate.h"
#include "tests/support/TestCertificate.h"

namespace sockets {
namespace {

using testing::bytes;
using testing::Recorder;
using testing::run;

using TcpReadWrite = testing::LoopbackPair;
using Reads = std::vector<std::pair<int64_t, std::string>>;

TEST_F(TcpReadWrite, TerminatorSplitAcrossArrivalsIsFound) {
  TcpData term = bytes("<END>");
  server->readDataToData(term, -1, 1);
  client->writeData(bytes("abc<E"), -1, 1);
  ASSERT_TRUE(run([&] { return !serverLog.partialReads.empty(); }));
  EXPECT_TRUE(serverLog.reads.empty());
  client->writeData(bytes("ND>next<EN"), -1, 2);
  server->readDataToData(term, -1, 2);
  ASSERT_TRUE(run([&] { return serverLog.reads.size() == 1; }));
  // The second read starts from the pre-buffer, its terminator completed by the next arrival.
  client->writeData(bytes("D>"), -1, 3);
  ASSERT_TRUE(run([&] { return serverLog.reads.size() == 2; }));
  EXPECT_EQ(serverLog.reads, (Reads{{1, "abc<END>"}, {2, "next<END>"}}));
}

TEST_F(TcpReadWrite, PreBufferedBytesServeTheNextReadFirst) {
  client->writeData(bytes("one\ntwo\nthree\nfour"), -1, 1);
  ASSERT_TRUE(run([&] { return !clientLog.writes.empty(); }));
  server->readDataToData(TcpSocket::LFData(), -1, 1);
  ASSERT_TRUE(run([&] { return serverLog.reads.size() == 1; }));
  // Everything came in one step; the rest waits in the pre-buffer.
  server->readDataToData(TcpSocket::LFData(), -1, 2);
  server->readDataToLength(5, -1, 3);
  ASSERT_TRUE(run([&] { return serverLog.reads.size() == 3; }));
  EXPECT_EQ(serverLog.reads, (Reads{{1, "one\n"}, {2, "two\n"}, {3, "three"}}));
  // At the peer's end the bytes nobody asked for are still handed over.
  client->close();
  ASSERT_TRUE(run([&] { return serverLog.didDisconnect == 1; }));
  EXPECT_FALSE(serverLog.disconnectError);
  ASSERT_TRUE(serverLog.unreadAtDisconnect);
  EXPECT_EQ(testing::text(*serverLog.unreadAtDisconnect), "\nfour");
}

TEST_F(TcpReadWrite, ReadIntoCallerBufferKeepsWhatIsBeforeTheOffset) {
  auto buffer = std::make_shared<TcpData>(bytes("keep"));
  server->readDataToLength(6, 1.0, buffer, 2, 1);
  client->writeData(bytes("abcdef"), -1, 1);
  ASSERT_TRUE(run([&] { return serverLog.reads.size() == 1; }));
  EXPECT_EQ(serverLog.reads[0].second, "abcdef");
  EXPECT_EQ(testing::text(*buffer), "keabcdef");
  time.advance(10);  // the completed read left no timer behind
  EXPECT_TRUE(serverLog.readTimeoutQuestions.empty());
  EXPECT_FALSE(serverLog.willDisconnect);

  auto bounded = std::make_shared<TcpData>(3);
  server->readDataWithTimeout(-1, bounded, 0, 1, 2);
  client->writeData(bytes("xyz"), -1, 2);
  ASSERT_TRUE(run([&] { return serverLog.reads.size() == 2; }));
  EXPECT_EQ(serverLog.reads[1].second, "x");  // the maximum holds even with bytes waiting
}

TEST_F(TcpReadWrite, LargeWriteArrivesWholeInChunksWithProgress) {
  TcpData big(3 * 1024 * 1024);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7 + i / 251);
  client->writeData(big, -1, 5);
  server->readDataToLength(big.size(), -1, 6);
  bool sawProgress = false;
  ASSERT_TRUE(run([&] {
    uint64_t done = 0, total = 0;
    float progress = server->progressOfReadReturningTag(nullptr, &done, &total);
    if (done > 0 && done < total && progress > 0 && progress < 1) sawProgress = true;
    return serverLog.reads.size() == 1;
  }));
  EXPECT_EQ(serverLog.reads[0].second, std::string(big.begin(), big.end()));
  EXPECT_FALSE(serverLog.partialReads.empty());
  EXPECT_TRUE(sawProgress);
  ASSERT_TRUE(run([&] { return clientLog.writes.size() == 1; }));
}

TEST_F(TcpReadWrite, MaximumReachedWithoutTerminatorClosesWithUnreadBytes) {
  server->readDataToData(TcpSocket::CRLFData(), -1, 8, 1);
  client->writeData(bytes("0123456789"), -1, 1);
  ASSERT_TRUE(run([&] { return serverLog.didDisconnect == 1; }));
  ASSERT_TRUE(serverLog.disconnectError);
  EXPECT_EQ(serverLog.disconnectError->code, 3);
  ASSERT_TRUE(serverLog.unreadAtDisconnect);
  EXPECT_EQ(testing::text(*serverLog.unreadAtDisconnect), "0123456789");
  EXPECT_TRUE(serverLog.reads.empty());
  EXPECT_EQ(serverLog.events, (std::vector<std::string>{"willDisconnect", "didDisconnect"}));
}

TEST_F(TcpReadWrite, ReadTimeOutAsksTheDelegateAndCanBeExtended) {
  serverLog.readTimeoutAnswer = 5.0;
  server->readDataToLength(10, 2.0, 1);
  client->writeData(bytes("abc"), -1, 1);
  ASSERT_TRUE(run([&] { return !serverLog.partialReads.empty(); }));
  time.advance(2.0);
  ASSERT_EQ(serverLog.readTimeoutQuestions.size(), 1u);
  EXPECT_EQ(serverLog.readTimeoutQuestions[0], (std::pair<double, uint64_t>{2.0, 3}));
  EXPECT_FALSE(serverLog.willDisconnect);
  serverLog.readTimeoutAnswer = 0;
  time.advance(4.9);
  EXPECT_EQ(serverLog.readTimeoutQuestions.size(), 1u);
  time.advance(0.1);
  ASSERT_EQ(serverLog.readTimeoutQuestions.size(), 2u);
  EXPECT_EQ(serverLog.readTimeoutQuestions[1].first, 7.0);
  ASSERT_TRUE(serverLog.disconnectError);
  EXPECT_EQ(serverLog.disconnectError->code, 4);
  EXPECT_EQ(testing::text(*serverLog.unreadAtDisconnect), "abc");
}

TEST_F(TcpReadWrite, WriteToAPeerThatNeverReadsTimesOut) {
  client->writeData(TcpData(64 * 1024 * 1024, 'x'), 1.0, 9);
  plat::RunLoop::main().runUntil([] { return false; }, 0.1);
  ASSERT_TRUE(clientLog.writes.empty());
  uint64_t done = 0;
  client->progressOfWriteReturningTag(nullptr, &done, nullptr);
  EXPECT_GT(done, 0u);
  time.advance(1.0);
  ASSERT_TRUE(clientLog.disconnectError);
  EXPECT_EQ(clientLog.disconnectError->code, 5);
}

TEST_F(TcpReadWrite, DisconnectAfterWritingWaitsForTheLastWrite) {
  client->writeData(bytes("first"), -1, 1);
  client->writeData(bytes("second"), -1, 2);
  client->disconnectAfterWriting();
  client->writeData(bytes("refused"), -1, 3);
  client->readDataWithTimeout(-1, 4);
  server->readDataToLength(11, -1, 1);
  ASSERT_TRUE(run([&] { return clientLog.didDisconnect == 1; }));
  EXPECT_EQ(clientLog.events,
            (std::vector<std::string>{"didWrite 1", "didWrite 2", "didDisconnect"}));
  ASSERT_TRUE(run([&] { return serverLog.reads.size() == 1; }));
  EXPECT_EQ(serverLog.reads[0].second, "firstsecond");
}

TEST_F(TcpReadWrite, DisconnectAfterReadingAndWritingDrainsBothDirections) {
  server->readDataToLength(4, -1, 1);
  server->writeData(bytes("reply"), -1, 2);
  server->disconnectAfterReadingAndWriting();
  client->readDataToLength(5, -1, 3);
  ASSERT_TRUE(run([&] { return clientLog.reads.size() == 1; }));
  EXPECT_EQ(serverLog.didDisconnect, 0);  // its read is still waiting
  client->writeData(bytes("ping"), -1, 4);
  ASSERT_TRUE(run([&] { return serverLog.didDisconnect == 1; }));
  EXPECT_EQ(serverLog.reads, (Reads{{1, "ping"}}));
}

// A delegate that lets go of its socket in the middle of a callback.
struct Dropper : testing::Recorder {
  std::shared_ptr<TcpSocket> held;
  void onSocket_didReadData_withTag(TcpSocket& socket, std::span<const uint8_t> data,
                                    int64_t tag) override {
    Recorder::onSocket_didReadData_withTag(socket, data, tag);
    held.reset();
  }
};

TEST_F(TcpReadWrite, DelegateMayReleaseTheSocketFromACallback) {
  Dropper dropper;
  dropper.held = server;
  server->setDelegate(&dropper);
  serverLog.accepted.clear();
  server.reset();
  dropper.held->readDataToLength(2, 5.0, 1);
  dropper.held->readDataToLength(2, 5.0, 2);
  client->writeData(bytes("abcd"), -1, 1);
  ASSERT_TRUE(run([&] { return !dropper.held; }));
  time.advance(10);
  EXPECT_EQ(dropper.reads.size(), 1u);
  EXPECT_EQ(dropper.didDisconnect, 1);
  ASSERT_TRUE(run([&] { return clientLog.didDisconnect == 1; }));
}

// ---- TLS between two of our sockets

class TcpTls : public testing::LoopbackPair {
 protected:
  testsupport::TestCertificate certificate;

  TcpTlsSettings serverSettings() const {
    TcpTlsSettings settings;
    settings.isServer = true;
    settings.certificateFile = certificate.certificatePath();
    settings.keyFile = certificate.keyPath();
    return settings;
  }
};

TEST_F(TcpTls, HandshakeSecuresBothEndsAndQueuedWorkFollowsIt) {
  // Work queued before and after the marker: the marker holds it until the handshake is done.
  client->writeData(bytes("plain\n"), -1, 1);
  server->readDataToData(TcpSocket::LFData(), -1, 1);
  server->startTLS(serverSettings());
  TcpTlsSettings clientSettings;
  clientSettings.caFile = certificate.caPath();
  clientSettings.peerName = "localhost";
  client->startTLS(clientSettings);
  client->writeData(bytes("secret\n"), -1, 2);
  server->readDataToData(TcpSocket::LFData(), -1, 2);
  server->writeData(bytes("answer"), -1, 3);
  client->readDataToLength(6, -1, 3);
  ASSERT_TRUE(run([&] { return serverLog.reads.size() == 2 && clientLog.reads.size() == 1; }));
  EXPECT_EQ(serverLog.secured, 1);
  EXPECT_EQ(clientLog.secured, 1);
  EXPECT_EQ(serverLog.reads, (Reads{{1, "plain\n"}, {2, "secret\n"}}));
  EXPECT_EQ(clientLog.reads[0].second, "answer");

  // A large exchange goes through the TLS records whole.
  TcpData big(300 * 1024);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i % 253);
  client->writeData(big, -1, 4);
  server->readDataToLength(big.size(), -1, 4);
  ASSERT_TRUE(run([&] { return serverLog.reads.size() == 3; }));
  EXPECT_EQ(serverLog.reads[2].second, std::string(big.begin(), big.end()));
}

// A client that starts TLS right after its last plain line: its first handshake bytes wait on
// the server's connection together with that line.
class TcpTlsHelloWaiting : public TcpTls {
 protected:
  TcpTlsHelloWaiting() {
    TcpTlsSettings settings;
    settings.caFile = certificate.caPath();
    settings.peerName = "localhost";
    client->writeData(bytes("plain\n"), -1, 1);
    client->startTLS(settings);
    int fd = server->getCFSocket()->native();
    EXPECT_TRUE(run([fd] {
      int waiting = 0;
      return ::ioctl(fd, FIONREAD, &waiting) == 0 && waiting > 6;
    }));
  }
};

// The delegate of one socket that starts TLS once its read is done.
struct StartsTlsAfterItsRead : Recorder {
  StartsTlsAfterItsRead(TcpSocket& socket, TcpTlsSettings settings)
      : socket(socket), settings(std::move(settings)) {
    socket.setDelegate(this);
  }
  ~StartsTlsAfterItsRead() override { socket.setDelegate(nullptr); }
  TcpSocket& socket;
  TcpTlsSettings settings;
  void onSocket_didReadData_withTag(TcpSocket& socket, std::span<const uint8_t> data,
                                    int64_t tag) override {
    Recorder::onSocket_didReadData_withTag(socket, data, tag);
    socket.startTLS(settings);
  }
};

TEST_F(TcpTlsHelloWaiting, LineReadBeforeAQueuedMarkerLeavesTheHandshakeItsBytes) {
  server->readDataToData(TcpSocket::LFData(), -1, 1);
  server->startTLS(serverSettings());
  ASSERT_TRUE(run([&] { return serverLog.secured == 1 && clientLog.secured == 1; }));
  EXPECT_EQ(serverLog.reads, (Reads{{1, "plain\n"}}));
}

TEST_F(TcpTlsHelloWaiting, MarkerQueuedAfterTheHandshakeBytesWereTakenFailsAtOnce) {
  StartsTlsAfterItsRead late(*server, serverSettings());
  server->readDataToData(TcpSocket::LFData(), -1, 1);
  ASSERT_TRUE(run([&] { return late.didDisconnect == 1; }));
  EXPECT_EQ(late.disconnectError->domain, kTcpSocketErrorDomain);
  EXPECT_EQ(late.disconnectError->code, -1);
}

TEST_F(TcpTls, PlainBytesTakenBeforeTheMarkerNeverPassForSecuredOnes) {
  TcpTlsSettings settings;
  settings.caFile = certificate.caPath();
  settings.peerName = "localhost";
  StartsTlsAfterItsRead late(*client, settings);
  server->writeData(bytes("go\nINJECTED"), -1, 1);
  server->startTLS(serverSettings());
  client->readDataToData(TcpSocket::LFData(), -1, 1);
  ASSERT_TRUE(run([&] { return late.didDisconnect == 1; }));
  EXPECT_EQ(late.disconnectError->domain, kTcpSocketErrorDomain);
  EXPECT_EQ(late.reads, (Reads{{1, "go\n"}}));
}

TEST_F(TcpTls, ServerWithoutItsKeyIsRefused) {
  TcpTlsSettings missing = serverSettings();
  missing.keyFile = "/nonexistent/key.pem";
  server->startTLS(missing);
  ASSERT_TRUE(run([&] { return serverLog.didDisconnect == 1; }));
  EXPECT_EQ(serverLog.disconnectError->code, -1);
}

}  // namespace
}  // namespace sockets
