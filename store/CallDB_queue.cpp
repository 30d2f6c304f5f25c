// The review queue's mirror in review_list, so that a restart within the study day resumes it.
#include <sqlite3.h>

#include <algorithm>
#include <memory>

#include "store/CallDB.h"

using plat::Value;

const char* const CallDB::kQueueIndex =
    "create index if not exists review_list_word on review_list (rlt_tWord)";

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

}  // namespace

// A rebuild writes thousands of rows: each batch size is prepared once and run for every batch,
// which the wrapper's one-shot statements cannot do. Failures raise as the wrapper's do.
void CallDB::appendQueueRows(const Value& words, int type) {
  plat::LockGuard lock(sqlMgr_.connection());
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
    for (size_t i = 0; i < rows; ++i) {
      const std::string& word = words.at(first + i).asString();
      sqlite3_bind_text(stmt.get(), static_cast<int>(i) + 1, word.data(),
                        static_cast<int>(word.size()), SQLITE_STATIC);
    }
    const int rc = sqlite3_step(stmt.get());
    sqlite3_reset(stmt.get());
    if (rc != SQLITE_DONE)
      throw MyException(
          sqlMgr_.withCause("Error: failed to insert into the database with message."));
  }
}

void CallDB::initReviewWords_tempData(const Value& words, int type) {
  // One unit, so that a failure keeps yesterday's queue rather than half of today's.
  inOneTransaction([&] {
    sqlMgr_.deleteOneChannel("delete from review_list", "", Value::array());
    sqlMgr_.RecordExec("drop index if exists review_list_word");
    appendQueueRows(words, type);
    sqlMgr_.RecordExec(kQueueIndex);
  });
}

Value CallDB::getReviewWords_tempData() {
  return rowsOf("select rlt_tWord, rlt_uType, rlt_uPos from review_list order by rowid", "snn");
}

void CallDB::addTempData(const Value& words) {
  inOneTransaction([&] { appendQueueRows(words, 1); });
}

void CallDB::modifyTempData(const std::string& word, int type, int pos) {
  Value rows = sqlMgr_.selectOneChannel("select count(*) from review_list where rlt_tWord=?", "n",
                                        "s", Value::array({word}));
  if (rows.at(0).asInt() > 0)
    sqlMgr_.updateOneChannel("update review_list set rlt_uPos=? where rlt_tWord=?", "ns",
                             Value::array({pos, word}));
  else
    sqlMgr_.insertOneChannel(
        "insert into review_list (rlt_tWord,rlt_uType,rlt_uPos) values (?,?,?)", "snn",
        Value::array({word, type, pos}));
}

void CallDB::delTempData(const std::string& word) {
  sqlMgr_.deleteOneChannel("delete from review_list where rlt_tWord=?", "s", Value::array({word}));
}
