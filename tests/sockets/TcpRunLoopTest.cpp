#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "sockets/TcpSocket.h"
#include "tests/sockets/TcpTestDelegate.h"
#include "tests/support/Patience.h"

namespace sockets {
namespace {

using testing::bytes;
using testing::Recorder;
using testing::run;
using TcpRunLoop = testing::LoopbackPair;

// Runs the loop in `mode` until `done` or `seconds`; short by default, for what must not happen in
// that mode.
bool runIn(const std::string& mode, const std::function<bool()>& done, double seconds = 0.2) {
  return plat::RunLoop::main().runUntil(done, seconds, mode);
}

TEST_F(TcpRunLoop, SocketIsServedOnlyInItsModesWhoseListNeverEmpties) {
  EXPECT_FALSE(server->setRunLoopModes({}));
  EXPECT_FALSE(server->removeRunLoopMode(plat::kDefaultRunLoopMode));
  EXPECT_TRUE(server->removeRunLoopMode("absent"));
  ASSERT_TRUE(server->setRunLoopModes({plat::kTrackingRunLoopMode}));
  server->readDataToLength(4, -1, 1);
  client->writeData(bytes("data"), -1, 1);
  EXPECT_FALSE(runIn(plat::kDefaultRunLoopMode, [&] { return !serverLog.reads.empty(); }));
  EXPECT_TRUE(runIn(
      plat::kTrackingRunLoopMode, [&] { return !serverLog.reads.empty(); },
      testsupport::kPatience));
  EXPECT_EQ(serverLog.reads[0].second, "data");

  // Added back to the default mode and then taken out of tracking, it follows.
  ASSERT_TRUE(server->addRunLoopMode(plat::kDefaultRunLoopMode));
  ASSERT_TRUE(server->removeRunLoopMode(plat::kTrackingRunLoopMode));
  EXPECT_EQ(server->runLoopModes(), std::vector<std::string>{plat::kDefaultRunLoopMode});
  server->readDataToLength(3, -1, 2);
  client->writeData(bytes("abc"), -1, 2);
  EXPECT_FALSE(runIn(plat::kTrackingRunLoopMode, [&] { return serverLog.reads.size() == 2; }));
  EXPECT_TRUE(run([&] { return serverLog.reads.size() == 2; }));
}

TEST_F(TcpRunLoop, TimeOutsFireOnlyInTheSocketsModesAndKeepTheirDateAcrossChanges) {
  ASSERT_TRUE(server->setRunLoopModes({plat::kTrackingRunLoopMode}));
  server->readDataToLength(4, 3.0, 1);
  ASSERT_TRUE(runIn(
      plat::kTrackingRunLoopMode,
      [&] { return server->progressOfReadReturningTag(nullptr, nullptr, nullptr) == 0.0f; },
      testsupport::kPatience));
  time.advance(5);  // in the default mode
  EXPECT_FALSE(serverLog.willDisconnect);
  // Back in the default mode, the read's timer is due at once.
  ASSERT_TRUE(server->addRunLoopMode(plat::kDefaultRunLoopMode));
  ASSERT_TRUE(server->removeRunLoopMode(plat::kTrackingRunLoopMode));
  time.advance(0.1);
  ASSERT_TRUE(serverLog.disconnectError);
  EXPECT_EQ(serverLog.disconnectError->code, 4);
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

// Hands every accepted socket to another thread's loop.
struct ElsewhereRecorder : ThreadRecorder {
  plat::RunLoop* elsewhere = nullptr;
  plat::RunLoop* onSocket_wantsRunLoopForNewSocket(TcpSocket&, TcpSocket&) override {
    return elsewhere;
  }
};

TEST_F(TcpRunLoop, MovedAndAcceptedSocketsAreServedByTheOtherThread) {
  ThreadRecorder movedLog;
  ElsewhereRecorder handingLog;
  Recorder senderLog;
  auto moved = TcpSocket::create(&movedLog);
  ASSERT_TRUE(moved->connectToHost("127.0.0.1", listener->localPort()));
  EXPECT_FALSE(moved->moveToRunLoop(nullptr));
  EXPECT_TRUE(moved->moveToRunLoop(&plat::RunLoop::main()));  // changes nothing
  ASSERT_TRUE(run([&] { return movedLog.connected && serverLog.accepted.size() == 2; }));
  auto handingOver = TcpSocket::create(&handingLog);
  ASSERT_TRUE(handingOver->acceptOnInterface("127.0.0.1", 0));

  std::atomic<plat::RunLoop*> other{nullptr};
  std::thread worker([&] {
    other = &plat::RunLoop::current();
    other.load()->runUntil([&] { return movedLog.done.load() && handingLog.done.load(); },
                           testsupport::kPatience);
    moved.reset();  // both sockets now belong to this thread's loop
    handingLog.accepted.clear();
  });
  while (!other.load()) std::this_thread::yield();
  moved->moveToRunLoop(other.load());
  other.load()->perform([&] { moved->readDataToLength(5, -1, 1); });
  serverLog.accepted[1]->writeData(bytes("there"), -1, 1);
  handingLog.elsewhere = other.load();
  handingLog.onConnect = [](TcpSocket& socket) { socket.readDataToLength(4, -1, 1); };
  auto sender = TcpSocket::create(&senderLog);
  sender->connectToHost("127.0.0.1", handingOver->localPort());
  sender->writeData(bytes("over"), -1, 1);
  EXPECT_TRUE(run([&] { return movedLog.done.load() && handingLog.done.load(); }));
  std::thread::id workerId = worker.get_id();
  worker.join();
  EXPECT_EQ(movedLog.readOn, workerId);
  EXPECT_EQ(handingLog.readOn, workerId);
  EXPECT_EQ(movedLog.reads, (std::vector<std::pair<int64_t, std::string>>{{1, "there"}}));
  EXPECT_EQ(handingLog.reads, (std::vector<std::pair<int64_t, std::string>>{{1, "over"}}));
}

}  // namespace
}  // namespace sockets
