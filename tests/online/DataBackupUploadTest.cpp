// The backup upload: the dump goes up as a multipart form; only an accepted upload marks the data
// in step, and a refusal, a dropped connection or a server error lose nothing.
#include "online/Data_Backup.h"
#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "store/CallDB.h"
#include "tests/online/DataBackupTest.h"

namespace onlinetest {
namespace {

using testsupport::ServerReply;
using testsupport::ServerRequest;

class UploadTest : public BackupTest {
 protected:
  void SetUp() override {
    BackupTest::SetUp();
    exec("insert into Study_List values (2, 200, 0)");
    exec("insert into Study_Note values (2, 'note', 0)");
    exec("insert into delete_words values (6)");
    ASSERT_TRUE(Data_Package::check_isSyn());
  }
  // Answers every upload with `reply`.
  void answer(const std::string& reply, int status = 200) {
    serve([reply, status](const ServerRequest&) { return ServerReply::text(reply, status); });
  }
  // The study tables with their flags; the settings may take the server's values.
  std::string studyRows() { return snapshot().substr(0, snapshot().find("Var_Config:")); }
  // Starts a backup, waits for its first hide of the panel, and checks that the data still
  // waits for upload, unchanged.
  void expectNothingMarked() {
    std::string before = studyRows();
    backup_->upData();
    ASSERT_TRUE(plat::RunLoop::main().runUntil([&] { return recorded("hide"); }));
    plat::RunLoop::main().runUntil([] { return false; }, 0.05);
    EXPECT_EQ(studyRows(), before);
    EXPECT_TRUE(Data_Package::check_isSyn());
    EXPECT_FALSE(recorded("finished"));
  }
};

TEST_F(UploadTest, AcceptedBackupMarksEverythingInStepAndStoresTheServerValues) {
  answer(R"({"result":1,"syn_var":{"nNewMsgCount":"3"}})");
  backup_->upData();
  ASSERT_TRUE(waitFor("finished"));

  EXPECT_FALSE(Data_Package::check_isSyn());
  EXPECT_EQ(table("select * from Study_List where sl_uWordID = 2", "sss"), "2|200|1");
  EXPECT_EQ(table("select * from delete_words", "s"), "");
  EXPECT_EQ(db_->getPersonalValue("nNewMsgCount"), "3");
  EXPECT_FALSE(db_->getPersonalValue("nLastSynTime").empty());
  EXPECT_FALSE(plat::files::exists(backup_->dataPackage().upfileZipPath()));
  EXPECT_EQ(events_,
            (std::vector<std::string>{"panel:data_backup=data_backup_progress",
                                      "panel:data_backup=data_backup_finish", "finished"}));

  ServerRequest sent = server_->lastRequest();
  EXPECT_EQ(sent.path(), "/api/synchronize_up.php");
  EXPECT_NE(sent.header("Content-Type").find("multipart/form-data"), std::string::npos);
  EXPECT_NE(sent.body.find("name=\"syn_file\"; filename=\"backup_data.zip\""), std::string::npos);
  EXPECT_NE(sent.body.find("learner"), std::string::npos);
}

TEST_F(UploadTest, RefusedBackupKeepsTheDataWaitingAndAsksForTheLoginAgain) {
  answer(R"({"result":0,"relogin":1,"msg":"wrong password","syn_var":{"nNewMsgCount":"5"}})");
  expectNothingMarked();
  EXPECT_EQ(events_, (std::vector<std::string>{"panel:data_backup=data_backup_progress", "hide",
                                               "relogin", "message:wrong password"}));
  EXPECT_EQ(db_->getPersonalValue("nNewMsgCount"), "5");
}

TEST_F(UploadTest, DroppedOrFailingUploadsLoseNothing) {
  serve([](const ServerRequest&) {
    ServerReply reply;
    reply.dropRequest = true;
    return reply;
  });
  expectNothingMarked();
  ASSERT_EQ(events_.size(), 3u);
  EXPECT_EQ(events_[1], "hide");
  EXPECT_EQ(events_[2].rfind("message:", 0), 0u);

  events_.clear();
  answer(R"({"result":1})", 500);
  expectNothingMarked();
  EXPECT_EQ(events_, (std::vector<std::string>{"panel:data_backup=data_backup_progress", "hide"}));

  events_.clear();
  answer("<html>busy</html>");
  expectNothingMarked();
  EXPECT_EQ(events_, (std::vector<std::string>{"panel:data_backup=data_backup_progress", "hide"}));
}

TEST_F(UploadTest, ServerAskingForEverythingGetsTheFullDumpWithoutAMessage) {
  serve([](const ServerRequest& request) {
    if (request.path() == "/api/synchronize_up.php") {
      return ServerReply::text(R"({"result":0,"err_type":"2","relogin":1,"msg":"send all"})");
    }
    return ServerReply::text(R"({"result":1})");
  });
  backup_->upData();
  ASSERT_TRUE(waitFor("finished"));
  EXPECT_EQ(events_,
            (std::vector<std::string>{"panel:data_backup=data_backup_progress",
                                      "panel:data_backup=data_backup_progress",
                                      "panel:data_backup=data_backup_finish", "finished"}));
  ServerRequest full = server_->lastRequest();
  EXPECT_EQ(full.path(), "/api/synchronize_all_up.php");
  EXPECT_NE(full.body.find("filename=\"backup_alldata.zip\""), std::string::npos);
  EXPECT_FALSE(Data_Package::check_isSyn());
}

TEST_F(UploadTest, FullUploadRefusalOnlyShowsTheMessage) {
  answer(R"({"result":0,"err_type":2,"relogin":1,"msg":"refused"})");
  backup_->upAllData();
  ASSERT_TRUE(waitFor("message:refused"));
  EXPECT_EQ(events_, (std::vector<std::string>{"panel:data_backup=data_backup_progress", "hide",
                                               "message:refused"}));
  EXPECT_EQ(server_->requestCount(), 1);
  EXPECT_TRUE(Data_Package::check_isSyn());
}

TEST_F(UploadTest, BackupGoneBeforeTheReplyIsNotCalledBack) {
  serve([](const ServerRequest&) {
    ServerReply reply = ServerReply::text(R"({"result":1})");
    reply.delayBeforeHeaders = 0.3;
    return reply;
  });
  backup_->upData();
  ASSERT_TRUE(server_->waitForRequests(1));
  backup_.reset();
  plat::RunLoop::main().runUntil([] { return false; }, 0.5);
  EXPECT_FALSE(recorded("finished"));
  EXPECT_TRUE(Data_Package::check_isSyn());
}

}  // namespace
}  // namespace onlinetest
