#include <gtest/gtest.h>

#include <atomic>

#include "net/HttpDataCompressor.h"
#include "net/HttpDataDecompressor.h"
#include "net/HttpRequest.h"
#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"
#include "platform/base/Device.h"
#include "platform/base/Files.h"
#include "platform/base/NamedException.h"
#include "platform/http/CookieStore.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/TempHome.h"

using namespace nettest;

namespace {

class HttpRequestTest : public NetTest {};

int closedPort() {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply(); });
  int port = server.port();
  server.stop();
  return port;
}

}  // namespace

TEST_F(HttpRequestTest, GetReturnsStatusHeadersAndBodyOnTheMainThread) {
  HttpRequest::setDefaultUserAgentString("VocabTest 1.0");
  LoopbackHttpServer server([](const ServerRequest& r) {
    return ServerReply::text("hello " + r.query(), 202).header("X-Reply", "yes");
  });
  Recorder recorder;
  auto request = HttpRequest::requestWithURL(server.url("/api/x.php?a=1"));
  startAndWait(request, recorder);
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"started", "headers", "finished"}));
  EXPECT_FALSE(recorder.offMainThread);
  EXPECT_EQ(request->responseStatusCode(), 202);
  EXPECT_EQ(request->responseStatusMessage(), "HTTP/1.1 202 Accepted");
  EXPECT_EQ(request->responseHeaders().value("x-reply"), "yes");
  EXPECT_EQ(request->responseString(), "hello a=1");
  EXPECT_EQ(request->responseEncoding(), "utf-8");
  EXPECT_TRUE(request->isFinished());

  ServerRequest seen = server.lastRequest();
  EXPECT_EQ(seen.method, "GET");
  EXPECT_EQ(seen.version, "HTTP/1.1");
  EXPECT_EQ(seen.header("User-Agent"), "VocabTest 1.0");
  EXPECT_EQ(seen.header("Accept-Encoding"), "gzip");
  EXPECT_FALSE(seen.hasHeader("Content-Length"));
  EXPECT_FALSE(seen.hasHeader("Authorization"));
  HttpRequest::setDefaultUserAgentString("");
}

TEST_F(HttpRequestTest, StatusesOfFourHundredFinishButAChallengeFails) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    if (r.path() == "/missing") return ServerReply::text("no such page", 404);
    return ServerReply::text("who are you", 401).header("WWW-Authenticate", "Basic realm=\"x\"");
  });
  Recorder missing;
  auto notFound = HttpRequest::requestWithURL(server.url("/missing"));
  notFound->setUsername("tag-only");  // a tag, no password: no Authorization goes out
  startAndWait(notFound, missing);
  EXPECT_EQ(missing.finished, 1);
  EXPECT_EQ(notFound->responseStatusCode(), 404);
  EXPECT_EQ(notFound->responseString(), "no such page");

  Recorder challenged;
  auto secret = HttpRequest::requestWithURL(server.url("/secret"));
  startAndWait(secret, challenged);
  ASSERT_EQ(challenged.failed, 1);
  EXPECT_EQ(secret->error()->code(), 3);
  EXPECT_EQ(secret->error()->localizedDescription(), "Authentication needed");
  EXPECT_EQ(secret->responseStatusCode(), 401);
}

TEST_F(HttpRequestTest, BodiesByLengthChunksAndGzipInflateOnDemandOrOnTheFly) {
  const std::string page(300000, 'p');
  LoopbackHttpServer server([&](const ServerRequest& r) {
    ServerReply reply = ServerReply::text(page);
    if (r.path() == "/chunked") {
      reply.framing = ServerReply::Framing::Chunked;
      reply.chunkSize = 777;
    }
    if (r.query() == "gzip") reply.gzip = true;
    return reply;
  });
  for (const char* path : {"/length", "/chunked", "/length?gzip", "/chunked?gzip"}) {
    Recorder recorder;
    auto request = HttpRequest::requestWithURL(server.url(path));
    startAndWait(request, recorder);
    EXPECT_EQ(text(request->responseData()), page) << path;
    EXPECT_EQ(request->isResponseCompressed(), std::string(path).find("gzip") != std::string::npos);
  }
  // Kept compressed until asked for, or inflated as it arrives.
  Recorder onDemand, onTheFly;
  auto lazy = HttpRequest::requestWithURL(server.url("/length?gzip"));
  startAndWait(lazy, onDemand);
  EXPECT_LT(lazy->rawResponseData()->size(), page.size() / 10);
  auto eager = HttpRequest::requestWithURL(server.url("/chunked?gzip"));
  eager->setShouldWaitToInflateCompressedResponses(false);
  startAndWait(eager, onTheFly);
  EXPECT_EQ(text(eager->rawResponseData()), page);
  EXPECT_EQ(text(eager->responseData()), page);
}

TEST_F(HttpRequestTest, ACorruptGzipReplyFailsWhenInflatedOnTheFlyAndGivesNoDataLater) {
  LoopbackHttpServer server([](const ServerRequest&) {
    ServerReply reply = ServerReply::text("this was never compressed");
    reply.header("Content-Encoding", "gzip");
    return reply;
  });
  Recorder eager, lazy;
  auto onTheFly = HttpRequest::requestWithURL(server.url("/"));
  onTheFly->setShouldWaitToInflateCompressedResponses(false);
  startAndWait(onTheFly, eager);
  ASSERT_EQ(eager.failed, 1);
  EXPECT_EQ(eager.lastError->code(), 11);
  EXPECT_EQ(eager.lastError->localizedDescription(), "Decompression of data failed with code -3");

  auto onDemand = HttpRequest::requestWithURL(server.url("/"));
  startAndWait(onDemand, lazy);
  EXPECT_EQ(lazy.finished, 1);
  EXPECT_FALSE(onDemand->responseData());
  EXPECT_EQ(onDemand->rawResponseData()->size(), 25u);
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
    const std::string label =
        std::string(c.path) + (c.onTheFly ? " on the fly" : "") + (c.toFile ? " to a file" : "");
    Recorder recorder;
    auto request = HttpRequest::requestWithURL(server.url(c.path));
    request->setMaxResponseBytes(1 << 20);
    request->setShouldWaitToInflateCompressedResponses(!c.onTheFly);
    const std::string file = home.path() + "/reply";
    if (c.toFile) request->setDownloadDestinationPath(file);
    startAndWait(request, recorder, 60);
    const bool keptCompressed = !c.onTheFly && !c.toFile && request->isResponseCompressed();
    if (keptCompressed) {
      // Fetched compressed (small enough); it is the inflating that stops at the ceiling.
      EXPECT_EQ(recorder.finished, 1) << label;
      EXPECT_FALSE(request->responseData()) << label;
    } else {
      EXPECT_EQ(recorder.failed, 1) << label;
      EXPECT_LE(plat::files::fileSize(file).value_or(0), uint64_t{2} << 20) << label;
    }
    EXPECT_LE(request->rawResponseData().value_or(HttpRequest::Bytes()).size(), 2u << 20) << label;
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
  Recorder conflicting;
  auto request = HttpRequest::requestWithURL(server.url("/"));
  startAndWait(request, conflicting);
  ASSERT_EQ(conflicting.failed, 1);
  EXPECT_EQ(request->responseStatusCode(), 503);
  EXPECT_EQ(request->responseHeaders().value("Retry-After"), "5");

  for (const std::string& url : {std::string("file:///etc/passwd"), server.url("/away")}) {
    Recorder refused;
    auto other = HttpRequest::requestWithURL(url);
    startAndWait(other, refused);
    ASSERT_EQ(refused.failed, 1) << url;
    EXPECT_EQ(refused.lastError->code(), 5) << url;
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
  auto fetch = [&](const char* path) {
    Recorder recorder;
    auto request = HttpRequest::requestWithURL(server.url(path));
    startAndWait(request, recorder);
    return request->responseString();
  };
  EXPECT_EQ(fetch("/utf8"), "caf\xc3\xa9");
  EXPECT_EQ(fetch("/plain"), "caf\xc3\x83\xc2\xa9");  // read as ISO Latin-1
  EXPECT_EQ(fetch("/unknown"), "caf\xc3\x83\xc2\xa9");
  EXPECT_EQ(fetch("/empty"), "");
}

TEST_F(HttpRequestTest, FailuresCarryTheirFixedTexts) {
  Recorder refused;
  auto toNowhere =
      HttpRequest::requestWithURL("http://127.0.0.1:" + std::to_string(closedPort()) + "/");
  startAndWait(toNowhere, refused);
  ASSERT_TRUE(refused.lastError);
  EXPECT_EQ(refused.lastError->domain(), "HttpRequestErrorDomain");
  EXPECT_EQ(refused.lastError->code(), 1);
  EXPECT_EQ(refused.lastError->localizedDescription(), "A connection failure occurred");
  EXPECT_EQ(refused.lastError->underlyingError()->code(), ECONNREFUSED);
  EXPECT_FALSE(toNowhere->responseString());

  Recorder badUrl;
  auto noUrl = HttpRequest::requestWithURL("");
  startAndWait(noUrl, badUrl);
  EXPECT_EQ(badUrl.events, (std::vector<std::string>{"failed"}));
  EXPECT_EQ(badUrl.lastError->code(), 5);
  EXPECT_EQ(badUrl.lastError->localizedDescription(), "Unable to create request (bad url?)");

  LoopbackHttpServer cutting([](const ServerRequest&) {
    ServerReply reply = ServerReply::text(std::string(100000, 'c'));
    reply.closeAfterBodyBytes = 5000;
    return reply;
  });
  Recorder cut;
  auto halfway = HttpRequest::requestWithURL(cutting.url("/"));
  startAndWait(halfway, cut);
  ASSERT_EQ(cut.failed, 1);
  EXPECT_EQ(cut.lastError->localizedDescription(), "A connection failure occurred");
  EXPECT_EQ(cutting.requestCount(), 1);  // a cut body is not fetched again
}

namespace {

// A cache whose store has gone: every question to it raises.
class BrokenCache : public HttpCacheDelegate {
 public:
  int defaultCachePolicy() const override { return kUseCacheDefaultPolicy; }
  bool canUseCachedDataForRequest(HttpRequest&) override {
    throw plat::NamedException("CacheUnavailable", "the cache folder is gone");
  }
  std::optional<plat::http::HeaderMap> cachedResponseHeadersForURL(
      const plat::http::Url&) override {
    return std::nullopt;
  }
  std::optional<std::vector<uint8_t>> cachedResponseDataForURL(const plat::http::Url&) override {
    return std::nullopt;
  }
  std::string pathToCachedResponseDataForURL(const plat::http::Url&) override { return ""; }
  void storeResponseForRequest(HttpRequest&, double) override {}
  void updateExpiryForRequest(HttpRequest&, double) override {}
};

}  // namespace

TEST_F(HttpRequestTest, AnExceptionWhileSettingUpFailsWithItsName) {
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  BrokenCache cache;
  Recorder recorder;
  auto request = HttpRequest::requestWithURL(*plat::http::Url::parse(server.url("/")), &cache);
  startAndWait(request, recorder);
  ASSERT_EQ(recorder.failed, 1);
  EXPECT_EQ(recorder.lastError->code(), 10);
  EXPECT_EQ(recorder.lastError->localizedDescription(), "CacheUnavailable");
  EXPECT_EQ(recorder.lastError->failureReason(), "the cache folder is gone");
  EXPECT_TRUE(request->isFinished());
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
  Recorder first, second;
  startAndWait(HttpRequest::requestWithURL(server.url("/login")), first);
  auto next = HttpRequest::requestWithURL(server.url("/next"));
  plat::http::Cookie manual;
  manual.name = "manual";
  manual.value = "1";
  next->setRequestCookies({manual});
  startAndWait(next, second);
  EXPECT_EQ(next->responseString(), "cookie: manual=1; sid=abc; lang=zh");
  auto session = HttpRequest::sessionCookies();
  ASSERT_EQ(session.size(), 2u);
  EXPECT_EQ(session[0].name, "sid");

  // The same name, domain and path again: replaced, and moved to the end.
  HttpRequest::addSessionCookie(session[0]);
  EXPECT_EQ(HttpRequest::sessionCookies()[1].name, "sid");
  HttpRequest::setSessionCookies({});
  EXPECT_TRUE(plat::http::CookieStore::shared().allCookies().empty());
}

TEST_F(HttpRequestTest, DefaultUserAgentNamesTheAppAndTheDevice) {
  testsupport::TempHome home;
  plat::files::writeFileAtomically(
      home.path() + "/info.strings",
      "\"CFBundleName\" = \"Vocab\";\n\"CFBundleShortVersionString\" = \"3.2\";\n"
      "\"CFBundleVersion\" = \"320\";\n");
  plat::Bundle::setMainPath(home.path());
  plat::DeviceInfo device = plat::Device::current();
  device.model = "iPhone6,1";
  device.systemName = "iPhone OS";
  device.systemVersion = "7.1";
  device.localeIdentifier = "zh_CN";
  plat::Device::override(device);
  HttpRequest::setDefaultUserAgentString("");
  EXPECT_EQ(HttpRequest::defaultUserAgentString(),
            "Vocab 3.2 rv:320 (iPhone6,1; iPhone OS 7.1; zh_CN)");
  plat::Device::resetOverride();
  plat::Bundle::setMainPath("");
  HttpRequest::setDefaultUserAgentString("");
}

TEST_F(HttpRequestTest, ABodyStreamedFromDiskGoesOutGzippedWhole) {
  testsupport::TempHome home;
  LoopbackHttpServer server([](const ServerRequest&) { return ServerReply::text("ok"); });
  std::string body;
  for (int i = 0; body.size() < 300000; ++i) body += std::to_string(i * 7919) + ";";
  Recorder recorder;
  auto request = HttpRequest::requestWithURL(server.url("/up"));
  request->setShouldStreamPostDataFromDisk(true);
  request->setShouldCompressRequestBody(true);
  request->appendPostData(body.substr(0, 1000));
  request->appendPostData(body.substr(1000));
  startAndWait(request, recorder);
  ASSERT_EQ(recorder.finished, 1);
  const ServerRequest seen = server.lastRequest();
  EXPECT_EQ(seen.header("Content-Encoding"), "gzip");
  EXPECT_LT(seen.body.size(), body.size() / 2);
  HttpErrorPtr error;
  auto inflated = HttpDataDecompressor::uncompressData(
      std::vector<uint8_t>(seen.body.begin(), seen.body.end()), &error);
  EXPECT_EQ(text(inflated), body);
  EXPECT_TRUE(plat::files::list(plat::AppHome::tmpDir()).empty());  // both body files are gone
}

TEST_F(HttpRequestTest, RequestsOfOneVersionOfHttpAndMethods) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    return ServerReply::text(r.method + " " + r.version + " " + r.body);
  });
  Recorder old, deleting;
  auto oldStyle = HttpRequest::requestWithURL(server.url("/"));
  oldStyle->setUseHTTPVersionOne(true);
  startAndWait(oldStyle, old);
  EXPECT_EQ(oldStyle->responseString(), "GET HTTP/1.0 ");

  // A DELETE with a body becomes a POST.
  auto withBody = HttpRequest::requestWithURL(server.url("/"));
  withBody->setRequestMethod("DELETE");
  withBody->appendPostData(std::string("x=1"));
  startAndWait(withBody, deleting);
  EXPECT_EQ(withBody->responseString(), "POST HTTP/1.1 x=1");
  EXPECT_EQ(server.lastRequest().header("Content-Length"), "3");
}

TEST_F(HttpRequestTest, DownloadsToAFileInflatingOnTheWay) {
  testsupport::TempHome home;
  const std::string page(200000, 'd');
  LoopbackHttpServer server([&](const ServerRequest& r) {
    ServerReply reply = ServerReply::text(page);
    reply.gzip = r.query() == "gzip";
    return reply;
  });
  for (bool onTheFly : {false, true}) {
    for (const char* path : {"/plain", "/file?gzip"}) {
      Recorder recorder;
      std::string destination = home.path() + "/download.txt";
      plat::files::writeFileAtomically(destination, "old content");
      auto request = HttpRequest::requestWithURL(server.url(path));
      request->setDownloadDestinationPath(destination);
      request->setShouldWaitToInflateCompressedResponses(!onTheFly);
      startAndWait(request, recorder);
      EXPECT_EQ(recorder.finished, 1) << path;
      EXPECT_EQ(plat::files::readFile(destination), page) << path;
      EXPECT_FALSE(request->rawResponseData()) << path;
      EXPECT_TRUE(plat::files::list(plat::AppHome::tmpDir()).empty()) << path;
    }
  }
}
