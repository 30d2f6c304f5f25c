// The request recipe on the wire: a script's address and parameters in order, the test-mode
// parameter, the POST forms of the backup, and values that need escaping.
#include "online/ApiRequest.h"
#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "store/CallDB.h"
#include "tests/online/OnlineFixture.h"
#include "util/DebugNSObject.h"
#include "util/DeviceIdentifier.h"
#include "util/MyExtensions.h"

namespace onlinetest {
namespace {

class RecipeTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    CallDB* db = CallDB::callDB();
    db->UpdatePersonalValue("account", "bob");
    db->UpdatePersonalValue("password", MyExtensions::md5("secret"));
    id_ = DeviceIdentifier::uniqueGlobalDeviceIdentifier();
    check_ = MyExtensions::md5(id_ + kSharedClientKey);
  }
  // The query the server received for a GET of the script.
  std::string queryOf(const std::string& script, const ApiRequest::Values& values = {}) {
    run(ApiRequest::get(script, values));
    EXPECT_EQ(server_->lastRequest().path(), "/api/" + script);
    return server_->lastRequest().query();
  }
  std::string id_, check_;
};

TEST_F(RecipeTest, AccountRequestCarriesTheCommonParametersInOrder) {
  std::string common = "identifie=" + id_ + "&account=bob&password=" + MyExtensions::md5("secret") +
                       "&study_count=0&c_type=ios&v_client=3.5" + "&client_check_code=" + check_;
  EXPECT_EQ(queryOf("account_info.php"), common);
  EXPECT_EQ(server_->lastRequest().method, "GET");
  EXPECT_EQ(id_.size(), 32u);

  setTestMode(true);
  EXPECT_EQ(queryOf("account_info.php"), common + "&is_test=" + kSharedClientKey);
  // A script of few parameters leaves the test-mode one out; a time in milliseconds stays whole.
  EXPECT_EQ(queryOf("study_lucky_words.php", {{"time", int64_t{1700000000123}}}),
            "time=1700000000123&account=bob&c_type=ios&v_client=3.5");
  setTestMode(false);
  EXPECT_EQ(queryOf("account_info.php"), common);
}

TEST_F(RecipeTest, TypedTextCannotBreakIntoOtherParameters) {
  std::string query = queryOf("account_login.php", {{"account", "a b&is_test=1"}});
  EXPECT_NE(query.find("&account=a%20b%26is_test%3D1&"), std::string::npos);
  EXPECT_EQ(query.find("is_test="), std::string::npos);
}

TEST_F(RecipeTest, BackupUploadIsAMultipartFormWithTheFileLast) {
  CallDB::callDB()->UpdatePersonalValue("nLastSynId", "41");
  setTestMode(true);
  std::string file = plat::files::join(plat::AppHome::tmpDir(), "backup_data.zip");
  ASSERT_TRUE(plat::files::writeFileAtomically(file, "zip bytes"));
  auto request = ApiRequest::post("synchronize_up.php", {}, file);
  EXPECT_EQ(request->timeOutSeconds(), 180);
  EXPECT_EQ(ApiRequest::post("synchronize_all_up.php")->timeOutSeconds(), 150);
  run(request);
  const auto& received = server_->lastRequest();
  EXPECT_EQ(received.method, "POST");
  EXPECT_EQ(received.target, "/api/synchronize_up.php");
  EXPECT_NE(received.header("Content-Type").find("multipart/form-data"), std::string::npos);
  std::vector<std::string> order = {
      "\"account\"",  "\"password\"",  "\"nLastSynId\"",        "\"v_lexicon\"", "\"c_type\"",
      "\"v_client\"", "\"identifie\"", "\"client_check_code\"", "\"is_test\"",   "\"syn_file\""};
  size_t at = 0;
  for (const std::string& name : order) {
    size_t found = received.body.find("name=" + name, at);
    ASSERT_NE(found, std::string::npos) << name;
    at = found;
  }
  EXPECT_NE(received.body.find("\r\n\r\n41\r\n"), std::string::npos);
  EXPECT_NE(received.body.find("zip bytes"), std::string::npos);
}

TEST_F(RecipeTest, UnknownScriptIsAProgrammingError) {
  EXPECT_THROW(ApiRequest::parameters("no_such.php"), std::invalid_argument);
}

}  // namespace
}  // namespace onlinetest
