// The sync down: the account's dump replaces the study tables as a whole, or, when the server
// refuses, the word database is too old, the learner cancels or the archive is broken, nothing
// on the device changes.
#include "online/Data_Backup.h"
#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "store/CallDB.h"
#include "tests/online/DataBackupTest.h"

namespace onlinetest {
namespace {

using testsupport::ServerReply;
using testsupport::ServerRequest;

class SyncDownTest : public BackupTest {
 protected:
  void SetUp() override {
    BackupTest::SetUp();
    exec("insert into Study_List values (1, 100, 0)");
    exec("insert into Study_Note values (1, 'device note', 0)");
    exec("insert into delete_words values (6)");
  }
  // The sync-down script answers `reply`; the archive address serves `archive` with `status`.
  void serveDump(const std::string& reply, const std::string& archive, int status = 200) {
    serve([reply, archive, status](const ServerRequest& request) {
      if (request.path() == "/api/synchronize_all_down.php") return ServerReply::text(reply);
      if (request.path() == "/files/acct.zip") return ServerReply::text(archive, status);
      return ServerReply::text("", 404);
    });
  }
  std::string accepted(const std::string& version = "3.5") {
    return R"({"result":1,"syn_file":")" + server_->url("/files/acct.zip") +
           R"(","syn_var":{"sLastSynVersion":")" + version +
           R"(","nLastSynTime":"1700000000","nNewMsgCount":"4"}})";
  }
  std::string study() {
    return table("select * from Study_List order by 1", "sss") + "/" +
           table("select * from Study_Note order by 1", "sss") + "/" +
           table("select * from delete_words order by 1", "s");
  }
  const std::string dump_ = "Study_List\t2\n2\t200\n3\t300\nStudy_Note\t1\n3\tserver note\n";
};

TEST_F(SyncDownTest, RestoreAfterLoginReplacesTheStudyTablesAndReloadsTheScreens) {
  serveDump(accepted(), archiveOf(dump_));
  backup_->downData(Data_Backup::kModeAfterLogin);
  ASSERT_TRUE(waitFor("finished"));

  EXPECT_EQ(study(), "2|200|1;3|300|1/3|server note|1/");
  EXPECT_EQ(db_->getPersonalValue("nNewMsgCount"), "4");
  EXPECT_FALSE(db_->sqlMgr().inTransaction());
  EXPECT_FALSE(plat::files::exists(plat::files::join(plat::AppHome::cachesDir(), "acct.zip")));
  EXPECT_EQ(events_.front(), "panel:data_syn=data_syn_progress");
  EXPECT_EQ(events_[1], "panel:data_syn=download_zero");
  const std::vector<std::string> end = {"panel:data_syn=data_syn_write", "downDataFinish",
                                        "cleardata_learn", "panel:data_syn=data_syn_finish",
                                        "finished"};
  ASSERT_GE(events_.size(), end.size() + 2);
  EXPECT_TRUE(std::equal(end.begin(), end.end(), events_.end() - end.size()));

  ServerRequest asked = server_->requests().front();
  EXPECT_EQ(asked.method, "POST");
  EXPECT_EQ(asked.body.find("client_check_code"), std::string::npos);
  EXPECT_EQ(server_->lastRequest().method, "GET");
}

TEST_F(SyncDownTest, BrokenArchiveChangesNothingAndSaysSo) {
  // One archive cut short, one whose dump is: the kinds of damage are the import tests' business.
  for (const std::string& archive :
       {archiveOf(dump_).substr(0, 40), archiveOf("Study_List\t3\n2\t200\n3\t300")}) {
    events_.clear();
    std::string before = snapshot();
    serveDump(accepted(), archive);
    backup_->downData(Data_Backup::kModeAfterLogin);
    ASSERT_TRUE(waitFor("failed"));
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(db_->getPersonalValue("nNewMsgCount").empty());
    EXPECT_FALSE(recorded("finished"));
    EXPECT_FALSE(recorded("downDataFinish"));
    EXPECT_TRUE(recorded("hide"));
    EXPECT_FALSE(db_->sqlMgr().inTransaction());
  }
}

TEST_F(SyncDownTest, RefusalTellsTheDelegateAndOnlyTheSettingsOpenTheLogin) {
  serveDump(R"({"result":0,"relogin":1,"msg":"no backup","syn_var":{"nNewMsgCount":"7"}})", "");
  backup_->downData(Data_Backup::kModeAfterLogin);
  ASSERT_TRUE(waitFor("failed"));
  EXPECT_EQ(events_, (std::vector<std::string>{"panel:data_syn=data_syn_progress", "hide", "failed",
                                               "message:no backup"}));
  EXPECT_EQ(db_->getPersonalValue("nNewMsgCount"), "7");

  events_.clear();
  backup_->downData(Data_Backup::kModeSettings);
  ASSERT_TRUE(waitFor("failed"));
  EXPECT_EQ(events_, (std::vector<std::string>{"panel:data_syn=data_syn_progress", "hide", "failed",
                                               "relogin", "message:no backup"}));
  EXPECT_EQ(server_->requestCount(), 2);
}

TEST_F(SyncDownTest, VersionTestComparesSinglePrecisionNumbers) {
  // 3.5 on the device, 3.6 on the server: too old, nothing fetched, nothing stored.
  serveDump(accepted("3.6"), archiveOf(dump_));
  std::string before = snapshot();
  backup_->downData(Data_Backup::kModeAfterLogin);
  ASSERT_TRUE(waitFor("failed"));
  EXPECT_EQ(events_, (std::vector<std::string>{"panel:data_syn=data_syn_progress", "hide",
                                               "message:alermsg_eg6", "failed"}));
  EXPECT_EQ(server_->requestCount(), 1);
  EXPECT_EQ(snapshot(), before);
  EXPECT_TRUE(db_->getPersonalValue("nNewMsgCount").empty());

  // 3.1 read as a float on both sides is equal, and passes.
  db_->UpdatePersonalValue("v_lexicon", "3.1");
  serveDump(accepted("3.1"), archiveOf(dump_));
  backup_->downData(Data_Backup::kModeAfterLogin);
  ASSERT_TRUE(waitFor("finished"));
}

TEST_F(SyncDownTest, SettingsAskFirstAndCancelLeavesTheDataAlone) {
  serveDump(accepted(), archiveOf(dump_));
  std::string before = snapshot();
  backup_->downData(Data_Backup::kModeSettings);
  ASSERT_TRUE(waitFor("confirm"));
  ASSERT_TRUE(confirmation_);
  EXPECT_EQ(confirmation_->tag(), Data_Backup::kConfirmTag);
  EXPECT_EQ(confirmation_->title(), "提示");
  backup_->didDismissWithButtonIndex(*confirmation_, 0);
  plat::RunLoop::main().runUntil([] { return false; }, 0.05);
  EXPECT_EQ(events_,
            (std::vector<std::string>{"panel:data_syn=data_syn_progress", "hide", "confirm"}));
  EXPECT_EQ(server_->requestCount(), 1);
  EXPECT_EQ(snapshot(), before);
  EXPECT_TRUE(db_->getPersonalValue("nNewMsgCount").empty());

  events_.clear();
  backup_->didDismissWithButtonIndex(*confirmation_, 1);
  ASSERT_TRUE(waitFor("finished"));
  EXPECT_EQ(events_[0], "closeProgram");
  EXPECT_EQ(events_[1], "list:data_syn");
  EXPECT_EQ(study(), "2|200|1;3|300|1/3|server note|1/");
}

TEST_F(SyncDownTest, LastBackupTimeShowsInLocalTimeToTheMinute) {
  // The fixture's zone is UTC+8: 2023-11-14 22:13:20 UTC.
  EXPECT_EQ(Data_Backup::backupTimeText(1700000000), "2023-11-15 06:13");
}

TEST_F(SyncDownTest, MissingOrFailedArchiveTellsNobodyAndStoresNothing) {
  serveDump(accepted(), "gone", 404);
  backup_->downData(Data_Backup::kModeAfterLogin);
  ASSERT_TRUE(waitFor("hide"));
  plat::RunLoop::main().runUntil([] { return false; }, 0.05);
  EXPECT_EQ(events_.back(), "hide");
  EXPECT_FALSE(recorded("failed"));
  EXPECT_FALSE(recorded("finished"));
  EXPECT_TRUE(db_->getPersonalValue("nNewMsgCount").empty());

  // A reply without an address to download from ends as a refusal.
  events_.clear();
  serveDump(R"({"result":1,"syn_var":{"nNewMsgCount":"9"}})", "");
  backup_->downData(Data_Backup::kModeAfterLogin);
  ASSERT_TRUE(waitFor("failed"));
  EXPECT_EQ(server_->requestCount(), 3);
  EXPECT_TRUE(db_->getPersonalValue("nNewMsgCount").empty());
}

TEST(SyncDownTexts, ProgressAndArchiveName) {
  EXPECT_EQ(Data_Backup::downloadProgressText(0.379), "下载 37％");
  EXPECT_EQ(Data_Backup::downloadProgressText(1.0), "下载 100％");
  EXPECT_EQ(Data_Backup::archiveFileName("http://h/dl/acct_12.zip?t=1"), "acct_12.zip");
  EXPECT_EQ(Data_Backup::archiveFileName("http://h/dl/.."), "syn_download.zip");
  EXPECT_EQ(Data_Backup::archiveFileName(""), "syn_download.zip");
}

}  // namespace
}  // namespace onlinetest
