#include <gtest/gtest.h>

#include "sockets/TcpSocket.h"
#include "tests/sockets/TcpTestDelegate.h"

namespace sockets {
namespace {

using testing::bytes;
using testing::LoopbackPair;
using testing::Recorder;

using Reads = std::vector<std::pair<int64_t, std::string>>;

TEST(TcpReadWrite, TerminatorSplitAcrossArrivalsIsFound) {
  LoopbackPair pair;
  Recorder& server = pair.listenerDelegate;
  TcpData term = bytes("<END>");
  pair.server->readDataToData(term, -1, 1);
  pair.client->writeData(bytes("abc<E"), -1, 1);
  ASSERT_TRUE(LoopbackPair::run([&] { return !server.partialReads.empty(); }));
  EXPECT_TRUE(server.reads.empty());
  pair.client->writeData(bytes("ND>next<EN"), -1, 2);
  pair.server->readDataToData(term, -1, 2);
  ASSERT_TRUE(LoopbackPair::run([&] { return server.reads.size() == 1; }));
  // The second read starts from the pre-buffer, its terminator completed by the next arrival.
  pair.client->writeData(bytes("D>"), -1, 3);
  ASSERT_TRUE(LoopbackPair::run([&] { return server.reads.size() == 2; }));
  EXPECT_EQ(server.reads, (Reads{{1, "abc<END>"}, {2, "next<END>"}}));
}

TEST(TcpReadWrite, PreBufferedBytesServeTheNextReadFirst) {
  LoopbackPair pair;
  Recorder& server = pair.listenerDelegate;
  pair.client->writeData(bytes("one\ntwo\nthree\nfour"), -1, 1);
  ASSERT_TRUE(LoopbackPair::run([&] { return !pair.clientDelegate.writes.empty(); }));
  pair.server->readDataToData(TcpSocket::LFData(), -1, 1);
  ASSERT_TRUE(LoopbackPair::run([&] { return server.reads.size() == 1; }));
  // Everything came in one step; the rest waits in the pre-buffer.
  pair.server->readDataToData(TcpSocket::LFData(), -1, 2);
  pair.server->readDataToLength(5, -1, 3);
  ASSERT_TRUE(LoopbackPair::run([&] { return server.reads.size() == 3; }));
  EXPECT_EQ(server.reads, (Reads{{1, "one\n"}, {2, "two\n"}, {3, "three"}}));
  // At the peer's end the bytes nobody asked for are still handed over.
  pair.client->close();
  ASSERT_TRUE(LoopbackPair::run([&] { return server.didDisconnect == 1; }));
  EXPECT_FALSE(server.disconnectError);
  ASSERT_TRUE(server.unreadAtDisconnect);
  EXPECT_EQ(testing::text(*server.unreadAtDisconnect), "\nfour");
}

TEST(TcpReadWrite, ReadIntoCallerBufferKeepsWhatIsBeforeTheOffset) {
  LoopbackPair pair;
  auto buffer = std::make_shared<TcpData>(bytes("keep"));
  pair.server->readDataToLength(6, 1.0, buffer, 2, 1);
  pair.client->writeData(bytes("abcdef"), -1, 1);
  Recorder& server = pair.listenerDelegate;
  ASSERT_TRUE(LoopbackPair::run([&] { return server.reads.size() == 1; }));
  EXPECT_EQ(server.reads[0].second, "abcdef");
  EXPECT_EQ(testing::text(*buffer), "keabcdef");
  pair.time.advance(10);  // the completed read left no timer behind
  EXPECT_TRUE(server.readTimeoutQuestions.empty());
  EXPECT_FALSE(server.willDisconnect);

  auto bounded = std::make_shared<TcpData>(3);
  pair.server->readDataWithTimeout(-1, bounded, 0, 1, 2);
  pair.client->writeData(bytes("xyz"), -1, 2);
  ASSERT_TRUE(LoopbackPair::run([&] { return server.reads.size() == 2; }));
  EXPECT_EQ(server.reads[1].second, "x");  // the maximum holds even with bytes waiting
}

TEST(TcpReadWrite, LargeWriteArrivesWholeInChunksWithProgress) {
  LoopbackPair pair;
  TcpData big(3 * 1024 * 1024);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7 + i / 251);
  pair.client->writeData(big, -1, 5);
  pair.server->readDataToLength(big.size(), -1, 6);
  Recorder& server = pair.listenerDelegate;
  bool sawProgress = false;
  ASSERT_TRUE(LoopbackPair::run([&] {
    uint64_t done = 0, total = 0;
    float progress = pair.server->progressOfReadReturningTag(nullptr, &done, &total);
    if (done > 0 && done < total && progress > 0 && progress < 1) sawProgress = true;
    return server.reads.size() == 1;
  }));
  EXPECT_EQ(server.reads[0].second, std::string(big.begin(), big.end()));
  EXPECT_FALSE(server.partialReads.empty());
  EXPECT_TRUE(sawProgress);
  ASSERT_TRUE(LoopbackPair::run([&] { return pair.clientDelegate.writes.size() == 1; }));
}

TEST(TcpReadWrite, MaximumReachedWithoutTerminatorClosesWithUnreadBytes) {
  LoopbackPair pair;
  Recorder& server = pair.listenerDelegate;
  pair.server->readDataToData(TcpSocket::CRLFData(), -1, 8, 1);
  pair.client->writeData(bytes("0123456789"), -1, 1);
  ASSERT_TRUE(LoopbackPair::run([&] { return server.didDisconnect == 1; }));
  ASSERT_TRUE(server.disconnectError);
  EXPECT_EQ(server.disconnectError->code, 3);
  ASSERT_TRUE(server.unreadAtDisconnect);
  EXPECT_EQ(testing::text(*server.unreadAtDisconnect), "0123456789");
  EXPECT_TRUE(server.reads.empty());
  EXPECT_EQ(server.events, (std::vector<std::string>{"willDisconnect", "didDisconnect"}));
}

TEST(TcpReadWrite, ReadTimeOutAsksTheDelegateAndCanBeExtended) {
  LoopbackPair pair;
  Recorder& server = pair.listenerDelegate;
  server.readTimeoutAnswer = 5.0;
  pair.server->readDataToLength(10, 2.0, 1);
  pair.client->writeData(bytes("abc"), -1, 1);
  ASSERT_TRUE(LoopbackPair::run([&] { return !server.partialReads.empty(); }));
  pair.time.advance(2.0);
  ASSERT_EQ(server.readTimeoutQuestions.size(), 1u);
  EXPECT_EQ(server.readTimeoutQuestions[0], (std::pair<double, uint64_t>{2.0, 3}));
  EXPECT_FALSE(server.willDisconnect);
  server.readTimeoutAnswer = 0;
  pair.time.advance(4.9);
  EXPECT_EQ(server.readTimeoutQuestions.size(), 1u);
  pair.time.advance(0.1);
  ASSERT_EQ(server.readTimeoutQuestions.size(), 2u);
  EXPECT_EQ(server.readTimeoutQuestions[1].first, 7.0);
  ASSERT_TRUE(server.disconnectError);
  EXPECT_EQ(server.disconnectError->code, 4);
  EXPECT_EQ(testing::text(*server.unreadAtDisconnect), "abc");
}

TEST(TcpReadWrite, WriteToAPeerThatNeverReadsTimesOut) {
  LoopbackPair pair;
  pair.client->writeData(TcpData(64 * 1024 * 1024, 'x'), 1.0, 9);
  plat::RunLoop::main().runUntil([] { return false; }, 0.1);
  ASSERT_TRUE(pair.clientDelegate.writes.empty());
  uint64_t done = 0;
  pair.client->progressOfWriteReturningTag(nullptr, &done, nullptr);
  EXPECT_GT(done, 0u);
  pair.time.advance(1.0);
  ASSERT_TRUE(pair.clientDelegate.disconnectError);
  EXPECT_EQ(pair.clientDelegate.disconnectError->code, 5);
}

TEST(TcpReadWrite, DisconnectAfterWritingWaitsForTheLastWrite) {
  LoopbackPair pair;
  Recorder& client = pair.clientDelegate;
  pair.client->writeData(bytes("first"), -1, 1);
  pair.client->writeData(bytes("second"), -1, 2);
  pair.client->disconnectAfterWriting();
  pair.client->writeData(bytes("refused"), -1, 3);
  pair.client->readDataWithTimeout(-1, 4);
  pair.server->readDataToLength(11, -1, 1);
  ASSERT_TRUE(LoopbackPair::run([&] { return client.didDisconnect == 1; }));
  EXPECT_EQ(client.events, (std::vector<std::string>{"didWrite 1", "didWrite 2", "didDisconnect"}));
  ASSERT_TRUE(LoopbackPair::run([&] { return pair.listenerDelegate.reads.size() == 1; }));
  EXPECT_EQ(pair.listenerDelegate.reads[0].second, "firstsecond");
}

TEST(TcpReadWrite, DisconnectAfterReadingAndWritingDrainsBothDirections) {
  LoopbackPair pair;
  Recorder& server = pair.listenerDelegate;
  pair.server->readDataToLength(4, -1, 1);
  pair.server->writeData(bytes("reply"), -1, 2);
  pair.server->disconnectAfterReadingAndWriting();
  pair.client->readDataToLength(5, -1, 3);
  ASSERT_TRUE(LoopbackPair::run([&] { return pair.clientDelegate.reads.size() == 1; }));
  EXPECT_EQ(server.didDisconnect, 0);  // its read is still waiting
  pair.client->writeData(bytes("ping"), -1, 4);
  ASSERT_TRUE(LoopbackPair::run([&] { return server.didDisconnect == 1; }));
  EXPECT_EQ(server.reads, (Reads{{1, "ping"}}));
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

TEST(TcpReadWrite, DelegateMayReleaseTheSocketFromACallback) {
  LoopbackPair pair;
  Dropper dropper;
  dropper.held = pair.server;
  pair.server->setDelegate(&dropper);
  pair.listenerDelegate.accepted.clear();
  pair.server.reset();
  dropper.held->readDataToLength(2, 5.0, 1);
  dropper.held->readDataToLength(2, 5.0, 2);
  pair.client->writeData(bytes("abcd"), -1, 1);
  ASSERT_TRUE(LoopbackPair::run([&] { return !dropper.held; }));
  pair.time.advance(10);
  EXPECT_EQ(dropper.reads.size(), 1u);
  EXPECT_EQ(dropper.didDisconnect, 1);
  ASSERT_TRUE(LoopbackPair::run([&] { return pair.clientDelegate.didDisconnect == 1; }));
}

}  // namespace
}  // namespace sockets
