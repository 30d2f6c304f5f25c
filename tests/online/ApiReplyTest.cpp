// The common reply rules over real replies: dropped statuses and bodies, "syn_var" stored before
// or after "result", "relogin" for the senders that honour it, network failures, the clock check.
#include "online/ApiRequest.h"
#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "tests/online/OnlineFixture.h"
#include "tests/support/FixtureWords.h"
#include "tests/support/LoopbackHttpServer.h"

namespace onlinetest {
namespace {

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

// A server error, a refusal with "relogin" and the values stored with it, and a reply the sender
// hands back are the backup's and the login's tests; here what only some replies meet.
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
