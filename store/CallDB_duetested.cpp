// The tested words due before a time, most overdue first: the review half of the daily queue.
#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <string>
#include <vector>

#include "store/CallDB.h"
#include "store/DueOrder.h"

namespace {

struct GroupRelease {
  void operator()(plat::ValueGroup* group) const { group->release(); }
};

// Room for the first words of the block; it grows by chunks as needed.
constexpr size_t kTextBytesGuess = 16 * 1024;

}  // namespace

// The same words in the same order as "order by sl.sl_uNextStudyTime limit ?" read through the
// next-study index, whose order is (next study time, last test time, word id). Read in word-id
// order instead, which walks both tables front to back rather than jumping through the word
// library once per word, and sorted here: about half the time for a large plan.
plat::Value CallDB::dueTestedWords(int64_t end, int64_t limit) {
  static const char* const kSql =
      "select sl.sl_uNextStudyTime, sl.sl_uLastTestTime, wl.wl_tWord from Study_Log as sl, "
      "Words_Library as wl where sl.sl_uLastTestTime <> 0 and sl.sl_uNextStudyTime < ? and "
      "wl.wl_uWordID = sl.sl_uWordID order by sl.sl_uWordID";
  std::vector<DueWord> due;
  std::vector<plat::Value> words;
  // The headwords live in one block rather than a heap box each: a day's queue can hold
  // thousands, and each word then costs a count on the block where it cost an allocation.
  std::unique_ptr<plat::ValueGroup, GroupRelease> texts(plat::ValueGroup::make(kTextBytesGuess));
  {
    plat::LockGuard lock(sqlMgr_.connection());
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(sqlMgr_.database(), kSql, -1, &stmt, nullptr) != SQLITE_OK || !stmt) {
      sqlite3_finalize(stmt);
      throw MyException(
          sqlMgr_.withCause(std::string("Error: failed to insert:channels sql:") + kSql));
    }
    sqlite3_bind_int64(stmt, 1, end);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
      due.push_back({sqlite3_column_int64(stmt, 0), sqlite3_column_int64(stmt, 1),
                     static_cast<uint32_t>(words.size())});
      const plat::Value inBlock = plat::Value::groupString(*texts, text ? text : "");
      words.push_back(inBlock);  // the copy holds the block
    }
    sqlite3_finalize(stmt);
  }
  const size_t kept = static_cast<size_t>(std::clamp<int64_t>(limit, 0, due.size()));
  orderDueWords(due, kept);
  std::vector<plat::Value> ordered;
  ordered.reserve(kept);
  for (size_t i = 0; i < kept; ++i) ordered.push_back(std::move(words[due[i].read]));
  return plat::Value::array(std::move(ordered));
}
