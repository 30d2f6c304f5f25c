// A screen's request queue and the replies already on their way: a request whose exchange ended
// while the main thread was busy has left the queue, yet its reports still wait for the main
// thread; once the owner is gone they must reach nobody. (The daily lesson closed just as its
// reply came read the freed screen this way.)
#include <memory>

#include "online/AccountQueue.h"
#include "online/ApiRequest.h"
#include "platform/base/RunLoop.h"
#include "tests/online/OnlineFixture.h"

namespace onlinetest {
namespace {

// An owner as the screens are: it sends through its own queue and hears every report.
struct Owner : HttpRequestDelegate {
  explicit Owner(int* heard) : heard(heard) {}
  void send(AccountQueue& queue) {
    auto request = ApiRequest::get("daily_lesson.php");
    request->setDelegate(this);
    request->setDidFinishSelector([this](HttpRequest&) { ++*heard; });
    request->setDidFailSelector([this](HttpRequest&) { ++*heard; });
    queue.add(request);
  }
  void request_didReceiveResponseHeaders(HttpRequest&, const plat::http::HeaderMap&) override { ++*heard; }
  int* heard;
};

using AccountQueueTest = ApiTest;

TEST_F(AccountQueueTest, RepliesOnTheirWayReachNoOwnerThatHasGoneNorOneThatForgotThem) {
  for (const bool ownerGoes : {true, false}) {
    int heard = 0;
    auto owner = std::make_unique<Owner>(&heard);
    auto queue = std::make_unique<AccountQueue>();
    owner->send(*queue);
    // The main thread is held until the exchange has ended and left the queue: its reports wait.
    queue->queue().waitUntilAllOperationsAreFinished();
    if (ownerGoes) {
      queue.reset();
      owner.reset();
    } else {
      queue->forgetAll();
    }
    plat::RunLoop::main().runUntilIdle();
    EXPECT_EQ(heard, 0) << (ownerGoes ? "a report reached the owner that had gone"
                                      : "a report reached the owner after forgetAll");
  }
}

}  // namespace
}  // namespace onlinetest
