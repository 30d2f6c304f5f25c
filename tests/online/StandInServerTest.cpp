// The stand-in server against the app's request recipe: every script of the recipe is answered
// from the server's state, and the faults a test can ask for reach the app's HTTP client.
#include <set>

#include "json/JsonCodec.h"
#include "online/ApiRequest.h"
#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/base/RunLoop.h"
#include "store/CallDB.h"
#include "tests/store/StoreFixture.h"
#include "tests/support/StandInServer.h"
#include "tests/support/TempDeviceStore.h"
#include "util/MyExtensions.h"

namespace onlinetest {
namespace {

using testsupport::StandInServer;

class StandInTest : public storetest::StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    plat::RunLoop::setMainThread();
    testsupport::clearProxyEnvironment();
    device_ = std::make_unique<testsupport::TempDeviceStore>();
    server_ = std::make_unique<StandInServer>();
    CallDB* db = CallDB::callDB();
    db->UpdatePersonalValue("url", server_->base());
    db->UpdatePersonalValue("account", "walker");
    db->UpdatePersonalValue("password", MyExtensions::md5("secret1"));
    server_->addAccount("Walker", "secret1");
  }
  void TearDown() override {
    server_.reset();
    device_.reset();
    StoreTest::TearDown();
  }
  // Sends the script by the recipe and decodes the reply.
  plat::Value send(const std::string& script, const ApiRequest::Values& values = {},
                   const std::string& file = "") {
    std::shared_ptr<HttpRequest> request;
    if (ApiRequest::isPost(script)) {
      request = ApiRequest::post(script, values, file);
    } else {
      request = ApiRequest::get(script, values);
    }
    request->startSynchronous();
    return objectFromJSONString(request->responseString().value_or(""));
  }
  // The archive of `dump` in a file of its own.
  std::string archive(const std::string& dump) {
    std::string path = plat::files::join(plat::AppHome::cachesDir(),
                                         "upload" + std::to_string(++archives_) + ".zip");
    plat::files::createDirectories(plat::AppHome::cachesDir());
    EXPECT_TRUE(plat::files::writeFileAtomically(
        path, testsupport::zipOneEntry("backup_alldata.scv", dump)));
    return path;
  }

  std::unique_ptr<testsupport::TempDeviceStore> device_;
  std::unique_ptr<StandInServer> server_;
  int archives_ = 0;
};

TEST_F(StandInTest, AnswersEveryScriptOfTheRecipe) {
  server_->setNow(1700000000);
  int64_t mnemonic = server_->addNote(false, 7, "ab+andon", "other", 1690000000, 3);
  int64_t yufa = server_->addNote(true, 7, "abandon sth.", "other", 1690000000);
  server_->addExcellent({5, 7, mnemonic, 1, "ab+andon", "other"});
  server_->setLesson(12, {"Carpe diem.", "及时行乐。", "abandon", "<p>奖</p>", 1700000000});
  server_->setVoicePaths(server_->base() + "/v/basic.zip", server_->base() + "/v/ext.zip");
  server_->sendMessage("walker", "欢迎", 1699990000);
  const std::string base = "Study_List\t1\n7\t1699999999\n";

  // Script, values, and what the reply must hold beyond "result" 1.
  struct Step {
    std::string script;
    ApiRequest::Values values = {};
    std::string file = "";
    std::function<void(const plat::Value&)> check = nullptr;
  };
  const std::vector<Step> steps = {
      {"account_register.php", {{"account", "Newbie"}, {"password", MyExtensions::md5("abcdef")}}},
      {"account_login.php", {{"account", "WALKER"}, {"password", MyExtensions::md5("secret1")}}},
      {"account_info.php",
       {},
       "",
       [](const plat::Value& r) {
         EXPECT_EQ(r["time"].asInt(), 1700000000);
         EXPECT_EQ(r["syn_var"]["nNewMsgCount"].asInt(), 1);
       }},
      {"sign_in.php", {}, "", [](const plat::Value& r) { EXPECT_TRUE(r.has("last_signin_id")); }},
      {"synchronize_all_up.php", {}, archive(base)},
      {"synchronize_up.php", {{"nLastSynId", 1}}, archive("Study_Note\t1\n7\tnote\n")},
      {"synchronize_all_down.php",
       {},
       "",
       [](const plat::Value& r) {
         EXPECT_EQ(r["syn_var"]["nLastSynId"].asInt(), 2);
         EXPECT_NE(r["syn_file"].asString().find("/backup_alldata.zip"), std::string::npos);
       }},
      {"upload_mnemonic.php", {{"word_id", 7}, {"mnemonic", "a band on"}}},
      {"upload_yufa.php", {{"word_id", 7}, {"yufa", "abandon oneself to"}}},
      {"find_mnemonic.php",
       {{"word_id", 7}, {"order_type", 1}, {"page", 0}},
       "",
       [](const plat::Value& r) {
         EXPECT_EQ(r["my_mnemonic"].at(0).at(1).asString(), "a band on") << "the asker's own";
         EXPECT_EQ(r["mnemonic_list"].at(0).at(1).asString(), "ab+andon") << "most adopted first";
       }},
      {"find_yufa.php",
       {{"word_id", 7}, {"order_type", 2}, {"page", 0}},
       "",
       [](const plat::Value& r) {
         EXPECT_EQ(r["my_yufa"].size(), 1u);
         EXPECT_EQ(r["yufa_list"].size(), 1u);
       }},
      {"accept_mnemonic.php",
       {{"mnemonic_id", mnemonic}},
       "",
       [](const plat::Value& r) { EXPECT_EQ(r["accept_num"].asInt(), 4); }},
      {"accept_yufa.php",
       {{"yufa_id", yufa}},
       "",
       [](const plat::Value& r) { EXPECT_EQ(r["accept_num"].asInt(), 1); }},
      {"update_excellent_mnemonic.php",
       {{"last_em_id", 0}},
       "",
       [](const plat::Value& r) { EXPECT_EQ(r["em_list"].at(0).at(2).asString(), "ab+andon"); }},
      {"get_user_message.php",
       {{"page", 0}},
       "",
       [](const plat::Value& r) { EXPECT_EQ(r["msg_list"].at(0).at(1).asString(), "欢迎"); }},
      {"advise.php", {{"advises_type", 2}, {"content", "卡住了"}, {"system_info", "PC1.0"}}},
      {"daily_lesson.php",
       {{"day_index", 12}},
       "",
       [](const plat::Value& r) { EXPECT_EQ(r["translate"].asString(), "及时行乐。"); }},
      {"study_lucky_words.php", {{"time", int64_t{1700000000}}}},
      {"get_basic_voices.php",
       {},
       "",
       [](const plat::Value& r) {
         EXPECT_NE(r["path"].asString().find("basic"), std::string::npos);
       }},
      {"get_ext_voices.php",
       {},
       "",
       [](const plat::Value& r) {
         EXPECT_NE(r["path"].asString().find("ext"), std::string::npos);
       }},
      {"clear_data.php"},
  };
  std::set<std::string> walked;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.script);
    walked.insert(step.script);
    plat::Value reply = send(step.script, step.values, step.file);
    ASSERT_TRUE(reply.isDictionary());
    EXPECT_EQ(reply["result"].asInt(), 1) << reply["msg"].asString();
    if (step.check) step.check(reply);
  }
  // The best mnemonic is a bare row, not an envelope.
  walked.insert("get_best_mnemonic.php");
  plat::Value best = send("get_best_mnemonic.php", {{"word_id", 7}});
  ASSERT_TRUE(best.isArray());
  EXPECT_EQ(best.at(0).asInt(), mnemonic);

  std::vector<std::string> served = StandInServer::scripts();
  EXPECT_EQ(walked, std::set<std::string>(served.begin(), served.end()));

  // What the walk left behind.
  auto account = server_->account("walker");
  EXPECT_EQ(account->signIns, 1);
  EXPECT_EQ(account->lastSynId, 0) << "cleared last";
  EXPECT_TRUE(server_->account("newbie"));
  ASSERT_EQ(server_->feedback().size(), 1u);
  EXPECT_EQ(server_->feedback()[0].content, "卡住了");
  EXPECT_EQ(server_->luckyWordReports().size(), 1u);
}

TEST_F(StandInTest, KeepsTheMergedBackupAndAsksForAllDataWithoutOne) {
  plat::Value first = send("synchronize_up.php", {}, archive("Study_List\t1\n7\t1\n"));
  EXPECT_EQ(first["err_type"].asInt(), 2) << "no backup to lay changes on";

  send("synchronize_all_up.php", {},
       archive("Study_List\t2\n7\t1\n8\t2\nStudy_Note\t1\n8\tn\nVar_Config\t1\na\t1\n"));
  send("synchronize_up.php", {{"nLastSynId", 1}},
       archive("delete_words\t1\n8\nStudy_List\t1\n9\t3\nVar_Config\t1\na\t2\n"));
  EXPECT_EQ(server_->account("walker")->dump, "Study_List\t2\n7\t1\n9\t3\nVar_Config\t1\na\t2\n");
  EXPECT_EQ(send("synchronize_up.php", {{"nLastSynId", 1}}, archive("x\t0\n"))["err_type"].asInt(),
            2)
      << "an upload on a stale backup is refused";
}

TEST_F(StandInTest, RefusesStalePasswordsAndForgedCheckCodes) {
  CallDB::callDB()->UpdatePersonalValue("password", MyExtensions::md5("old"));
  plat::Value stale = send("account_info.php");
  EXPECT_EQ(stale["result"].asInt(), 0);
  EXPECT_EQ(stale["relogin"].asInt(), 1);
  plat::Value forged = send("account_login.php", {{"client_check_code", "0"}});
  EXPECT_EQ(forged["result"].asInt(), 0);
  EXPECT_FALSE(forged.has("relogin"));
}

TEST_F(StandInTest, FaultsApplyToTheNextRequestOnly) {
  server_->failNext("account_info.php", 503);
  auto failed = ApiRequest::get("account_info.php");
  failed->startSynchronous();
  EXPECT_EQ(failed->responseStatusCode(), 503);

  server_->dropNext("account_info.php", 2);
  auto dropped = ApiRequest::get("account_info.php");
  dropped->startSynchronous();
  EXPECT_TRUE(dropped->error());

  server_->replaceNext("account_info.php", testsupport::ServerReply::text("not json"));
  EXPECT_TRUE(send("account_info.php").isNull());
  EXPECT_EQ(send("account_info.php")["result"].asInt(), 1);
  EXPECT_EQ(server_->count("account_info.php"), 5) << "the dropped request went twice";
}

}  // namespace
}  // namespace onlinetest
