#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <future>
#include <memory>

#include "net/HttpDataCompressor.h"
#include "net/HttpDataDecompressor.h"
#include "net/HttpDownloadCache.h"
#include "net/HttpRequest.h"
#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/base/NamedException.h"
#include "platform/http/CookieStore.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/Patience.h"
#include "tests/support/TempHome.h"

using namespace nettest;

namespace {

class HttpRequestTest : public NetTest {};

// Keeps the network thread busy for as long as it lives (at most the tests' patience, so that a
// test that fails does not hold it for good).
class NetworkThreadHold {
 public:
  NetworkThreadHold() {
    auto state = state_;
    HttpRequest::threadForRequest(nullptr).perform([state] {
      state->held = true;
      state->released.wait_for(std::chrono::duration<double>(testsupport::kPatience));
      state->held = false;
    });
    runUntil([state] { return state->held.load(); });
  }
  ~NetworkThreadHold() {
    state_->letGo.set_value();
    runUntil([state = state_] { return !state->held; });
  }
  bool held() const { return state_->held; }

 private:
  struct State {
    std::promise<void> letGo;
    std::shared_future<void> released = letGo.get_future().share();
    std::atomic<bool> held{false};
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

int closedPort() {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply(); });
  int port = server.port();
  server.stop();
  return port;
}

}  // namespace

TEST_F(HttpRequestTest, RequestsGoOutInTheirVersionAndMethodAndReportOnTheMainThread) {
  HttpRequest::setDefaultUserAgentString("VocabTest 1.0");
  LoopbackHttpServer server([](const ServerRequest& r) {
    if (r.path() == "/echo") return ServerReply::text(r.method + " " + r.version + " " + r.body);
    return ServerReply::text("hello " + r.query(), 202).header("X-Reply", "yes");
  });
  Exchange get(server.url("/api/x.php?a=1"));
  get.run();
  EXPECT_EQ(get.events, (std::vector<std::string>{"started", "headers", "finished"}));
  EXPECT_FALSE(get.offMainThread);
  EXPECT_EQ(get->responseStatusCode(), 202);
  EXPECT_EQ(get->responseStatusMessage(), "HTTP/1.1 202 Accepted");
  EXPECT_EQ(get->responseHeaders().value("x-reply"), "yes");
  EXPECT_EQ(get->responseString(), "hello a=1");

  ServerRequest seen = server.lastRequest();
  EXPECT_EQ(seen.method, "GET");
  EXPECT_EQ(seen.header("User-Agent"), "VocabTest 1.0");
  EXPECT_EQ(seen.header("Accept-Encoding"), "gzip");
  EXPECT_FALSE(seen.hasHeader("Content-Length"));
  HttpRequest::setDefaultUserAgentString("");

  Exchange oldStyle(server.url("/echo"));
  oldStyle->setUseHTTPVersionOne(true);
  EXPECT_EQ(oldStyle.run()->responseString(), "GET HTTP/1.0 ");
  // A DELETE with a body becomes a POST.
  Exchange withBody(server.url("/echo"));
  withBody->setRequestMethod("DELETE");
  withBody->appendPostData(std::string("x=1"));
  EXPECT_EQ(withBody.run()->responseString(), "POST HTTP/1.1 x=1");
  EXPECT_EQ(server.lastRequest().header("Content-Length"), "3");
}

// The network thread is held busy all along: a synchronous request that needed it for any step
// (the exchange, the redirect, the status checks while the server waits) would end only once it
// is let go.
TEST_F(HttpRequestTest,
       ASynchronousRequestWorksOnTheCallingThreadAloneAndRunsNothingElseMeanwhile) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    if (r.path() == "/start") return ServerReply::redirect(302, "/end");
    ServerReply reply = ServerReply::text("done");
    reply.delayBeforeHeaders = 0.4;  // a status check or more meanwhile
    return reply;
  });
  NetworkThreadHold hold;
  ASSERT_TRUE(hold.held());
  bool otherWorkRan = false;
  plat::RunLoop::main().perform([&] { otherWorkRan = true; });

  Recorder owner;
  auto request = HttpRequest::requestWithURL(server.url("/start"));
  request->setDelegate(&owner);
  request->startSynchronous();
  EXPECT_TRUE(hold.held());
  EXPECT_FALSE(otherWorkRan);
  EXPECT_EQ(owner.finished, 1);
  EXPECT_FALSE(owner.offMainThread);
  EXPECT_EQ(request->responseString(), "done");
  EXPECT_EQ(server.requestCount(), 2);
  request->setDelegate(nullptr);
  EXPECT_TRUE(runUntil([&] { return otherWorkRan; }));
}

TEST_F(HttpRequestTest, FourHundredsFinishButChallengesRefusalsAndCutBodiesFail) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    if (r.path() == "/missing") return ServerReply::text("no such page", 404);
    if (r.path() == "/secret")
      return ServerReply::text("who are you", 401).header("WWW-Authenticate", "Basic realm=\"x\"");
    ServerReply reply = ServerReply::text(std::string(100000, 'c'));
    reply.closeAfterBodyBytes = 5000;
    return reply;
  });
  Exchange missing(server.url("/missing"));
  missing->setUsername("tag-only");  // a tag, no password: no Authorization goes out
  EXPECT_EQ(missing.run().finished, 1);
  EXPECT_FALSE(server.lastRequest().hasHeader("Authorization"));
  EXPECT_EQ(missing->responseStatusCode(), 404);
  EXPECT_EQ(missing->responseString(), "no such page");

  Exchange secret(server.url("/secret"));
  ASSERT_EQ(secret.run().failureCode(), 3);
  EXPECT_EQ(secret->responseStatusCode(), 401);
  Exchange halfway(server.url("/cut"));
  ASSERT_EQ(halfway.run().failureCode(), 1);
  EXPECT_EQ(server.requestCount(), 3);  // a cut body is not fetched again

  Exchange refused("http://127.0.0.1:" + std::to_string(closedPort()) + "/");
  ASSERT_EQ(refused.run().failureCode(), 1);
  EXPECT_EQ(refused.lastError->underlyingError()->code(), ECONNREFUSED);
  EXPECT_FALSE(refused->responseString());
  Exchange noUrl("");
  EXPECT_EQ(noUrl.run().events, (std::vector<std::string>{"failed"}));
  EXPECT_EQ(noUrl.failureCode(), 5);
}

TEST_F(HttpRequestTest, BodiesByLengthChunksAndGzipInflateOnDemandOrOnTheFlyOrFail) {
  const std::string page(300000, 'p');
  LoopbackHttpServer server([&](const ServerRequest& r) {
    ServerReply reply = ServerReply::text(page);
    if (r.path() == "/chunked") {
      reply.framing = ServerReply::Framing::Chunked;
      reply.chunkSize = 777;
    }
    if (r.query() == "gzip") reply.gzip = true;
    if (r.path() == "/fake")
      reply = ServerReply::text("never compressed").header("Content-Encoding", "gzip");
    return reply;
  });
  // A gzip body is kept compressed until asked for, or inflated as it arrives.
  for (bool onTheFly : {false, true}) {
    for (const char* path : {"/length", "/chunked", "/length?gzip", "/chunked?gzip"}) {
      SCOPED_TRACE(std::string(path) + (onTheFly ? " on the fly" : ""));
      const bool gzip = std::string(path).find("gzip") != std::string::npos;
      Exchange get(server.url(path));
      get->setShouldWaitToInflateCompressedResponses(!onTheFly);
      get.run();
      EXPECT_EQ(text(get->responseData()), page);
      EXPECT_EQ(get->isResponseCompressed(), gzip);
      if (gzip && !onTheFly) {
        EXPECT_LT(get->rawResponseData()->size(), page.size() / 10);
      } else {
        EXPECT_EQ(text(get->rawResponseData()), page);
      }
    }
  }
  // A body that says it is gzip but is not fails when inflated as it arrives, and gives no data
  // when inflated later.
  Exchange onTheFly(server.url("/fake"));
  onTheFly->setShouldWaitToInflateCompressedResponses(false);
  ASSERT_EQ(onTheFly.run().failureCode(), 11);
  Exchange onDemand(server.url("/fake"));
  EXPECT_EQ(onDemand.run().finished, 1);
  EXPECT_FALSE(onDemand->responseData());
  EXPECT_EQ(text(onDemand->rawResponseData()), "never compressed");
}

TEST_F(HttpRequestTest, AGzipBodyCutShortIsNeverTakenForTheWholeBody) {
  testsupport::TempHome home;
  std::string page;
  for (int i = 0; page.size() < 200000; ++i) page += std::to_string(i * 7919 % 100003) + " ";
  const std::vector<uint8_t> gzipped =
      *HttpDataCompressor::compressData(std::vector<uint8_t>(page.begin(), page.end()), nullptr);
  const std::string cut(gzipped.begin(), gzipped.begin() + gzipped.size() / 2);
  // The connection closes halfway through the stream, or the server frames the half it has.
  LoopbackHttpServer server([&](const ServerRequest& r) {
    ServerReply reply = ServerReply::text(cut).header("Content-Encoding", "gzip");
    if (r.path() == "/closed") reply.framing = ServerReply::Framing::UntilClose;
    return reply;
  });
  const std::string file = home.path() + "/reply";
  for (const char* path : {"/closed", "/framed"}) {
    for (bool onTheFly : {false, true}) {
      for (bool toFile : {false, true}) {
        SCOPED_TRACE(::testing::Message()
                     << path << " on the fly " << onTheFly << " to a file " << toFile);
        Exchange get(server.url(path));
        get->setShouldWaitToInflateCompressedResponses(!onTheFly);
        if (toFile) get->setDownloadDestinationPath(file);
        get.run();
        EXPECT_FALSE(plat::files::exists(file));
        if (onTheFly || toFile) {
          EXPECT_EQ(get.failureCode(), kHttpCompressionFailure);
        } else {
          // Kept compressed: the request ends, and its body does not inflate.
          EXPECT_EQ(get.finished, 1);
          EXPECT_FALSE(get->responseData());
        }
      }
    }
  }
}

TEST_F(HttpRequestTest, AGzipBodyOfSeveralMembersArrivesWhole) {
  testsupport::TempHome home;
  std::string page, members;
  for (int part = 0; part < 3; ++part) {
    std::string text;
    for (int i = 0; text.size() < 40000u >> part; ++i) text += std::to_string(i * 31 + part) + " ";
    page += text;
    const auto member =
        *HttpDataCompressor::compressData(std::vector<uint8_t>(text.begin(), text.end()), nullptr);
    members.append(member.begin(), member.end());
  }
  LoopbackHttpServer server([&](const ServerRequest&) {
    return ServerReply::text(members).header("Content-Encoding", "gzip");
  });
  const std::string file = home.path() + "/reply";
  for (bool onTheFly : {false, true}) {
    for (bool toFile : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "on the fly " << onTheFly << " to a file " << toFile);
      Exchange get(server.url("/"));
      get->setShouldWaitToInflateCompressedResponses(!onTheFly);
      if (toFile) get->setDownloadDestinationPath(file);
      EXPECT_EQ(get.run().finished, 1);
      const std::string body =
          toFile ? plat::files::readFile(file).value_or("") : text(get->responseData());
      EXPECT_EQ(body.size(), page.size());
      EXPECT_TRUE(body == page);
      plat::files::remove(file);
    }
  }
}

TEST_F(HttpRequestTest, BodiesOverTheCeilingFailWithoutFillingMemoryOrDisk) {
  testsupport::TempHome home;
  const auto bomb = std::make_shared<const std::string>(64 << 20, '\0');
  LoopbackHttpServer server([&](const ServerRequest& r) {
    ServerReply reply;
    reply.sharedBody = bomb;
    if (r.path() == "/chunked") reply.framing = ServerReply::Framing::Chunked;
    reply.gzip = r.query() == "gzip";
    return reply;
  });
  struct Case {
    const char* path;
    bool onTheFly, toFile;
  };
  for (Case c : {Case{"/length", false, false}, Case{"/chunked", false, true},
                 Case{"/chunked?gzip", false, false}, Case{"/chunked?gzip", true, false},
                 Case{"/chunked?gzip", false, true}, Case{"/chunked?gzip", true, true}}) {
    SCOPED_TRACE(::testing::Message()
                 << c.path << " on the fly " << c.onTheFly << " to a file " << c.toFile);
    Exchange get(server.url(c.path));
    get->setMaxResponseBytes(1 << 20);
    get->setShouldWaitToInflateCompressedResponses(!c.onTheFly);
    const std::string file = home.path() + "/reply";
    if (c.toFile) get->setDownloadDestinationPath(file);
    get.run();
    if (!c.onTheFly && !c.toFile && get->isResponseCompressed()) {
      // Fetched compressed (small enough); it is the inflating that stops at the ceiling.
      EXPECT_EQ(get.finished, 1);
      EXPECT_FALSE(get->responseData());
    } else {
      EXPECT_EQ(get.failed, 1);
      EXPECT_LE(plat::files::fileSize(file).value_or(0), uint64_t{2} << 20);
    }
    EXPECT_LE(get->rawResponseData().value_or(HttpRequest::Bytes()).size(), 2u << 20);
    plat::files::remove(file);
  }
}

TEST_F(HttpRequestTest, AFramingErrorKeepsTheHeadAndOtherSchemesAreRefused) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    if (r.path() == "/away") return ServerReply::redirect(302, "ftp://127.0.0.1/file");
    ServerReply reply;
    reply.raw =
        "HTTP/1.1 503 Busy\r\nContent-Length: 10\r\nContent-Length: 20\r\n"
        "Retry-After: 5\r\n\r\n0123456789";
    return reply;
  });
  Exchange conflicting(server.url("/"));
  ASSERT_EQ(conflicting.run().failed, 1);
  EXPECT_EQ(conflicting->responseStatusCode(), 503);
  EXPECT_EQ(conflicting->responseHeaders().value("Retry-After"), "5");

  for (const std::string& url : {std::string("file:///etc/passwd"), server.url("/away")}) {
    Exchange refused(url);
    ASSERT_EQ(refused.run().failureCode(), 5) << url;
  }
}

TEST_F(HttpRequestTest, ResponseTextFollowsTheCharsetAndEmptyBodiesAreEmptyText) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    ServerReply reply;
    reply.body = "caf\xc3\xa9";
    if (r.path() == "/utf8") reply.header("Content-Type", "text/html; CHARSET= utf-8");
    if (r.path() == "/unknown") reply.header("Content-Type", "text/html; charset=klingon");
    if (r.path() == "/empty") reply.body.clear();
    return reply;
  });
  auto fetch = [&](const char* path) { return Exchange(server.url(path)).run()->responseString(); };
  EXPECT_EQ(fetch("/utf8"), "caf\xc3\xa9");
  EXPECT_EQ(fetch("/plain"), "caf\xc3\x83\xc2\xa9");  // read as ISO Latin-1
  EXPECT_EQ(fetch("/unknown"), "caf\xc3\x83\xc2\xa9");
  EXPECT_EQ(fetch("/empty"), "");
}

namespace {

// A cache whose store has gone: asking it raises.
class BrokenCache : public HttpDownloadCache {
 public:
  bool canUseCachedDataForRequest(HttpRequest&) override {
    throw plat::NamedException("CacheUnavailable", "the cache folder is gone");
  }
};

}  // namespace

TEST_F(HttpRequestTest, AnExceptionWhileSettingUpFailsWithItsName) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  BrokenCache cache;
  Exchange get(HttpRequest::requestWithURL(*plat::http::Url::parse(server.url("/")), &cache));
  ASSERT_EQ(get.run().failureCode(), 10);
  EXPECT_EQ(get.lastError->localizedDescription(), "CacheUnavailable");
  EXPECT_EQ(get.lastError->failureReason(), "the cache folder is gone");
  EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(HttpRequestTest, CookiesFromRepliesGoBackAndIntoTheSession) {
  plat::http::CookieStore::shared().removeAll();
  HttpRequest::setSessionCookies({});
  LoopbackHttpServer server([](const ServerRequest& r) {
    ServerReply reply = ServerReply::text("cookie: " + r.header("Cookie"));
    if (r.path() == "/login")
      reply.header("Set-Cookie", "sid=abc; Path=/").header("Set-Cookie", "lang=zh");
    return reply;
  });
  Exchange(server.url("/login")).run();
  Exchange next(server.url("/next"));
  plat::http::Cookie manual;
  manual.name = "manual";
  manual.value = "1";
  next->setRequestCookies({manual});
  EXPECT_EQ(next.run()->responseString(), "cookie: manual=1; sid=abc; lang=zh");
  auto session = HttpRequest::sessionCookies();
  ASSERT_EQ(session.size(), 2u);
  EXPECT_EQ(session[0].name, "sid");

  // The same name, domain and path again: replaced, and moved to the end.
  HttpRequest::addSessionCookie(session[0]);
  EXPECT_EQ(HttpRequest::sessionCookies()[1].name, "sid");
  HttpRequest::setSessionCookies({});
  EXPECT_TRUE(plat::http::CookieStore::shared().allCookies().empty());
}

TEST_F(HttpRequestTest, ABodyStreamedFromDiskGoesOutGzippedWhole) {
  testsupport::TempHome home;
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  std::string body;
  for (int i = 0; body.size() < 300000; ++i) body += std::to_string(i * 7919) + ";";
  Exchange post(server.url("/up"));
  post->setShouldStreamPostDataFromDisk(true);
  post->setShouldCompressRequestBody(true);
  post->appendPostData(body.substr(0, 1000));
  post->appendPostData(body.substr(1000));
  ASSERT_EQ(post.run().finished, 1);
  const ServerRequest seen = server.lastRequest();
  EXPECT_EQ(seen.header("Content-Encoding"), "gzip");
  EXPECT_LT(seen.body.size(), body.size() / 2);
  HttpErrorPtr error;
  auto inflated = HttpDataDecompressor::uncompressData(
      std::vector<uint8_t>(seen.body.begin(), seen.body.end()), &error);
  EXPECT_EQ(text(inflated), body);
  EXPECT_TRUE(plat::files::list(plat::AppHome::tmpDir()).empty());  // both body files are gone
}

TEST_F(HttpRequestTest, DownloadsToAFileReplaceItWithTheInflatedBody) {
  testsupport::TempHome home;
  const std::string page(200000, 'd');
  LoopbackHttpServer server([&](const ServerRequest& r) {
    ServerReply reply = ServerReply::text(page);
    reply.gzip = r.query() == "gzip";
    return reply;
  });
  // Inflating as the body arrives is the resumed downloads' case.
  for (const char* path : {"/plain", "/file?gzip"}) {
    SCOPED_TRACE(path);
    std::string destination = home.path() + "/download.txt";
    plat::files::writeFileAtomically(destination, "old content");
    Exchange get(server.url(path));
    get->setDownloadDestinationPath(destination);
    EXPECT_EQ(get.run().finished, 1);
    EXPECT_EQ(plat::files::readFile(destination), page);
    EXPECT_FALSE(get->rawResponseData());
    EXPECT_TRUE(plat::files::list(plat::AppHome::tmpDir()).empty());
  }
}

TEST_F(HttpRequestTest, ProgressRisesToOneCountingEveryByteOrOneUnitWithoutAccuracy) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    if (r.method == "POST") return ServerReply::text(std::to_string(r.body.size()));
    ServerReply reply = ServerReply::text(std::string(1000, 'z'));
    reply.pieceSize = 250;
    reply.pieceDelay = 0.3;  // long enough for status checks in between
    if (r.path() != "/sized") reply.framing = ServerReply::Framing::UntilClose;
    if (r.path() == "/empty") reply.body.clear();
    return reply;
  });
  Exchange sized(server.url("/sized"));
  sized->setDownloadProgressDelegate(&sized);
  const std::vector<double>& progress = sized.run().progress;
  ASSERT_GE(progress.size(), 3u);
  EXPECT_EQ(progress.front(), 0.0);
  EXPECT_EQ(progress.back(), 1.0);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_GT(
      std::count_if(progress.begin(), progress.end(), [](double f) { return f > 0 && f < 1; }), 0);
  EXPECT_EQ(sized.received, 1000);

  // Without a length, one unit at the end; an empty body ends at one too, never at NaN.
  for (const char* path : {"/unsized", "/empty"}) {
    Exchange unsized(server.url(path));
    unsized->setDownloadProgressDelegate(&unsized);
    ASSERT_FALSE(unsized.run().progress.empty()) << path;
    for (double f : unsized.progress) EXPECT_FALSE(std::isnan(f)) << path;
    EXPECT_EQ(unsized.progress.back(), 1.0) << path;
  }

  Exchange post(server.url("/upload"));
  post->setUploadProgressDelegate(&post);
  post->appendPostData(std::string(8 << 20, 'u'));
  EXPECT_EQ(post.run()->responseString(), std::to_string(8 << 20));
  ASSERT_FALSE(post.progress.empty());
  EXPECT_EQ(post.progress.front(), 0.0);
  EXPECT_DOUBLE_EQ(post.progress.back(), 1.0);
  EXPECT_EQ(post->totalBytesSent(), 8u << 20);

  Exchange rough(server.url("/"));
  rough->setShowAccurateProgress(false);
  rough->setDownloadProgressDelegate(&rough);
  rough->setUploadProgressDelegate(&rough);
  rough->appendPostData(std::string("body"));
  EXPECT_EQ(rough.run().received, 1);
  EXPECT_EQ(rough.sent, 1);
}

// A body appended to a temporary file is copied with the request: each of the two sends its own
// bytes whichever ends first, appends after the copy go to one of them only, and neither leaves
// its file behind.
TEST_F(HttpRequestTest, ACopyOfABodyStreamedFromDiskSendsItWhicheverEndsFirst) {
  testsupport::TempHome home;
  LoopbackHttpServer server([](const ServerRequest& r) { return ServerReply::text(r.body); });
  for (bool originalFirst : {true, false}) {
    SCOPED_TRACE(originalFirst);
    auto original = HttpRequest::requestWithURL(server.url("/up"));
    original->setShouldStreamPostDataFromDisk(true);
    original->appendPostData(std::string(70000, 'a'));
    std::shared_ptr<HttpRequest> copy = original->copy();
    original->appendPostData(std::string("-mine"));
    copy->appendPostData(std::string("-copy's"));
    Exchange first(originalFirst ? original : copy), second(originalFirst ? copy : original);
    for (Exchange* exchange : {&first, &second}) {
      (*exchange)->setTimeOutSeconds(5);
      EXPECT_EQ(exchange->run().finished, 1);
      const bool isOriginal = exchange->request == original;
      EXPECT_EQ((*exchange)->responseString(),
                std::string(70000, 'a') + (isOriginal ? "-mine" : "-copy's"));
    }
    EXPECT_TRUE(plat::files::list(plat::AppHome::tmpDir()).empty());
  }
}
