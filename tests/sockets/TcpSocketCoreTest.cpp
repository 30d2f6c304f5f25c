#include <gtest/gtest.h>

#include "platform/base/NamedException.h"
#include "sockets/TcpSocket.h"
#include "tests/sockets/TcpTestDelegate.h"

namespace sockets {
namespace {

using testing::bytes;
using testing::Recorder;

TEST(TcpSocketCore, BadPacketsAreRefusedQueuedOnesPinTheDelegateAndMisuseRaises) {
  testsupport::VirtualTime time;
  auto socket = TcpSocket::create();
  EXPECT_TRUE(socket->canSafelySetDelegate());
  socket->readDataToLength(0, -1, 1);                       // refused: no length
  socket->writeData({}, -1, 2);                             // refused: nothing to write
  socket->readDataToData({}, -1, 3);                        // refused: no terminator
  socket->readDataToData(TcpSocket::CRLFData(), -1, 1, 4);  // refused: maximum below terminator
  socket->readDataWithTimeout(-1, std::make_shared<TcpData>(2), 3, 5);  // offset beyond buffer
  EXPECT_TRUE(socket->canSafelySetDelegate());
  socket->readDataToLength(4, -1, 6);
  EXPECT_FALSE(socket->canSafelySetDelegate());

  // Misuse raises.
  socket = TcpSocket::create();
  EXPECT_THROW(socket->acceptOnPort(0), plat::NamedException);  // no delegate
  Recorder delegate;
  socket->setDelegate(&delegate);
  ASSERT_TRUE(socket->acceptOnInterface("127.0.0.1", 0));
  EXPECT_THROW(socket->connectToHost("127.0.0.1", 1), plat::NamedException);  // accepting
  EXPECT_THROW(TcpSocket::hostFromAddress4(TcpData(2)), plat::NamedException);
  socket->close();
  EXPECT_EQ(delegate.didDisconnect, 1);
}

// ---- How far one step of a read may go

TcpReadPacket termPacket(const std::string& term, const std::string& done, uint64_t max = 0) {
  TcpData t = bytes(term);
  TcpReadPacket packet(nullptr, 0, max, -1, 0, &t, 0);
  *packet.buffer = bytes(done);
  packet.bytesDone = done.size();
  return packet;
}

TEST(TcpReadPacket, TerminatorStepsNeverReadPastThePartialTerminator) {
  EXPECT_EQ(termPacket("\r\n", "").readLengthForTerm(), 2u);
  EXPECT_EQ(termPacket("\r\n", "abc").readLengthForTerm(), 2u);
  EXPECT_EQ(termPacket("\r\n", "abc\r").readLengthForTerm(), 1u);
  EXPECT_EQ(termPacket("ABAB", "xABA").readLengthForTerm(), 1u);
  EXPECT_EQ(termPacket("ABAB", "xAB").readLengthForTerm(), 2u);
  EXPECT_EQ(termPacket("ABAB", "xABAB", 6).readLengthForTerm(), 1u);  // clamped to the maximum
  EXPECT_EQ(termPacket("\r\n", "", 100).prebufferReadLengthForTerm(), 100u);
}

TEST(TcpReadPacket, PreBufferSearchFindsTerminatorsAcrossTheBoundary) {
  bool found = false;
  // Straddling: "\r" already read, "\n" first in the pre-buffer.
  EXPECT_EQ(termPacket("\r\n", "ab\r").readLengthForTermWithPreBuffer(bytes("\nrest"), found), 1u);
  EXPECT_TRUE(found);
  EXPECT_EQ(termPacket("\r\n", "ab").readLengthForTermWithPreBuffer(bytes("cd\r\nef"), found), 4u);
  EXPECT_TRUE(found);
  EXPECT_EQ(termPacket("\r\n", "ab").readLengthForTermWithPreBuffer(bytes("cd\r\n"), found), 4u);
  EXPECT_TRUE(found);  // ending exactly where the pre-buffer ends
  EXPECT_EQ(termPacket("\r\n", "ab").readLengthForTermWithPreBuffer(bytes("cdef"), found), 4u);
  EXPECT_FALSE(found);
  // Too few bytes for a terminator: take them all, found left alone.
  found = true;
  EXPECT_EQ(termPacket("END", "").readLengthForTermWithPreBuffer(bytes("EN"), found), 2u);
  EXPECT_TRUE(found);
  // A maximum bounds how much of the pre-buffer is taken and searched.
  EXPECT_EQ(termPacket("\r\n", "ab", 4).readLengthForTermWithPreBuffer(bytes("cd\r\n"), found), 2u);
  EXPECT_FALSE(found);
}

TEST(TcpReadPacket, SearchAfterPreBufferingCountsTheBytesBeyondTheTerminator) {
  EXPECT_EQ(termPacket("\r\n", "abc\r\nxyz").searchForTermAfterPreBuffering(9), 3);
  EXPECT_EQ(termPacket("\r\n", "abc\r\n").searchForTermAfterPreBuffering(1), 0);
  EXPECT_EQ(termPacket("\r\n", "abc\r\nxyz").searchForTermAfterPreBuffering(2), -1);
  EXPECT_EQ(termPacket("\r\n", "a").searchForTermAfterPreBuffering(1), -1);
}

}  // namespace
}  // namespace sockets
