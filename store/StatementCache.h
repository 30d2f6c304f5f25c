// Prepared statements of one SQLite connection kept by their SQL text, so that the statements the
// app runs again and again (an answer, a launch, a list) are parsed once.
//
// Threads: not locked itself; SqlMgrController uses it only while it holds its connection lock.
// Ownership: the cache finalizes its statements in clear() and on destruction, which must happen
// before the connection is closed (SqlMgrController clears it whenever its database changes).
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <unordered_map>

class StatementCache {
 public:
  // A statement lent out for one use: reset and unbound when returned, so that a lent statement
  // never keeps a read transaction open after its caller is done.
  class Lease {
   public:
    Lease() = default;
    Lease(Lease&& other) noexcept;
    Lease& operator=(Lease&&) = delete;
    ~Lease();
    sqlite3_stmt* get() const { return stmt_; }
    explicit operator bool() const { return stmt_ != nullptr; }

   private:
    friend class StatementCache;
    Lease(sqlite3_stmt* stmt, bool* busy) : stmt_(stmt), busy_(busy) {}
    sqlite3_stmt* stmt_ = nullptr;
    bool* busy_ = nullptr;  // the cache entry's flag; null for a statement the lease owns
  };

  StatementCache() = default;
  StatementCache(const StatementCache&) = delete;
  StatementCache& operator=(const StatementCache&) = delete;
  ~StatementCache() { clear(); }

  // The statement for `sql` on `db`, prepared on first use. A statement already lent out (a query
  // run again from inside its own row loop) is prepared afresh for this use only. An empty lease
  // when the SQL does not prepare.
  Lease take(sqlite3* db, const std::string& sql);

  // Finalizes every statement; none may be lent out.
  void clear();

 private:
  struct Entry {
    sqlite3_stmt* stmt = nullptr;
    bool busy = false;
    uint64_t lastUse = 0;
  };
  void evictOldest();

  // Statements with their numbers spliced into the text would otherwise grow the cache without
  // bound; the least recently used goes once it is full.
  static constexpr size_t kCapacity = 96;

  std::unordered_map<std::string, Entry> entries_;
  uint64_t uses_ = 0;
};
