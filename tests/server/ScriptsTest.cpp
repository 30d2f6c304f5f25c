// What the server program adds to the scripts: the notice with every account reply, one counted
// sign-in a day answered with "@" and a run of days, a lesson for any day and a welcome message.
#include "tests/server/ServerFixture.h"

namespace servertest {
namespace {

using standin::Service;
using standin::State;

constexpr int64_t kDay = 86400;
constexpr int64_t kNoon = 1700000000 / kDay * kDay + kDay / 2;

standin::Options programOptions() {
  standin::Options o;
  o.notice = {"公告", "<p>通知</p>"};
  o.countedSignIns = true;
  o.sampleLessons = true;
  o.welcomeMessage = "欢迎";
  return o;
}

std::string signIn(Service& service) {
  return service.answer(get("sign_in.php", signedParams("learner", "secret12"))).body;
}

TEST(StandInScripts, ADayHasOneCountedSignInAndRunsOfDaysAreCounted) {
  Service service(programOptions());
  service.withState([](State& s) {
    s.now = kNoon;
    s.addAccount("learner", standin::md5Hex("secret12"));
    s.addAccount("other", standin::md5Hex("x")).lastSignInDay = kNoon / kDay;  // signed in today
  });
  std::string first = signIn(service);
  EXPECT_NE(first.find("\"msg\":\"@签到成功！您是今天第2位"), std::string::npos) << first;
  EXPECT_NE(first.find("\"last_signin_id\":2"), std::string::npos) << first;
  EXPECT_NE(first.find("\"nSignInCur\":1"), std::string::npos) << first;
  EXPECT_NE(first.find("\"sNewsContent\":\"<p>通知</p>\""), std::string::npos) << first;

  std::string again = signIn(service);
  EXPECT_NE(again.find("\"msg\":\"今天已经签到过了\""), std::string::npos) << again;
  EXPECT_NE(again.find("\"nSignInAll\":1"), std::string::npos) << again;

  // The next day continues the run; a day missed starts it again, the best run stays.
  service.withState([](State& s) { s.now = kNoon + kDay; });
  EXPECT_NE(signIn(service).find("\"nSignInCur\":2"), std::string::npos);
  service.withState([](State& s) { s.now = kNoon + 3 * kDay; });
  std::string later = signIn(service);
  EXPECT_NE(later.find("\"nSignInCur\":1"), std::string::npos) << later;
  EXPECT_NE(later.find("\"nSignInMax\":2"), std::string::npos) << later;
  EXPECT_NE(later.find("\"nSignInAll\":3"), std::string::npos) << later;
}

TEST(StandInScripts, TheTestsDefaultCountsEverySignInPlainlyAndSendsNoNotice) {
  Service service;
  service.withState([](State& s) { s.addAccount("learner", standin::md5Hex("secret12")); });
  for (int i = 0; i < 2; ++i) {
    std::string body = signIn(service);
    EXPECT_NE(body.find("\"msg\":\"签到成功\""), std::string::npos) << body;
    EXPECT_EQ(body.find("sNewsTitle"), std::string::npos) << body;
  }
}

TEST(StandInScripts, EveryDayHasALessonAndANewAccountAWelcome) {
  Service service(programOptions());
  service.withState([](State& s) {
    s.now = kNoon;
    s.lessons[1] = {"Stored.", "存的。", "quiet", "", kNoon - kDay};
  });
  const std::string today = service.answer(get("daily_lesson.php", {{"day_index", "0"}})).body;
  const std::string stored = service.answer(get("daily_lesson.php", {{"day_index", "1"}})).body;
  const std::string older = service.answer(get("daily_lesson.php", {{"day_index", "9"}})).body;
  EXPECT_NE(today.find("\"time\":" + std::to_string(kNoon)), std::string::npos) << today;
  EXPECT_NE(stored.find("\"sentence\":\"Stored.\""), std::string::npos) << stored;
  EXPECT_NE(older.find("\"time\":" + std::to_string(kNoon - 9 * kDay)), std::string::npos);
  EXPECT_NE(today, older);

  auto params = signedParams("newcomer", "secret12");
  const std::string registered = service.answer(get("account_register.php", params)).body;
  EXPECT_NE(registered.find("\"nNewMsgCount\":1"), std::string::npos) << registered;
  EXPECT_NE(registered.find("\"nLastSynTime\":0"), std::string::npos) << "never backed up";
  const std::string messages = service.answer(get("get_user_message.php", params)).body;
  EXPECT_NE(messages.find("欢迎"), std::string::npos) << messages;
}

}  // namespace
}  // namespace servertest
