#include "platform/http/ConnectionPool.h"

#include <algorithm>

namespace plat::http {

ConnectionPool& ConnectionPool::shared() {
  static ConnectionPool* pool = new ConnectionPool();  // outlives every stream at exit
  return *pool;
}

std::unique_ptr<Connection> ConnectionPool::take(const ConnectionKey& key) {
  std::vector<std::unique_ptr<Connection>> dead;  // closed outside the lock
  std::unique_ptr<Connection> found;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = idle_.begin(); it != idle_.end();) {
      if (!(it->key == key)) {
        ++it;
        continue;
      }
      std::unique_ptr<Connection> connection = std::move(it->connection);
      it = idle_.erase(it);
      if (connection->isStillUsable()) {
        found = std::move(connection);
        break;
      }
      dead.push_back(std::move(connection));
    }
  }
  return found;
}

void ConnectionPool::put(const ConnectionKey& key, std::unique_ptr<Connection> connection) {
  std::lock_guard<std::mutex> lock(mutex_);
  idle_.push_back({key, std::move(connection)});
}

void ConnectionPool::discard(const Connection* connection) {
  std::unique_ptr<Connection> closing;
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = std::find_if(idle_.begin(), idle_.end(),
                         [&](const Entry& e) { return e.connection.get() == connection; });
  if (it == idle_.end()) return;
  closing = std::move(it->connection);
  idle_.erase(it);
}

void ConnectionPool::closeIdle(int64_t identity) {
  std::vector<Entry> closing;
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = idle_.begin(); it != idle_.end();) {
    if (it->key.identity == identity) {
      closing.push_back(std::move(*it));
      it = idle_.erase(it);
    } else {
      ++it;
    }
  }
}

void ConnectionPool::closeAll() {
  std::vector<Entry> closing;
  std::lock_guard<std::mutex> lock(mutex_);
  closing.swap(idle_);
}

size_t ConnectionPool::idleCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return idle_.size();
}

}  // namespace plat::http
