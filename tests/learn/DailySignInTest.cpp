// The daily sign-in against the stand-in server, its share offer and the two share pictures.
#include "learn/DailySignIn.h"

#include <stdlib.h>

#include "learn/ReviewScreens.h"
#include "online/LoginUIWindow.h"
#include "platform/base/Bundle.h"
#include "platform/view/AlertView.h"
#include "share/SharePictures.h"
#include "store/CallDB.h"
#include "tests/learn/ScreenFixture.h"
#include "ui/MyAlerView.h"
#include "util/MyExtensions.h"

namespace {

using learntest::ScreenTest;
using learntest::SharedItem;
using testsupport::ServerReply;

// Whether the picture has the numbers' green inside `r` (points).
bool green(const plat::Image& picture, const plat::Rect& r) {
  return learntest::hasColour(picture, r, plat::Color::rgb(0, 116.0 / 255, 17.0 / 255), 0.06);
}

class SignIn : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    startServer();
    server_->addAccount("learner", "secret1");
  }
  void TearDown() override {
    // The login window outlives the screens: it goes before the next case.
    if (LoginUIWindow* login = LoginUIWindow::shown()) login->dialogIsRemoved();
    ScreenTest::TearDown();
  }
  void signInAs(const std::string& account) {
    setValue("account", account);
    setValue("password", MyExtensions::md5("secret1"));
    ReviewScreens::signIn(*app_->root);
  }
};

TEST_F(SignIn, APlainMessageIsShownAndACountedSignInOffersSharing) {
  signInAs("learner");
  ASSERT_TRUE(waitFor([this] { return host_->findByTag(MyAlerView::kTag) != nullptr; }));
  EXPECT_TRUE(showing("签到成功")) << "no \"@\": the message alone";
  EXPECT_EQ(host_->visibleAlert(), nullptr);
  EXPECT_EQ(server_->account("learner")->signIns, 1);
  const std::string target = server_->lastRequest("sign_in.php").target;
  EXPECT_NE(target.find("&account=learner&password="), std::string::npos) << target;
  EXPECT_NE(target.find("&study_count=0&c_type=ios"), std::string::npos) << target;
  EXPECT_NE(target.find("&client_check_code="), std::string::npos) << target;

  // A counted sign-in ending in 8, its id read by its leading digits, shares picture one with the
  // sign-in's number, all sign-ins and the current run; without "last_signin_id" it counts as 0
  // and shares picture two with all sign-ins and the planned words. Nothing green elsewhere.
  for (const char* word : {"achieve", "support", "quiet"})
    CallDB::callDB()->InsertStudyWord(word, 0);
  const struct {
    const char* reply;
    int id;
    const char* message;
    const char* png;
    std::vector<plat::Rect> numbers;
    plat::Rect blank;
  } counted[] = {{R"({"result":1,"msg":"@签到成功！","last_signin_id":"128th",)"
                  R"("syn_var":{"nSignInAll":"30","nSignInCur":"5"}})",
                  128,
                  "签到成功！",
                  "share_one.png",
                  {{244, 93, 150, 40}, {190, 159, 100, 40}, {307, 159, 100, 40}},
                  {0, 0, 140, 90}},
                 {R"({"result":1,"msg":"@又签到了"})",
                  0,
                  "又签到了",
                  "share_two.png",
                  {{209, 81, 58, 40}, {63, 101, 64, 40}},
                  {0, 0, 320, 70}}};
  const std::string site = "http://127.0.0.1:9/site";
  ::setenv("VOCAB_MAKER_SITE", site.c_str(), 1);
  for (const auto& c : counted) {
    SCOPED_TRACE(c.reply);
    shared_.clear();
    server_->replaceNext("sign_in.php", ServerReply::text(c.reply));
    ReviewScreens::signIn(*app_->root);
    ASSERT_TRUE(waitFor([this] { return host_->visibleAlert() != nullptr; }));
    EXPECT_EQ(DailySignIn::shared().m_countSignNum(), c.id);
    EXPECT_EQ(host_->visibleAlert()->message(), c.message);
    ASSERT_TRUE(host_->pressAlertButton("分享"));
    host_->runUntilIdle();
    ASSERT_EQ(shared_.size(), 1u);
    EXPECT_TRUE(shared_[0].text.ends_with(" " + site)) << shared_[0].text;
    const plat::Image* picture = shared_[0].picture.get();
    ASSERT_TRUE(picture && picture->writePNG(::testing::TempDir() + c.png));
    for (const plat::Rect& r : c.numbers) EXPECT_TRUE(green(*picture, r)) << r.x << " " << r.y;
    EXPECT_FALSE(green(*picture, c.blank));
  }
  EXPECT_TRUE(SharePictures::usesPictureOne(-8));
  EXPECT_FALSE(SharePictures::usesPictureOne(127));
  EXPECT_EQ(DailySignIn::shareText(40), plat::localized("share_text5", "InfoPlist") + " " + site);
  // With no web site configured the text ends with no address.
  ::unsetenv("VOCAB_MAKER_SITE");
  EXPECT_EQ(DailySignIn::shareText(40), plat::localized("share_text5", "InfoPlist"));
}

TEST_F(SignIn, RefusalsRepliesWithoutAMessageAndNoAccount) {
  ReviewScreens::signIn(*app_->root);
  host_->runUntilIdle();
  ASSERT_NE(LoginUIWindow::shown(), nullptr) << "no account: the login window instead";
  LoginUIWindow::shown()->dialogIsRemoved();

  // No message text, or one that is no text: nothing is shown.
  for (const char* body : {R"({"result":1})", R"({"result":1,"msg":5,"last_signin_id":8})"}) {
    server_->replaceNext("sign_in.php", ServerReply::text(body));
    const int before = server_->count("sign_in.php");
    signInAs("learner");
    ASSERT_TRUE(waitFor([&] { return server_->count("sign_in.php") > before; }));
    landReply(0.3);
    EXPECT_EQ(host_->visibleAlert(), nullptr) << body;
    EXPECT_EQ(host_->findByTag(MyAlerView::kTag), nullptr) << body;
  }
  EXPECT_EQ(server_->count("sign_in.php"), 2) << "none sent without an account";

  // A stale password: the login window in its wrong-password state, and the message.
  setValue("password", MyExtensions::md5("changed"));
  ReviewScreens::signIn(*app_->root);
  ASSERT_TRUE(waitFor([] { return LoginUIWindow::shown() != nullptr; }));
  landReply(0.3);
  EXPECT_TRUE(showing("密码已修改，请重新登录"));
  EXPECT_EQ(server_->account("learner")->signIns, 0);
}

}  // namespace
