// How reports and body data cross from the network thread to the main thread: a report that may
// wait still comes while the server holds its answer; body data handed over piece by piece waits
// in bounded amounts for a main thread that is slow to take it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string_view>
#include <thread>

#include "net/HttpRequest.h"
#include "platform/base/Clock.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/Patience.h"
#include "tests/support/VirtualTime.h"

using namespace nettest;

namespace {

class HttpHandOverTest : public NetTest {
 protected:
  // A body of 16 MB that is no repetition of one piece, so that a piece out of order shows.
  static std::shared_ptr<const std::string> bigBody() {
    static const auto body = [] {
      auto bytes = std::make_shared<std::string>(16u << 20, '\0');
      uint32_t state = 1;
      for (char& c : *bytes) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
      }
      return std::shared_ptr<const std::string>(std::move(bytes));
    }();
    return body;
  }

  void SetUp() override {
    NetTest::SetUp();
    bigBody();  // made before the server is asked, so that the making is no silence of it
  }

  LoopbackHttpServer server{[](const ServerRequest&) {
    ServerReply reply;
    reply.sharedBody = bigBody();
    return reply;
  }};

  // Keeps the main thread away from its loop, as one busy with other work does, until the network
  // thread holds the reading of `get` back: it has read what the hand-over takes, and a request
  // on a silent server (with the same time limit) started after that has reached its server. The
  // network thread has then left the turn of that read, whose next offer of bytes it declined.
  void holdTheReadingBack(const Exchange& get) {
    ASSERT_TRUE(whileTheMainThreadIsBusy([&] { return get->totalBytesRead() >= kHandOverLimit; }));
    silent->setTimeOutSeconds(get->timeOutSeconds());
    silent.start();
    ASSERT_TRUE(silentServer.waitForRequests(1, kGenerousSeconds));  // the main thread stays off
  }

  // The time moves only when the test moves it: a machine too busy to serve a body quickly is no
  // silence of the server. The clock goes on a second at a time, far past the time limits, while
  // the main thread stays busy until the request on the silent server has timed out: the network
  // thread has looked at the limits of the requests started before it by then.
  void passTheTimeLimitsWhileTheMainThreadIsBusy(testsupport::VirtualTime& time) {
    EXPECT_TRUE(repeatUntil([&] { return silent->isFinished(); },
                            [&] {
                              time.clock().advance(1);
                              std::this_thread::sleep_for(std::chrono::milliseconds(1));
                            }));
    EXPECT_TRUE(runUntil([&] { return silent.done(); }, kGenerousSeconds));
    EXPECT_EQ(silent.failureCode(), kHttpRequestTimedOut);
  }

  // Calls `step` until `done` or the deadline; true when done.
  static bool repeatUntil(const std::function<bool()>& done, const std::function<void()>& step) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(kGenerousSeconds);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      step();
    }
    return true;
  }

  static bool whileTheMainThreadIsBusy(const std::function<bool()>& done) {
    return repeatUntil(done, [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); });
  }

  // How much body data waits for the main thread before the network thread stops reading.
  static constexpr size_t kHandOverLimit = 4u << 20;
  static constexpr double kTimeLimit = 0.2;
  static constexpr double kGenerousSeconds = testsupport::kPatience;

  LoopbackHttpServer silentServer{[](const ServerRequest&) {
    ServerReply reply;
    reply.hang = true;
    return reply;
  }};
  Exchange silent{silentServer.url("/silent")};
};

size_t hashOf(std::string_view bytes) {
  return std::hash<std::string_view>{}(bytes);
}

}  // namespace

// Also after a quick exchange, whose end woke the main thread while the time limit that its own
// start set was still running: the limit is then set again, or goes on, for the next start.
TEST_F(HttpHandOverTest, TheStartReachesAMainThreadAsleepWhileTheServerHoldsItsAnswer) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    ServerReply reply;
    reply.hang = r.path() == "/slow";
    return reply;
  });
  for (int pauseMs : {-1, 0, 5}) {
    SCOPED_TRACE(pauseMs);
    if (pauseMs >= 0) {
      Exchange quick(server.url("/quick"));
      quick.run(kGenerousSeconds);
      EXPECT_EQ(quick.events.back(), "finished");
      usleep(pauseMs * 1000);
    }
    Exchange get(server.url("/slow"));
    // The main loop sleeps in one long wait, as an idle app's does; only a wake-up ends it before
    // the deadline.
    auto keepsTheLoopBusy =
        plat::Timer::scheduled(10 * kGenerousSeconds, false, [](plat::Timer&) {});
    get.start();
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(kGenerousSeconds);
    while (get.events.empty() && std::chrono::steady_clock::now() < deadline)
      plat::RunLoop::main().runMode(plat::kDefaultRunLoopMode,
                                    plat::Clock::current().now() + kGenerousSeconds, true);
    EXPECT_EQ(get.events, (std::vector<std::string>{"started"}));
    EXPECT_LT(std::chrono::steady_clock::now(), deadline);
    keepsTheLoopBusy->invalidate();
  }
}

TEST_F(HttpHandOverTest, ABusyMainThreadHoldsTheReadingBackWithoutATimeOut) {
  testsupport::VirtualTime time;
  Exchange get(server.url("/big"));
  get->setTimeOutSeconds(kTimeLimit);
  std::string received;
  // What the network thread handed over while the main thread was busy is delivered in one go;
  // a perform posted at its first piece runs after it.
  bool inFirstDelivery = false, onMain = true;
  size_t handedOverWhileBusy = 0;
  get->setDataReceivedBlock([&](const std::vector<uint8_t>& piece) {
    onMain = onMain && std::this_thread::get_id() == plat::RunLoop::main().thread();
    if (received.empty()) {
      inFirstDelivery = true;
      plat::RunLoop::main().perform([&] { inFirstDelivery = false; });
    }
    if (inFirstDelivery) handedOverWhileBusy += piece.size();
    received.append(reinterpret_cast<const char*>(piece.data()), piece.size());
  });
  get.start();
  ASSERT_NO_FATAL_FAILURE(holdTheReadingBack(get));
  passTheTimeLimitsWhileTheMainThreadIsBusy(time);

  EXPECT_TRUE(runUntil([&] { return get.done(); }, kGenerousSeconds));
  EXPECT_EQ(get.events.back(), "finished");
  EXPECT_FALSE(inFirstDelivery);
  EXPECT_GE(handedOverWhileBusy, kHandOverLimit);
  EXPECT_LT(handedOverWhileBusy, 2 * kHandOverLimit);
  EXPECT_EQ(received.size(), bigBody()->size());
  EXPECT_EQ(hashOf(received), hashOf(*bigBody()));
  EXPECT_TRUE(onMain);
  EXPECT_TRUE(get->rawResponseData()->empty());  // what the owner took stays out of it
}

// The server falls silent just as the hand-over fills: while the main thread holds the reading
// back, the silence does not count; once the main thread took its share, it does.
TEST_F(HttpHandOverTest, TheTimeLimitCountsTheServersSilenceOnlyWhileTheRequestReads) {
  testsupport::VirtualTime time;
  LoopbackHttpServer fallsSilent([](const ServerRequest&) {
    ServerReply reply;
    reply.sharedBody = bigBody();
    reply.pieceSize = kHandOverLimit;
    reply.pieceDelay = 3600;  // until the server stops
    return reply;
  });
  Exchange get(fallsSilent.url("/big"));
  get->setTimeOutSeconds(kTimeLimit);
  size_t received = 0;
  get->setDataReceivedBlock([&](const std::vector<uint8_t>& piece) { received += piece.size(); });
  get.start();
  ASSERT_NO_FATAL_FAILURE(holdTheReadingBack(get));
  passTheTimeLimitsWhileTheMainThreadIsBusy(time);
  EXPECT_EQ(get.events, (std::vector<std::string>{"started", "headers"}));
  EXPECT_EQ(received, kHandOverLimit);

  EXPECT_TRUE(repeatUntil([&] { return get.done(); },
                          [&] {
                            time.clock().advance(1);
                            runUntil([] { return false; }, 0.001);
                          }));
  EXPECT_EQ(get.failureCode(), kHttpRequestTimedOut);
  EXPECT_EQ(received, kHandOverLimit);
}

TEST_F(HttpHandOverTest, AHeldBackDownloadCanBeCancelled) {
  size_t received = 0;
  Exchange get(server.url("/big"));
  get->setDataReceivedBlock([&](const std::vector<uint8_t>& piece) { received += piece.size(); });
  get.start();
  ASSERT_NO_FATAL_FAILURE(holdTheReadingBack(get));
  get->cancel();
  EXPECT_TRUE(runUntil([&] { return get.done(); }, kGenerousSeconds));
  runUntil([] { return false; }, 0.1);
  ASSERT_EQ(get.failureCode(), kHttpRequestCancelled);
  EXPECT_LT(received, bigBody()->size());
}

TEST_F(HttpHandOverTest, AnOwnerTakingTheBodyGetsNoRedirectOrLoginPage) {
  LoopbackHttpServer pages([](const ServerRequest& r) {
    if (r.path() == "/moved") {
      ServerReply reply = ServerReply::redirect(302, "/login");
      reply.body = "<html>moved</html>";
      return reply;
    }
    if (!r.hasHeader("Authorization"))
      return ServerReply::text("<html>log in</html>", 401)
          .header("WWW-Authenticate", "Basic realm=\"pages\"");
    return ServerReply::text("the page");
  });
  Exchange get(pages.url("/moved"));
  get->setUsername("lin");
  get->setPassword("pw");
  std::string received;
  get->setDataReceivedBlock(
      [&](const std::vector<uint8_t>& piece) { received.append(piece.begin(), piece.end()); });
  EXPECT_EQ(get.run().finished, 1);
  runUntil([] { return false; }, 0.05);
  EXPECT_EQ(received, "the page");
  HttpRequest::clearSessionCredentials();
}
