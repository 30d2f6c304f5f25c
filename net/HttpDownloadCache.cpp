#include "net/HttpDownloadCache.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "net/HttpRequest.h"
#include "platform/base/AppHome.h"
#include "platform/base/Clock.h"
#include "platform/base/Files.h"
#include "platform/base/NamedException.h"
#include "platform/base/ValueCoding.h"
#include "platform/crypto/Digest.h"

namespace files = plat::files;
using plat::Value;
using plat::http::HeaderMap;
using plat::http::Url;

namespace {

const char* const kSessionStore = "SessionStore";
const char* const kPermanentStore = "PermanentStore";
const char* const kExpiresKey = "X-HttpRequest-Expires";
const char* const kStatusKey = "X-HttpRequest-Response-Status-Code";

std::string numberText(const Value& number) {
  if (number.type() == Value::Type::Double) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", number.asDouble());
    return text;
  }
  return std::to_string(number.asInt());
}

std::string bodyExtension(const Url& url) {
  std::string extension = files::pathExtension(url.path());
  std::string lower = plat::http::lowercased(extension);
  const auto& html = HttpDownloadCache::fileExtensionsToHandleAsHTML();
  if (extension.empty() || std::find(html.begin(), html.end(), lower) != html.end()) return "html";
  return extension;
}

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  return files::writeFileAtomically(path, std::string(bytes.begin(), bytes.end()));
}

}  // namespace

HttpDownloadCache& HttpDownloadCache::sharedCache() {
  static HttpDownloadCache* shared = [] {
    auto* cache = new HttpDownloadCache();
    cache->setStoragePath(files::join(plat::AppHome::cachesDir(), "HttpRequestCache"));
    return cache;
  }();
  return *shared;
}

HttpDownloadCache::HttpDownloadCache() {
  setDefaultCachePolicy(kRevalidateWhenStale);
}

const std::vector<std::string>& HttpDownloadCache::fileExtensionsToHandleAsHTML() {
  // Never destroyed: the network thread asks while it stores replies, until it stops.
  static const auto& extensions =
      *new std::vector<std::string>{"asp", "aspx", "jsp", "php", "rb", "py", "pl", "cgi"};
  return extensions;
}

std::string HttpDownloadCache::storagePath() const {
  plat::LockGuard lock(accessLock_);
  return storagePath_;
}

void HttpDownloadCache::setStoragePath(const std::string& path) {
  plat::LockGuard lock(accessLock_);
  clearCachedResponsesForStoragePolicy(0);
  storagePath_ = path;
  for (const std::string& folder :
       {path, files::join(path, kSessionStore), files::join(path, kPermanentStore)}) {
    if (files::exists(folder) && !files::isDirectory(folder))
      throw plat::NamedException("FileExistsAtCachePath",
                                 "Cannot create a directory for the cache at '" + folder +
                                     "', because a file already exists");
    if (!files::exists(folder)) {
      files::createDirectories(folder);
      if (!files::isDirectory(folder))
        throw plat::NamedException(
            "FailedToCreateCacheDirectory",
            "Failed to create a directory for the cache at '" + folder + "'");
    }
  }
  clearCachedResponsesForStoragePolicy(0);
}

int HttpDownloadCache::defaultCachePolicy() const {
  plat::LockGuard lock(accessLock_);
  return defaultCachePolicy_;
}

void HttpDownloadCache::setDefaultCachePolicy(int policy) {
  plat::LockGuard lock(accessLock_);
  defaultCachePolicy_ = policy == kUseCacheDefaultPolicy ? kRevalidateWhenStale : policy;
}

bool HttpDownloadCache::shouldRespectCacheControlHeaders() const {
  plat::LockGuard lock(accessLock_);
  return shouldRespectCacheControlHeaders_;
}

void HttpDownloadCache::setShouldRespectCacheControlHeaders(bool respect) {
  plat::LockGuard lock(accessLock_);
  shouldRespectCacheControlHeaders_ = respect;
}

// ---- Keys and paths

std::string HttpDownloadCache::keyForURL(const Url& url) {
  std::string text = url.absoluteString();
  if (!text.empty() && text.back() == '/') text.pop_back();
  if (text.empty()) return {};
  return plat::crypto::hex(plat::crypto::md5(text), /*upperCase=*/true);
}

std::string HttpDownloadCache::storePath(int storagePolicy) const {
  return files::join(storagePath_, storagePolicy == 0 ? kSessionStore : kPermanentStore);
}

std::string HttpDownloadCache::pathToFile(const std::string& fileName) {
  plat::LockGuard lock(accessLock_);
  if (storagePath_.empty()) return {};
  for (int store : {0, 1}) {
    std::string path = files::join(storePath(store), fileName);
    if (files::exists(path)) return path;
  }
  return {};
}

std::string HttpDownloadCache::pathToCachedResponseHeadersForURL(const Url& url) {
  std::string key = keyForURL(url);
  return key.empty() ? std::string() : pathToFile(key + ".cachedheaders");
}

std::string HttpDownloadCache::pathToCachedResponseDataForURL(const Url& url) {
  std::string key = keyForURL(url);
  return key.empty() ? std::string() : pathToFile(key + "." + bodyExtension(url));
}

std::string HttpDownloadCache::storePathForRequest(HttpRequest& request,
                                                   const std::string& extension) {
  plat::LockGuard lock(accessLock_);
  std::string key = keyForURL(request.url());
  if (storagePath_.empty() || key.empty()) return {};
  return files::join(storePath(request.cacheStoragePolicy()), key + "." + extension);
}

std::string HttpDownloadCache::pathToStoreCachedResponseHeadersForRequest(HttpRequest& request) {
  return storePathForRequest(request, "cachedheaders");
}

std::string HttpDownloadCache::pathToStoreCachedResponseDataForRequest(HttpRequest& request) {
  return storePathForRequest(request, bodyExtension(request.url()));
}

// ---- Reading

std::optional<Value> HttpDownloadCache::storedHeadersForURL(const Url& url) {
  plat::LockGuard lock(accessLock_);
  std::string path = pathToCachedResponseHeadersForURL(url);
  if (path.empty()) return std::nullopt;
  std::optional<std::string> content = files::readFile(path);
  if (!content) return std::nullopt;
  std::optional<Value> headers = plat::decodeValue(*content);
  if (!headers || !headers->isDictionary()) return std::nullopt;
  return headers;
}

std::optional<HeaderMap> HttpDownloadCache::cachedResponseHeadersForURL(const Url& url) {
  std::optional<Value> stored = storedHeadersForURL(url);
  if (!stored) return std::nullopt;
  HeaderMap headers;
  stored->forEach([&](const std::string& name, const Value& value) {
    headers.set(name, value.isNumber() ? numberText(value) : value.asString());
  });
  return headers;
}

std::optional<std::vector<uint8_t>> HttpDownloadCache::cachedResponseDataForURL(const Url& url) {
  plat::LockGuard lock(accessLock_);
  std::string path = pathToCachedResponseDataForURL(url);
  if (path.empty()) return std::nullopt;
  std::optional<std::string> content = files::readFile(path);
  if (!content) return std::nullopt;
  return std::vector<uint8_t>(content->begin(), content->end());
}

// ---- Storing

bool HttpDownloadCache::serverAllowsResponseCachingForRequest(HttpRequest& request) {
  const HeaderMap& headers = request.responseHeaders();
  std::string cacheControl = plat::http::lowercased(headers.value("Cache-Control"));
  if (cacheControl == "no-cache" || cacheControl == "no-store") return false;
  return plat::http::lowercased(headers.value("Pragma")) != "no-cache";
}

std::optional<double> HttpDownloadCache::expiryDateForRequest(const HttpRequest& request,
                                                              double maxAge) {
  return HttpRequest::expiryDateForRequest(request, maxAge);
}

void HttpDownloadCache::storeResponseForRequest(HttpRequest& request, double maxAge) {
  plat::LockGuard lock(accessLock_);
  static const int kStorable[] = {200, 301, 302, 303, 307};
  if (request.error() || request.responseHeaders().empty() ||
      (request.cachePolicy() & kNeverWriteCache) ||
      std::find(std::begin(kStorable), std::end(kStorable), request.responseStatusCode()) ==
          std::end(kStorable))
    return;
  if (shouldRespectCacheControlHeaders_ && !serverAllowsResponseCachingForRequest(request)) return;

  std::string headersPath = pathToStoreCachedResponseHeadersForRequest(request);
  std::string dataPath = pathToStoreCachedResponseDataForRequest(request);
  if (headersPath.empty() || dataPath.empty()) return;

  Value headers = Value::dictionary();
  for (const auto& [name, value] : request.responseHeaders()) headers.set(name, value);
  // The stored body is the inflated one.
  if (request.isResponseCompressed()) headers.remove("Content-Encoding");
  if (std::optional<double> expires = expiryDateForRequest(request, maxAge))
    headers.set(kExpiresKey, *expires);
  headers.set(kStatusKey, request.responseStatusCode());

  // Both files or neither: headers must never describe another body than the one stored.
  bool stored = true;
  if (request.downloadDestinationPath().empty()) {
    std::optional<std::vector<uint8_t>> body = request.responseData();
    stored = body && writeBytes(dataPath, *body);
  } else if (request.downloadDestinationPath() != dataPath) {
    files::remove(dataPath);
    stored = files::copyFile(request.downloadDestinationPath(), dataPath);
  }
  stored = stored && files::writeFileAtomically(headersPath, plat::encodeValue(headers));
  if (!stored) {
    files::remove(headersPath);
    files::remove(dataPath);
  }
}

void HttpDownloadCache::updateExpiryForRequest(HttpRequest& request, double maxAge) {
  plat::LockGuard lock(accessLock_);
  std::string path = pathToStoreCachedResponseHeadersForRequest(request);
  if (path.empty()) return;
  std::optional<std::string> content = files::readFile(path);
  std::optional<Value> headers = content ? plat::decodeValue(*content) : std::nullopt;
  if (!headers || !headers->isDictionary()) return;
  std::optional<double> expires = expiryDateForRequest(request, maxAge);
  if (!expires) return;
  headers->set(kExpiresKey, *expires);
  files::writeFileAtomically(path, plat::encodeValue(*headers));
}

// ---- Removing

void HttpDownloadCache::removeCachedDataForURL(const Url& url) {
  plat::LockGuard lock(accessLock_);
  for (const std::string& path :
       {pathToCachedResponseHeadersForURL(url), pathToCachedResponseDataForURL(url)})
    if (!path.empty()) files::remove(path);
}

void HttpDownloadCache::removeCachedDataForRequest(HttpRequest& request) {
  removeCachedDataForURL(request.url());
}

void HttpDownloadCache::clearCachedResponsesForStoragePolicy(int storagePolicy) {
  plat::LockGuard lock(accessLock_);
  if (storagePath_.empty()) return;
  const std::string folder = storePath(storagePolicy);
  if (!files::isDirectory(folder)) return;
  std::error_code error;
  std::vector<std::filesystem::path> entries;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error))
    entries.push_back(it->path());
  if (error)
    throw plat::NamedException("FailedToTraverseCacheDirectory",
                               "Listing cache directory failed at path '" + folder + "'");
  for (const auto& entry : entries) {
    std::filesystem::remove_all(entry, error);
    if (error)
      throw plat::NamedException("FailedToRemoveCacheFile",
                                 "Failed to remove cached data at path '" + folder + "'");
  }
}

// ---- Deciding

bool HttpDownloadCache::isCachedDataCurrentForRequest(HttpRequest& request) {
  // The request is read before the cache is locked: the network thread stores a response while
  // holding the request's lock, so taking them the other way round could deadlock.
  const auto url = request.url();
  const int status = request.responseStatusCode();
  const auto responseHeaders = request.responseHeaders();
  plat::LockGuard lock(accessLock_);
  if (storagePath_.empty()) return false;
  std::optional<Value> stored = storedHeadersForURL(url);
  if (!stored || pathToCachedResponseDataForURL(url).empty()) return false;
  if (status == 304) return true;
  // A reply whose validators differ from the stored ones is a newer version, whether it has been
  // read yet or not: while its headers are read, stored data that has not yet expired must not
  // take its place.
  if (!responseHeaders.empty()) {
    for (const char* name : {"Etag", "Last-Modified"}) {
      std::optional<std::string> fresh = responseHeaders.get(name);
      std::optional<std::string> kept;
      stored->forEach([&](const std::string& key, const Value& value) {
        if (plat::http::equalsIgnoringCase(key, name)) kept = value.asString();
      });
      if (!fresh || fresh != kept) return false;
    }
  }
  if (shouldRespectCacheControlHeaders_) {
    const Value& expires = stored->get(kExpiresKey);
    if (!expires.isNumber() || expires.asDouble() < plat::Clock::current().now()) return false;
  }
  return true;
}

bool HttpDownloadCache::canUseCachedDataForRequest(HttpRequest& request) {
  const int policy = request.cachePolicy();
  if (policy & kNeverReadCache) return false;
  if (policy & kCacheOnly) return true;
  if (!storedHeadersForURL(request.url()) || pathToCachedResponseDataForURL(request.url()).empty())
    return false;
  if (policy & kPreferCachedCopy) return true;
  if (request.complete() && (policy & kFallbackToCacheOnFailure)) return true;
  if (!(policy & (kRevalidateWhenStale | kRevalidateAlways))) return false;
  if ((policy & kRevalidateAlways) && !(policy & kRevalidateWhenStale) &&
      request.responseHeaders().empty())
    return false;
  return isCachedDataCurrentForRequest(request);
}
