#include <gtest/gtest.h>

#include "sockets/TcpSocket.h"
#include "tests/sockets/TcpTestDelegate.h"

namespace sockets {
namespace {

using testing::bytes;
using testing::LoopbackPair;

bool runIn(const std::string& mode, const std::function<bool()>& done, double seconds = 0.2) {
  return plat::RunLoop::main().runUntil(done, seconds, mode);
}

TEST(TcpRunLoop, SocketIsServedOnlyInItsModes) {
  LoopbackPair pair;
  auto& server = pair.listenerDelegate;
  ASSERT_TRUE(pair.server->setRunLoopModes({plat::kTrackingRunLoopMode}));
  pair.server->readDataToLength(4, -1, 1);
  pair.client->writeData(bytes("data"), -1, 1);
  EXPECT_FALSE(runIn(plat::kDefaultRunLoopMode, [&] { return !server.reads.empty(); }));
  EXPECT_TRUE(runIn(
      plat::kTrackingRunLoopMode, [&] { return !server.reads.empty(); }, 10));
  EXPECT_EQ(server.reads[0].second, "data");

  // Added back to the default mode and then taken out of tracking, it follows.
  ASSERT_TRUE(pair.server->addRunLoopMode(plat::kDefaultRunLoopMode));
  ASSERT_TRUE(pair.server->removeRunLoopMode(plat::kTrackingRunLoopMode));
  pair.server->readDataToLength(3, -1, 2);
  pair.client->writeData(bytes("abc"), -1, 2);
  EXPECT_FALSE(runIn(plat::kTrackingRunLoopMode, [&] { return server.reads.size() == 2; }));
  EXPECT_TRUE(LoopbackPair::run([&] { return server.reads.size() == 2; }));
}

TEST(TcpRunLoop, TimeOutsFireOnlyInTheSocketsModes) {
  LoopbackPair pair;
  auto& server = pair.listenerDelegate;
  ASSERT_TRUE(pair.server->setRunLoopModes({plat::kTrackingRunLoopMode}));
  pair.server->readDataToLength(4, 1.0, 1);
  ASSERT_TRUE(runIn(plat::kTrackingRunLoopMode, [&] {
    return pair.server->progressOfReadReturningTag(nullptr, nullptr, nullptr) == 0.0f;
  }));
  pair.time.advance(5);  // in the default mode
  EXPECT_FALSE(server.willDisconnect);
  EXPECT_TRUE(runIn(plat::kTrackingRunLoopMode, [&] { return server.willDisconnect; }));
  EXPECT_EQ(server.disconnectError->code, 4);
}

TEST(TcpRunLoop, ReadTimerSurvivesAModeChange) {
  LoopbackPair pair;
  auto& server = pair.listenerDelegate;
  pair.server->readDataToLength(4, 3.0, 1);
  // The read becomes current and its timer starts.
  ASSERT_TRUE(LoopbackPair::run(
      [&] { return pair.server->progressOfReadReturningTag(nullptr, nullptr, nullptr) == 0.0f; }));
  pair.time.advance(2);
  ASSERT_TRUE(pair.server->addRunLoopMode(plat::kTrackingRunLoopMode));
  ASSERT_TRUE(pair.server->removeRunLoopMode(plat::kTrackingRunLoopMode));
  pair.time.advance(0.9);
  EXPECT_FALSE(server.willDisconnect);
  pair.time.advance(0.1);
  ASSERT_TRUE(server.disconnectError);
  EXPECT_EQ(server.disconnectError->code, 4);
}

TEST(TcpRunLoop, MovingToTheSameLoopChangesNothing) {
  LoopbackPair pair;
  EXPECT_FALSE(pair.client->moveToRunLoop(nullptr));
  EXPECT_TRUE(pair.client->moveToRunLoop(&plat::RunLoop::main()));
  pair.client->writeData(bytes("still"), -1, 1);
  pair.server->readDataToLength(5, -1, 1);
  EXPECT_TRUE(LoopbackPair::run([&] { return pair.listenerDelegate.reads.size() == 1; }));
}

}  // namespace
}  // namespace sockets
