#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "store/CallDB.h"
#include "store/CmpDiffVersion.h"
#include "tests/store/StoreFixture.h"

namespace {

using plat::Value;

class UpgradeTest : public storetest::StoreTest {
 protected:
  // Places a database of an older client in the app home: the shipped file with the learner's
  // rows and settings, then `extra` statements, with "v_client" = version ("" removes it).
  void placeOldDatabase(const std::string& version, std::initializer_list<const char*> extra = {}) {
    plat::files::createDirectories(plat::AppHome::applicationSupportDir());
    ASSERT_TRUE(
        plat::files::copyFile(storetest::fixtureBundle() + "/learn.db", userDatabasePath()));
    sqlite3* db = SqlMgrController::openExisting(userDatabasePath());
    ASSERT_NE(db, nullptr);
    SqlMgrController old;
    old.setDatabase(db);
    for (const char* sql : {
             "insert into Study_List values (1, 700000000, 1)",
             "insert into Study_List values (2, 700000100, 0)",
             "insert into Study_Log values (1, 700000500, 700090000, 2, 3, 0, 1, 1, 0, 1)",
             "insert into Study_Note values (1, 'my note', 0)",
             "insert into delete_words values (5)",
             "insert into ReviewWords_Log values (8000, 12, 1)",
             "insert into Familiarity_Log (fl_uTimeID, fl_uWordNum1) values (8000, 3)",
             "replace into Var_Config values ('account', 'li', 0)",
             "replace into Var_Config values ('password', 'abc', 1)",
             "replace into Var_Config values ('run_machine', '1', 0)",
             "replace into Var_Config values ('last_em_id', '77', 1)",
             "replace into Var_Config values ('LastReviewDay', '8000', 0)",
             "replace into Var_Config values ('sNewLexiconVersion', '9', 1)",
             // Rows the new file lacks join it; a table whose copy conflicts stays as shipped.
             "delete from Words_Similar",
             "insert into Words_Similar values (4, 'learner row')",
             "insert into Words_Editor values (4, 'old editor')",
         }) {
      old.RecordExec(sql);
    }
    for (const char* sql : extra) old.RecordExec(sql);
    if (version.empty())
      old.RecordExec("delete from Var_Config where vc_tVarName = 'v_client'");
    else
      old.RecordExec("update Var_Config set vc_tValue = '" + version +
                     "' where vc_tVarName = 'v_client'");
    old.setDatabase(nullptr);
    SqlMgrController::close(db);
  }

  Value setting(const std::string& key) {
    return CallDB::callDB()->sql_select(
        "select vc_tValue, vc_uNeedSync from Var_Config where vc_tVarName = ?", "sn", "s",
        Value::array({key}));
  }
  int count(const std::string& sql) {
    return static_cast<int>(CallDB::callDB()->sql_select(sql, "n", "", {}).at(0).asInt());
  }
  std::string tempPath() const { return plat::AppHome::applicationSupportDir() + "/temp.db"; }

  // An old file with enough of the learner's study rows that the fresh copy must grow to hold
  // them; returns its bytes.
  std::string placeLargeOldDatabase() {
    placeOldDatabase("3.0", {"with recursive n(i) as (select 100 union all select i + 1 from n "
                             "where i < 20000) insert into Study_List select i, 700000000 + i, 0 "
                             "from n"});
    return plat::files::readFile(userDatabasePath()).value_or("");
  }
  int64_t shippedSize() const {
    return static_cast<int64_t>(
        plat::files::fileSize(storetest::fixtureBundle() + "/learn.db").value_or(0));
  }
  // What the next start finds after an interrupted upgrade: every row, in a new file.
  void expectUpgradedWithEveryRow() {
    CallDB* db = CallDB::callDB();
    ASSERT_TRUE(db->isOpen());
    EXPECT_EQ(db->getPersonalValue("v_client"), "3.5");
    EXPECT_EQ(count("select count(*) from Study_List"), 2 + 19901);
    EXPECT_EQ(setting("account"), Value::array({Value::array({"li", 0})}));
    EXPECT_EQ(db->sql_select("pragma integrity_check", "s", "", {}), Value::array({"ok"}));
    EXPECT_FALSE(plat::files::exists(tempPath()));
  }
};

// Writing past `limit` bytes of any file fails with EFBIG, as on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(int64_t limit) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previousAction_);
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit small = previous_;
    small.rlim_cur = static_cast<rlim_t>(limit);
    setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    sigaction(SIGXFSZ, &previousAction_, nullptr);
  }

 private:
  rlimit previous_{};
  struct sigaction previousAction_ {};
};

TEST_F(UpgradeTest, AnOldClientsDataMovesIntoAFreshCopyPastAStaleTempFile) {
  placeOldDatabase("3.0");
  ASSERT_TRUE(plat::files::writeFileAtomically(tempPath(), "left over from a crash"));
  CallDB* db = CallDB::callDB();
  ASSERT_TRUE(db->isOpen());
  EXPECT_FALSE(plat::files::exists(tempPath()));

  // Study rows arrive unchanged, sync flags included.
  EXPECT_EQ(
      db->sql_select("select sl_uWordID, sl_uAddTime, sl_uNeedSync from Study_List", "nNn", "", {}),
      Value::array({Value::array({1, 700000000, 1}), Value::array({2, 700000100, 0})}));
  EXPECT_EQ(count("select count(*) from Study_Log where sl_uKnowNum = 1 and sl_uNeedSync = 1"), 1);
  EXPECT_EQ(count("select count(*) from Study_Note where sn_tNote = 'my note'"), 1);
  EXPECT_EQ(count("select count(*) from delete_words where dw_uWordID = 5"), 1);
  EXPECT_EQ(count("select rl_uWordNum from ReviewWords_Log where rl_uTimeID = 8000"), 12);
  EXPECT_EQ(count("select fl_uCountState from Familiarity_Log where fl_uTimeID = 8000"), 0);

  // Settings come along with their flags, except the five that belong to the new file.
  EXPECT_EQ(setting("account"), Value::array({Value::array({"li", 0})}));
  EXPECT_EQ(setting("password"), Value::array({Value::array({"abc", 1})}));
  EXPECT_EQ(db->getPersonalValue("v_client"), "3.5");
  EXPECT_EQ(db->getPersonalValue("run_machine"), "0");
  EXPECT_EQ(db->getPersonalValue("last_em_id"), "0");
  EXPECT_EQ(setting("LastReviewDay").size(), 0u);
  EXPECT_EQ(setting("sNewLexiconVersion").size(), 0u);

  // A copied table gains the learner's rows; a conflicting one stays as shipped.
  EXPECT_EQ(count("select count(*) from Words_Similar where ws_tRelatedWords = 'learner row'"), 1);
  EXPECT_EQ(count("select count(*) from Words_Similar"), 2);
  EXPECT_EQ(count("select count(*) from Words_Editor where we_tNickName = 'old editor'"), 0);
  EXPECT_EQ(count("select count(*) from Words_Editor"), 1);
}

TEST_F(UpgradeTest, TheNewerWordLibraryVersionWins) {
  placeOldDatabase("3.0", {"replace into Var_Config values ('v_lexicon', '2.5', 0)"});
  EXPECT_EQ(CallDB::callDB()->getPersonalValue("v_lexicon"), "2.5");
  CallDB::Release_CallDB();
  plat::files::remove(userDatabasePath());

  placeOldDatabase("3.0", {"replace into Var_Config values ('v_lexicon', '0.5', 0)"});
  EXPECT_EQ(setting("v_lexicon"), Value::array({Value::array({"1.0", 1})}));
}

TEST_F(UpgradeTest, OnlyClientsBelowThreePointOneUpgrade) {
  // A kept file has the old client's "run_machine" of 1, an upgraded one the new file's 0.
  const std::pair<const char*, const char*> cases[] = {
      {"3.1", "1"}, {"3.2", "1"},   {"3.10", "1"}, {"4", "1"},
      {"", "0"},    {"3.0.9", "0"}, {"2", "0"},    {"garbage", "0"}};
  for (const auto& [version, runMachine] : cases) {
    placeOldDatabase(version);
    EXPECT_EQ(CallDB::callDB()->getPersonalValue("run_machine"), runMachine) << version;
    CallDB::Release_CallDB();
    plat::files::remove(userDatabasePath());
  }
  EXPECT_FLOAT_EQ(CmpDiffVersion::versionValue(" 3.2beta"), 3.2f);
  EXPECT_FLOAT_EQ(CmpDiffVersion::versionValue("inf"), 0.0f);
}

TEST_F(UpgradeTest, AFailureHalfWayKeepsTheOldFileAndItsData) {
  // The last table of the copy no longer matches, so the upgrade fails after nineteen tables. The
  // file is already in the store's log mode, so that only the upgrade could change its bytes.
  placeOldDatabase(
      "3.0", {"alter table Words_Phrases add column extra text", "pragma journal_mode = wal"});
  auto before = plat::files::readFile(userDatabasePath());
  CallDB* db = CallDB::callDB();
  ASSERT_TRUE(db->isOpen());
  EXPECT_FALSE(plat::files::exists(tempPath()));
  EXPECT_EQ(db->getPersonalValue("v_client"), "3.0");
  EXPECT_EQ(db->getPersonalValue("run_machine"), "1");
  EXPECT_EQ(count("select count(*) from Study_List"), 2);
  CallDB::Release_CallDB();
  EXPECT_TRUE(plat::files::readFile(userDatabasePath()) == before) << "the old file changed";
}

TEST_F(UpgradeTest, AFullDiskKeepsTheOldFileAndTheNextStartUpgrades) {
  placeLargeOldDatabase();
  // Too small for the fresh copy, then room for the copy but not for the learner's rows.
  for (int64_t limit : {shippedSize() / 2, shippedSize()}) {
    SCOPED_TRACE(limit);
    {
      FileSizeLimit full(limit);
      CallDB* db = CallDB::callDB();
      ASSERT_TRUE(db->isOpen());
      EXPECT_EQ(db->getPersonalValue("v_client"), "3.0");
      EXPECT_EQ(count("select count(*) from Study_List"), 2 + 19901);
      CallDB::Release_CallDB();
    }
    EXPECT_FALSE(plat::files::exists(tempPath()));
  }
  expectUpgradedWithEveryRow();
}

TEST_F(UpgradeTest, AnUpgradeKilledHalfWayLosesNothingAndRunsAgain) {
  const std::string before = placeLargeOldDatabase();
  // Killed while the fresh copy is written, then while the learner's rows go into it.
  for (int64_t limit : {shippedSize() / 2, shippedSize()}) {
    SCOPED_TRACE(limit);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      rlimit none{0, 0};
      setrlimit(RLIMIT_CORE, &none);
      rlimit small{static_cast<rlim_t>(limit), RLIM_INFINITY};
      setrlimit(RLIMIT_FSIZE, &small);
      signal(SIGXFSZ, SIG_DFL);  // a write past the limit kills the process there
      CallDB::callDB();
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "not killed: " << status;
    // The second time the fresh copy was in place: its rows were going in.
    EXPECT_EQ(plat::files::exists(tempPath()), limit == shippedSize());
    EXPECT_TRUE(plat::files::readFile(userDatabasePath()) == before) << "the old file changed";
  }
  expectUpgradedWithEveryRow();
}

}  // namespace
