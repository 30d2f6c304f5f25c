// The book library page: its sections, counts and the one expanded book class.
#include "tests/books/BooksScreenFixture.h"

#include <sqlite3.h>

#include <cstdlib>

namespace {

using bookstest::BooksScreenTest;
using Words = std::vector<std::string>;

class BookLibrary : public BooksScreenTest {
 protected:
  plat::View* header(LearnViewController& tab, int section) {
    return tab.bookLibraryList()
        .viewForHeader(tab.bookLibraryList().tableView(), section)
        ->subviews()[0]
        .get();
  }
  std::string rowText(LearnViewController& tab, int section, int row) {
    tab.bookLibraryList().tableView().layoutIfNeeded();
    return tab.bookLibraryList().tableView().cellForRow({section, row})->textLabel().text();
  }
};

TEST_F(BookLibrary, ShortcutsComeFirstWithTheirCountsAndAStaleLastBookIsForgotten) {
  addBook(kBook, "b", 1000);
  db_->UpdatePersonalValue("last_look_bookID", "424242");  // no such book
  auto tab = showTab();
  BookLibraryList& list = tab->bookLibraryList();
  EXPECT_EQ(db_->getPersonalValue("last_look_bookID"), "");
  EXPECT_FALSE(list.isHaveLastBookID());
  EXPECT_EQ(list.sectionArray()[0].sectionName, "888888");
  const int64_t library = db_->getAllWordsNum(CallDB::WholeLibraryBookID);
  EXPECT_EQ(list.headerTitle(0), "总词库 (0/" + std::to_string(library) + ")");
  EXPECT_EQ(list.sectionArray()[1].sectionName, "1") << "then the book classes";

  // With an account and the special book on: special book, then the whole library.
  db_->UpdatePersonalValue("account", "learner");
  db_->UpdatePersonalValue("specialBook", "1");
  list.refreshData();
  EXPECT_EQ(list.sectionArray()[0].sectionName, "999999");
  EXPECT_EQ(list.headerTitle(0), "优秀助记词汇 (0/0)");
  EXPECT_EQ(list.sectionArray()[1].sectionName, "888888");
}

TEST_F(BookLibrary, OneClassExpandsAtATimeAndKeepsItsPlaceWhenALastBookArrives) {
  const Words words = addBook(kBook, "e", 1000);
  addBook(kBook + 1, "f", 3);
  planWords({"f" + std::string("000"), "f001", "f002"});
  auto tab = showTab();
  BookLibraryList& list = tab->bookLibraryList();
  const int own = static_cast<int>(list.sectionArray().size()) - 2;  // class of kBook
  ASSERT_EQ(list.sectionArray()[own].sectionName, std::to_string(kBook));
  ASSERT_TRUE(host_->tap(header(*tab, own)));
  EXPECT_TRUE(list.isExpanded(own));
  EXPECT_EQ(rowText(*tab, own, 0), "测试单词书 (0/1000)");
  ASSERT_TRUE(host_->tap(header(*tab, own + 1)));
  host_->advance(1);
  EXPECT_TRUE(list.isExpanded(own + 1)) << "the other class closes";
  EXPECT_EQ(list.tableView().numberOfRows(own), 0);
  auto* finished = list.tableView().cellForRow({own + 1, 0});
  EXPECT_TRUE(finished->textLabel().font().bold) << "a book wholly in study stands out";
  render("library");
  ASSERT_TRUE(host_->tap(header(*tab, own + 1)));
  EXPECT_EQ(list.expandedSection(), -1);

  // Planning from a book for the first time puts that book above every section: the same class
  // stays expanded.
  list.collapseOrExpand(own);
  host_->tap(list.tableView().cellForRow({own, 0}));
  host_->advance(1);
  auto* lists = dynamic_cast<WordsUIViewController*>(app_->bookNav->topViewController());
  ASSERT_NE(lists, nullptr);
  ASSERT_TRUE(lists->waitForLoader());
  host_->runUntilIdle();
  lists->selectwords_callback(words[0], true);
  lists->saveWord_aler_callback();
  host_->pressAlertButton(0);
  app_->bookNav->popToRootViewController(false);
  host_->advance(1);
  EXPECT_TRUE(list.isHaveLastBookID());
  EXPECT_EQ(list.sectionArray()[static_cast<size_t>(list.expandedSection())].sectionName,
            std::to_string(kBook));
  EXPECT_EQ(list.headerTitle(0), "测试单词书 (1/1000)");
}

// The shipped library's book classes: the frequency books, then one class an exam, each class
// header naming its number of books and each book its positions in the exam's list.
TEST_F(BookLibrary, TheShippedExamClassesStandBesideTheFrequencyBooks) {
  const char* bundle = std::getenv("VOCAB_BUNDLE");
  ASSERT_NE(bundle, nullptr);
  sqlite3* shipped = nullptr;
  ASSERT_EQ(sqlite3_open_v2((std::string(bundle) + "/learn.db").c_str(), &shipped,
                            SQLITE_OPEN_READONLY, nullptr),
            SQLITE_OK);
  auto copy = [&](const char* select, const char* insert, const char* signs) {
    sqlite3_stmt* rows = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(shipped, select, -1, &rows, nullptr), SQLITE_OK);
    while (sqlite3_step(rows) == SQLITE_ROW) {
      plat::Value values = plat::Value::array();
      for (int c = 0; signs[c]; ++c)
        values.append(signs[c] == 'n' ? plat::Value(sqlite3_column_int64(rows, c))
                                         : plat::Value(reinterpret_cast<const char*>(
                                               sqlite3_column_text(rows, c))));
      db_->sql_insert(insert, signs, values);
    }
    sqlite3_finalize(rows);
  };
  db_->sqlMgr().beginTransaction();
  db_->sql_delete("delete from book_class", "", plat::Value());
  db_->sql_delete("delete from books", "", plat::Value());
  copy("select bc_uId, bc_sName from book_class order by rowid",
       "insert into book_class (bc_uId, bc_sName) values (?, ?)", "ns");
  copy("select b_uId, b_sName, f_bc_uId from books order by rowid",
       "insert into books (b_uId, b_sName, f_bc_uId) values (?, ?, ?)", "nsn");
  copy("select bw_uId, f_b_uId, f_wl_uId from book_words where f_b_uId between 701 and 799",
       "insert into book_words (bw_uId, f_b_uId, f_wl_uId) values (?, ?, ?)", "nnn");
  db_->sqlMgr().commitTransaction();
  sqlite3_close(shipped);

  auto tab = showTab();
  BookLibraryList& list = tab->bookLibraryList();
  std::vector<std::string> titles;
  for (size_t s = 1; s < list.sectionArray().size(); ++s)
    titles.push_back(list.headerTitle(static_cast<int>(s)));
  ASSERT_EQ(titles.size(), 12u);
  EXPECT_EQ(titles[0], "基础词汇 (4)");
  EXPECT_EQ(titles[3], "常用词频 (2)");
  EXPECT_EQ(titles[4], "中考词汇 (4)");
  EXPECT_EQ(titles[6], "四级词汇 (8)");
  EXPECT_EQ(titles[11], "GRE词汇 (15)");
  ASSERT_TRUE(host_->tap(header(*tab, 7)));
  host_->advance(1);
  EXPECT_EQ(rowText(*tab, 7, 0).rfind("四级词汇 1-4", 0), 0u) << rowText(*tab, 7, 0);
  render("exam_classes");
}

}  // namespace
