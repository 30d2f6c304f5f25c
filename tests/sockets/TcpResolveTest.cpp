// Connecting by name never waits for the name: with a lookup slowed down, connectToHost answers
// at once and the run loop's timers go on firing; an unknown name reaches the delegate as a
// lookup error; the connect time-out covers the lookup. Real time: the lookup's thread sleeps.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/base/RunLoop.h"
#include "platform/stream/Resolver.h"
#include "sockets/TcpSocket.h"
#include "tests/sockets/TcpTestDelegate.h"

namespace sockets {
namespace {

using testing::Recorder;
using testing::run;

class TcpResolve : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::RunLoop::setMainThread();
    plat::stream::setLookupFunction([this](const std::string& host, int port) {
      std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
      auto result = plat::stream::resolveBlocking(host, port);
      ++finishedLookups;
      return result;
    });
  }
  void TearDown() override {
    // The lookups still sleeping use this fixture; they end before it goes.
    run([&] { return finishedLookups == startedLookups; });
    plat::stream::setLookupFunction(nullptr);
    plat::RunLoop::main().discardAllSources();
  }
  bool connect(TcpSocket& socket, const std::string& host, uint16_t port, double timeout) {
    ++startedLookups;
    const auto before = std::chrono::steady_clock::now();
    const bool started = socket.connectToHost(host, port, timeout, nullptr);
    answeredWithin = std::chrono::steady_clock::now() - before;
    return started;
  }

  int delayMs = 300;
  std::atomic<int> finishedLookups{0};
  int startedLookups = 0;
  std::chrono::steady_clock::duration answeredWithin{};
};

TEST_F(TcpResolve, ASlowLookupLeavesTheRunLoopRunning) {
  Recorder serverLog, clientLog;
  auto listener = TcpSocket::create(&serverLog);
  ASSERT_TRUE(listener->acceptOnInterface("127.0.0.1", 0));
  int ticks = 0;
  auto timer = plat::Timer::scheduled(0.02, true, [&](plat::Timer&) { ++ticks; });
  auto client = TcpSocket::create(&clientLog);
  ASSERT_TRUE(connect(*client, "localhost", listener->localPort(), 5));
  EXPECT_LT(answeredWithin, std::chrono::milliseconds(100));
  ASSERT_TRUE(run([&] { return clientLog.connected || clientLog.willDisconnect; }));
  timer->invalidate();
  EXPECT_TRUE(clientLog.connected);
  EXPECT_EQ(clientLog.connectedHost, "127.0.0.1");
  EXPECT_GE(ticks, 5);  // the timer went on while the name was looked up
}

TEST_F(TcpResolve, AnUnknownNameReachesTheDelegateAfterConnectAnsweredYes) {
  delayMs = 10;
  Recorder log;
  auto client = TcpSocket::create(&log);
  ASSERT_TRUE(connect(*client, "no-such-host.invalid", 80, -1));
  ASSERT_TRUE(run([&] { return log.didDisconnect > 0; }));
  ASSERT_TRUE(log.disconnectError);
  EXPECT_EQ(log.disconnectError->domain, "kCFStreamErrorDomainNetDB");
  EXPECT_FALSE(log.connected);
}

TEST_F(TcpResolve, TheConnectTimeOutCoversTheLookup) {
  delayMs = 1500;
  Recorder log;
  auto client = TcpSocket::create(&log);
  ASSERT_TRUE(connect(*client, "localhost", 9, 0.2));
  ASSERT_TRUE(run([&] { return log.didDisconnect > 0; }));
  ASSERT_TRUE(log.disconnectError);
  EXPECT_EQ(log.disconnectError->code, 2);
  EXPECT_LT(finishedLookups.load(), 1);  // it ended before the lookup did
}

}  // namespace
}  // namespace sockets
