#include "store/StatementCache.h"

#include <utility>

namespace {

sqlite3_stmt* prepareStatement(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  if (!db ||
      sqlite3_prepare_v3(db, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                         &stmt, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt);
    return nullptr;
  }
  return stmt;  // null for SQL of white space or comments only
}

}  // namespace

StatementCache::Lease::Lease(Lease&& other) noexcept
    : stmt_(std::exchange(other.stmt_, nullptr)), busy_(std::exchange(other.busy_, nullptr)) {}

StatementCache::Lease::~Lease() {
  if (!stmt_) return;
  if (!busy_) {
    sqlite3_finalize(stmt_);
    return;
  }
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
  *busy_ = false;
}

StatementCache::Lease StatementCache::take(sqlite3* db, const std::string& sql) {
  auto found = entries_.find(sql);
  if (found != entries_.end()) {
    Entry& entry = found->second;
    if (entry.busy) return Lease(prepareStatement(db, sql), nullptr);
    entry.busy = true;
    entry.lastUse = ++uses_;
    return Lease(entry.stmt, &entry.busy);
  }
  sqlite3_stmt* stmt = prepareStatement(db, sql);
  if (!stmt) return Lease();
  if (entries_.size() >= kCapacity) evictOldest();
  // Node-based map: the entry, and so its busy flag, stays where it is while others come and go.
  Entry& entry = entries_[sql];
  entry = Entry{stmt, true, ++uses_};
  return Lease(stmt, &entry.busy);
}

void StatementCache::evictOldest() {
  auto oldest = entries_.end();
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->second.busy) continue;
    if (oldest == entries_.end() || it->second.lastUse < oldest->second.lastUse) oldest = it;
  }
  if (oldest == entries_.end()) return;  // all lent out: the cache grows by one for now
  sqlite3_finalize(oldest->second.stmt);
  entries_.erase(oldest);
}

void StatementCache::clear() {
  for (auto& [sql, entry] : entries_) sqlite3_finalize(entry.stmt);
  entries_.clear();
}
