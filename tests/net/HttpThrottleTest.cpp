// The shared bandwidth budget: windows and their average, the read budget of request bodies, the
// wake-up time of paused connections, the WWAN limit following reachability, and a paced reply and
// an upload slowed down by a limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>

#include "net/HttpInputStream.h"
#include "net/HttpRequest.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/FakeNetwork.h"
#include "tests/support/Patience.h"
#include "tests/support/VirtualTime.h"

using namespace nettest;

namespace {

// Each test's virtual time starts after the last one's, since the windows are process-wide.
double nextStart() {
  static double start = 1'000'000'000.0;
  return start += 10'000;
}

class HttpThrottleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Whatever earlier requests counted ends in a window of its own: seen from this test's clock
    // it lies ahead, as after the clock was set back. That keeps the windows before it, as a real
    // set-back clock does, so a silent window follows and empties the tracker: every test starts
    // from no usage at all, whatever ran before it.
    HttpRequest::measureBandwidthUsage();
    time.clock().advance(1);
    HttpRequest::measureBandwidthUsage();
  }
  void TearDown() override { HttpRequest::setShouldThrottleBandwidthForWWAN(false); }

  // Closes the current window `seconds` after it began.
  void closeWindowAfter(double seconds, uint64_t bytes) {
    HttpRequest::incrementBandwidthUsedInLastSecond(bytes);
    time.clock().advance(seconds);
    HttpRequest::measureBandwidthUsage();
  }

  testsupport::VirtualTime time{nextStart()};
};

TEST_F(HttpThrottleTest, AverageCoversTheLastSixWindowsAndRestartsAfterASilentOne) {
  for (uint64_t bytes = 100; bytes <= 700; bytes += 100) closeWindowAfter(1, bytes);
  EXPECT_EQ(HttpRequest::averageBandwidthUsedPerSecond(), (200 + 300 + 400 + 500 + 600 + 700) / 6);

  closeWindowAfter(1, 0);
  EXPECT_EQ(HttpRequest::averageBandwidthUsedPerSecond(), 0u);
  closeWindowAfter(1.5, 800);  // measured late: the silent window is dropped
  EXPECT_EQ(HttpRequest::averageBandwidthUsedPerSecond(), 800u);
}

TEST_F(HttpThrottleTest, OverspendingPausesUntilTheDebtIsPaid) {
  HttpRequest::setMaxBandwidthPerSecond(1000);
  EXPECT_TRUE(HttpRequest::isBandwidthThrottled());
  const double windowEnd = time.now() + 1;
  HttpRequest::incrementBandwidthUsedInLastSecond(1500);
  HttpRequest::measureBandwidthUsage();
  ASSERT_TRUE(HttpRequest::throttleWakeUpTime());
  EXPECT_DOUBLE_EQ(*HttpRequest::throttleWakeUpTime(), windowEnd + 0.5);

  // The clock set back by an hour: the window and the pause end now, not an hour later.
  time.clock().advance(-3600);
  HttpRequest::measureBandwidthUsage();
  EXPECT_FALSE(HttpRequest::throttleWakeUpTime());
  EXPECT_EQ(HttpRequest::maxUploadReadLength(), 250u);
}

TEST_F(HttpThrottleTest, BodyReadsTakeAQuarterOfTheLimitAndNeverStall) {
  HttpRequest::setMaxBandwidthPerSecond(1000);
  auto body = std::make_shared<const std::vector<uint8_t>>(4000, 'x');
  auto stream = HttpInputStream::inputStreamWithData(body, nullptr);
  ASSERT_TRUE(stream->open());
  std::vector<uint8_t> buffer(4096);

  EXPECT_EQ(HttpRequest::maxUploadReadLength(), 250u);
  EXPECT_EQ(stream->read(buffer.data(), buffer.size()), 250);
  HttpRequest::incrementBandwidthUsedInLastSecond(650);  // 900 counted
  EXPECT_EQ(HttpRequest::maxUploadReadLength(), 100u);
  EXPECT_EQ(stream->read(buffer.data(), buffer.size()), 100);
  // The limit is spent: one byte at a time, and paused connections wait for the next window.
  EXPECT_EQ(stream->read(buffer.data(), buffer.size()), 1);
  EXPECT_EQ(HttpRequest::throttleWakeUpTime(), time.now() + 1);

  HttpRequest::setMaxBandwidthPerSecond(0);
  EXPECT_FALSE(HttpRequest::isBandwidthThrottled());
  EXPECT_EQ(stream->read(buffer.data(), buffer.size()), 4000 - 351);
  closeWindowAfter(1.5, 0);  // late, so that only this window counts
  EXPECT_EQ(HttpRequest::averageBandwidthUsedPerSecond(), 4000u + 650);  // every byte read
}

TEST_F(HttpThrottleTest, WWANLimitAppliesOnlyWhileOnWWANAndALimitOfZeroThrottlesNothing) {
  testsupport::FakeNetwork network;  // on WiFi
  HttpRequest::setShouldThrottleBandwidthForWWAN(true);
  EXPECT_FALSE(HttpRequest::isBandwidthThrottled());
  for (bool cellular : {true, false}) {
    network.online(cellular);
    time.runUntilIdle();
    EXPECT_EQ(HttpRequest::isBandwidthThrottled(), cellular);
  }

  HttpRequest::setShouldThrottleBandwidthForWWAN(false);
  network.online(true);
  time.runUntilIdle();
  EXPECT_FALSE(HttpRequest::isBandwidthThrottled());
  EXPECT_EQ(HttpRequest::maxBandwidthPerSecond(), 0u);

  HttpRequest::setShouldThrottleBandwidthForWWAN(true);
  EXPECT_TRUE(HttpRequest::isBandwidthThrottled());
  HttpRequest::setMaxBandwidthPerSecond(0);
  EXPECT_FALSE(HttpRequest::isBandwidthThrottled());
  HttpRequest::incrementBandwidthUsedInLastSecond(5000);
  HttpRequest::measureBandwidthUsage();
  EXPECT_EQ(HttpRequest::maxUploadReadLength(), 0u);
}

// An established TCP socket of this machine as the kernel sees it: its ports, the bytes sent but
// not yet taken by the peer, and those received but not yet read by its owner.
struct TcpSocket {
  uint16_t local = 0, remote = 0;
  uint64_t unsent = 0, unread = 0;
};
std::vector<TcpSocket> establishedSockets() {
  std::vector<TcpSocket> sockets;
  std::ifstream table("/proc/net/tcp");
  std::string line;
  std::getline(table, line);  // the column names
  auto hexAfter = [](const std::string& text, char separator) {
    return std::stoull(text.substr(text.find(separator) + 1), nullptr, 16);
  };
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string slot, local, remote, state, queues;
    fields >> slot >> local >> remote >> state >> queues;
    if (state != "01") continue;
    sockets.push_back(
        {static_cast<uint16_t>(hexAfter(local, ':')), static_cast<uint16_t>(hexAfter(remote, ':')),
         std::stoull(queues.substr(0, queues.find(':')), nullptr, 16), hexAfter(queues, ':')});
  }
  return sockets;
}

// Requests under a limit on virtual time: the network thread runs for real between steps of the
// clock, so a budget can only be kept by pausing, never by the machine being slow.
class HttpThrottledRequestTest : public NetTest {
 protected:
  void TearDown() override {
    HttpRequest::setMaxBandwidthPerSecond(0);
    NetTest::TearDown();
  }
  // Moves the clock on by `seconds` in steps of 50 ms, letting the threads work at each.
  void run(double seconds) {
    for (double t = 0; t < seconds; t += 0.05) {
      time.clock().advance(0.05);
      runUntil([] { return false; }, 0.01);
    }
  }
  testsupport::VirtualTime time{nextStart()};
};

TEST_F(HttpThrottledRequestTest, ADownloadFromAFastServerKeepsToTheLimit) {
  LoopbackHttpServer server(
      [](const ServerRequest&) { return ServerReply::text(std::string(1 << 20, 'd')); });
  HttpRequest::setMaxBandwidthPerSecond(100000);
  Exchange get(server.url("/big"));
  get->setDownloadProgressDelegate(&get);
  get.start();
  run(4);
  // No more than four windows' worth and the window begun as the clock stopped; more than the
  // first, so it went on after its first pause. How much more depends on how much real time the
  // network thread got between the steps of the clock: little on a busy machine.
  EXPECT_GT(get.received, 100000 * 11 / 10);
  EXPECT_LE(get.received, 5 * 100000 * 11 / 10);
  HttpRequest::setMaxBandwidthPerSecond(0);
  run(1);
  EXPECT_TRUE(runUntil([&] { return get.done(); }));
  EXPECT_EQ(get.finished, 1);
}

TEST_F(HttpThrottledRequestTest, TheFirstWindowKeepsToTheLimitAndASpentOneIsWaitedOutUnread) {
  LoopbackHttpServer server(
      [](const ServerRequest&) { return ServerReply::text(std::string(300000, 's')); });
  // Long after the last window, as when a download starts in a quiet app.
  time.clock().advance(30);
  HttpRequest::setMaxBandwidthPerSecond(100000);
  std::vector<size_t> reads;
  Exchange get(server.url("/short"));
  get->setDownloadProgressDelegate(&get);
  get->setDataReceivedBlock(
      [&](const HttpRequest::Bytes& piece) { reads.push_back(piece.size()); });
  get.start();
  run(0.9);
  EXPECT_GT(get.received, 0);
  EXPECT_LE(get.received, 100000);
  run(2.5);
  EXPECT_TRUE(runUntil([&] { return get.done(); }));
  EXPECT_EQ(get.finished, 1);
  EXPECT_EQ(std::count(reads.begin(), reads.end(), size_t{1}), 0) << "a byte at a time";
}

// Measured by the kernel, not by the request: what the app has taken off its socket. A stream that
// read ahead of the budget would have taken a whole buffer in the first second.
TEST_F(HttpThrottledRequestTest, TheFirstSecondAtTheMobileLimitTakesNoMoreThanItsBudget) {
  const std::string body(120000, 'm');
  LoopbackHttpServer server([&](const ServerRequest&) { return ServerReply::text(body); });
  time.clock().advance(30);
  HttpRequest::setMaxBandwidthPerSecond(14800);
  Exchange get(server.url("/pack"));
  get.start();
  run(0.9);
  // The whole reply lies in the client's receive queue once the server's send queue is empty.
  std::optional<TcpSocket> client, served;
  runUntil(
      [&] {
        client = served = std::nullopt;
        for (const TcpSocket& socket : establishedSockets()) {
          if (socket.remote == server.port()) client = socket;
          if (socket.local == server.port()) served = socket;
        }
        return client && served && served->unsent == 0;
      },
      testsupport::kPatience);
  ASSERT_TRUE(client && served && served->unsent == 0);
  // The head came whole, so what is missing of the body was taken.
  const uint64_t taken = body.size() - client->unread;
  EXPECT_GT(taken, 14800u / 2);
  EXPECT_LE(taken, 14800u);
  HttpRequest::setMaxBandwidthPerSecond(0);
  run(1);
  EXPECT_TRUE(runUntil([&] { return get.done(); }));
  EXPECT_EQ(get.finished, 1);
}

TEST_F(HttpThrottledRequestTest, AnUploadIsHeldBackByTheLimit) {
  LoopbackHttpServer server([](const ServerRequest& request) {
    return ServerReply::text(std::to_string(request.body.size()));
  });
  HttpRequest::setMaxBandwidthPerSecond(2000);
  Exchange post(server.url("/upload"));
  post->appendPostData(std::string(6000, 'u'));
  post.start();
  run(1.5);
  EXPECT_FALSE(post.done()) << "6000 bytes at 2000 a second take three seconds";
  run(3);
  EXPECT_TRUE(runUntil([&] { return post.done(); }));
  EXPECT_EQ(post->responseString().value_or(""), "6000");
}

}  // namespace
