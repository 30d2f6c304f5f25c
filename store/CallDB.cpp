#include "store/CallDB.h"

#include <sqlite3.h>

#include <cstdio>

#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "store/CmpDiffVersion.h"

namespace {

// Serialises opening and closing; statements never take it.
plat::Mutex& openingMutex() {
  static plat::Mutex m;
  return m;
}

// The store's connection is the only one to learn.db: it keeps its lock on the file from its first
// statement to its close, so that no statement locks, unlocks or rereads the file header, and the
// log's index lives in the connection's memory rather than in a shared-memory file.
sqlite3* openConnection(const std::string& path) {
  sqlite3* db = SqlMgrController::openExisting(path);
  if (db) sqlite3_exec(db, "pragma locking_mode = exclusive", nullptr, nullptr, nullptr);
  return db;
}

}  // namespace

CallDB* CallDB::instance() {
  // Never destroyed: other threads may still reach the store while the process exits.
  static CallDB* const store = new CallDB();
  return store;
}

CallDB* CallDB::callDB() {
  CallDB* store = instance();
  if (!store->isOpen()) {
    plat::LockGuard opening(openingMutex());
    plat::LockGuard connection(store->sqlMgr_.connection());
    if (!store->isOpen()) {
      try {
        store->open();
      } catch (const std::exception& e) {
        std::fprintf(stderr, "store: opening the study database failed: %s\n", e.what());
      }
    }
  }
  return store;
}

void CallDB::Release_CallDB() {
  CallDB* store = instance();
  // Checked before the opening lock, which is never taken while holding the connection.
  if (store->sqlMgr_.inTransaction()) return;
  plat::LockGuard opening(openingMutex());
  if (!store->isOpen() || !store->sqlMgr_.tryAcquireIdle()) return;
  store->close();
  store->sqlMgr_.releaseIdle();
}

bool CallDB::isOpen() const {
  return database_.load() != nullptr;
}

std::string CallDB::databasePath() const {
  plat::LockGuard lock(state_);
  return path_;
}

void CallDB::open() {
  // Serialized threading mode before the first connection; later calls are refused and ignored.
  static std::once_flag configured;
  std::call_once(configured, [] { sqlite3_config(SQLITE_CONFIG_SERIALIZED); });

  const std::string folder = plat::AppHome::applicationSupportDir();
  plat::files::createDirectories(folder);
  const std::string path = plat::files::join(folder, "learn.db");
  {
    plat::LockGuard lock(state_);
    path_ = path;
  }
  if (!plat::files::exists(path))
    SqlMgrController::sql_copy(plat::Bundle::main().pathForResource("learn", "db"), path);

  // Never creates the file: an empty database would stay empty for ever. The version check reads
  // through the store's own connection, which is closed only while an old file is upgraded.
  sqlite3* db = openConnection(path);
  if (db) {
    sqlMgr_.setDatabase(db);
    std::string version = CmpDiffVersion::storedVersion(sqlMgr_);
    if (CmpDiffVersion::needsUpgrade(version)) {
      sqlMgr_.setDatabase(nullptr);
      SqlMgrController::close(db);
      CmpDiffVersion().compareVer3(path, version);
      db = openConnection(path);
    }
  }
  if (!db) {
    std::fprintf(stderr, "store: no study database at %s; it is copied again on the next use\n",
                 path.c_str());
    return;
  }
  sqlMgr_.setDatabase(db);
  // Write-ahead log: a commit appends its pages to learn.db-wal and flushes that one file, where a
  // rollback journal flushes the journal, its folder and the database, some twice. With full sync
  // a commit is on disk when it returns, as before. An older file is converted here once.
  // The log is emptied by each checkpoint but keeps its file size; past 4 MB it is cut back, so
  // one large import does not hold its size in disk space for good.
  sqlite3_exec(db,
               "pragma journal_mode = wal; pragma synchronous = full; "
               "pragma journal_size_limit = 4194304",
               nullptr, nullptr, nullptr);
  sqlite3_exec(db, kDropQueueIndex, nullptr, nullptr, nullptr);
  watchQueueRows(db);
  database_.store(db);
  loadShowNames();
}

void CallDB::close() {
  sqlite3* db = database_.exchange(nullptr);
  sqlMgr_.setDatabase(nullptr);
  SqlMgrController::close(db);
  plat::LockGuard lock(state_);
  words_showname_.clear();
  feedback_ = plat::Value();
}

void CallDB::loadShowNames() {
  // The few display forms lead and each finds its headword by id; the other way round reads the
  // whole word library on every opening.
  plat::Value rows = plat::Value::array();
  sqlMgr_.selectOneChannel(
      "select wl.wl_tWord, wsn.wsn_sName from Words_Show_Name as wsn cross join Words_Library as "
      "wl on wl.wl_uWordID = wsn.f_wl_uWordID",
      "ss", rows);
  plat::LockGuard lock(state_);
  words_showname_.clear();
  for (size_t i = 0; i < rows.size(); ++i)
    words_showname_[rows.at(i).at(0).asString()] = rows.at(i).at(1).asString();
}

std::string CallDB::getWord_ShowName(const std::string& word) const {
  plat::LockGuard lock(state_);
  auto it = words_showname_.find(word);
  return it == words_showname_.end() ? word : it->second;
}

plat::Value CallDB::sql_select(const std::string& sql, const std::string& retType,
                               const std::string& paramSign, const plat::Value& params) {
  return sqlMgr_.selectOneChannel(sql, retType, paramSign, params);
}

void CallDB::sql_insert(const std::string& sql, const std::string& paramSign,
                        const plat::Value& params) {
  sqlMgr_.insertOneChannel(sql, paramSign, params);
}

void CallDB::sql_update(const std::string& sql, const std::string& paramSign,
                        const plat::Value& params) {
  sqlMgr_.updateOneChannel(sql, paramSign, params);
}

void CallDB::sql_delete(const std::string& sql, const std::string& paramSign,
                        const plat::Value& params) {
  sqlMgr_.deleteOneChannel(sql, paramSign, params);
}

void CallDB::setWordID(int wordId) {
  wordID_.store(wordId);
  SqlMgrController::setWordTextKey(wordId);
}
