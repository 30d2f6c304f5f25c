// Windows of rows over the whole library's lists, which are too long to load at once.
#include <algorithm>
#include <string>

#include "store/CallDB.h"

using plat::Value;

namespace {

std::string limit(const CallDB::RowWindow& w, const char* separator) {
  return " limit " + std::to_string(w.offset) + separator + std::to_string(w.count);
}

}  // namespace

CallDB::RowWindow CallDB::windowOf(int pos, int count, bool isDown) {
  const int start = isDown ? pos : pos + 1 - count;
  // Never a negative row count: SQLite reads "limit -n" as no limit at all.
  return {std::max(start, 0), std::max(count + std::min(start, 0), 0)};
}

Value CallDB::getWordsFromBook(int pos, int count, bool isDown) {
  return rowsOf(std::string("select wl.wl_tWord, sl.sl_uWordID from words_library as wl left join "
                            "study_list as sl on wl.wl_uWordID=sl.sl_uWordID") +
                    kAlphabeticalOrder + limit(windowOf(pos, count, isDown), ", "),
                "sn");
}

Value CallDB::GetStudyWords(int pos, int count, bool isDown) {
  return rowsOf(std::string("select wl.wl_tWord from Words_Library as wl,Study_Log as sl where "
                            "wl.wl_uWordID = sl.sl_uWordID") +
                    kLearnedOrder + limit(windowOf(pos, count, isDown), ","),
                "s");
}

Value CallDB::GetNoneWords(int pos, int count, bool isDown) {
  return rowsOf(
      std::string("select wl.wl_tWord from words_library as wl where not exists (select 1 from "
                  "study_list where sl_uWordID=wl.wl_uWordID)") +
          kAlphabeticalOrder + limit(windowOf(pos, count, isDown), ", "),
      "s");
}
