// Runs every SQL statement of the study store on its one SQLite connection: statements typed by one
// letter per parameter and per result column, the transaction bracket, plain statements and the
// copy of the shipped database file.
//
// Type letters: n 32-bit integer, N 64-bit integer, d double, s text, t scrambled word text (read
// back with the current word-text key), b blob (writes only). A query with one result letter gives
// a flat array of values; with several, an array of rows.
//
// Threads: the connection is shared. A transaction belongs to the thread that began it; statements
// of other threads wait until it commits or rolls back.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/base/Mutex.h"
#include "platform/base/NamedException.h"
#include "platform/base/Value.h"
#include "store/StatementCache.h"

struct sqlite3;

// "MyException": a statement that failed; callers inside a transaction roll back.
class MyException : public plat::NamedException {
 public:
  explicit MyException(std::string reason) : NamedException("MyException", std::move(reason)) {}
};

// "TypeError": a result letter outside the table above.
class TypeError : public plat::NamedException {
 public:
  explicit TypeError(std::string reason) : NamedException("TypeError", std::move(reason)) {}
};

class SqlMgrController {
 public:
  SqlMgrController() = default;
  SqlMgrController(const SqlMgrController&) = delete;
  SqlMgrController& operator=(const SqlMgrController&) = delete;

  // The connection is not owned: CallDB opens and closes it. Its prepared statements are dropped
  // here, so setting another database (or none) must come before the old one is closed.
  void setDatabase(sqlite3* db);
  // For statements run on the handle directly, while holding connection().
  sqlite3* database() const REQUIRES(connection_) { return database_; }

  // The id of the word whose texts are read next, kept in the user default "word_id" (written
  // through at once); it keys the reading of "t" columns.
  static void setWordTextKey(int wordId);
  static int wordTextKey();

  // Bound query. Raises MyException when the statement cannot be prepared, TypeError for an
  // unknown result letter.
  plat::Value selectOneChannel(const std::string& sql, const std::string& retType,
                               const std::string& paramSign, const plat::Value& params);
  // Query without parameters for SQL the caller formatted itself: appends the rows to `result`;
  // a statement that cannot be prepared appends nothing and raises nothing.
  void selectOneChannel(const std::string& sql, const std::string& retType, plat::Value& result);

  // One bound write statement each. Raise MyException when the statement cannot be prepared or
  // its step fails; a constraint violation passes silently (planning a planned word relies on it).
  void insertOneChannel(const std::string& sql, const std::string& paramSign,
                        const plat::Value& params);
  void updateOneChannel(const std::string& sql, const std::string& paramSign,
                        const plat::Value& params);
  void deleteOneChannel(const std::string& sql, const std::string& paramSign,
                        const plat::Value& params);
  void RecordPrepare(const std::string& sql, const std::string& paramSign,
                     const plat::Value& params);

  // A plain statement; failures are not reported.
  void RecordExec(const std::string& sql);
  // The same for one bound statement.
  void RecordExec(const std::string& sql, const std::string& paramSign, const plat::Value& params);

  // BEGIN takes the connection for the calling thread until COMMIT or ROLLBACK. A failed COMMIT
  // raises MyException and keeps the transaction (and the connection) for the caller's rollback.
  // No ACQUIRE/RELEASE: a failed BEGIN takes nothing, brackets nest, a failed COMMIT keeps it.
  void beginTransaction() NO_THREAD_SAFETY_ANALYSIS;
  void commitTransaction() NO_THREAD_SAFETY_ANALYSIS;
  void rollbackTransaction() NO_THREAD_SAFETY_ANALYSIS;
  // True while the calling thread has a transaction open.
  bool inTransaction() const;
  // Counts what may have undone written rows: rollbacks of transactions and of nested brackets
  // (SQLite's own, after a failed statement, included) and changes of the database. Whoever keeps
  // a copy of something in the database compares the count before trusting it.
  uint64_t undoCount() const { return undoCount_.load(std::memory_order_relaxed); }
  // Copies the write-ahead log into the database and empties it, so that a large import leaves
  // no log of its size behind; a reader or a transaction of another thread keeps it as it is.
  void checkpointLog();
  // Takes the connection when no other thread is inside a statement or transaction and the calling
  // thread has no transaction open; the caller must then call releaseIdle().
  bool tryAcquireIdle() TRY_ACQUIRE(true, connection_);
  void releaseIdle() RELEASE(connection_);
  // The lock every statement holds; CallDB holds it while it opens or closes the connection.
  plat::RecursiveMutex& connection() RETURN_CAPABILITY(connection_) { return connection_; }

  // `reason` followed by SQLite's text for the connection's last failure, so that a raised error
  // says why; call it while holding connection().
  std::string withCause(const std::string& reason) const REQUIRES(connection_);

  // Word text from its stored form (see store/WordText.h).
  static std::string rekey(const std::string& stored, int wordId);

  // Opens an existing database file read-write (never creates one); nullptr on failure. SQLite
  // takes no lock of its own on the connection: its user serializes every call, as this class
  // does with connection().
  static sqlite3* openExisting(const std::string& path);
  static void close(sqlite3* db);

  // Removes the log, shared-memory and journal files SQLite keeps beside a database. Beside a file
  // about to be put in place they are left over from the one it replaces (or from a database
  // removed while open), and would be replayed into it.
  static void removeCompanions(const std::string& path);

  // Copies a file (an existing destination is left alone) and excludes the copy from backup; a
  // copy that fails half-way leaves no file. True when a file exists at the destination afterwards.
  static bool sql_copy(const std::string& from, const std::string& to);

 private:
  void bindParams(struct sqlite3_stmt* stmt, const std::string& paramSign,
                  const plat::Value& params, bool forWrite) const;
  void readRows(struct sqlite3_stmt* stmt, const std::string& retType, plat::Value& result) const;
  // One statement run from the cache, for the transaction brackets; its SQLite result code.
  int execCached(const std::string& sql) REQUIRES(connection_);

  // Held for the length of each statement, and from BEGIN to COMMIT or ROLLBACK. Recursive because
  // the thread that holds a transaction runs its statements (and nested brackets) inside it.
  mutable plat::RecursiveMutex connection_;
  sqlite3* database_ GUARDED_BY(connection_) = nullptr;
  // Set by the owner while it holds connection_; others only compare it with their own id.
  std::atomic<std::thread::id> transactionOwner_{};
  int transactionDepth_ GUARDED_BY(connection_) = 0;
  std::atomic<uint64_t> undoCount_{0};
  StatementCache statements_ GUARDED_BY(connection_);
};
