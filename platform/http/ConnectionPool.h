// Idle connections kept open between exchanges, filed under the connection identity that the
// streams using them carry: a stream takes only a connection of its own identity, endpoint
// (scheme, host, port, proxy, certificate checking, client certificate) and connection-bound
// login, never another's.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/stream/Connection.h"

namespace plat::http {

using stream::Connection;

struct ConnectionKey {
  int64_t identity = 0;
  std::string endpoint;  // scheme, host, port, proxy, certificate checking and client certificate
  // The login a server bound to the connection (NTLM's user and domain, and a digest of the
  // password); empty for none. A server answers later requests on that connection as that user,
  // asked for or not.
  std::string login;

  bool operator==(const ConnectionKey& other) const = default;
};

class ConnectionPool {
 public:
  static ConnectionPool& shared();

  // An idle connection for `key` that is still open, or null. Dead ones found on the way close.
  std::unique_ptr<Connection> take(const ConnectionKey& key);
  void put(const ConnectionKey& key, std::unique_ptr<Connection> connection);
  // Closes the idle connection `connection` if it is still in the pool.
  void discard(const Connection* connection);
  // Closes every idle connection filed under `identity`.
  void closeIdle(int64_t identity);
  void closeAll();
  size_t idleCount() const;

 private:
  struct Entry {
    ConnectionKey key;
    std::unique_ptr<Connection> connection;
  };
  mutable std::mutex mutex_;
  std::vector<Entry> idle_;
};

}  // namespace plat::http
