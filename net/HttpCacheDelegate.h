// The response cache a request may use: answers a request from stored headers and bodies, and
// keeps finished responses. No cache is set in this application; requests then skip every step
// that would consult one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/http/HeaderMap.h"
#include "platform/http/Url.h"

class HttpRequest;

// Bits of a request's cachePolicy.
enum HttpCachePolicy : int {
  kUseCacheDefaultPolicy = 0,
  kNeverReadCache = 1,
  kNeverWriteCache = 2,
  kRevalidateWhenStale = 4,
  kRevalidateAlways = 8,
  kPreferCachedCopy = 16,
  kCacheOnly = 32,
  kFallbackToCacheOnFailure = 64,
};

class HttpCacheDelegate {
 public:
  virtual ~HttpCacheDelegate() = default;

  virtual int defaultCachePolicy() const = 0;
  virtual bool canUseCachedDataForRequest(HttpRequest& request) = 0;
  virtual std::optional<plat::http::HeaderMap> cachedResponseHeadersForURL(
      const plat::http::Url& url) = 0;
  virtual std::optional<std::vector<uint8_t>> cachedResponseDataForURL(
      const plat::http::Url& url) = 0;
  virtual std::string pathToCachedResponseDataForURL(const plat::http::Url& url) = 0;
  virtual void storeResponseForRequest(HttpRequest& request, double maxAge) = 0;
  virtual void updateExpiryForRequest(HttpRequest& request, double maxAge) = 0;
  // Empties one store: 0 the responses kept for this session, any other the permanent ones.
  virtual void clearCachedResponsesForStoragePolicy(int storagePolicy) = 0;
};
