// The review queue's mirror in review_list, so that a restart within the study day resumes it.
// Its rows are found by word through queueRows_ (see store/QueueRows.h), not through an index.
#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "store/CallDB.h"

using plat::Value;

// Files written while the mirror had an index on the word lose it: the daily rebuild would sort
// it anew, and with it in place every appended row costs a search of it.
const char* const CallDB::kDropQueueIndex = "drop index if exists review_list_word";

namespace {

// Rows are written 30 to a statement; headwords are bound, never spliced into the text.
constexpr size_t kBatch = 30;

std::string batchStatement(size_t rows, int type) {
  const std::string row = "(?, " + std::to_string(type) + ", 0)";
  std::string sql = "insert into review_list (rlt_tWord,rlt_uType,rlt_uPos) values " + row;
  for (size_t i = 1; i < rows; ++i) sql.append(", ").append(row);
  return sql;
}

struct Finalizer {
  void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

// Sets a flag for the length of a scope.
class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = false; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
};

}  // namespace

void CallDB::watchQueueRows(sqlite3* db) {
  sqlite3_update_hook(db, &CallDB::rowWritten, this);
}

void CallDB::rowWritten(void* self, int op, const char* database, const char* table,
                        long long /*rowid*/) {
  // A row that other code adds or rewrites in the mirror is one the list cannot name; rows taken
  // out never make the list wrong, since every use of a listed rowid checks its word.
  auto* store = static_cast<CallDB*>(self);
  if (op != SQLITE_DELETE && !store->writingQueue_ && std::strcmp(table, "review_list") == 0 &&
      std::strcmp(database, "main") == 0)
    store->queueRows_.forget();
}

QueueRows& CallDB::listedQueueRows() {
  plat::LockGuard lock(sqlMgr_.connection());
  if (queueRows_.known() && queueRowsUndoCount_ == sqlMgr_.undoCount()) return queueRows_;
  // Read again from the table: after the opening, a rollback, or rows written by other code.
  queueRowsUndoCount_ = sqlMgr_.undoCount();
  queueRows_.startEmpty();
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(sqlMgr_.database(), "select rowid, rlt_tWord from review_list", -1,
                              &stmt, nullptr);
  if (rc == SQLITE_OK && stmt) {
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      const auto* word = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
      const auto length = static_cast<size_t>(sqlite3_column_bytes(stmt, 1));
      queueRows_.add(std::string_view(word ? word : "", word ? length : 0),
                     sqlite3_column_int64(stmt, 0));
    }
  }
  sqlite3_finalize(stmt);
  if (rc != SQLITE_DONE) {
    queueRows_.forget();
    throw MyException(sqlMgr_.withCause("Error: failed to read the review queue."));
  }
  return queueRows_;
}

// A rebuild writes thousands of rows: each batch size is prepared once and run for every batch,
// which the wrapper's one-shot statements cannot do. Failures raise as the wrapper's do. Each
// row is listed under its word; rows of one statement take consecutive rowids after the largest,
// which the last rowid confirms (or the list is given up and read again when next needed).
void CallDB::appendQueueRows(const Value& words, int type, int64_t lastRowid) {
  plat::LockGuard lock(sqlMgr_.connection());
  ScopedFlag writing(writingQueue_);
  Statement full;
  for (size_t first = 0; first < words.size(); first += kBatch) {
    const size_t rows = std::min(kBatch, words.size() - first);
    Statement last;
    Statement& stmt = rows == kBatch ? full : last;
    if (!stmt) {
      const std::string sql = batchStatement(rows, type);
      sqlite3_stmt* prepared = nullptr;
      if (sqlite3_prepare_v2(sqlMgr_.database(), sql.c_str(), -1, &prepared, nullptr) !=
              SQLITE_OK ||
          !prepared) {
        sqlite3_finalize(prepared);
        throw MyException(sqlMgr_.withCause("Error: failed to insert:channels sql:" + sql));
      }
      stmt.reset(prepared);
    }
    const std::string* batch[kBatch];
    for (size_t i = 0; i < rows; ++i) {
      batch[i] = &words.at(first + i).asString();
      sqlite3_bind_text(stmt.get(), static_cast<int>(i) + 1, batch[i]->data(),
                        static_cast<int>(batch[i]->size()), SQLITE_STATIC);
    }
    const int rc = sqlite3_step(stmt.get());
    sqlite3_reset(stmt.get());
    if (rc != SQLITE_DONE)
      throw MyException(
          sqlMgr_.withCause("Error: failed to insert into the database with message."));
    const int64_t written = sqlite3_last_insert_rowid(sqlMgr_.database());
    if (written != lastRowid + static_cast<int64_t>(rows)) queueRows_.forget();
    for (size_t i = 0; i < rows; ++i)
      queueRows_.add(*batch[i], lastRowid + 1 + static_cast<int64_t>(i));
    lastRowid = written;
  }
}

void CallDB::initReviewWords_tempData(const Value& words, int type) {
  // One unit, so that a failure keeps yesterday's queue rather than half of today's; its
  // rollback leaves the list to be read again.
  inOneTransaction([&] {
    sqlMgr_.deleteOneChannel("delete from review_list", "", Value::array());
    listedQueueRows().startEmpty(words.size());
    appendQueueRows(words, type, 0);  // an empty table numbers its rows from 1
  });
}

Value CallDB::getReviewWords_tempData() {
  return rowsOf("select rlt_tWord, rlt_uType, rlt_uPos from review_list order by rowid", "snn");
}

void CallDB::addTempData(const Value& words) {
  inOneTransaction([&] {
    listedQueueRows();
    appendQueueRows(words, 1, numberOf("select max(rowid) from review_list"));
  });
}

void CallDB::modifyTempData(const std::string& word, int type, int pos) {
  plat::LockGuard lock(sqlMgr_.connection());
  ScopedFlag writing(writingQueue_);
  QueueRows& rows = listedQueueRows();
  int changed = 0;
  for (int64_t rowid : rows.candidates(word)) {
    sqlMgr_.updateOneChannel("update review_list set rlt_uPos=? where rowid=? and rlt_tWord=?",
                             "nNs", Value::array({pos, static_cast<long long>(rowid), word}));
    changed += sqlite3_changes(sqlMgr_.database());
  }
  if (changed > 0) return;
  sqlMgr_.insertOneChannel("insert into review_list (rlt_tWord,rlt_uType,rlt_uPos) values (?,?,?)",
                           "snn", Value::array({word, type, pos}));
  // A listed rowid that holds no such row costs a statement that changes nothing; a row left out
  // would be wrong, so the new one is listed whenever the insert may have written it.
  rows.add(word, sqlite3_last_insert_rowid(sqlMgr_.database()));
}

void CallDB::delTempData(const std::string& word) {
  plat::LockGuard lock(sqlMgr_.connection());
  QueueRows& rows = listedQueueRows();
  for (int64_t rowid : rows.candidates(word)) {
    sqlMgr_.deleteOneChannel("delete from review_list where rowid=? and rlt_tWord=?", "Ns",
                             Value::array({static_cast<long long>(rowid), word}));
    if (sqlite3_changes(sqlMgr_.database()) > 0) rows.remove(word, rowid);
  }
}
