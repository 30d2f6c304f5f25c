#include "store/SqlMgrController.h"

#include <sqlite3.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/base/Files.h"
#include "platform/base/UserDefaults.h"
#include "store/BackupAttribute.h"
#include "store/WordText.h"

namespace {

const char* const kPrepareFailed = "Error: failed to insert:channels sql:";
const char* const kStepFailed = "Error: failed to insert into the database with message.";

// Numbers given as text bind by their leading number, as the callers' string values always did.
int64_t integerOf(const plat::Value& v) {
  if (v.isString()) return std::strtoll(v.asString().c_str(), nullptr, 10);
  return v.asInt();
}

double doubleOf(const plat::Value& v) {
  if (v.isString()) return std::strtod(v.asString().c_str(), nullptr);
  return v.asDouble();
}

std::string textOf(const plat::Value& v) {
  switch (v.type()) {
    case plat::Value::Type::String:
      return v.asString();
    case plat::Value::Type::Bool:
      return v.asBool() ? "1" : "0";
    case plat::Value::Type::Int:
      return std::to_string(v.asInt());
    case plat::Value::Type::UInt:
      return std::to_string(v.asUInt());
    case plat::Value::Type::Double: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.17g", v.asDouble());
      return buf;
    }
    case plat::Value::Type::Bytes: {
      const auto& b = v.asBytes();
      return std::string(b.begin(), b.end());
    }
    default:
      return "";
  }
}

void bindBlob(sqlite3_stmt* stmt, int pos, const plat::Value& v) {
  if (v.isBytes()) {
    const auto& b = v.asBytes();
    sqlite3_bind_blob(stmt, pos, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
  } else {
    std::string text = textOf(v);
    sqlite3_bind_blob(stmt, pos, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
}

std::string columnText(sqlite3_stmt* stmt, int col) {
  const unsigned char* text = sqlite3_column_text(stmt, col);
  return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

}  // namespace

void SqlMgrController::bindParams(sqlite3_stmt* stmt, const std::string& paramSign,
                                  const plat::Value& params, bool forWrite) const {
  for (size_t k = 0; k < paramSign.size(); ++k) {
    int pos = static_cast<int>(k) + 1;
    const plat::Value& v = params.at(k);
    switch (paramSign[k]) {
      case 'n':
        sqlite3_bind_int(stmt, pos, static_cast<int>(integerOf(v)));
        break;
      case 'N':
        sqlite3_bind_int64(stmt, pos, integerOf(v));
        break;
      case 'd':
        sqlite3_bind_double(stmt, pos, doubleOf(v));
        break;
      case 's': {
        std::string text = textOf(v);
        sqlite3_bind_text(stmt, pos, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        break;
      }
      case 't':
        if (!forWrite) bindBlob(stmt, pos, v);
        break;
      case 'b':
        if (forWrite) bindBlob(stmt, pos, v);
        break;
      default:
        break;  // unknown letters bind nothing
    }
  }
}

namespace {

// One result column read by its type letter.
plat::Value columnValue(sqlite3_stmt* stmt, int col, char letter, int key) {
  switch (letter) {
    case 'n':
      return sqlite3_column_int(stmt, col);
    case 'N':
      return static_cast<long long>(sqlite3_column_int64(stmt, col));
    case 'd':
      return sqlite3_column_double(stmt, col);
    case 's':
      return columnText(stmt, col);
    case 't':
      return WordText::rekey(columnText(stmt, col), key);
    default:
      throw TypeError("Not found the type!");
  }
}

}  // namespace

void SqlMgrController::readRows(sqlite3_stmt* stmt, const std::string& retType,
                                plat::Value& result) const {
  if (!result.isArray()) result = plat::Value::array();
  const int key = retType.find('t') == std::string::npos ? 0 : wordTextKey();
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    // One column gives a flat array: no row array to build and drop.
    if (retType.size() == 1) {
      result.append(columnValue(stmt, 0, retType[0], key));
      continue;
    }
    plat::Value row = plat::Value::array();
    for (size_t k = 0; k < retType.size(); ++k)
      row.append(columnValue(stmt, static_cast<int>(k), retType[k], key));
    result.append(std::move(row));
  }
}

std::string SqlMgrController::withCause(const std::string& reason) const {
  if (!database_) return reason + " (no database is open)";
  return reason + " (" + sqlite3_errmsg(database_) + ")";
}

void SqlMgrController::setDatabase(sqlite3* db) {
  plat::LockGuard lock(connection_);
  statements_.clear();
  database_ = db;
  ++undoCount_;
  // SQLite rolls a transaction back by itself after some failures (a full disk, an I/O error);
  // the hook counts those as well as the brackets' own ROLLBACK.
  if (db)
    sqlite3_rollback_hook(
        db, [](void* self) { ++static_cast<SqlMgrController*>(self)->undoCount_; }, this);
}

plat::Value SqlMgrController::selectOneChannel(const std::string& sql, const std::string& retType,
                                               const std::string& paramSign,
                                               const plat::Value& params) {
  plat::LockGuard lock(connection_);
  StatementCache::Lease stmt = statements_.take(database_, sql);
  if (!stmt) throw MyException(withCause(kPrepareFailed + sql));
  bindParams(stmt.get(), paramSign, params, false);
  plat::Value result = plat::Value::array();
  readRows(stmt.get(), retType, result);
  return result;
}

void SqlMgrController::selectOneChannel(const std::string& sql, const std::string& retType,
                                        plat::Value& result) {
  plat::LockGuard lock(connection_);
  StatementCache::Lease stmt = statements_.take(database_, sql);
  if (!stmt) return;
  readRows(stmt.get(), retType, result);
}

void SqlMgrController::RecordPrepare(const std::string& sql, const std::string& paramSign,
                                     const plat::Value& params) {
  plat::LockGuard lock(connection_);
  StatementCache::Lease stmt = statements_.take(database_, sql);
  if (!stmt) throw MyException(withCause(kPrepareFailed + sql));
  bindParams(stmt.get(), paramSign, params, true);
  int rc = sqlite3_step(stmt.get());
  if (rc == SQLITE_DONE || rc == SQLITE_ROW || (rc & 0xFF) == SQLITE_CONSTRAINT) return;
  throw MyException(withCause(kStepFailed));
}

void SqlMgrController::insertOneChannel(const std::string& sql, const std::string& paramSign,
                                        const plat::Value& params) {
  RecordPrepare(sql, paramSign, params);
}

void SqlMgrController::updateOneChannel(const std::string& sql, const std::string& paramSign,
                                        const plat::Value& params) {
  RecordPrepare(sql, paramSign, params);
}

void SqlMgrController::deleteOneChannel(const std::string& sql, const std::string& paramSign,
                                        const plat::Value& params) {
  RecordPrepare(sql, paramSign, params);
}

void SqlMgrController::RecordExec(const std::string& sql) {
  plat::LockGuard lock(connection_);
  if (database_) sqlite3_exec(database_, sql.c_str(), nullptr, nullptr, nullptr);
}

void SqlMgrController::RecordExec(const std::string& sql, const std::string& paramSign,
                                  const plat::Value& params) {
  plat::LockGuard lock(connection_);
  StatementCache::Lease stmt = statements_.take(database_, sql);
  if (!stmt) return;
  bindParams(stmt.get(), paramSign, params, true);
  sqlite3_step(stmt.get());
}

int SqlMgrController::execCached(const std::string& sql) {
  StatementCache::Lease stmt = statements_.take(database_, sql);
  if (!stmt) return SQLITE_ERROR;
  const int rc = sqlite3_step(stmt.get());
  return rc == SQLITE_ROW ? SQLITE_DONE : rc;
}

void SqlMgrController::checkpointLog() {
  plat::LockGuard lock(connection_);
  if (database_ && transactionDepth_ == 0)
    sqlite3_wal_checkpoint_v2(database_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
}

// Nested brackets of the owning thread become savepoints, so an inner rollback undoes only the
// inner work and the outer COMMIT still means what it says.
void SqlMgrController::beginTransaction() {
  connection_.lock();
  if (transactionDepth_ > 0) {
    execCached("SAVEPOINT nested" + std::to_string(transactionDepth_));
  } else {
    if (!database_ || execCached("BEGIN") != SQLITE_DONE) {
      connection_.unlock();  // no transaction: later statements run on their own
      return;
    }
    transactionOwner_ = std::this_thread::get_id();
  }
  ++transactionDepth_;
}

void SqlMgrController::commitTransaction() {
  plat::LockGuard lock(connection_);
  if (transactionDepth_ == 0 || transactionOwner_ != std::this_thread::get_id()) return;
  if (transactionDepth_ > 1) {
    execCached("RELEASE nested" + std::to_string(transactionDepth_ - 1));
  } else if (execCached("COMMIT") != SQLITE_DONE) {
    throw MyException("Error: failed to commit the transaction.");
  } else {
    transactionOwner_ = std::thread::id();
  }
  --transactionDepth_;
  connection_.unlock();
}

void SqlMgrController::rollbackTransaction() {
  plat::LockGuard lock(connection_);
  if (transactionDepth_ == 0 || transactionOwner_ != std::this_thread::get_id()) return;
  if (transactionDepth_ > 1) {
    std::string name = "nested" + std::to_string(transactionDepth_ - 1);
    execCached("ROLLBACK TO " + name);
    execCached("RELEASE " + name);
    ++undoCount_;  // the hook hears only of whole transactions
  } else {
    execCached("ROLLBACK");
    transactionOwner_ = std::thread::id();
  }
  --transactionDepth_;
  connection_.unlock();
}

bool SqlMgrController::inTransaction() const {
  // Never waits: only the owner itself can find its own id here.
  return transactionOwner_.load() == std::this_thread::get_id();
}

bool SqlMgrController::tryAcquireIdle() {
  if (!connection_.try_lock()) return false;
  if (transactionDepth_ > 0) {
    connection_.unlock();
    return false;
  }
  return true;
}

void SqlMgrController::releaseIdle() {
  connection_.unlock();
}

void SqlMgrController::setWordTextKey(int wordId) {
  // Kept in the defaults, which reach their file at their next synchronize: forcing the file to
  // disk for every word shown would stall the screen that reads it, and every read sets the key
  // again first.
  plat::UserDefaults::standardUserDefaults().setInteger("word_id", wordId);
}

int SqlMgrController::wordTextKey() {
  return static_cast<int>(plat::UserDefaults::standardUserDefaults().integerForKey("word_id"));
}

std::string SqlMgrController::rekey(const std::string& stored, int wordId) {
  return WordText::rekey(stored, wordId);
}

sqlite3* SqlMgrController::openExisting(const std::string& path) {
  sqlite3* db = nullptr;
  // Every use of a connection holds its controller's lock, statement and row loop alike, so
  // SQLite's own lock around each call (a step, a bind, every column read) would only be taken
  // again: the connection is opened without it.
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK) {
    sqlite3_close(db);
    return nullptr;
  }
  return db;
}

void SqlMgrController::close(sqlite3* db) {
  if (db) sqlite3_close_v2(db);
}

namespace {

// A new copy is put in write-ahead-log mode before it is flushed, so that the first opening need
// not convert it by a commit of its own. The mode is the file format's read and write versions,
// bytes 18 and 19 of the header: 1 with a rollback journal, 2 with a log, as SQLite sets them when
// it converts a file no one has open. Any other file is left as it is; the opening converts it.
void useWriteAheadLog(const std::string& path) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  char header[20];
  if (!file.read(header, sizeof header) || std::memcmp(header, "SQLite format 3", 16) != 0 ||
      header[18] != 1 || header[19] != 1)
    return;
  file.seekp(18);
  file.write("\2\2", 2);
}

}  // namespace

void SqlMgrController::removeCompanions(const std::string& path) {
  for (const char* suffix : {"-wal", "-shm", "-journal"}) plat::files::remove(path + suffix);
}

bool SqlMgrController::sql_copy(const std::string& from, const std::string& to) {
  // Copied beside the target, flushed, and moved into place whole: a copy cut short (a full disk,
  // a power cut) must not leave a broken file that every later start would open as the database.
  // The flush costs a few times the copy, once in the app's life.
  if (!from.empty() && !plat::files::exists(to)) {
    const std::string part = to + ".part";
    plat::files::remove(part);
    if (plat::files::copyFileWritingBack(from, part)) {
      useWriteAheadLog(part);
      removeCompanions(to);
      if (plat::files::syncToDisk(part) && plat::files::moveFile(part, to))
        plat::files::syncToDisk(std::filesystem::path(to).parent_path().string());
    }
    plat::files::remove(part);
  }
  if (!plat::files::exists(to)) return false;
  BackupAttribute::addSkipBackupAttributeToItemAtURL(to);
  return true;
}
