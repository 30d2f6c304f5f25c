#include <gtest/gtest.h>

#include <tuple>

#include "net/HttpRequest.h"
#include "platform/http/CookieStore.h"
#include "tests/net/NetTestSupport.h"

using namespace nettest;

namespace {

class HttpRedirectTest : public NetTest {};

// A delegate asked about every redirect; it confirms it to the address offered, or leaves it.
class Confirmer : public Recorder {
 public:
  bool respondsTo(HttpDelegateCallback callback) const override {
    return callback == HttpDelegateCallback::WillRedirect;
  }
  void request_willRedirectToURL(HttpRequest& request, const plat::http::Url& url) override {
    record("confirm " + url.path());
    if (confirm) request.redirectToURL(url);
  }
  bool confirm = true;
};

}  // namespace

TEST_F(HttpRedirectTest, PostRedirectedByStatusBecomesGetOrStaysPostOrIsNotFollowed) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    if (r.path() == "/api/post.php") {
      int status = std::stoi(r.query());
      return ServerReply::redirect(status, "next.php?from=" + r.query());
    }
    return ServerReply::text(r.method + " " + r.target + " body=" + r.body +
                             " accept=" + r.header("Accept") + " custom=" + r.header("X-Custom"));
  });
  for (int status : {301, 302, 303, 307, 300, 304, 308}) {
    SCOPED_TRACE(status);
    Exchange post(server.url("/api/post.php?" + std::to_string(status)));
    post->appendPostData(std::string("k=v"));
    post->addRequestHeader("Accept", "text/plain");
    post->addRequestHeader("X-Custom", "1");
    post.run();
    const std::string target = "/api/next.php?from=" + std::to_string(status);
    if (status == 307) {
      EXPECT_EQ(post->responseString(), "POST " + target + " body=k=v accept=text/plain custom=1");
    } else if (status != 300 && status < 304) {
      EXPECT_EQ(post->responseString(), "GET " + target + " body= accept=text/plain custom=");
      EXPECT_FALSE(server.lastRequest().hasHeader("Content-Length"));
    } else {
      EXPECT_EQ(post.finished, 1);
      EXPECT_EQ(post->responseStatusCode(), status);
      EXPECT_EQ(post->redirectCount(), 0);
      continue;
    }
    EXPECT_EQ(post->redirectCount(), 1);
    EXPECT_EQ(post->originalURL().path(), "/api/post.php");
    EXPECT_EQ(post->url().path(), "/api/next.php");
    EXPECT_EQ(post.events, (std::vector<std::string>{"started", "redirected", "headers", "started",
                                                     "headers", "finished"}));
  }
}

TEST_F(HttpRedirectTest, FiveRedirectsAreFollowedAndTheSixthFails) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    int step = std::stoi(r.path().substr(1));
    int last = std::stoi(r.query());
    if (step < last)
      return ServerReply::redirect(302, "/" + std::to_string(step + 1) + "?" + r.query());
    return ServerReply::text("arrived at " + std::to_string(step));
  });
  Exchange five(server.url("/0?5"));
  EXPECT_EQ(five.run()->responseString(), "arrived at 5");
  EXPECT_EQ(five->redirectCount(), 5);

  Exchange six(server.url("/0?6"));
  ASSERT_EQ(six.run().failureCode(), 9);
  EXPECT_EQ(six->redirectCount(), 6);
}

TEST_F(HttpRedirectTest, AnotherOriginGetsNeitherOldCookiesNorCredentials) {
  plat::http::CookieStore::shared().removeAll();
  LoopbackHttpServer target([](const ServerRequest& r) {
    return ServerReply::text("cookie=" + r.header("Cookie") + " auth=" + r.header("Authorization"));
  });
  LoopbackHttpServer origin([&](const ServerRequest& r) {
    if (r.path() == "/set") return ServerReply::text("set").header("Set-Cookie", "sid=secret");
    if (r.path() == "/same") return ServerReply::redirect(307, "/echo");
    if (r.path() == "/echo")
      return ServerReply::text("cookie=" + r.header("Cookie") +
                               " auth=" + r.header("Authorization"));
    return ServerReply::redirect(307, "http://localhost:" + std::to_string(target.port()) + "/x");
  });
  Exchange(origin.url("/set")).run();

  Exchange same(origin.url("/same"));
  same->addRequestHeader("Authorization", "Basic dTpw");
  EXPECT_EQ(same.run()->responseString(), "cookie=sid=secret auth=Basic dTpw");

  Exchange away(origin.url("/away"));
  away->addRequestHeader("Authorization", "Basic dTpw");
  away->addRequestHeader("Proxy-Authorization", "Basic dTpw");
  if (away.run().failed) GTEST_SKIP() << "localhost does not resolve here";
  EXPECT_EQ(away->responseString(), "cookie= auth=");
  EXPECT_FALSE(target.lastRequest().hasHeader("Proxy-Authorization"));
  plat::http::CookieStore::shared().removeAll();
}

TEST_F(HttpRedirectTest, OwnersConfirmRedirectsAlsoForSynchronousRequestsOrCancelThem) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    if (r.path() == "/start") return ServerReply::redirect(302, "/end");
    return ServerReply::text("done");
  });
  ExchangeWith<Confirmer> async(server.url("/start"));
  EXPECT_EQ(async.run()->responseString(), "done");
  EXPECT_EQ(async.events[3], "confirm /end");

  // On the main thread the question is answered at once; the redirect must still go ahead.
  Confirmer syncConfirmer;
  auto sync = HttpRequest::requestWithURL(server.url("/start"));
  sync->setDelegate(&syncConfirmer);
  sync->startSynchronous();
  EXPECT_EQ(syncConfirmer.finished, 1);
  EXPECT_EQ(sync->responseString(), "done");

  // Asked, but it never answers: the owner cancels instead.
  const int before = server.requestCount();
  ExchangeWith<Confirmer> owner(server.url("/start"));
  owner.confirm = false;
  owner.start();
  ASSERT_TRUE(
      runUntil([&] { return !owner.events.empty() && owner.events.back() == "confirm /end"; }));
  owner->cancel();
  ASSERT_TRUE(runUntil([&] { return owner.failed > 0; }));
  EXPECT_EQ(owner.failureCode(), 4);
  EXPECT_TRUE(owner->isFinished());
  EXPECT_EQ(server.requestCount() - before, 1);
}

// A POST answered with 303 sent its body once: the upload ends done, in fractions and in sums,
// however the status checks fell around the reply, and the GET that follows sends nothing more.
TEST_F(HttpRedirectTest, AnUploadTurnedIntoAGetByARedirectEndsDone) {
  struct UploadRecorder : Recorder {
    void request_incrementUploadSizeBy(HttpRequest&, int64_t bytes) override {
      uploadSize += bytes;
    }
    int64_t uploadSize = 0;
  };
  LoopbackHttpServer server([](const ServerRequest& r) {
    if (r.method != "POST") return ServerReply::text("GET " + r.path());
    ServerReply reply = ServerReply::redirect(303, "/done");
    reply.delayBeforeHeaders = r.path() == "/slow" ? 0.6 : 0;
    return reply;
  });
  for (const char* path : {"/fast", "/slow"}) {
    for (size_t size : {size_t{3000}, size_t{8} << 20}) {
      SCOPED_TRACE(::testing::Message() << path << " " << size);
      ExchangeWith<UploadRecorder> post(server.url(path));
      post->setUploadProgressDelegate(&post);
      post->appendPostData(std::string(size, 'u'));
      EXPECT_EQ(post.run()->responseString(), "GET /done");
      ASSERT_FALSE(post.progress.empty());
      EXPECT_DOUBLE_EQ(post.progress.back(), 1.0);
      EXPECT_GT(post.sent, 0);
      EXPECT_EQ(post.sent, post.uploadSize);
    }
  }
  // Counted in units: one for the body, and the reply's own still comes at the end.
  ExchangeWith<UploadRecorder> rough(server.url("/fast"));
  rough->setShowAccurateProgress(false);
  rough->setUploadProgressDelegate(&rough);
  rough->setDownloadProgressDelegate(&rough);
  rough->appendPostData(std::string("body"));
  rough.run();
  EXPECT_EQ(std::make_tuple(rough.sent, rough.uploadSize, rough.received),
            std::make_tuple(int64_t{1}, int64_t{1}, int64_t{1}));
}
