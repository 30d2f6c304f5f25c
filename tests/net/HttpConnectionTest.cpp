#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <tuple>

#include "net/HttpDataCompressor.h"
#include "net/HttpMainThreadMailbox.h"
#include "net/HttpNetworkQueue.h"
#include "net/HttpRequest.h"
#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/stream/TlsTrust.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/Patience.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestCertificate.h"
#include "tests/support/VirtualTime.h"

using namespace nettest;

namespace {

class HttpConnectionTest : public NetTest {};

}  // namespace

TEST_F(HttpConnectionTest, GetsShareAKeptConnectionButBodiesTakeFreshOnes) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  for (const char* path : {"/a", "/b", "/c"}) Exchange(server.url(path)).run();
  EXPECT_EQ(server.connectionCount(), 1);

  Exchange post(server.url("/post"));
  post->appendPostData(std::string("x=1"));
  post.run();
  EXPECT_EQ(server.connectionCount(), 2);
  EXPECT_EQ(server.lastRequest().indexOnConnection, 1);

  Exchange(server.url("/d")).run();  // back on the first, still kept
  EXPECT_EQ(server.lastRequest().connection, 1);
  EXPECT_EQ(server.connectionCount(), 2);
}

TEST_F(HttpConnectionTest, ServersLimitReuseWithTheirHeaders) {
  // Connections two requests take when the server answers the first one as `path` says.
  auto connectionsFor = [](const char* path) {
    LoopbackHttpServer server([](const ServerRequest& r) {
      ServerReply reply = ServerReply::text("ok");
      if (r.path() == "/few") reply.header("Keep-Alive", "timeout=15, max=5");
      if (r.path() == "/many") reply.header("Keep-Alive", "Timeout=15, Max=100");
      if (r.path() == "/close") reply.header("Connection", "close");
      if (r.path() == "/old") reply.version = "HTTP/1.0";
      // After this the connection speaks another protocol, whatever the server does next.
      if (r.path() == "/upgrade")
        reply.raw =
            "HTTP/1.1 101 Switching Protocols\r\nUpgrade: lesson\r\nConnection: Upgrade\r\n\r\n";
      return reply;
    });
    Exchange first(server.url(path));
    first.run();
    Exchange(server.url("/next")).run();
    return std::make_pair(server.connectionCount(), first->persistentConnectionTimeoutSeconds());
  };
  EXPECT_EQ(connectionsFor("/many"), std::make_pair(1, 15.0));
  // Each of these leaves a connection that the next request may not take.
  EXPECT_EQ(connectionsFor("/few").first, 2);
  EXPECT_EQ(connectionsFor("/close").first, 2);
  EXPECT_EQ(connectionsFor("/old").first, 2);
  EXPECT_EQ(connectionsFor("/upgrade").first, 2);
}

TEST_F(HttpConnectionTest, ADroppedConnectionIsRetriedOnceOnlyWhenItWasKept) {
  std::atomic<bool> dropAll{false};
  LoopbackHttpServer server([&](const ServerRequest& r) {
    ServerReply reply = ServerReply::text("fine");
    // The kept connection dies under the second request.
    if (r.indexOnConnection == 2 || (dropAll && r.path() != "/first")) reply.dropRequest = true;
    return reply;
  });
  Exchange(server.url("/first")).run();
  Exchange retried(server.url("/second"));
  retried.run();
  EXPECT_EQ(retried.events,
            (std::vector<std::string>{"started", "started", "headers", "finished"}));
  EXPECT_EQ(retried->responseString(), "fine");
  EXPECT_EQ(retried->retryCount(), 1);
  EXPECT_EQ(server.connectionCount(), 2);

  dropAll = true;
  Exchange failing(server.url("/third"));
  ASSERT_EQ(failing.run().failureCode(), 1);
  EXPECT_EQ(failing->retryCount(), 1);

  // A body goes out on a fresh connection: dropped there before any reply, it is not sent again.
  const int before = server.requestCount();
  Exchange post(server.url("/order"));
  post->appendPostData(std::string("pay=1"));
  ASSERT_EQ(post.run().failureCode(), 1);
  EXPECT_EQ(server.requestCount() - before, 1);
}

// Connections kept from a server that dropped some and went away: a server that came back on its
// port is reached by the next requests, one at a time through a queue, and each reply arrives.
TEST_F(HttpConnectionTest, AServerBackOnItsPortAfterDroppedConnectionsAnswersEveryRequest) {
  for (int round = 0; round < 3; ++round) {
    testsupport::VirtualTime time(1'700'000'000.0 + round * 1000);
    uint16_t port;
    {
      LoopbackHttpServer gone([](const ServerRequest& r) {
        ServerReply reply = ServerReply::text("ok");
        reply.dropRequest = r.path() == "/drop";
        return reply;
      });
      port = gone.port();
      for (int i = 0; i < 3; ++i) {
        Exchange(gone.url("/kept")).run();
        Exchange(gone.url("/drop")).run();
      }
      Exchange(gone.url("/kept")).run();
    }
    LoopbackHttpServer back([](const ServerRequest&) { return ServerReply::text("lesson"); }, port);
    auto queue = HttpNetworkQueue::queue();
    queue->setMaxConcurrentOperationCount(1);
    queue->go();
    for (int k = 0; k < 3; ++k) {
      Exchange lesson(back.url("/lesson"));
      lesson->setDelegate(&lesson);
      queue->addOperation(lesson.request);
      ASSERT_TRUE(runUntil([&] { return lesson.done(); }))
          << "round " << round << ", request " << k;
      EXPECT_EQ(lesson->responseString(), "lesson");
    }
  }
}

// A test that ends discards what it left on the main loop, which may be the delivery of a report
// still on its way (a request's last one comes after its end). The report goes with it, and later
// requests of the process report all the same.
TEST_F(HttpConnectionTest, AReportDeliveryTheMainLoopDroppedHoldsUpNoLaterReport) {
  std::atomic<bool> leftWaiting{false};
  std::thread([&] {
    HttpMainThreadMailbox::post([&] { leftWaiting = true; },
                                HttpMainThreadMailbox::Urgency::MayWait);
  }).join();
  plat::RunLoop::main().discardAllSources();

  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("later"); });
  for (int i = 0; i < 2; ++i) {
    Exchange later(server.url("/later"));
    ASSERT_EQ(later.run().finished, 1);
    EXPECT_EQ(later->responseString(), "later");
  }
  EXPECT_FALSE(leftWaiting);
}

TEST_F(HttpConnectionTest, ATimedOutDownloadResumesToTheSameBytes) {
  testsupport::TempHome home;
  testsupport::VirtualTime time;
  std::string body;
  for (int i = 0; body.size() < 100000; ++i) body += std::to_string(i * 7919 % 100003) + ",";
  const std::vector<uint8_t> gzipped =
      *HttpDataCompressor::compressData(std::vector<uint8_t>(body.begin(), body.end()), nullptr);
  std::atomic<int> calls{0};
  std::atomic<bool> gzip{false}, honourRange{true};
  LoopbackHttpServer server([&](const ServerRequest& r) {
    const std::string sent = gzip ? std::string(gzipped.begin(), gzipped.end()) : body;
    const std::string range = r.header("Range");
    const size_t from = range.empty() || !honourRange ? 0 : std::stoul(range.substr(6));
    ServerReply reply = ServerReply::text(sent.substr(from), from ? 206 : 200);
    if (gzip) reply.header("Content-Encoding", "gzip");
    if (from) {
      reply.header("Content-Range", "bytes " + std::to_string(from) + "-" +
                                        std::to_string(sent.size() - 1) + "/" +
                                        std::to_string(sent.size()));
    }
    if (calls++ % 2 == 0) {  // the first attempt: part of the body, then silence
      reply.pieceSize = 10001;
      reply.pieceDelay = 1000;
    }
    return reply;
  });
  // Resumed or started over; a gzip body inflated on the way resumes too, and starts its inflater
  // over when the server answers the range with the whole body.
  for (auto [resume, inflating, ranges] : {std::tuple{true, false, true},
                                           {false, false, true},
                                           {true, true, true},
                                           {true, true, false}}) {
    gzip = inflating;
    honourRange = ranges;
    SCOPED_TRACE(::testing::Message() << resume << inflating << ranges);
    const std::string destination = home.path() + "/download.txt";
    Exchange get(server.url("/big"));
    get->setDownloadDestinationPath(destination);
    get->setAllowResumeForFileDownloads(resume);
    get->setShouldWaitToInflateCompressedResponses(!inflating);
    get->setTimeOutSeconds(5);
    get->setNumberOfTimesToRetryOnTimeout(1);
    get->setDownloadProgressDelegate(&get);
    const int before = server.requestCount();
    get.start();
    // The whole first piece was read: an inflated body takes it in more than one read, and a read
    // after the clock moved would restart the silence.
    ASSERT_TRUE(runUntil([&] { return get->totalBytesRead() >= 10001; }, testsupport::kPatience));
    // The silence outlasts the time-out; the clock moves on again should the last read of the
    // piece still have been on its way.
    for (int i = 0; i < 10 && server.requestCount() == before + 1; ++i) {
      time.advance(6);
      runUntil([&] { return server.requestCount() > before + 1; }, 5);
    }
    ASSERT_TRUE(runUntil([&] { return get.done(); }, testsupport::kPatience))
        << server.requestCount() << " requests";
    EXPECT_EQ(get.finished, 1);
    EXPECT_TRUE(plat::files::readFile(destination) == body);
    EXPECT_EQ(server.lastRequest().hasHeader("Range"), resume);
    // The second attempt's count replaces the first's: each byte of the reply counted once, in
    // a size counted once.
    runUntil([] { return false; }, 0.05);
    const int64_t replySize = static_cast<int64_t>(inflating ? gzipped.size() : body.size());
    EXPECT_EQ(get.received, replySize);
    EXPECT_EQ(get.downloadSize, replySize);
    ASSERT_FALSE(get.progress.empty());
    EXPECT_DOUBLE_EQ(get.progress.back(), 1.0);
  }
  server.stop();
}

// Runs the exchange on virtual time in steps of 0.1 s, letting the threads work at each; the
// virtual seconds until it reported.
double virtualSecondsUntilDone(testsupport::VirtualTime& time, Exchange& exchange) {
  const double start = time.now();
  exchange.start();
  for (int step = 0; step < 100 && !exchange.done(); ++step) {
    time.clock().advance(0.1);
    runUntil([&] { return exchange.done(); }, 0.02);
  }
  return time.now() - start;
}

TEST_F(HttpConnectionTest, SilenceTimesOutAndMayBeRetried) {
  testsupport::VirtualTime time;
  std::atomic<int> calls{0};
  LoopbackHttpServer server([&](const ServerRequest& r) {
    ServerReply reply = ServerReply::text("late but here");
    if (r.path() == "/silent" || (r.path() == "/once" && calls++ == 0)) reply.hang = true;
    return reply;
  });
  Exchange silent(server.url("/silent"));
  silent->setTimeOutSeconds(0.5);
  double seconds = virtualSecondsUntilDone(time, silent);
  ASSERT_EQ(silent.failureCode(), 2);
  EXPECT_GE(seconds, 0.5);
  EXPECT_LT(seconds, 1.5);

  // A body that went out in one piece may still sit in buffers: half as long again.
  Exchange post(server.url("/silent"));
  post->appendPostData(std::string("x=1"));
  post->setTimeOutSeconds(1.0);
  seconds = virtualSecondsUntilDone(time, post);
  ASSERT_EQ(post.failureCode(), 2);
  EXPECT_GT(seconds, 1.5);  // a plain limit would end it 1 to 1.25 seconds in
  EXPECT_LT(seconds, 2.5);

  Exchange once(server.url("/once"));
  once->setTimeOutSeconds(0.5);
  once->setNumberOfTimesToRetryOnTimeout(1);
  virtualSecondsUntilDone(time, once);
  EXPECT_EQ(once.finished, 1);
  EXPECT_EQ(once->responseString(), "late but here");
  EXPECT_EQ(once->retryCount(), 1);
  EXPECT_EQ(server.requestCount(), 4);
}

TEST_F(HttpConnectionTest, CancellingReportsOnceBeforeOrDuringTheExchange) {
  LoopbackHttpServer server([](const ServerRequest&) {
    ServerReply reply = ServerReply::text(std::string(10000, 'x'));
    reply.pieceSize = 1000;
    reply.pieceDelay = 0.5;  // the body comes slowly
    return reply;
  });
  Exchange get(server.url("/slow"));
  get.start();
  ASSERT_TRUE(runUntil([&] { return get->totalBytesRead() > 0; }));
  get->cancel();
  ASSERT_TRUE(runUntil([&] { return get.done(); }));
  get->cancel();
  runUntil([] { return false; }, 0.2);
  ASSERT_EQ(get.failureCode(), 4);
  EXPECT_TRUE(get->isCancelled());
  EXPECT_TRUE(get->isFinished());
  EXPECT_GE(get->rawResponseData()->size(), 1000u);

  // Cancelled before its start: reported at once, and nothing goes out.
  Exchange early(server.url("/"));
  early->setDelegate(&early);
  early->cancel();
  ASSERT_TRUE(runUntil([&] { return early.done(); }));
  EXPECT_EQ(early.events, (std::vector<std::string>{"failed"}));
  early->startAsynchronous();
  ASSERT_TRUE(runUntil([&] { return early->isFinished(); }));
  EXPECT_EQ(server.requestCount(), 1);
  EXPECT_EQ(early.failed, 1);
}

TEST_F(HttpConnectionTest, ClearedOwnersHearNothingEvenOfReportsOnTheirWay) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  Recorder recorder;
  auto request = HttpRequest::requestWithURL(server.url("/"));
  request->setDelegate(&recorder);
  request->setDownloadProgressDelegate(&recorder);
  bool blockCalled = false;
  request->setCompletionBlock([&] { blockCalled = true; });
  request->startAsynchronous();
  // The request ends on the network thread while the main loop is not running: every report
  // is still waiting for the main thread.
  for (int i = 0; i < 500 && !request->isFinished(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(request->isFinished());
  request->clearDelegatesAndCancel();
  runUntil([] { return false; }, 0.2);
  EXPECT_TRUE(recorder.events.empty());
  EXPECT_TRUE(recorder.progress.empty());
  EXPECT_FALSE(blockCalled);
}

TEST_F(HttpConnectionTest, TheActivityIndicatorFollowsRunningRequests) {
  LoopbackHttpServer server([](const ServerRequest&) {
    ServerReply reply = ServerReply::text("ok");
    reply.delayBeforeHeaders = 0.2;
    return reply;
  });
  // An earlier test that dropped what was left on the main loop (virtual time does) may have
  // dropped the indicator's delayed hide with it, leaving it shown: hide it as that would have.
  ASSERT_TRUE(runUntil([] { return !HttpRequest::isNetworkInUse(); }, testsupport::kPatience));
  HttpRequest::hideNetworkActivityIndicatorIfNeeeded();
  ASSERT_FALSE(HttpRequest::isNetworkActivityIndicatorVisible());
  std::vector<bool> changes;
  HttpRequest::setNetworkActivityIndicatorHandler(
      [&](bool visible) { changes.push_back(visible); });
  Exchange get(server.url("/"));
  get.start();
  ASSERT_TRUE(runUntil([] { return HttpRequest::isNetworkInUse(); }));
  EXPECT_TRUE(HttpRequest::isNetworkActivityIndicatorVisible());
  ASSERT_TRUE(runUntil([&] { return get.done(); }));
  EXPECT_TRUE(runUntil([] { return !HttpRequest::isNetworkActivityIndicatorVisible(); },
                       testsupport::kPatience));
  runUntil([] { return false; }, 0.05);
  HttpRequest::setNetworkActivityIndicatorHandler(nullptr);
  EXPECT_EQ(changes, (std::vector<bool>{true, false}));
}

TEST_F(HttpConnectionTest, CertificatesAreCheckedUnlessTurnedOff) {
  testsupport::TestCertificate certificate;
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("secure"); },
                            certificate);
  plat::stream::removeAddedTrustedCertificates();

  Exchange rejected(server.url("/"));
  ASSERT_EQ(rejected.run().failureCode(), 1);
  EXPECT_NE(rejected.lastError->localizedDescription().find("SSL problem"), std::string::npos);

  Exchange unchecked(server.url("/"));
  unchecked->setValidatesSecureCertificate(false);
  EXPECT_EQ(unchecked.run()->responseString(), "secure");

  ASSERT_TRUE(plat::stream::addTrustedCertificates(certificate.caPem()));
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(Exchange(server.url("/")).run()->responseString(), "secure");
  // The connection made without checking is never lent to a checked request.
  EXPECT_EQ(server.connectionCount(), 3);
  plat::stream::removeAddedTrustedCertificates();
}
