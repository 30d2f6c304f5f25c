#include <gtest/gtest.h>

#include "net/HttpRequest.h"
#include "platform/http/CookieStore.h"
#include "tests/net/NetTestSupport.h"

using namespace nettest;

namespace {

class HttpRedirectTest : public NetTest {};

// A delegate that confirms every redirect itself, to the address it was offered.
class Confirmer : public Recorder {
 public:
  bool respondsTo(HttpDelegateCallback callback) const override {
    return callback == HttpDelegateCallback::WillRedirect;
  }
  void request_willRedirectToURL(HttpRequest& request, const plat::http::Url& url) override {
    record("confirm " + url.path());
    request.redirectToURL(url);
  }
};

}  // namespace

TEST_F(HttpRedirectTest, PostRedirectedByStatusBecomesGetOrStaysPost) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    if (r.path() == "/api/post.php") {
      int status = std::stoi(r.query());
      return ServerReply::redirect(status, "next.php?from=" + r.query());
    }
    return ServerReply::text(r.method + " " + r.target + " body=" + r.body +
                             " accept=" + r.header("Accept") + " custom=" + r.header("X-Custom"));
  });
  for (int status : {301, 302, 303, 307}) {
    Recorder recorder;
    auto request =
        HttpRequest::requestWithURL(server.url("/api/post.php?" + std::to_string(status)));
    request->appendPostData(std::string("k=v"));
    request->addRequestHeader("Accept", "text/plain");
    request->addRequestHeader("X-Custom", "1");
    startAndWait(request, recorder);
    const std::string target = "/api/next.php?from=" + std::to_string(status);
    if (status == 307) {
      EXPECT_EQ(request->responseString(),
                "POST " + target + " body=k=v accept=text/plain custom=1");
    } else {
      EXPECT_EQ(request->responseString(), "GET " + target + " body= accept=text/plain custom=")
          << status;
      EXPECT_FALSE(server.lastRequest().hasHeader("Content-Length")) << status;
    }
    EXPECT_EQ(request->redirectCount(), 1);
    EXPECT_EQ(request->originalURL().path(), "/api/post.php");
    EXPECT_EQ(request->url().path(), "/api/next.php");
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"started", "redirected", "headers",
                                                         "started", "headers", "finished"}));
  }
}

TEST_F(HttpRedirectTest, OtherStatusesWithALocationAreNotFollowed) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    return ServerReply::redirect(std::stoi(r.query()), "/elsewhere");
  });
  for (int status : {300, 304, 308}) {
    Recorder recorder;
    auto request = HttpRequest::requestWithURL(server.url("/?" + std::to_string(status)));
    startAndWait(request, recorder);
    EXPECT_EQ(recorder.finished, 1);
    EXPECT_EQ(request->responseStatusCode(), status);
    EXPECT_EQ(request->redirectCount(), 0);
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
  Recorder five;
  auto fiveHops = HttpRequest::requestWithURL(server.url("/0?5"));
  startAndWait(fiveHops, five);
  EXPECT_EQ(fiveHops->responseString(), "arrived at 5");
  EXPECT_EQ(fiveHops->redirectCount(), 5);

  Recorder six;
  auto sixHops = HttpRequest::requestWithURL(server.url("/0?6"));
  startAndWait(sixHops, six);
  ASSERT_EQ(six.failed, 1);
  EXPECT_EQ(six.lastError->code(), 9);
  EXPECT_EQ(six.lastError->localizedDescription(),
            "The request failed because it redirected too many times");
  EXPECT_EQ(sixHops->redirectCount(), 6);
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
  Recorder setter;
  startAndWait(HttpRequest::requestWithURL(origin.url("/set")), setter);

  Recorder same, away;
  auto sameOrigin = HttpRequest::requestWithURL(origin.url("/same"));
  sameOrigin->addRequestHeader("Authorization", "Basic dTpw");
  startAndWait(sameOrigin, same);
  const std::string sameReply = sameOrigin->responseString().value_or("");
  EXPECT_NE(sameReply.find("sid=secret"), std::string::npos);
  EXPECT_NE(sameReply.find("auth=Basic dTpw"), std::string::npos);

  auto crossOrigin = HttpRequest::requestWithURL(origin.url("/away"));
  crossOrigin->addRequestHeader("Authorization", "Basic dTpw");
  crossOrigin->addRequestHeader("Proxy-Authorization", "Basic dTpw");
  startAndWait(crossOrigin, away);
  if (away.failed) GTEST_SKIP() << "localhost does not resolve here";
  EXPECT_EQ(crossOrigin->responseString(), "cookie= auth=");
  EXPECT_FALSE(target.lastRequest().hasHeader("Proxy-Authorization"));
  plat::http::CookieStore::shared().removeAll();
}

TEST_F(HttpRedirectTest, OwnersConfirmRedirectsAlsoForSynchronousRequests) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    if (r.path() == "/start") return ServerReply::redirect(302, "/end");
    return ServerReply::text("done");
  });
  Confirmer confirmer;
  auto async = HttpRequest::requestWithURL(server.url("/start"));
  startAndWait(async, confirmer);
  EXPECT_EQ(async->responseString(), "done");
  EXPECT_EQ(confirmer.events[3], "confirm /end");

  // On the main thread the question is answered at once; the redirect must still go ahead.
  Confirmer syncConfirmer;
  auto sync = HttpRequest::requestWithURL(server.url("/start"));
  sync->setDelegate(&syncConfirmer);
  sync->startSynchronous();
  EXPECT_EQ(syncConfirmer.finished, 1);
  EXPECT_EQ(sync->responseString(), "done");
}

TEST_F(HttpRedirectTest, ARedirectAwaitingConfirmationCanBeCancelled) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::redirect(302, "/b"); });
  // Asked, but it never answers: the owner cancels instead.
  class Asked : public Recorder {
   public:
    bool respondsTo(HttpDelegateCallback callback) const override {
      return callback == HttpDelegateCallback::WillRedirect;
    }
    void request_willRedirectToURL(HttpRequest&, const plat::http::Url&) override {
      record("asked");
    }
  } owner;
  auto request = HttpRequest::requestWithURL(server.url("/a"));
  request->setDelegate(&owner);
  request->startAsynchronous();
  ASSERT_TRUE(runUntil([&] { return !owner.events.empty() && owner.events.back() == "asked"; }));
  request->cancel();
  ASSERT_TRUE(runUntil([&] { return owner.failed > 0; }));
  EXPECT_EQ(owner.lastError->code(), 4);
  EXPECT_TRUE(request->isFinished());
  EXPECT_EQ(server.requestCount(), 1);
}
