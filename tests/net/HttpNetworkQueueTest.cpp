#include "net/HttpNetworkQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/base/NamedException.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/Patience.h"

using namespace nettest;

namespace {

// A suspended queue with a delegate, counting its ends.
class HttpNetworkQueueTest : public NetTest {
 protected:
  void SetUp() override {
    NetTest::SetUp();
    queue->setDelegate(&queueDelegate);
    queue->setQueueDidFinishSelector([this](HttpNetworkQueue&) { ++queueFinished; });
  }
  // Queues a request for `url` that reports to `recorder`.
  std::shared_ptr<HttpRequest> add(const std::string& url, Recorder& recorder) {
    auto request = HttpRequest::requestWithURL(url);
    request->setDelegate(&recorder);
    queue->addOperation(request);
    return request;
  }

  Recorder queueDelegate;
  std::shared_ptr<HttpNetworkQueue> queue = HttpNetworkQueue::queue();
  int queueFinished = 0;
};

}  // namespace

TEST_F(HttpNetworkQueueTest, WidthOneRunsInOrderOnlyAfterGo) {
  std::atomic<int> running{0};
  std::atomic<bool> overlapped{false};
  LoopbackHttpServer server([&](const ServerRequest&) {
    if (++running > 1) overlapped = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    --running;
    return ServerReply::text("ok");
  });
  queue->setMaxConcurrentOperationCount(1);
  std::vector<std::string> finishedOrder;
  queue->setRequestDidFinishSelector(
      [&](HttpRequest& r) { finishedOrder.push_back(r.url().path()); });
  std::vector<Recorder> recorders(4);
  for (int i = 0; i < 4; ++i) add(server.url("/" + std::to_string(i)), recorders[i]);
  EXPECT_EQ(queue->requestsCount(), 4);
  runUntil([] { return false; }, 0.2);
  EXPECT_EQ(server.requestCount(), 0);  // suspended until go

  queue->go();
  ASSERT_TRUE(runUntil([&] { return queueFinished > 0; }));
  EXPECT_EQ(finishedOrder, (std::vector<std::string>{"/0", "/1", "/2", "/3"}));
  std::vector<std::string> served;
  for (const auto& r : server.requests()) served.push_back(r.path());
  EXPECT_EQ(served, finishedOrder);
  EXPECT_FALSE(overlapped);
  EXPECT_EQ(queueFinished, 1);
  EXPECT_EQ(queue->requestsCount(), 0);
}

TEST_F(HttpNetworkQueueTest, OnlyRequestsMayJoin) {
  EXPECT_THROW(queue->addOperation([] {}), plat::NamedException);
  EXPECT_EQ(queue->operationCount(), 0u);
}

TEST_F(HttpNetworkQueueTest, CancelAllZeroesCountersAndFailsEachRequestItself) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    ServerReply reply = ServerReply::text("ok");
    reply.hang = r.path() != "/quick";
    return reply;
  });
  queue->setMaxConcurrentOperationCount(1);
  std::vector<Recorder> recorders(3);
  std::vector<std::shared_ptr<HttpRequest>> requests;
  for (auto& recorder : recorders) requests.push_back(add(server.url("/slow"), recorder));
  queue->go();
  ASSERT_TRUE(server.waitForRequests(1));
  requests[2]->clearDelegatesAndCancel();  // its owner went away first
  queue->cancelAllOperations();
  EXPECT_EQ(queue->totalBytesToDownload(), 0u);
  ASSERT_TRUE(runUntil([&] { return recorders[0].done() && recorders[1].done(); }));
  runUntil([] { return false; }, 0.2);
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(recorders[i].failureCode(), 4);
  }
  EXPECT_TRUE(recorders[2].events.empty());
  EXPECT_EQ(queueFinished, 0);
  EXPECT_EQ(server.requestCount(), 1);
  queue->waitUntilAllOperationsAreFinished();
  server.stop();
}

TEST_F(HttpNetworkQueueTest, AFailureLeavesTheOtherRequestsRunning) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  queue->setMaxConcurrentOperationCount(1);
  Recorder bad, good;
  add("", bad);
  add(server.url("/"), good);
  queue->go();
  ASSERT_TRUE(runUntil([&] { return bad.done() && good.done(); }));
  EXPECT_EQ(bad.failed, 1);
  EXPECT_EQ(good.finished, 1);
  EXPECT_EQ(queue->requestsCount(), 1);  // the failed one is never counted off
  EXPECT_EQ(queueFinished, 0);
}

TEST_F(HttpNetworkQueueTest, AccurateProgressMeasuresGetsWithHeadRequestsFirst) {
  const std::string body(50000, 'q');
  LoopbackHttpServer server([&](const ServerRequest&) { return ServerReply::text(body); });
  Recorder progress, first, second;
  queue->setShowAccurateProgress(true);
  queue->setDownloadProgressDelegate(&progress);
  add(server.url("/a"), first);
  add(server.url("/b"), second);
  queue->go();
  ASSERT_TRUE(runUntil([&] { return queueFinished > 0; }));
  auto served = server.requests();
  ASSERT_EQ(served.size(), 4u);
  // Each GET waits for the HEAD request of its own address.
  std::vector<std::string> order;
  for (const auto& r : served) order.push_back(r.method + " " + r.path());
  for (const char* path : {"/a", "/b"}) {
    auto head = std::find(order.begin(), order.end(), std::string("HEAD ") + path);
    auto get = std::find(order.begin(), order.end(), std::string("GET ") + path);
    ASSERT_NE(head, order.end()) << path;
    EXPECT_LT(head, get) << path;
  }
  EXPECT_EQ(queue->totalBytesToDownload(), 2 * body.size());
  EXPECT_EQ(queue->bytesDownloadedSoFar(), 2 * body.size());
  ASSERT_FALSE(progress.progress.empty());
  EXPECT_DOUBLE_EQ(progress.progress.back(), 1.0);
  EXPECT_TRUE(std::is_sorted(progress.progress.begin(), progress.progress.end()));
}

TEST_F(HttpNetworkQueueTest, AHeadRequestRefusedOrSizedNothingLeavesProgressByUnits) {
  const std::string body(50000, 'q');
  LoopbackHttpServer server([&](const ServerRequest& r) {
    if (r.method == "HEAD" && r.path() == "/refused") return ServerReply::text("no HEAD", 405);
    if (r.method == "HEAD") return ServerReply::text("").header("Content-Length", "0");
    return ServerReply::text(body);
  });
  for (const char* path : {"/refused", "/unsized"}) {
    SCOPED_TRACE(path);
    auto measured = HttpNetworkQueue::queue();
    Recorder progress, owner;
    measured->setShowAccurateProgress(true);
    measured->setDownloadProgressDelegate(&progress);
    auto request = HttpRequest::requestWithURL(server.url(path));
    request->setDelegate(&owner);
    measured->addOperation(request);
    measured->go();
    ASSERT_TRUE(runUntil([&] { return owner.done(); }));
    runUntil([] { return false; }, 0.05);
    // The HEAD reply's length says nothing of the body: the request counts as one unit.
    EXPECT_EQ(measured->bytesDownloadedSoFar(), measured->totalBytesToDownload());
    ASSERT_FALSE(progress.progress.empty());
    EXPECT_DOUBLE_EQ(progress.progress.back(), 1.0);
    request->clearDelegatesAndCancel();
  }
}

TEST_F(HttpNetworkQueueTest, ARequestLetGoOfWhileItsHeadRequestRunsLeavesNothingDangling) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    ServerReply reply = ServerReply::text(std::string(50000, 'x'));
    if (r.method == "HEAD") reply.delayBeforeHeaders = 0.2;
    return reply;
  });
  // The owner cancels its GET and lets go of it while the queue's HEAD request for it is on the
  // wire (the address sanitizer catches a HEAD request reaching into the freed GET), or cancels
  // everything before the HEAD request got its answer.
  for (bool cancelAll : {false, true}) {
    SCOPED_TRACE(cancelAll);
    auto measured = HttpNetworkQueue::queue();
    measured->setShowAccurateProgress(true);
    Recorder owner;
    auto request = HttpRequest::requestWithURL(server.url("/a"));
    request->setDelegate(&owner);
    const int before = server.requestCount();
    measured->addOperation(request);
    measured->go();
    ASSERT_TRUE(server.waitForRequests(before + 1));
    request->clearDelegatesAndCancel();
    if (cancelAll) measured->cancelAllOperations();
    request.reset();
    runUntil([] { return false; }, 0.4);
    EXPECT_EQ(server.requestCount(), before + 1);  // the HEAD request alone
  }
}

TEST_F(HttpNetworkQueueTest, AnOwnerThatGoesAwayAtTheEndTakesItsQueueAlongSafely) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    ServerReply reply = ServerReply::text("ok");
    reply.dropRequest = r.path() == "/fail";
    return reply;
  });
  // The owner's end handler clears the request's receivers and lets go of the queue, as a screen
  // that closes when its request ends does: the block and the queue after it must not be reached.
  for (const char* path : {"/ok", "/fail"}) {
    SCOPED_TRACE(path);
    auto owned = HttpNetworkQueue::queue();
    auto request = HttpRequest::requestWithURL(server.url(path));
    bool ended = false, blockRan = false;
    auto end = [&](HttpRequest& r) {
      r.clearDelegatesAndCancel();
      owned.reset();
      ended = true;
    };
    request->setDidFinishSelector(end);
    request->setDidFailSelector(end);
    request->setCompletionBlock([&] { blockRan = true; });
    request->setFailedBlock([&] { blockRan = true; });
    Recorder owner;
    request->setDelegate(&owner);
    owned->addOperation(request);
    owned->go();
    ASSERT_TRUE(runUntil([&] { return ended; }));
    runUntil([] { return false; }, 0.05);
    EXPECT_FALSE(blockRan);
  }
  // The queue's own delegate lets go of it when told of a finished request.
  auto owned = HttpNetworkQueue::queue();
  Recorder queueOwner, owner;
  bool ended = false;
  owned->setDelegate(&queueOwner);
  owned->setRequestDidFinishSelector([&](HttpRequest&) {
    owned.reset();
    ended = true;
  });
  owned->setQueueDidFinishSelector([&](HttpNetworkQueue&) { ADD_FAILURE() << "queue gone"; });
  auto request = HttpRequest::requestWithURL(server.url("/ok"));
  request->setDelegate(&owner);
  owned->addOperation(request);
  owned->go();
  ASSERT_TRUE(runUntil([&] { return ended; }));
  request->clearDelegatesAndCancel();
}

TEST_F(HttpNetworkQueueTest, HeadRequestsFollowRedirectsTheQueueWouldConfirm) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    if (r.path() == "/moved") return ServerReply::redirect(302, "/here");
    return ServerReply::text("arrived");
  });
  Recorder owner;
  queue->setShowAccurateProgress(true);
  std::vector<std::string> confirmed;
  queue->setRequestWillRedirectSelector([&](HttpRequest& r, const plat::http::Url& url) {
    confirmed.push_back(r.requestMethod() + " " + url.path());
    r.redirectToURL(url);
  });
  auto request = add(server.url("/moved"), owner);
  queue->go();
  // The HEAD request asks nobody (it reports nothing itself), so its GET is not held up.
  ASSERT_TRUE(runUntil([&] { return owner.done(); }));
  EXPECT_EQ(owner.finished, 1);
  EXPECT_EQ(request->responseString(), "arrived");
  EXPECT_EQ(confirmed, (std::vector<std::string>{"GET /here"}));
  // The HEAD request stays one after the redirect: it measures, it does not fetch the body.
  std::vector<std::string> served;
  for (const auto& r : server.requests()) served.push_back(r.method + " " + r.path());
  EXPECT_EQ(served,
            (std::vector<std::string>{"HEAD /moved", "HEAD /here", "GET /moved", "GET /here"}));
}

TEST_F(HttpNetworkQueueTest, AQueueGoneBeforeItsRequestsReportsHearsNothing) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  auto request = HttpRequest::requestWithURL(server.url("/version"));
  queue->addOperation(request);
  queue->go();
  // The request ends on the network thread; its reports wait for the main thread.
  for (int i = 0; i < 200 && !request->isFinished(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(request->isFinished());
  queue.reset();
  EXPECT_EQ(request->queue(), nullptr);
  runUntil([] { return false; }, 0.2);  // the reports run without the queue
}

TEST_F(HttpNetworkQueueTest, ACopyCarriesTheReportsAndAResetQueueForgetsThem) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  int finished = 0;
  queue->setRequestDidFinishSelector([&](HttpRequest&) { ++finished; });
  auto copy = queue->copy();
  EXPECT_TRUE(copy->isSuspended());
  Recorder first, second;
  auto request = HttpRequest::requestWithURL(server.url("/copy"));
  request->setDelegate(&first);
  copy->addOperation(request);
  copy->go();
  ASSERT_TRUE(runUntil([&] { return first.done(); }));
  EXPECT_EQ(finished, 1);

  queue->reset();
  EXPECT_TRUE(queue->isSuspended());
  add(server.url("/after"), second);
  queue->go();
  ASSERT_TRUE(runUntil([&] { return second.done(); }));
  EXPECT_EQ(finished, 1);
}

TEST(HttpNetworkQueueExit, RequestsStillStartingWhenTheProcessEndsDoNoHarm) {
  // A fresh process (the test re-runs itself): the network thread ends at exit while queue
  // workers are still handing it requests.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        plat::RunLoop::setMainThread();
        LoopbackHttpServer server([](const ServerRequest&) {
          ServerReply reply = ServerReply::text("ok");
          reply.delayBeforeHeaders = 0.5;
          return reply;
        });
        HttpRequest::requestWithURL(server.url("/first"))->startAsynchronous();
        runUntil([] { return false; }, 0.05);
        auto queue = HttpNetworkQueue::queue();
        queue->setMaxConcurrentOperationCount(64);
        for (int i = 0; i < 64; ++i)
          queue->addOperation(HttpRequest::requestWithURL(server.url("/" + std::to_string(i))));
        queue->go();
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(HttpNetworkQueueExit, RequestsCancelledOnTheWayOutDoNoHarm) {
  // An owner made after the network thread ends with the process and cancels its requests then:
  // the network thread still runs, while what was made after the owner is gone already (the
  // failure that the first cancel made, say).
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        plat::RunLoop::setMainThread();
        static LoopbackHttpServer server([](const ServerRequest&) {
          ServerReply reply;
          reply.hang = true;
          return reply;
        });
        static auto* requests = new std::vector<std::shared_ptr<HttpRequest>>();
        auto start = [] {
          requests->push_back(HttpRequest::requestWithURL(server.url("/")));
          requests->back()->startAsynchronous();
        };
        start();
        std::atexit([] {
          for (const auto& request : *requests) request->cancel();
          const auto deadline = std::chrono::steady_clock::now() +
                                std::chrono::duration<double>(testsupport::kPatience);
          for (const auto& request : *requests) {
            while (!request->isFinished() && std::chrono::steady_clock::now() < deadline)
              std::this_thread::sleep_for(std::chrono::milliseconds(1));
          }
        });
        {
          Exchange first(server.url("/first"));
          first.start()->cancel();
          runUntil([&] { return first.done(); });
        }
        for (int i = 0; i < 3; ++i) start();  // as many as the shared queue runs at once
        runUntil([] { return server.requestCount() >= 4; });
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}
