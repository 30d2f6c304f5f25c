// State that every HttpRequest shares: the pool of kept-connection records with its lock, the
// progress lock, the running-request count and the counters that number connections and requests.
// Internal to the HttpRequest_*.cpp files.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// A connection that requests to one host, scheme and port may share. While a request uses it,
// `request` holds that request's number; idle, `expires` says until when it may be reused.
struct HttpConnectionRecord {
  int32_t id = 0;
  std::string host;
  int port = 0;
  std::string scheme;
  double expires = 0;
  std::optional<uint32_t> request;
};

struct HttpRequestShared {
  std::recursive_mutex connectionsLock;  // the pool, every record, the running count, indicator
  std::vector<std::shared_ptr<HttpConnectionRecord>> persistentConnectionsPool;
  int32_t nextConnectionNumberToCreate = 0;
  uint32_t nextRequestID = 0;
  uint32_t runningRequestCount = 0;
  bool shouldUpdateNetworkActivityIndicator = true;

  std::recursive_mutex progressLock;  // the byte counts of the end-of-stream bookkeeping

  static HttpRequestShared& get();
};
