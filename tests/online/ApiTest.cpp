// The server requests on the wire, and the common rules of their replies over real replies.
#include "online/ApiRequest.h"
#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "tests/online/OnlineFixture.h"
#include "tests/support/FixtureWords.h"
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

  setTestMode(true);
  EXPECT_EQ(queryOf("account_info.php"), common + "&is_test=" + kSharedClientKey);
  // A script of few parameters leaves the test-mode one out; a time in milliseconds stays whole.
  EXPECT_EQ(queryOf("study_lucky_words.php", {{"time", int64_t{1700000000123}}}),
            "time=1700000000123&account=bob&c_type=ios&v_client=3.5");
  setTestMode(false);
  EXPECT_EQ(queryOf("account_info.php"), common);
}

// Against a server that takes the request and never answers, the two backup uploads wait their
// own longer limits (the upload of the changes longest), every other script the client's default.
TEST_F(RecipeTest, BackupUploadsWaitLongerForASilentServerThanOtherScripts) {
  serve([](const testsupport::ServerRequest&) {
    testsupport::ServerReply silent;
    silent.hang = true;
    return silent;
  });
  const std::string file = plat::files::join(plat::AppHome::tmpDir(), "backup_data.zip");
  ASSERT_TRUE(plat::files::writeFileAtomically(file, "zip bytes"));
  auto secondsUntilItGivesUp = [&](std::shared_ptr<HttpRequest> request) {
    bool ended = false;
    request->setFailedBlock([&] { ended = true; });
    request->setCompletionBlock([&] { ended = true; });
    const double start = clock_->now();
    request->startAsynchronous();
    for (int step = 0; step < 2000 && !ended; ++step) {
      clock_->advance(0.25);
      plat::RunLoop::main().runUntil([&] { return ended; }, 0.002);
    }
    EXPECT_TRUE(request->error() && request->error()->code() == 2) << "a time-out";
    return clock_->now() - start;
  };
  const double changes = secondsUntilItGivesUp(ApiRequest::post("synchronize_up.php", {}, file));
  const double all = secondsUntilItGivesUp(ApiRequest::post("synchronize_all_up.php", {}, file));
  const double other = secondsUntilItGivesUp(ApiRequest::get("account_info.php"));
  EXPECT_GE(changes, 180);
  EXPECT_GE(all, 150);
  EXPECT_GT(changes, all);
  EXPECT_LT(other, 150) << "the default is shorter";
  EXPECT_GE(other, HttpRequest::defaultTimeOutSeconds());
}

TEST_F(RecipeTest, BackupUploadIsAMultipartFormWithTheFileLast) {
  CallDB::callDB()->UpdatePersonalValue("nLastSynId", "41");
  setTestMode(true);
  std::string file = plat::files::join(plat::AppHome::tmpDir(), "backup_data.zip");
  ASSERT_TRUE(plat::files::writeFileAtomically(file, "zip bytes"));
  run(ApiRequest::post("synchronize_up.php", {}, file));
  const auto& received = server_->lastRequest();
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

using testsupport::ServerReply;

class ReplyTest : public ApiTest {
 protected:
  std::optional<ApiReply> exchange(const std::string& body, int status = 200,
                                   bool honoursRelogin = true,
                                   ApiReply::SynVarStep step = ApiReply::SynVarStep::BeforeResult) {
    reply_ = ServerReply::text(body, status);
    auto request = run(ApiRequest::get("account_info.php"));
    return ApiReply::handleFinished(*request, recordingHooks(honoursRelogin), step);
  }
  std::string value(const std::string& key) { return CallDB::callDB()->getPersonalValue(key); }
};

// The usual replies are the backup's and the login's tests; here what only some replies meet.
TEST_F(ReplyTest, ABodyThatIsNoObjectOrLacksTheResultIsAFailure) {
  EXPECT_FALSE(exchange("<html>oops"));
  EXPECT_EQ(shown_, (std::vector<std::string>{"panel"}));
  shown_.clear();
  EXPECT_FALSE(exchange(R"({"msg":"missing result"})"));
  EXPECT_EQ(shown_, (std::vector<std::string>{"panel", "message:missing result"}));
  shown_.clear();
  setTestMode(true);
  EXPECT_FALSE(exchange("[1,2]"));
  EXPECT_EQ(shown_, (std::vector<std::string>{"panel", "alert:错误|[1,2]|关闭"}));
}

TEST_F(ReplyTest, LoginStoresServerValuesOnlyOnFailure) {
  using Step = ApiReply::SynVarStep;
  EXPECT_TRUE(exchange(R"({"result":1,"syn_var":{"b":"1"}})", 200, false, Step::OnFailureOnly));
  EXPECT_EQ(value("b"), "");
  EXPECT_FALSE(exchange(R"({"result":2,"syn_var":{"b":"2"}})", 200, false, Step::OnFailureOnly));
  EXPECT_EQ(value("b"), "2");
  EXPECT_FALSE(exchange(R"({"result":2,"syn_var":{"c":"3"}})", 200, false, Step::BySender));
  EXPECT_EQ(value("c"), "");
}

TEST_F(ReplyTest, NetworkFailureShowsTheErrorsDescription) {
  uint16_t port = server_->port();
  server_.reset();  // nothing listens there now
  CallDB::callDB()->UpdatePersonalValue("url", "http://127.0.0.1:" + std::to_string(port));
  auto request = run(ApiRequest::get("account_info.php"));
  ASSERT_TRUE(request->error());
  ApiReply::handleFailed(*request, recordingHooks(true));
  EXPECT_EQ(shown_, (std::vector<std::string>{
                        "panel", "message:" + request->error()->localizedDescription()}));
  shown_.clear();
  ApiReplyHooks quiet = recordingHooks(true);
  quiet.quiet = true;
  ApiReply::handleFailed(*request, quiet);
  EXPECT_EQ(shown_, (std::vector<std::string>{"panel"}));
}

TEST_F(ReplyTest, ClockTwoDaysOffIsReported) {
  std::string bundle = plat::files::join(plat::AppHome::tmpDir(), "bundle");
  testsupport::writeTextFile(plat::files::join(bundle, "InfoPlist.strings"),
                             "\"alermsg_eg42\" = \"时钟不准：%@\";\n");
  plat::Bundle::setMainPath(bundle);
  const int64_t device = static_cast<int64_t>(MyDate::localDateTime() + plat::kReferenceDateOffset);
  EXPECT_FALSE(ApiReply::checkClock(device + 172799, recordingHooks(false)));
  EXPECT_FALSE(ApiReply::checkClock(device - 172799, recordingHooks(false)));
  EXPECT_TRUE(shown_.empty());
  EXPECT_TRUE(ApiReply::checkClock(device - 172800, recordingHooks(false)));
  ASSERT_EQ(shown_.size(), 1u);
  // 2023-11-15 10:00 local time is what the device shows.
  EXPECT_EQ(shown_[0], "alert:提示|时钟不准：2023-11-15 10:00|确定");
}

}  // namespace
}  // namespace onlinetest
