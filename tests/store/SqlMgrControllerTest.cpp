#include "store/SqlMgrController.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include "platform/base/Files.h"
#include "store/WordText.h"
#include "tests/support/TempHome.h"

namespace {

using plat::Value;

class SqlMgrControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testsupport::makeTempDir("vocab-sql");
    path_ = folder_ + "/t.db";
    ASSERT_EQ(sqlite3_open(path_.c_str(), &db_), SQLITE_OK);
    mgr_.setDatabase(db_);
    mgr_.RecordExec(
        "create table words (id integer primary key, word text, score real, note text, "
        "secret text)");
    mgr_.RecordExec("insert into words values (1, 'apple', 0.5, 'red', '" +
                    WordText::scramble("n. 苹果", 1) + "')");
    mgr_.RecordExec("insert into words values (2, 'book', 1.5, null, null)");
  }
  void TearDown() override {
    mgr_.setDatabase(nullptr);
    sqlite3_close(db_);
    plat::files::remove(folder_);
  }

  testsupport::TempHome home_;  // the word-text key lives in the home's user defaults
  std::string folder_;
  std::string path_;
  sqlite3* db_ = nullptr;
  SqlMgrController mgr_;
};

TEST_F(SqlMgrControllerTest, ResultShapesAndParameterLetters) {
  Value flat = mgr_.selectOneChannel("select word from words order by id", "s", "", Value());
  EXPECT_EQ(flat, Value::array({"apple", "book"}));

  Value rows = mgr_.selectOneChannel("select id, word, score from words where id = ?", "nsd", "n",
                                     Value::array({1}));
  EXPECT_EQ(rows, Value::array({Value::array({1, "apple", 0.5})}));

  EXPECT_EQ(mgr_.selectOneChannel("select word from words where id > 9", "s", "", Value()),
            Value::array());

  // Null text reads as empty and rows keep their width.
  EXPECT_EQ(
      mgr_.selectOneChannel("select note, secret, id from words where id = 2", "stn", "", Value()),
      Value::array({Value::array({"", "", 2})}));

  // The unbound form appends to what the caller holds.
  Value appended = Value::array({"x"});
  mgr_.selectOneChannel("select id from words order by id", "N", appended);
  EXPECT_EQ(appended, Value::array({"x", 1, 2}));

  // Parameters bind by their letters.
  mgr_.insertOneChannel("insert into words (id, word, score) values (?,?,?)", "Nsd",
                        Value::array({5000000000LL, "long", 2.25}));
  EXPECT_EQ(mgr_.selectOneChannel("select id, score from words where word = ?", "Nd", "s",
                                  Value::array({"long"})),
            Value::array({Value::array({5000000000LL, 2.25})}));

  // Numbers given as text bind by their leading number; an unknown letter binds nothing.
  Value ids = mgr_.selectOneChannel("select count(*) from words where id = ? and ?2 is null", "n",
                                    "nx", Value::array({"2abc", 7}));
  EXPECT_EQ(ids, Value::array({1}));
}

TEST_F(SqlMgrControllerTest, FailuresRaiseTheirKindButConstraintViolationsStaySilent) {
  // A failure says what failed and why, in SQLite's words.
  try {
    mgr_.selectOneChannel("select word from nowhere", "s", "", {});
    ADD_FAILURE() << "a query of a missing table ran";
  } catch (const MyException& e) {
    EXPECT_NE(std::string(e.reason()).find("select word from nowhere (no such table: nowhere)"),
              std::string::npos)
        << e.reason();
  }
  EXPECT_THROW(mgr_.insertOneChannel("insert into nowhere values (1)", "", {}), MyException);
  EXPECT_THROW(mgr_.selectOneChannel("select word from words", "q", "", {}), TypeError);
  // The unbound query and plain statements stay silent.
  Value untouched = Value::array({"kept"});
  mgr_.selectOneChannel("select nothing from nowhere", "s", untouched);
  EXPECT_EQ(untouched, Value::array({"kept"}));
  mgr_.RecordExec("this is not sql");

  // Without a connection (the file could not be opened) statements raise and nothing begins.
  SqlMgrController closed;
  EXPECT_THROW(closed.selectOneChannel("select 1", "n", "", {}), MyException);
  EXPECT_THROW(closed.insertOneChannel("insert into words values (3)", "", {}), MyException);
  closed.beginTransaction();
  EXPECT_FALSE(closed.inTransaction());
  closed.commitTransaction();

  // A constraint violation is silent.
  mgr_.insertOneChannel("insert into words (id, word) values (?,?)", "ns",
                        Value::array({1, "again"}));
  EXPECT_EQ(mgr_.selectOneChannel("select word from words where id = 1", "s", "", {}),
            Value::array({"apple"}));

  // A write the database refuses (here a read-only connection) is reported, not swallowed.
  sqlite3* readOnly = nullptr;
  ASSERT_EQ(sqlite3_open_v2(path_.c_str(), &readOnly, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  SqlMgrController reader;
  reader.setDatabase(readOnly);
  EXPECT_THROW(reader.updateOneChannel("update words set word = 'pear' where id = 1", "", {}),
               MyException);
  reader.setDatabase(nullptr);
  sqlite3_close(readOnly);

  // An update that matches no row is no failure.
  mgr_.updateOneChannel("update words set word = 'x' where id = 99", "", {});
}

TEST_F(SqlMgrControllerTest, FailedCommitRaisesRollbackUndoesTheWorkAndNestedOnesOnlyTheirOwn) {
  mgr_.RecordExec("pragma foreign_keys = on");
  mgr_.RecordExec(
      "create table notes (word_id integer references words(id) deferrable initially deferred)");
  mgr_.beginTransaction();
  mgr_.insertOneChannel("insert into notes values (?)", "n", Value::array({42}));
  mgr_.insertOneChannel("insert into words (id, word) values (3, 'cafe')", "", {});
  EXPECT_THROW(mgr_.commitTransaction(), MyException);
  EXPECT_TRUE(mgr_.inTransaction());
  mgr_.rollbackTransaction();
  EXPECT_FALSE(mgr_.inTransaction());
  EXPECT_EQ(mgr_.selectOneChannel("select count(*) from words", "n", "", {}), Value::array({2}));

  // Nested brackets undo only the inner work.
  mgr_.beginTransaction();
  mgr_.insertOneChannel("insert into words (id, word) values (3, 'outer')", "", {});
  mgr_.beginTransaction();
  mgr_.insertOneChannel("insert into words (id, word) values (4, 'inner')", "", {});
  mgr_.rollbackTransaction();
  mgr_.commitTransaction();
  EXPECT_FALSE(mgr_.inTransaction());
  EXPECT_EQ(mgr_.selectOneChannel("select word from words where id > 2", "s", "", {}),
            Value::array({"outer"}));
}

TEST_F(SqlMgrControllerTest, OtherThreadsWaitForAnOpenTransaction) {
  mgr_.beginTransaction();
  mgr_.insertOneChannel("insert into words (id, word) values (3, 'main')", "", {});

  std::atomic<bool> wrote{false};
  std::thread other([&] {
    mgr_.insertOneChannel("insert into words (id, word) values (4, 'other')", "", {});
    wrote = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(wrote.load()) << "a statement of another thread ran inside the transaction";
  EXPECT_FALSE(mgr_.tryAcquireIdle());  // the owner itself may not release while it is open

  // Rolling back undoes only the owner's work; the waiting write lands afterwards.
  mgr_.rollbackTransaction();
  other.join();
  EXPECT_TRUE(wrote.load());
  EXPECT_EQ(mgr_.selectOneChannel("select word from words where id > 2", "s", "", {}),
            Value::array({"other"}));
}

TEST_F(SqlMgrControllerTest, FileCopyCutShortLeavesNoFileBehind) {
  const std::string source = folder_ + "/big.db";
  const std::string target = folder_ + "/copy.db";
  ASSERT_TRUE(plat::files::writeFileAtomically(source, std::string(1 << 20, 'x')));
  // A full disk, played by a file-size limit: writes past 64 KiB fail.
  rlimit original{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &original), 0);
  auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = original;
  small.rlim_cur = 64 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool copied = SqlMgrController::sql_copy(source, target);
  setrlimit(RLIMIT_FSIZE, &original);
  std::signal(SIGXFSZ, previousHandler);

  // A half-written database would be opened as the learner's for ever after.
  EXPECT_FALSE(copied);
  EXPECT_FALSE(plat::files::exists(target));
  EXPECT_EQ(plat::files::list(folder_), (std::vector<std::string>{"big.db", "t.db"}));

  EXPECT_TRUE(SqlMgrController::sql_copy(source, target));
  EXPECT_TRUE(plat::files::readFile(target) == plat::files::readFile(source));
}

// Statements are kept prepared between uses: a kept statement must never answer for another
// database, hold a read open after its caller is done, or be stepped by two callers at once.
TEST_F(SqlMgrControllerTest, KeptStatementsFollowTheirDatabaseAndNeverStayOpen) {
  const std::string byId = "select word from words where id = ?";
  EXPECT_EQ(mgr_.selectOneChannel(byId, "s", "n", Value::array({1})), Value::array({"apple"}));

  // Another database with the same table: the same text reads the other file.
  const std::string otherPath = folder_ + "/other.db";
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(otherPath.c_str(), &other), SQLITE_OK);
  mgr_.setDatabase(other);
  mgr_.RecordExec("create table words (id integer primary key, word text)");
  mgr_.RecordExec("insert into words values (1, 'zebra')");
  EXPECT_EQ(mgr_.selectOneChannel(byId, "s", "n", Value::array({1})), Value::array({"zebra"}));
  // Nothing prepared on it is left behind: the plain close succeeds.
  mgr_.setDatabase(db_);
  EXPECT_EQ(sqlite3_close(other), SQLITE_OK);
  EXPECT_EQ(mgr_.selectOneChannel(byId, "s", "n", Value::array({1})), Value::array({"apple"}));

  // A read that returned leaves no read transaction: another connection can write and the
  // next read sees it.
  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &writer), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(writer, "update words set word = 'pear' where id = 1", nullptr, nullptr,
                         nullptr),
            SQLITE_OK);
  sqlite3_close(writer);
  EXPECT_EQ(mgr_.selectOneChannel(byId, "s", "n", Value::array({1})), Value::array({"pear"}));

  // A write that broke a constraint leaves its statement usable, with no old bindings.
  const std::string insert = "insert into words (id, word) values (?, ?)";
  mgr_.insertOneChannel(insert, "ns", Value::array({1, "dup"}));
  mgr_.insertOneChannel(insert, "ns", Value::array({7, "seven"}));
  EXPECT_EQ(mgr_.selectOneChannel(byId, "s", "n", Value::array({7})), Value::array({"seven"}));

  // Far more distinct statements than are kept: each still runs, with its own answer.
  for (int i = 0; i < 300; ++i)
    EXPECT_EQ(mgr_.selectOneChannel("select " + std::to_string(i), "n", "", {}),
              Value::array({i}));
  EXPECT_EQ(mgr_.selectOneChannel(byId, "s", "n", Value::array({2})), Value::array({"book"}));
}

}  // namespace
