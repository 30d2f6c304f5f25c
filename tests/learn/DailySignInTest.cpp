// The daily sign-in against the stand-in server, its share offer and the two share pictures.
#include <cmath>

#include "learn/DailySignIn.h"
#include "learn/ReviewScreens.h"
#include "learn/SharePictures.h"
#include "online/LoginUIWindow.h"
#include "platform/base/Bundle.h"
#include "platform/view/AlertView.h"
#include "store/CallDB.h"
#include "tests/learn/DailyScreensFixture.h"
#include "ui/MyAlerView.h"
#include "util/MyExtensions.h"

namespace {

using dailytest::DailyTest;
using dailytest::SharedItem;
using testsupport::ServerReply;

const plat::Color kNumberGreen = plat::Color::rgb(0, 116.0 / 255, 17.0 / 255);

class SignIn : public DailyTest {
 protected:
  void SetUp() override {
    DailyTest::SetUp();
    server_->addAccount("learner", "secret1");
  }
  void TearDown() override {
    // The login window outlives the screens: it goes before the next case.
    if (LoginUIWindow* login = LoginUIWindow::shown()) login->dialogIsRemoved();
    DailyTest::TearDown();
  }
  void signInAs(const std::string& account) {
    setValue("account", account);
    setValue("password", MyExtensions::md5("secret1"));
    ReviewScreens::signIn(*app_->root);
  }
  // Waits for the reply's alert or bubble.
  bool replied() {
    return waitFor([this] {
      return host_->visibleAlert() || host_->findByTag(MyAlerView::kTag) || LoginUIWindow::shown();
    });
  }
  // The share sheet's item after "分享" on the counted sign-in's alert.
  SharedItem shareFromAlert(const std::string& expectedMessage) {
    plat::AlertView* alert = host_->visibleAlert();
    EXPECT_NE(alert, nullptr);
    if (!alert) return {};
    EXPECT_EQ(alert->title(), "提示");
    EXPECT_EQ(alert->message(), expectedMessage);
    shared_.clear();
    EXPECT_TRUE(host_->pressAlertButton("分享"));
    host_->runUntilIdle();
    EXPECT_EQ(shared_.size(), 1u);
    return shared_.empty() ? SharedItem{} : shared_.back();
  }

  // Whether the picture has the numbers' green inside `r` (points).
  static bool greenIn(const plat::Image& picture, const plat::Rect& r) {
    for (double y = r.y; y < r.y + r.height; y += 0.5)
      for (double x = r.x; x < r.x + r.width; x += 0.5) {
        const plat::Color c = picture.colorAtPoint({x, y});
        if (std::abs(c.r - kNumberGreen.r) < 0.06 && std::abs(c.g - kNumberGreen.g) < 0.06 &&
            std::abs(c.b - kNumberGreen.b) < 0.06)
          return true;
      }
    return false;
  }
};

TEST_F(SignIn, WithoutAnAccountTheLoginWindowOpensInstead) {
  ReviewScreens::signIn(*app_->root);
  host_->runUntilIdle();
  EXPECT_NE(LoginUIWindow::shown(), nullptr);
  settle();
  EXPECT_EQ(server_->count("sign_in.php"), 0);
}

TEST_F(SignIn, APlainMessageIsShownAndACountedSignInOffersSharing) {
  signInAs("learner");
  ASSERT_TRUE(replied());
  EXPECT_TRUE(showing("签到成功")) << "no \"@\": the message alone";
  EXPECT_EQ(host_->visibleAlert(), nullptr);
  EXPECT_EQ(server_->account("learner")->signIns, 1);
  const std::string target = server_->lastRequest("sign_in.php").target;
  EXPECT_NE(target.find("&account=learner&password="), std::string::npos) << target;
  EXPECT_NE(target.find("&study_count=0&c_type=ios"), std::string::npos) << target;
  EXPECT_NE(target.find("&client_check_code="), std::string::npos) << target;

  // A counted sign-in ending in 8, its id read by its leading digits: picture one.
  server_->replaceNext(
      "sign_in.php",
      ServerReply::text(R"({"result":1,"msg":"@签到成功！","last_signin_id":"128th",)"
                        R"("syn_var":{"nSignInAll":"30","nSignInCur":"5"}})"));
  ReviewScreens::signIn(*app_->root);
  ASSERT_TRUE(waitFor([this] { return host_->visibleAlert() != nullptr; }));
  EXPECT_EQ(DailySignIn::shared().m_countSignNum(), 128);
  SharedItem item = shareFromAlert("签到成功！");
  ASSERT_TRUE(item.picture);
  EXPECT_EQ(item.picture->size().width, plat::Image::named("gui/share1.png")->size().width);
  const std::string site = plat::Bundle::main().infoValue("MakerWebSite");
  EXPECT_EQ(item.text.substr(item.text.size() - site.size() - 1), " " + site);

  // Without "last_signin_id" the sign-in counts as 0: picture two.
  server_->replaceNext("sign_in.php", ServerReply::text(R"({"result":1,"msg":"@又签到了"})"));
  ReviewScreens::signIn(*app_->root);
  ASSERT_TRUE(waitFor([this] { return host_->visibleAlert() != nullptr; }));
  EXPECT_EQ(DailySignIn::shared().m_countSignNum(), 0);
  item = shareFromAlert("又签到了");
  ASSERT_TRUE(item.picture);
  EXPECT_EQ(item.picture->size().width, plat::Image::named("gui/share2.png")->size().width);
}

TEST_F(SignIn, RefusalsAndRepliesWithoutAMessage) {
  // No message text, or one that is no text: nothing is shown.
  for (const char* body : {R"({"result":1})", R"({"result":1,"msg":5,"last_signin_id":8})"}) {
    server_->replaceNext("sign_in.php", ServerReply::text(body));
    const int before = server_->count("sign_in.php");
    signInAs("learner");
    ASSERT_TRUE(waitFor([&] { return server_->count("sign_in.php") > before; }));
    settle(0.3);
    EXPECT_EQ(host_->visibleAlert(), nullptr) << body;
    EXPECT_EQ(host_->findByTag(MyAlerView::kTag), nullptr) << body;
  }

  // A stale password: the login window in its wrong-password state, and the message.
  setValue("account", "learner");
  setValue("password", MyExtensions::md5("changed"));
  ReviewScreens::signIn(*app_->root);
  ASSERT_TRUE(waitFor([] { return LoginUIWindow::shown() != nullptr; }));
  settle(0.3);
  EXPECT_TRUE(showing("密码已修改，请重新登录"));
  EXPECT_EQ(server_->account("learner")->signIns, 0);
}

TEST_F(SignIn, TheSharePicturesCarryTheNumbersInTheirPlaces) {
  setValue("nSignInAll", "30");
  setValue("nSignInCur", "5");
  for (const char* word : {"achieve", "support", "quiet"})
    CallDB::callDB()->InsertStudyWord(word, 0);

  auto one = SharePictures::getSharePngOne(128);
  ASSERT_TRUE(one);
  ASSERT_TRUE(one->writePNG(::testing::TempDir() + "share_one.png"));
  EXPECT_TRUE(greenIn(*one, {244, 93, 150, 40})) << "the sign-in's number";
  EXPECT_TRUE(greenIn(*one, {190, 159, 100, 40})) << "all sign-ins";
  EXPECT_TRUE(greenIn(*one, {307, 159, 100, 40})) << "the current run";
  EXPECT_FALSE(greenIn(*one, {0, 0, 140, 90})) << "nothing drawn elsewhere";

  auto two = SharePictures::getSharePngTwo();
  ASSERT_TRUE(two);
  ASSERT_TRUE(two->writePNG(::testing::TempDir() + "share_two.png"));
  EXPECT_TRUE(greenIn(*two, {209, 81, 58, 40})) << "all sign-ins";
  EXPECT_TRUE(greenIn(*two, {63, 101, 64, 40})) << "the planned words";
  EXPECT_FALSE(greenIn(*two, {0, 0, 320, 70}));

  EXPECT_TRUE(SharePictures::usesPictureOne(128));
  EXPECT_TRUE(SharePictures::usesPictureOne(-8));
  EXPECT_FALSE(SharePictures::usesPictureOne(127));
  EXPECT_EQ(DailySignIn::shareText(40).find(plat::localized("share_text5", "InfoPlist")), 0u);
}

}  // namespace
