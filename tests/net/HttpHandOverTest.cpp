// How reports and body data cross from the network thread to the main thread: a report that may
// wait still comes while the server holds its answer; body data handed over piece by piece waits
// in bounded amounts for a main thread that is slow to take it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string_view>

#include "net/HttpRequest.h"
#include "platform/base/Clock.h"
#include "tests/net/NetTestSupport.h"

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
      quick.run();
      EXPECT_EQ(quick.events.back(), "finished");
      usleep(pauseMs * 1000);
    }
    Exchange get(server.url("/slow"));
    // The main loop sleeps in one long wait, as an idle app's does; only a wake-up ends it early.
    auto keepsTheLoopBusy = plat::Timer::scheduled(60, false, [](plat::Timer&) {});
    get.start();
    const auto start = std::chrono::steady_clock::now();
    while (get.events.empty() && std::chrono::steady_clock::now() - start < std::chrono::seconds(5))
      plat::RunLoop::main().runMode(plat::kDefaultRunLoopMode, plat::Clock::current().now() + 5,
                                    true);
    EXPECT_EQ(get.events, (std::vector<std::string>{"started"}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    keepsTheLoopBusy->invalidate();
  }
}

TEST_F(HttpHandOverTest, ABusyMainThreadHoldsTheReadingBackWithoutATimeOut) {
  Exchange get(server.url("/big"));
  get->setTimeOutSeconds(0.2);
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
    received.append(piece.begin(), piece.end());
  });
  get.start();
  usleep(600 * 1000);  // busy for three of the network thread's status checks
  EXPECT_TRUE(runUntil([&] { return get.done(); }));
  runUntil([&] { return !inFirstDelivery; });
  EXPECT_EQ(get.events.back(), "finished");
  EXPECT_GT(handedOverWhileBusy, 0u);
  EXPECT_LT(handedOverWhileBusy, 8u << 20);
  EXPECT_EQ(received.size(), bigBody()->size());
  EXPECT_EQ(hashOf(received), hashOf(*bigBody()));
  EXPECT_TRUE(onMain);
  EXPECT_TRUE(get->rawResponseData()->empty());  // what the owner took stays out of it
}

TEST_F(HttpHandOverTest, AHeldBackDownloadCanBeCancelled) {
  size_t received = 0;
  Exchange get(server.url("/big"));
  get->setDataReceivedBlock([&](const std::vector<uint8_t>& piece) { received += piece.size(); });
  get.start();
  usleep(200 * 1000);
  get->cancel();
  EXPECT_TRUE(runUntil([&] { return get.done(); }));
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
