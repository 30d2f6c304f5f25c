// The download cache against a loopback server: what is stored and where, when stored data
// answers a request, revalidation, falling back on failure, and the storage folders.
#include "net/HttpDownloadCache.h"

#include <gtest/gtest.h>

#include "net/HttpRequest.h"
#include "platform/base/Clock.h"
#include "platform/base/Files.h"
#include "platform/base/NamedException.h"
#include "tests/net/NetTestSupport.h"
#include "tests/support/TempHome.h"
#include "tests/support/VirtualTime.h"

using namespace nettest;
namespace files = plat::files;

namespace {

plat::http::Url Url(const std::string& text) {
  return plat::http::Url::parse(text).value_or(plat::http::Url());
}

class HttpDownloadCacheTest : public NetTest {
 protected:
  void SetUp() override {
    NetTest::SetUp();
    cache.setStoragePath(files::join(home.path(), "cache"));
  }

  // Runs a GET through the cache and returns it finished.
  std::shared_ptr<HttpRequest> fetch(const std::string& url, int policy = kUseCacheDefaultPolicy,
                                     int storagePolicy = 0) {
    Exchange get(HttpRequest::requestWithURL(Url(url), &cache, policy));
    get->setCacheStoragePolicy(storagePolicy);
    return get.run().request;
  }

  testsupport::TempHome home;
  HttpDownloadCache cache;
};

TEST_F(HttpDownloadCacheTest, CurrentStoredResponsesAnswerWithoutTheServer) {
  LoopbackHttpServer server([](const ServerRequest&) {
    ServerReply reply = ServerReply::text("word list").header("Cache-Control", "max-age=60");
    reply.gzip = true;
    return reply;
  });
  const std::string url = server.url("/list.php");
  auto first = fetch(url);
  EXPECT_FALSE(first->didUseCachedResponse());

  auto headers = cache.cachedResponseHeadersForURL(Url(url));
  ASSERT_TRUE(headers);
  EXPECT_FALSE(headers->contains("Content-Encoding"));  // the body is kept inflated
  EXPECT_EQ(text(cache.cachedResponseDataForURL(Url(url))), "word list");
  EXPECT_TRUE(cache.cachedResponseHeadersForURL(Url(url + "/")));  // one key with or without

  auto second = fetch(url);
  EXPECT_TRUE(second->didUseCachedResponse());
  EXPECT_EQ(second->responseStatusCode(), 200);
  EXPECT_EQ(second->responseString(), "word list");
  EXPECT_EQ(server.requestCount(), 1);

  // Never reading the cache goes to the server again.
  auto third = fetch(url, kNeverReadCache);
  EXPECT_FALSE(third->didUseCachedResponse());
  EXPECT_EQ(server.requestCount(), 2);
}

TEST_F(HttpDownloadCacheTest, StoredDataExpiresAfterItsMaxAge) {
  testsupport::VirtualTime time;
  LoopbackHttpServer server([](const ServerRequest&) {
    return ServerReply::text("fresh").header("Cache-Control", "max-age=60");
  });
  const std::string url = server.url("/expiring");
  fetch(url);
  time.clock().advance(59);
  EXPECT_TRUE(fetch(url)->didUseCachedResponse());
  time.clock().advance(2);
  EXPECT_FALSE(fetch(url)->didUseCachedResponse());
  EXPECT_EQ(server.requestCount(), 2);
}

TEST_F(HttpDownloadCacheTest, RefusedStatusesMarkersAndPoliciesStoreNothing) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    if (r.path() == "/missing") return ServerReply::text("no", 404);
    if (r.path() == "/private") return ServerReply::text("x").header("Cache-Control", "no-store");
    if (r.path() == "/pragma") return ServerReply::text("x").header("Pragma", "No-Cache");
    if (r.path() == "/several")
      return ServerReply::text("x").header("Cache-Control", "no-store, max-age=5");
    return ServerReply::text("x").header("Cache-Control", "max-age=60");
  });
  for (const char* path : {"/missing", "/private", "/pragma"}) {
    fetch(server.url(path));
    EXPECT_FALSE(cache.cachedResponseHeadersForURL(Url(server.url(path)))) << path;
  }
  fetch(server.url("/plain"), kNeverWriteCache | kRevalidateWhenStale);
  EXPECT_FALSE(cache.cachedResponseHeadersForURL(Url(server.url("/plain"))));
  // A value listing several directives is no refusal.
  fetch(server.url("/several"));
  EXPECT_TRUE(cache.cachedResponseHeadersForURL(Url(server.url("/several"))));

  // Ignoring the server's markers stores what it refused.
  cache.setShouldRespectCacheControlHeaders(false);
  fetch(server.url("/private"));
  EXPECT_TRUE(cache.cachedResponseHeadersForURL(Url(server.url("/private"))));
}

TEST_F(HttpDownloadCacheTest, StaleDataIsRevalidatedAndANotModifiedReplyUsesIt) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    if (r.header("If-None-Match") == "\"v1\"") return ServerReply::text("", 304);
    return ServerReply::text("first copy")
        .header("ETag", "\"v1\"")
        .header("Last-Modified", "Thu, 01 Dec 1994 16:00:00 GMT");
  });
  const std::string url = server.url("/notes.txt");
  fetch(url);
  EXPECT_TRUE(files::exists(cache.pathToCachedResponseDataForURL(Url(url))));

  auto again = fetch(url);  // no expiry was given: stale at once
  EXPECT_EQ(server.requestCount(), 2);
  EXPECT_EQ(server.lastRequest().header("If-Modified-Since"), "Thu, 01 Dec 1994 16:00:00 GMT");
  EXPECT_TRUE(again->didUseCachedResponse());
  EXPECT_EQ(again->responseStatusCode(), 200);
  EXPECT_EQ(again->responseString(), "first copy");
}

TEST_F(HttpDownloadCacheTest, StoredDataIsUsedOnFailureOrWithoutItOnlyAsThePolicySays) {
  auto server = std::make_unique<LoopbackHttpServer>(
      [](const ServerRequest&) { return ServerReply::text("kept"); });
  const std::string url = server->url("/kept.txt");
  fetch(url);
  server.reset();

  auto plain = fetch(url);
  EXPECT_TRUE(plain->error());
  auto fallback = fetch(url, kRevalidateWhenStale | kFallbackToCacheOnFailure);
  EXPECT_TRUE(fallback->didUseCachedResponse());
  EXPECT_EQ(fallback->responseString(), "kept");

  // Nothing stored: only a cache-only request may still use the cache.
  auto request = HttpRequest::requestWithURL(Url("http://127.0.0.1:9/never-stored"));
  request->setCachePolicy(kCacheOnly);
  EXPECT_TRUE(cache.canUseCachedDataForRequest(*request));
  request->setCachePolicy(kPreferCachedCopy);
  EXPECT_FALSE(cache.canUseCachedDataForRequest(*request));
}

TEST_F(HttpDownloadCacheTest, AResponseWithoutAnEtagNeverConfirmsStoredData) {
  std::string etag = "\"a\"";
  LoopbackHttpServer server([&](const ServerRequest&) {
    ServerReply reply = ServerReply::text("body").header("Last-Modified", "x");
    if (!etag.empty()) reply.header("ETag", etag);
    return reply;
  });
  cache.setShouldRespectCacheControlHeaders(false);
  const std::string url = server.url("/e");
  auto stored = fetch(url, kNeverReadCache);
  EXPECT_TRUE(cache.isCachedDataCurrentForRequest(*stored));
  etag.clear();
  auto fresh = fetch(url, kNeverReadCache | kNeverWriteCache);
  EXPECT_FALSE(cache.isCachedDataCurrentForRequest(*fresh));
}

TEST_F(HttpDownloadCacheTest, ExpiryComesFromTheAgeOrEitherDateForm) {
  LoopbackHttpServer server([](const ServerRequest& r) {
    if (r.path() == "/long")
      return ServerReply::text("x").header("Expires", "Thu, 01 Dec 1994 16:00:00 GMT");
    if (r.path() == "/short")
      return ServerReply::text("x").header("Expires", "01 Dec 1994 16:00 GMT");
    return ServerReply::text("x").header("Cache-Control", "public, Max-Age=30");
  });
  const double dec1994 = 786297600;
  EXPECT_EQ(HttpRequest::expiryDateForRequest(*fetch(server.url("/long")), 0), dec1994);
  EXPECT_EQ(HttpRequest::expiryDateForRequest(*fetch(server.url("/short")), 0), dec1994);
  auto aged = fetch(server.url("/aged"));
  const double now = plat::Clock::current().now();
  EXPECT_NEAR(*HttpRequest::expiryDateForRequest(*aged, 0), now + 30, 2);
  EXPECT_NEAR(*HttpRequest::expiryDateForRequest(*aged, 500), now + 500, 2);
  EXPECT_FALSE(HttpRequest::dateFromRFC1123String("yesterday"));
}

TEST_F(HttpDownloadCacheTest, SessionStoreLastsUntilThePathIsSetAgainOrTheSessionIsCleared) {
  LoopbackHttpServer server([](const ServerRequest&) {
    return ServerReply::text("x").header("Cache-Control", "max-age=60");
  });
  fetch(server.url("/session"), kUseCacheDefaultPolicy, 0);
  fetch(server.url("/permanent"), kUseCacheDefaultPolicy, 1);
  cache.setStoragePath(cache.storagePath());
  EXPECT_FALSE(cache.cachedResponseHeadersForURL(Url(server.url("/session"))));
  EXPECT_TRUE(cache.cachedResponseHeadersForURL(Url(server.url("/permanent"))));

  cache.removeCachedDataForURL(Url(server.url("/permanent")));
  EXPECT_FALSE(cache.cachedResponseHeadersForURL(Url(server.url("/permanent"))));
  EXPECT_TRUE(cache.pathToCachedResponseDataForURL(Url(server.url("/permanent"))).empty());

  // Clearing the session empties the default cache's session store too.
  fetch(server.url("/session"), kUseCacheDefaultPolicy, 0);
  fetch(server.url("/permanent"), kUseCacheDefaultPolicy, 1);
  HttpRequest::setDefaultCache(&cache);
  HttpRequest::clearSession();
  HttpRequest::setDefaultCache(nullptr);
  EXPECT_FALSE(cache.cachedResponseHeadersForURL(Url(server.url("/session"))));
  EXPECT_TRUE(cache.cachedResponseHeadersForURL(Url(server.url("/permanent"))));
}

TEST_F(HttpDownloadCacheTest, AFileWhereAStoreBelongsIsRefused) {
  const std::string root = files::join(home.path(), "blocked");
  files::createDirectories(root);
  files::writeFileAtomically(files::join(root, "PermanentStore"), "not a folder");
  EXPECT_THROW(cache.setStoragePath(root), plat::NamedException);
}

TEST_F(HttpDownloadCacheTest, ADamagedHeadersFileCountsAsNotCached) {
  LoopbackHttpServer server([](const ServerRequest&) {
    return ServerReply::text("x").header("Cache-Control", "max-age=60");
  });
  const std::string url = server.url("/d");
  fetch(url);
  files::writeFileAtomically(cache.pathToCachedResponseHeadersForURL(Url(url)), "garbage");
  EXPECT_FALSE(cache.cachedResponseHeadersForURL(Url(url)));
  auto again = fetch(url);
  EXPECT_FALSE(again->didUseCachedResponse());
  EXPECT_EQ(server.requestCount(), 2);
}

}  // namespace

TEST_F(HttpDownloadCacheTest, RevalidatingAlwaysTakesANewVersionAndAConfirmedOneFromStore) {
  std::string version = "v1";
  LoopbackHttpServer server([&](const ServerRequest& r) {
    if (r.header("If-None-Match") == "\"" + version + "\"") return ServerReply::text("", 304);
    return ServerReply::text("copy " + version)
        .header("ETag", "\"" + version + "\"")
        .header("Cache-Control", "max-age=600");
  });
  const std::string url = server.url("/notes.txt");
  fetch(url);
  // The stored copy has not expired, but the server has a newer one: that one is used and kept.
  version = "v2";
  auto changed = fetch(url, kRevalidateAlways);
  EXPECT_FALSE(changed->didUseCachedResponse());
  EXPECT_EQ(changed->responseString(), "copy v2");
  auto confirmed = fetch(url, kRevalidateAlways);
  EXPECT_EQ(server.requestCount(), 3);
  EXPECT_TRUE(confirmed->didUseCachedResponse());
  EXPECT_EQ(confirmed->responseString(), "copy v2");

  // A redirect's own reply says nothing of the stored copy it leads to, which is still current.
  LoopbackHttpServer mover([&](const ServerRequest&) { return ServerReply::redirect(302, url); });
  auto redirected = fetch(mover.url("/old-notes"));
  EXPECT_EQ(server.requestCount(), 3);
  EXPECT_TRUE(redirected->didUseCachedResponse());
  EXPECT_EQ(redirected->responseString(), "copy v2");
}
