// The row at which a typed text stands in a word list, for the list's search field.
#include <string>

#include "store/CallDB.h"

using plat::Value;

namespace {

enum ListKind { kAll = 1, kUnplanned = 2, kPlanned = 4 };

// The text as a LIKE prefix in which the learner's "%" and "_" are plain characters.
std::string prefixPattern(const std::string& text) {
  std::string pattern;
  for (char c : text) {
    if (c == '\\' || c == '%' || c == '_') pattern += '\\';
    pattern += c;
  }
  return pattern + "%";
}

}  // namespace

// The row of the first word that does not sort before the text with case ignored, as the lists
// are ordered: typing "march" finds "March" as well as "march", and "china" finds "China".
int64_t CallDB::getwordPos_sortABC(const std::string& text, int64_t bookId, int64_t searchType) {
  const char* sql = nullptr;
  const bool whole = bookId == WholeLibraryBookID;
  switch (searchType) {
    case kAll:
      sql = whole ? "select count(*) from Words_Library where wl_tWord collate nocase < ?"
                  : "select count(*) from Words_Library as wl, book_words as bw where "
                    "wl.wl_uWordID=bw.f_wl_uId and bw.f_b_uId=? and wl_tWord collate nocase < ? "
                    "order by wl.wl_uWordID";
      break;
    case kUnplanned:
      sql = whole ? "select count(*) from words_library where wl_uWordID not in (select sl_uWordID "
                    "from Study_List) and wl_tWord collate nocase < ? order by wl_uWordID"
                  : "select count(wl.wl_tWord) from words_library as wl where wl.wl_uWordID in "
                    "(select bw.f_wl_uId from book_words as bw where bw.f_b_uId=? and "
                    "bw.f_wl_uId not in (select sl.sl_uWordID from Study_List as sl)) and "
                    "wl.wl_tWord collate nocase < ? order by wl.wl_uWordID";
      break;
    case kPlanned:
      sql = whole ? "select count(wl.wl_uWordID) from words_library as wl, Study_List as sl where "
                    "wl.wl_uWordID = sl.sl_uWordID and wl.wl_tWord collate nocase < ? order by "
                    "wl.wl_uWordID"
                  : "select count(wl.wl_tWord) from words_library as wl where wl.wl_uWordID in "
                    "(select sl.sl_uWordID from Study_List as sl, book_words as bw where "
                    "sl.sl_uWordID = bw.f_wl_uId and bw.f_b_uId = ?) and wl.wl_tWord collate "
                    "nocase < ? order by wl.wl_uWordID";
      break;
    default:
      return 0;  // the selected list is searched in memory
  }
  Value count = whole ? sqlMgr_.selectOneChannel(sql, "N", "s", Value::array({text}))
                      : sqlMgr_.selectOneChannel(
                            sql, "N", "ns", Value::array({static_cast<long long>(bookId), text}));
  return count.at(0).asInt();
}

int64_t CallDB::getwordPos_sortBook(const std::string& text, int64_t bookId, int64_t searchType) {
  const char* exact = nullptr;
  const char* prefix = nullptr;
  const char* upTo = nullptr;
  switch (searchType) {
    case kAll:
      exact =
          "select bw.bw_uId from Words_Library as wl, book_words as bw where "
          "wl.wl_uWordID=bw.f_wl_uId and bw.f_b_uId=? and wl.wl_tWord = ?";
      prefix =
          "select MIN(bw.bw_uId) from Words_Library as wl, book_words as bw where "
          "wl.wl_uWordID=bw.f_wl_uId and bw.f_b_uId=? and wl.wl_tWord like ? escape '\\'";
      // Counted, not read off the position: book 801 numbers its words from 3501 on.
      upTo = "select count(*) from book_words as bw where bw.f_b_uId = ? and bw.bw_uId <= ?";
      break;
    case kPlanned:
      exact =
          "select bw.bw_uId from words_library as wl,book_words as bw,Study_List as sl where "
          "wl.wl_uWordID = bw.f_wl_uId and bw.f_wl_uId = sl.sl_uWordID and bw.f_b_uId = ? and "
          "wl.wl_tWord = ?";
      prefix =
          "select MIN(bw.bw_uId) from words_library as wl,book_words as bw,Study_List as sl where "
          "wl.wl_uWordID = bw.f_wl_uId and bw.f_wl_uId = sl.sl_uWordID and bw.f_b_uId = ? and "
          "wl.wl_tWord like ? escape '\\'";
      upTo =
          "select count(*) from words_library as wl,book_words as bw,Study_List as sl where "
          "wl.wl_uWordID = bw.f_wl_uId and bw.f_wl_uId = sl.sl_uWordID and bw.f_b_uId = ? and "
          "bw.bw_uId <= ? order by bw.bw_uId";
      break;
    case kUnplanned:
      exact =
          "select bw.bw_uId from words_library as wl,book_words as bw where wl.wl_uWordID = "
          "bw.f_wl_uId and bw.f_b_uId = ? and wl.wl_tWord = ? and bw.f_wl_uId not in(select "
          "sl_uWordID from Study_List)";
      prefix =
          "select MIN(bw.bw_uId) from words_library as wl,book_words as bw where wl.wl_uWordID = "
          "bw.f_wl_uId and bw.f_b_uId = ? and wl.wl_tWord like ? escape '\\' and bw.f_wl_uId not "
          "in(select sl_uWordID from Study_List)";
      upTo =
          "select count(*) from words_library as wl,book_words as bw where wl.wl_uWordID = "
          "bw.f_wl_uId and bw.f_b_uId = ? and bw.bw_uId <= ? and bw.f_wl_uId not in(select "
          "sl_uWordID from Study_List)";
      break;
    default:
      return 0;
  }
  const long long book = bookId;
  Value found = sqlMgr_.selectOneChannel(exact, "n", "ns", Value::array({book, text}));
  bool matched = found.size() > 0;
  int64_t place = matched ? found.at(0).asInt() : 0;
  if (!matched) {
    // MIN over no rows is NULL, which reads as 0.
    place = sqlMgr_.selectOneChannel(prefix, "n", "ns", Value::array({book, prefixPattern(text)}))
                .at(0)
                .asInt();
    matched = place > 0;
  }
  if (place < 1) return matched ? 0 : -1;
  return sqlMgr_
             .selectOneChannel(upTo, "n", "nn", Value::array({book, static_cast<long long>(place)}))
             .at(0)
             .asInt() -
         1;
}
