// The stand-in server's own rules that the account tests lean on: merged backups, refused
// credentials, and faults that reach the app's HTTP client once.
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
