// The review queue's mirror in review_list, so that a restart within the study day resumes it.
#include <algorithm>

#include "store/CallDB.h"

using plat::Value;

namespace {

// Rows are written 30 to a statement; headwords are bound, never spliced into the text.
constexpr size_t kBatch = 30;

std::string batchStatement(size_t rows, int type) {
  const std::string row = "?, " + std::to_string(type) + ", 0";
  std::string sql = "insert into review_list (rlt_tWord,rlt_uType,rlt_uPos) select " + row;
  for (size_t i = 1; i < rows; ++i) sql += " union all select " + row;
  return sql;
}

}  // namespace

void CallDB::appendQueueRows(const Value& words, int type) {
  const std::string fullBatch = batchStatement(kBatch, type);
  for (size_t first = 0; first < words.size(); first += kBatch) {
    const size_t rows = std::min(kBatch, words.size() - first);
    Value params = Value::array();
    for (size_t i = 0; i < rows; ++i) params.append(words.at(first + i));
    sqlMgr_.insertOneChannel(rows == kBatch ? fullBatch : batchStatement(rows, type),
                             std::string(rows, 's'), params);
  }
}

void CallDB::initReviewWords_tempData(const Value& words, int type) {
  // One unit, so that a failure keeps yesterday's queue rather than half of today's.
  inOneTransaction([&] {
    sqlMgr_.deleteOneChannel("delete from review_list", "", Value::array());
    appendQueueRows(words, type);
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
