// The queue mirror finds a word's rows by the rowids it keeps in memory: these cases change the
// table behind that list's back (a restart, a rollback, other code's rows, an old file with the
// word index) and check that answers still take out exactly the word's rows, without a scan.
#include <sqlite3.h>

#include "tests/store/StudyFixture.h"

namespace {

using plat::Value;

class QueueMirrorTest : public storetest::StudyTest {
 protected:
  Value queuedWords() {
    Value words = Value::array();
    const Value rows = db_->getReviewWords_tempData();
    for (size_t i = 0; i < rows.size(); ++i) words.append(rows.at(i).at(0));
    return words;
  }

  // How SQLite runs a statement of the mirror, one line per step of its plan.
  std::string planOf(const std::string& sql) {
    const Value steps = db_->sql_select("explain query plan " + sql, "nnns", "", Value::array());
    std::string plan;
    for (size_t i = 0; i < steps.size(); ++i) plan += steps.at(i).at(3).asString() + "\n";
    return plan;
  }
};

TEST_F(QueueMirrorTest, AnswersTakeOutEveryRowOfTheirWordAndNoOther) {
  // More words than the list first has room for, with repeats far apart.
  Value words = Value::array();
  for (int i = 0; i < 300; ++i) words.append("w" + std::to_string(i % 200));
  db_->initReviewWords_tempData(words, 0);
  db_->addTempData(Value::array({"w5", "new"}));
  for (int i = 0; i < 200; i += 2) db_->delTempData("w" + std::to_string(i));
  db_->delTempData("absent");

  Value expected = Value::array();
  for (int i = 0; i < 300; ++i)
    if (i % 200 % 2 == 1) expected.append("w" + std::to_string(i % 200));
  expected.append("w5");
  expected.append("new");
  EXPECT_VALUE(queuedWords(), expected);

  // A re-test moves every row of its word, or appends one when the word has none left.
  db_->modifyTempData("w5", 0, 7);
  db_->modifyTempData("w4", 1, 3);
  EXPECT_EQ(number("select count(*) from review_list where rlt_tWord = 'w5' and rlt_uPos = 7"), 3);
  EXPECT_VALUE(db_->getReviewWords_tempData().at(expected.size()), Value::array({"w4", 1, 3}));
  db_->delTempData("w5");
  db_->delTempData("w4");
  EXPECT_EQ(number("select count(*) from review_list where rlt_tWord in ('w4', 'w5')"), 0);
  EXPECT_EQ(number("select count(*) from review_list"),
            static_cast<int64_t>(expected.size()) - 3);
}

TEST_F(QueueMirrorTest, RowsWrittenBeforeARestartARollbackOrByOtherCodeAreFound) {
  db_->initReviewWords_tempData(Value::array({"apple", "book", "run"}), 0);
  CallDB::Release_CallDB();
  db_ = CallDB::callDB();
  db_->delTempData("book");
  EXPECT_VALUE(queuedWords(), Value::array({"apple", "run"}));

  // A unit that took a word out and was rolled back brings its row back; so does a nested one.
  db_->sqlMgr().beginTransaction();
  db_->delTempData("apple");
  db_->sqlMgr().rollbackTransaction();
  db_->sqlMgr().beginTransaction();
  db_->sqlMgr().beginTransaction();
  db_->delTempData("run");
  db_->sqlMgr().rollbackTransaction();
  db_->sqlMgr().commitTransaction();
  EXPECT_VALUE(queuedWords(), Value::array({"apple", "run"}));
  db_->delTempData("apple");
  db_->delTempData("run");
  EXPECT_VALUE(queuedWords(), Value::array());

  // Rows that other code inserts, or turns into another word, are found as well.
  db_->initReviewWords_tempData(Value::array({"apple", "book"}), 0);
  db_->sql_insert("insert into review_list (rlt_tWord) values ('happy')", "", Value::array());
  db_->sql_update("update review_list set rlt_tWord = 'good' where rlt_tWord = 'apple'", "",
                  Value::array());
  db_->delTempData("happy");
  db_->delTempData("good");
  EXPECT_VALUE(queuedWords(), Value::array({"book"}));
}

TEST_F(QueueMirrorTest, AnOldFileLosesTheWordIndexAndAnswersGoByRowid) {
  const std::string path = userDatabasePath();
  CallDB::Release_CallDB();
  {
    sqlite3* file = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &file), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(file,
                           "create index review_list_word on review_list (rlt_tWord); "
                           "insert into review_list (rlt_tWord) values ('apple'), ('book')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(file);
  }
  db_ = CallDB::callDB();
  EXPECT_EQ(number("select count(*) from sqlite_master where name = 'review_list_word'"), 0);
  db_->delTempData("apple");
  EXPECT_VALUE(queuedWords(), Value::array({"book"}));

  for (const char* sql : {"delete from review_list where rowid=? and rlt_tWord=?",
                          "update review_list set rlt_uPos=? where rowid=? and rlt_tWord=?"})
    EXPECT_EQ(planOf(sql), "SEARCH review_list USING INTEGER PRIMARY KEY (rowid=?)\n") << sql;
}

}  // namespace
