// The one transaction helper: the work commits whole or not at all, a failure says why and leaves
// no transaction open, and inside an open transaction it undoes only its own work.
#include "store/StoreTransaction.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <stdexcept>
#include <string>

#include "platform/base/Files.h"
#include "store/SqlMgrController.h"
#include "tests/support/TempHome.h"

namespace {

using plat::Value;

class StoreTransactionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testsupport::makeTempDir("vocab-tx");
    ASSERT_EQ(sqlite3_open((folder_ + "/t.db").c_str(), &db_), SQLITE_OK);
    sql_.setDatabase(db_);
    sql_.RecordExec("pragma foreign_keys = on");
    sql_.RecordExec("create table words (id integer primary key, word text)");
    // A note of a missing word fails only at COMMIT.
    sql_.RecordExec(
        "create table notes (word_id integer references words(id) deferrable initially deferred)");
  }
  void TearDown() override {
    sql_.setDatabase(nullptr);
    sqlite3_close(db_);
    plat::files::remove(folder_);
  }
  void insert(int id, const std::string& word) {
    sql_.insertOneChannel("insert into words values (?, ?)", "ns", Value::array({id, word}));
  }
  Value words() { return sql_.selectOneChannel("select word from words order by id", "s", "", {}); }

  testsupport::TempHome home_;
  std::string folder_;
  sqlite3* db_ = nullptr;
  SqlMgrController sql_;
};

TEST_F(StoreTransactionTest, WorkCommitsWholeOrNotAtAllAndAFailureSaysWhy) {
  EXPECT_TRUE(StoreTransaction::run(sql_, [&] { insert(1, "apple"); }));
  std::string reason;
  auto keep = [&](const std::string& why) { reason = why; };

  // A statement that fails half-way: the row before it goes too.
  EXPECT_FALSE(StoreTransaction::run(
      sql_,
      [&] {
        insert(2, "book");
        sql_.insertOneChannel("insert into nowhere values (1)", "", {});
      },
      keep));
  EXPECT_NE(reason.find("nowhere"), std::string::npos) << reason;
  EXPECT_FALSE(sql_.inTransaction());

  // A COMMIT that fails is rolled back as well, and the connection is free again.
  reason.clear();
  EXPECT_FALSE(StoreTransaction::run(
      sql_,
      [&] {
        insert(3, "cafe");
        sql_.insertOneChannel("insert into notes values (42)", "", {});
      },
      keep));
  EXPECT_FALSE(reason.empty());
  EXPECT_FALSE(sql_.inTransaction());
  EXPECT_EQ(words(), Value::array({"apple"}));

  // Any exception of the work counts, not only the store's.
  EXPECT_FALSE(StoreTransaction::run(
      sql_, [] { throw std::runtime_error("disk gone"); }, keep));
  EXPECT_EQ(reason, "disk gone");
}

TEST_F(StoreTransactionTest, InsideAnOpenTransactionOnlyItsOwnWorkIsUndoneAndRaisingPassesItOn) {
  sql_.beginTransaction();
  insert(1, "outer");
  EXPECT_FALSE(StoreTransaction::run(sql_, [&] {
    insert(2, "inner");
    throw std::runtime_error("inner failed");
  }));
  EXPECT_TRUE(sql_.inTransaction()) << "the outer transaction stays open";
  EXPECT_THROW(StoreTransaction::runOrRaise(sql_,
                                            [&] {
                                              insert(3, "raised");
                                              throw MyException("passed on");
                                            }),
               MyException);
  sql_.commitTransaction();
  EXPECT_FALSE(sql_.inTransaction());
  EXPECT_EQ(words(), Value::array({"outer"}));

  StoreTransaction::runOrRaise(sql_, [&] { insert(4, "plain"); });
  EXPECT_EQ(words(), Value::array({"outer", "plain"}));
}

}  // namespace
