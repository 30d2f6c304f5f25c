#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "sockets/TcpSocket.h"
#include "tests/sockets/TcpTestDelegate.h"

namespace sockets {
namespace {

using testing::bytes;
using testing::LoopbackPair;
using testing::Recorder;

bool runIn(const std::string& mode, const std::function<bool()>& done, double seconds = 0.2) {
  return plat::RunLoop::main().runUntil(done, seconds, mode);
}

TEST(TcpRunLoop, SocketIsServedOnlyInItsModesWhoseListNeverEmpties) {
  LoopbackPair pair;
  auto& server = pair.listenerDelegate;
  EXPECT_FALSE(pair.server->setRunLoopModes({}));
  EXPECT_FALSE(pair.server->removeRunLoopMode(plat::kDefaultRunLoopMode));
  EXPECT_TRUE(pair.server->removeRunLoopMode("absent"));
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
  EXPECT_EQ(pair.server->runLoopModes(), std::vector<std::string>{plat::kDefaultRunLoopMode});
  pair.server->readDataToLength(3, -1, 2);
  pair.client->writeData(bytes("abc"), -1, 2);
  EXPECT_FALSE(runIn(plat::kTrackingRunLoopMode, [&] { return server.reads.size() == 2; }));
  EXPECT_TRUE(LoopbackPair::run([&] { return server.reads.size() == 2; }));
}

TEST(TcpRunLoop, TimeOutsFireOnlyInTheSocketsModesAndKeepTheirDateAcrossChanges) {
  LoopbackPair pair;
  auto& server = pair.listenerDelegate;
  ASSERT_TRUE(pair.server->setRunLoopModes({plat::kTrackingRunLoopMode}));
  pair.server->readDataToLength(4, 3.0, 1);
  ASSERT_TRUE(runIn(plat::kTrackingRunLoopMode, [&] {
    return pair.server->progressOfReadReturningTag(nullptr, nullptr, nullptr) == 0.0f;
  }));
  pair.time.advance(5);  // in the default mode
  EXPECT_FALSE(server.willDisconnect);
  // Back in the default mode, the read's timer is due at once.
  ASSERT_TRUE(pair.server->addRunLoopMode(plat::kDefaultRunLoopMode));
  ASSERT_TRUE(pair.server->removeRunLoopMode(plat::kTrackingRunLoopMode));
  pair.time.advance(0.1);
  ASSERT_TRUE(server.disconnectError);
  EXPECT_EQ(server.disconnectError->code, 4);
}

// Reads the client hears of on the thread that serves it.
struct ThreadRecorder : Recorder {
  std::atomic<bool> done{false};
  std::thread::id readOn;
  void onSocket_didReadData_withTag(TcpSocket& socket, std::span<const uint8_t> data,
                                    int64_t tag) override {
    Recorder::onSocket_didReadData_withTag(socket, data, tag);
    readOn = std::this_thread::get_id();
    done = true;
  }
};

TEST(TcpRunLoop, MovedSocketIsServedByTheOtherThread) {
  LoopbackPair pair;
  ThreadRecorder delegate;
  auto client = TcpSocket::create(&delegate);
  ASSERT_TRUE(client->connectToHost("127.0.0.1", pair.listener->localPort()));
  EXPECT_FALSE(client->moveToRunLoop(nullptr));
  EXPECT_TRUE(client->moveToRunLoop(&plat::RunLoop::main()));  // changes nothing
  ASSERT_TRUE(LoopbackPair::run(
      [&] { return delegate.connected && pair.listenerDelegate.accepted.size() == 2; }));
  auto server = pair.listenerDelegate.accepted[1];

  std::atomic<plat::RunLoop*> other{nullptr};
  std::thread worker([&] {
    other = &plat::RunLoop::current();
    other.load()->runUntil([&] { return delegate.done.load(); }, 10.0);
    client.reset();  // the socket now belongs to this thread's loop
  });
  while (!other.load()) std::this_thread::yield();
  ASSERT_TRUE(client->moveToRunLoop(other.load()));
  other.load()->perform([&] { client->readDataToLength(5, -1, 1); });
  server->writeData(bytes("there"), -1, 1);
  EXPECT_TRUE(LoopbackPair::run([&] { return delegate.done.load(); }));
  std::thread::id workerId = worker.get_id();
  worker.join();
  EXPECT_EQ(delegate.readOn, workerId);
  ASSERT_EQ(delegate.reads.size(), 1u);
  EXPECT_EQ(delegate.reads[0].second, "there");
}

// Hands every accepted socket to another thread's loop.
struct ElsewhereRecorder : ThreadRecorder {
  plat::RunLoop* elsewhere = nullptr;
  plat::RunLoop* onSocket_wantsRunLoopForNewSocket(TcpSocket&, TcpSocket&) override {
    return elsewhere;
  }
};

TEST(TcpRunLoop, AcceptedSocketCanLiveOnAnotherThread) {
  testsupport::VirtualTime time;
  ElsewhereRecorder delegate;
  Recorder clientDelegate;
  auto listener = TcpSocket::create(&delegate);
  ASSERT_TRUE(listener->acceptOnInterface("127.0.0.1", 0));
  std::atomic<plat::RunLoop*> other{nullptr};
  std::thread worker([&] {
    other = &plat::RunLoop::current();
    other.load()->runUntil([&] { return delegate.done.load(); }, 10.0);
    delegate.accepted.clear();  // the accepted socket belongs to this thread's loop
  });
  while (!other.load()) std::this_thread::yield();
  delegate.elsewhere = other.load();
  delegate.onConnect = [](TcpSocket& socket) { socket.readDataToLength(4, -1, 1); };
  auto client = TcpSocket::create(&clientDelegate);
  ASSERT_TRUE(client->connectToHost("127.0.0.1", listener->localPort()));
  client->writeData(bytes("over"), -1, 1);
  EXPECT_TRUE(LoopbackPair::run([&] { return delegate.done.load(); }));
  std::thread::id workerId = worker.get_id();
  worker.join();
  EXPECT_EQ(delegate.readOn, workerId);
  ASSERT_EQ(delegate.reads.size(), 1u);
  EXPECT_EQ(delegate.reads[0].second, "over");
}

}  // namespace
}  // namespace sockets
