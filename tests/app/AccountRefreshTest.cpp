// The account refresh ten seconds into a study day, against a loopback account server.
#include <gtest/gtest.h>

#include "online/ApiRequest.h"
#include "platform/base/RunLoop.h"
#include "tests/app/AppFixture.h"
#include "tests/support/Patience.h"

namespace apptest {
namespace {

using testsupport::ServerReply;

class AccountRefresh : public AppTest {
 protected:
  void answer(const std::string& body, int status = 200) {
    server_->setHandler([body, status](const testsupport::ServerRequest& request) {
      if (request.path().ends_with("account_info.php")) return ServerReply::text(body, status);
      return ServerReply::text("{}", 404);
    });
  }
  // One account request answered by the server, handled as the delegate handles it.
  void exchange(const std::string& body, int status = 200) {
    answer(body, status);
    auto request = ApiRequest::get("account_info.php");
    request->startSynchronous();
    app_->getInfoFinished(*request);
    host_->runUntilIdle();
  }
  // The warning is the only alert the refresh shows.
  bool clockWarningShown() { return host_->visibleAlert() != nullptr; }
};

TEST_F(AccountRefresh, TheAccountValuesComeTenSecondsIntoTheStudyDay) {
  // A typed account with characters that would otherwise start new parameters.
  db_->UpdatePersonalValue("account", "li lei&study_count=9");
  answer(R"({"result":1,"syn_var":{"nick_name":"雷"},"time":1500000000})");
  launch();
  host_->advance(9.5);
  EXPECT_TRUE(requestsFor("account_info.php").empty());
  host_->advance(0.5);
  EXPECT_EQ(calls("getExcellentMnemonic"), 1);
  ASSERT_TRUE(plat::RunLoop::main().runUntil([this] { return calls("refreshADInfo") == 1; },
                                             testsupport::kPatience));
  host_->runUntilIdle();

  const auto sent = requestsFor("account_info.php");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_NE(sent[0].query().find("&account=li%20lei%26study_count%3D9&"), std::string::npos)
      << sent[0].query();
  EXPECT_EQ(db_->getPersonalValue("nick_name"), "雷");
  EXPECT_TRUE(clockWarningShown()) << "the server's clock is years away";
}

TEST_F(AccountRefresh, RepliesOfTheWrongShapeShowNothingAndNeverCrash) {
  launch();
  for (const char* body : {R"({"result":1,"time":"soon"})", R"({"result":1,"time":{"t":1}})",
                           R"({"result":1,"time":null})", R"({"result":1})",
                           R"({"result":[1],"syn_var":[1,2],"time":"x"})",
                           R"({"result":"1","syn_var":"x","time":1e999})", "[1]", "not json"}) {
    exchange(body);
    EXPECT_FALSE(clockWarningShown()) << body;
  }
  exchange(R"({"result":0,"msg":"账号异常","syn_var":{"sLastSynVersion":"4"},"time":1})");
  EXPECT_EQ(host_->findContainingText("账号异常"), nullptr);
  EXPECT_EQ(db_->getPersonalValue("sLastSynVersion"), "4") << "stored even on a refusal";
  exchange(R"({"result":1,"time":-1e300})");
  EXPECT_TRUE(clockWarningShown()) << "a time far off is a wrong clock, not an overflow";
}

}  // namespace
}  // namespace apptest
