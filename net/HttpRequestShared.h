// State that every HttpRequest shares: the pool of kept-connection records with its lock, the
// progress lock, the running-request count and the counters that number connections and requests.
// Internal to the HttpRequest_*.cpp files.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/Mutex.h"

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
  // Guards every record in the pool as well. Recursive: attaching a connection and ending a stream
  // hold it while they expire records and unschedule, which take it for themselves.
  plat::RecursiveMutex connectionsLock;
  std::vector<std::shared_ptr<HttpConnectionRecord>> persistentConnectionsPool
      GUARDED_BY(connectionsLock);
  int32_t nextConnectionNumberToCreate GUARDED_BY(connectionsLock) = 0;
  uint32_t nextRequestID GUARDED_BY(connectionsLock) = 0;
  uint32_t runningRequestCount GUARDED_BY(connectionsLock) = 0;
  bool shouldUpdateNetworkActivityIndicator GUARDED_BY(connectionsLock) = true;

  plat::Mutex progressLock;  // the byte counts of the end-of-stream bookkeeping

  static HttpRequestShared& get();
};
