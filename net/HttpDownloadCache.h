// Keeps response headers and bodies on disk, keyed by URL, so that a request can be answered from
// disk, revalidated with the server, or fall back to a stored copy when the network fails. Entries
// live in a session store (emptied whenever the storage path is set) or a permanent store.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "net/HttpCacheDelegate.h"
#include "platform/base/Mutex.h"
#include "platform/base/Value.h"

class HttpDownloadCache : public HttpCacheDelegate {
 public:
  // The one shared cache, in "HttpRequestCache" under the Caches folder, made on first use.
  static HttpDownloadCache& sharedCache();

  HttpDownloadCache();

  std::string storagePath() const;
  // Empties the old path's session store, then makes the root and both stores and empties the new
  // session store. Raises "FileExistsAtCachePath" or "FailedToCreateCacheDirectory".
  void setStoragePath(const std::string& path);
  int defaultCachePolicy() const override;
  void setDefaultCachePolicy(int policy);  // 0 means kRevalidateWhenStale
  bool shouldRespectCacheControlHeaders() const;
  void setShouldRespectCacheControlHeaders(bool respect);
  plat::RecursiveMutex& accessLock() const RETURN_CAPABILITY(accessLock_) { return accessLock_; }

  void storeResponseForRequest(HttpRequest& request, double maxAge) override;
  void updateExpiryForRequest(HttpRequest& request, double maxAge) override;
  std::optional<double> expiryDateForRequest(const HttpRequest& request, double maxAge);

  std::optional<plat::http::HeaderMap> cachedResponseHeadersForURL(
      const plat::http::Url& url) override;
  std::optional<std::vector<uint8_t>> cachedResponseDataForURL(const plat::http::Url& url) override;
  std::string pathToCachedResponseHeadersForURL(const plat::http::Url& url);
  std::string pathToCachedResponseDataForURL(const plat::http::Url& url) override;
  // The file in the session store, else in the permanent store; "" when in neither.
  std::string pathToFile(const std::string& fileName);
  std::string pathToStoreCachedResponseHeadersForRequest(HttpRequest& request);
  std::string pathToStoreCachedResponseDataForRequest(HttpRequest& request);

  void removeCachedDataForURL(const plat::http::Url& url);
  void removeCachedDataForRequest(HttpRequest& request);
  // 0 the session store, anything else the permanent one. Raises
  // "FailedToTraverseCacheDirectory" or "FailedToRemoveCacheFile".
  void clearCachedResponsesForStoragePolicy(int storagePolicy) override;

  bool isCachedDataCurrentForRequest(HttpRequest& request);
  bool canUseCachedDataForRequest(HttpRequest& request) override;

  static bool serverAllowsResponseCachingForRequest(HttpRequest& request);
  // Upper-case MD5 of the URL without one trailing "/"; "" for an empty URL.
  static std::string keyForURL(const plat::http::Url& url);
  static const std::vector<std::string>& fileExtensionsToHandleAsHTML();

 private:
  // The stored headers dictionary, with its extra entries.
  std::optional<plat::Value> storedHeadersForURL(const plat::http::Url& url);
  std::string storePath(int storagePolicy) const REQUIRES(accessLock_);
  std::string storePathForRequest(HttpRequest& request, const std::string& extension);

  // Recursive: the lookups (pathToFile) are public, and also called from the cache's locked work.
  mutable plat::RecursiveMutex accessLock_;
  int defaultCachePolicy_ GUARDED_BY(accessLock_) = kRevalidateWhenStale;
  std::string storagePath_ GUARDED_BY(accessLock_);
  bool shouldRespectCacheControlHeaders_ GUARDED_BY(accessLock_) = true;
};
