// The book library: book classes, books, their word counts and a book's word lists loaded whole.
#include <optional>
#include <string>

#include "store/CallDB.h"

using plat::Value;

namespace {

std::string id(int v) {
  return std::to_string(v);
}

// "(n)" or "(planned/all)".
std::string countText(int64_t first, std::optional<int64_t> second = std::nullopt) {
  std::string text = "(";
  text.append(std::to_string(first));
  if (second) text.append("/").append(std::to_string(*second));
  return text.append(")");
}

}  // namespace

Value CallDB::getBookLibID() {
  return rowsOf("select bc_uId from book_class", "n");
}

Value CallDB::getBooksID(int classId) {
  return rowsOf("select b_uId from books where f_bc_uId = " + id(classId), "n");
}

bool CallDB::checkBooksID(int bookId) {
  return rowsOf("select b_sName from books where b_uId=" + id(bookId), "s").size() > 0;
}

std::string CallDB::getBookName(int bookId) {
  return rowsOf("select b_sName from books where b_uId=" + id(bookId), "s").at(0).asString();
}

Value CallDB::getBookData(int bookId) {
  return Value::array(
      {getBookName(bookId),
       static_cast<int>(
           numberOf("select count(sl.sl_uWordID) from Study_List as sl, book_words as bw "
                    "where sl.sl_uWordID = bw.f_wl_uId and bw.f_b_uId = " +
                    id(bookId))),
       static_cast<int>(
           numberOf("select count(f_b_uId) from book_words where f_b_uId = " + id(bookId)))});
}

Value CallDB::getBookLibData(int sectionId) {
  if (sectionId == WholeLibraryBookID)
    return Value::array(
        {"总词库", countText(numberOf("select count(sl_uWordID) from Study_List"),
                             numberOf("select count(wl_uWordID) from Words_Library"))});
  if (sectionId == SpecialBookID)
    return Value::array(
        {"优秀助记词汇",
         countText(numberOf("select count(*) from Study_List as sl, excellent_mnemonic as em where "
                            "sl.sl_uWordID = em.em_uWordID"),
                   numberOf("select count(*) from excellent_mnemonic"))});
  return Value::array(
      {rowsOf("select bc_sName from book_class where bc_uId = " + id(sectionId), "s")
           .at(0)
           .asString(),
       countText(numberOf("select count(b_uId) from books where f_bc_uId = " + id(sectionId)))});
}

int64_t CallDB::getAllWordsNum(int bookId) {
  if (bookId == WholeLibraryBookID) return numberOf("select count(*) from words_library");
  return numberOf("select count(*) from book_words where f_b_uId=" + id(bookId));
}

int64_t CallDB::getStudyWordNum(int bookId) {
  if (bookId == WholeLibraryBookID) return numberOf("select count(*) from Study_List");
  return numberOf(
      "select count(*) from Study_List as sl, book_words as bw where sl.sl_uWordID = bw.f_wl_uId "
      "and bw.f_b_uId = " +
      id(bookId));
}

int64_t CallDB::getNoneWordNum(int bookId) {
  if (bookId == WholeLibraryBookID)
    return numberOf(
        "select ((select count(*) from words_library)-(select count(*) from Study_List))");
  return numberOf("select ((select count(*) from book_words where f_b_uId=" + id(bookId) +
                  ")-(select count(*) from Study_List as sl, book_words as bw where sl.sl_uWordID "
                  "= bw.f_wl_uId and bw.f_b_uId = " +
                  id(bookId) + "))");
}

Value CallDB::getWordsFromBook(int bookId, bool isSort) {
  return rowsOf(
      "select wl.wl_tWord, sl.sl_uWordID from book_words as bw,words_library as wl left join "
      "study_list as sl on wl.wl_uWordID=sl.sl_uWordID where bw.f_wl_uId = wl.wl_uWordID and "
      "bw.f_b_uId=" +
          id(bookId) + (isSort ? kAlphabeticalOrder : " order by (bw.bw_uId)"),
      "sn");
}

Value CallDB::GetStudyWords(int bookId, bool /*isSort: planned words keep the learned order*/) {
  return rowsOf(
      "select wl.wl_tWord from words_library as wl, Study_Log as sl, book_words as bw where "
      "sl.sl_uWordID = bw.f_wl_uId and sl.sl_uWordID = wl.wl_uWordID and bw.f_b_uId = " +
          id(bookId) + kLearnedOrder,
      "s");
}

Value CallDB::GetNoneWords(int bookId, bool isSort) {
  if (isSort)
    return rowsOf(
        "select wl.wl_tWord from words_library as wl where wl.wl_uWordID in (select bw.f_wl_uId "
        "from book_words as bw where bw.f_b_uId=" +
            id(bookId) + " and bw.f_wl_uId not in (select sl.sl_uWordID from Study_List as sl))" +
            kAlphabeticalOrder,
        "s");
  return rowsOf(
      "select wl.wl_tWord from words_library as wl,book_words as bw where wl.wl_uWordID = "
      "bw.f_wl_uId and bw.f_b_uId = " +
          id(bookId) +
          " and bw.f_wl_uId not in (select sl_uWordID from Study_List) order by bw.bw_uId",
      "s");
}
