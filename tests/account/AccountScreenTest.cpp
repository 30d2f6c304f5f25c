// The account screen (rows, badge, refresh, logout) and the feedback form, on screen.
#include "account/FeedBackViewController.h"
#include "account/UserInfoViewCtrl.h"
#include "online/AccountText.h"
#include "online/LoginUIWindow.h"
#include "online/LoginViewController.h"
#include "platform/base/Device.h"
#include "platform/view/AlertView.h"
#include "platform/view/Keyboard.h"
#include "platform/view/Screen.h"
#include "store/CallDB.h"
#include "tests/online/AccountUiTest.h"
#include "util/MyExtensions.h"

namespace onlinetest {
namespace {

using accounttext::text;

using AccountScreenTest = SignedInTest;

TEST_F(AccountScreenTest, RowsShowTheStoredValuesTheBadgeAndTheServersValuesOnARefresh) {
  CallDB* db = CallDB::callDB();
  db->UpdatePersonalValue("nPopularizeId", "1042");
  db->UpdatePersonalValue("nNewMsgCount", "12");
  db->UpdatePersonalValue("nMnemonicAcceptCount", "7");
  auto screen = std::make_shared<UserInfoViewCtrl>();
  screen->setParentName("设置");
  push(screen);
  EXPECT_EQ(screen->cellArray()[0].second, "carol");
  EXPECT_EQ(screen->cellArray()[4].second, "7");
  EXPECT_NE(host_->findByText("1042"), nullptr);
  auto* badge = dynamic_cast<plat::Button*>(host_->findByText("12"));
  ASSERT_NE(badge, nullptr);
  EXPECT_GE(badge->frame().width, 29);
  picture("account_screen.png");

  for (const char* none : {"0", ""}) {
    db->UpdatePersonalValue("nNewMsgCount", none);
    screen->refreshData();
    host_->runUntilIdle();
    EXPECT_EQ(host_->find([](plat::View& v) {
      return v.tag() == UserInfoViewCtrl::kBadgeTag && !v.isHidden() && v.window();
    }),
              nullptr)
        << "count '" << none << "'";
  }

  // The refresh takes the server's values and checks the device's clock against the server's.
  server_->sendMessage("carol", "你好", 1);
  server_->setNow(static_cast<int64_t>(host_->clock()->now()) + 3 * 86400);
  ASSERT_TRUE(host_->tapText("刷新"));
  ASSERT_TRUE(waitFor([&] { return host_->visibleAlert() != nullptr; }));
  EXPECT_NE(host_->visibleAlert()->message().find("相差两天以上"), std::string::npos);
  EXPECT_EQ(bubble(), text("alermsg_eg19"));
  EXPECT_TRUE(told("refreshADInfo"));
  EXPECT_EQ(screen->cellArray()[2].second, "1");
  host_->pressAlertButton("确定");

  // A changed password on the server: the login window in its wrong-password state.
  CallDB::callDB()->UpdatePersonalValue("password", MyExtensions::md5("old"));
  host_->advance(10);
  ASSERT_TRUE(host_->tapText("刷新"));
  ASSERT_TRUE(waitFor([&] { return LoginUIWindow::shown() != nullptr; }));
  EXPECT_TRUE(LoginUIWindow::shown()->form().switchLoginBtn().isHidden());
  EXPECT_EQ(bubble(), "密码已修改，请重新登录");

  // No account: nothing is sent.
  LoginUIWindow::shown()->dialogIsRemoved();
  CallDB::callDB()->UpdatePersonalValue("account", "");
  const int sent = server_->count("account_info.php");
  host_->advance(10);
  ASSERT_TRUE(host_->tapText("刷新"));
  host_->runUntilIdle();
  EXPECT_EQ(bubble(), text("alermsg_eg18"));
  EXPECT_EQ(server_->count("account_info.php"), sent);
}

TEST_F(AccountScreenTest, LogoutWipesTheDeviceOnlyAfterConfirmation) {
  studyWords(4);
  CallDB* db = CallDB::callDB();
  db->UpdatePersonalValue("nLastSynId", "3");
  db->UpdatePersonalValue_isNeed("show_wi", "0");
  const std::string lexicon = db->getPersonalValue("v_lexicon");
  auto screen = push(std::make_shared<UserInfoViewCtrl>());
  ASSERT_TRUE(host_->tap(&screen->logoutBtn()));
  host_->runUntilIdle();
  ASSERT_NE(host_->visibleAlert(), nullptr);
  EXPECT_EQ(host_->visibleAlert()->message(), text("alermsg_eg33"));
  host_->pressAlertButton("取消");
  host_->runUntilIdle();
  EXPECT_EQ(db->LearnWordCount(), 4);
  EXPECT_EQ(db->getPersonalValue("account"), "carol");

  ASSERT_TRUE(host_->tap(&screen->logoutBtn()));
  host_->runUntilIdle();
  host_->pressAlertButton("确认退出");
  host_->runUntilIdle();
  EXPECT_EQ(db->LearnWordCount(), 0);
  for (const char* gone : {"account", "password", "nLastSynId"}) {
    EXPECT_EQ(db->getPersonalValue(gone), "") << gone;
  }
  EXPECT_EQ(db->getPersonalValue("url"), server_->base());
  EXPECT_EQ(db->getPersonalValue("v_lexicon"), lexicon);
  EXPECT_EQ(db->getPersonalValue("StudyLimitCount"), "35") << "device settings stay";
  for (const char* shipped : {"specialBook", "show_wi", "show_yufa"})
    EXPECT_EQ(db->getPersonalValue(shipped), "1") << shipped << " reads as on a fresh install";
  EXPECT_TRUE(told("badge:0"));
  EXPECT_TRUE(told("downDataFinish"));
  EXPECT_EQ(bubble(), text("alermsg_eg17"));
  host_->advance(1);
  EXPECT_EQ(app_->nav->topViewController(), app_->root.get());
}

TEST_F(AccountScreenTest, FeedbackSendsTheChosenKindWithTheDeviceDescription) {
  auto screen = std::make_shared<FeedBackViewController>();
  screen->setNavName("意见反馈");
  screen->setParentName("设置");
  push(screen);
  EXPECT_TRUE(screen->infoTextView().isFirstResponder()) << "the keyboard opens at once";
  picture("feedback_form.png");

  ASSERT_TRUE(host_->tapText("发送"));
  host_->runUntilIdle();
  EXPECT_EQ(bubble(), text("alermsg_eg7"));
  CallDB::callDB()->UpdatePersonalValue("account", "");
  host_->advance(10);
  ASSERT_TRUE(host_->tapText("发送"));
  host_->runUntilIdle();
  EXPECT_EQ(bubble(), text("alermsg_eg3")) << "the account is checked before the kind";
  EXPECT_EQ(server_->count("advise.php"), 0);
  CallDB::callDB()->UpdatePersonalValue("account", "carol");
  host_->advance(10);

  ASSERT_TRUE(host_->tap(&screen->kindButton(2)));
  ASSERT_TRUE(host_->tap(&screen->kindButton(3)));
  EXPECT_EQ(screen->selectedType(), 3);
  screen->infoTextView().setText("单词卡片太小");
  ASSERT_TRUE(host_->tapText("发送"));
  ASSERT_TRUE(waitFor([&] { return bubble() == text("alermsg_eg8"); }));
  plat::Value system = CallDB::callDB()->feedback_get_systeminfo();
  auto form = testsupport::StandInForm::of(server_->lastRequest("advise.php"));
  EXPECT_EQ(form["advises_type"], "3");
  EXPECT_EQ(form["content"], "单词卡片太小");
  EXPECT_EQ(form["system_info"], system.at(0).asString() + system.at(1).asString());
  EXPECT_EQ(screen->infoTextView().text(), "单词卡片太小") << "kept for sending again";
}

// The server keeps a feedback text of 10,000 characters: a paste that would make the text longer
// is refused whole with a word, however few bytes it is short of that, and one that makes it
// exactly that long goes in and reaches the server whole.
TEST_F(AccountScreenTest, FeedbackTakesAPasteUpToTheTenThousandCharactersTheServerKeeps) {
  auto screen = std::make_shared<FeedBackViewController>();
  push(screen);
  MyTextView& box = screen->infoTextView();
  ASSERT_TRUE(box.isFirstResponder());
  std::string most;  // 30,000 bytes
  for (int i = 0; i < 10000; ++i) most += "词";
  // Compared whole, told by size: the texts are too long to print.
  auto holds = [&](const std::string& text) {
    EXPECT_TRUE(box.text() == text) << box.text().size() << " bytes, not " << text.size();
  };
  auto refused = [&](const std::string& paste, const std::string& held) {
    EXPECT_TRUE(plat::Keyboard::paste(paste));
    holds(held);
    ASSERT_NE(host_->visibleAlert(), nullptr) << "a paste too long says so";
    EXPECT_EQ(host_->visibleAlert()->message(), "文本太长，这一栏最多填10000个字");
    ASSERT_TRUE(host_->pressAlertButton("确定"));
  };
  ASSERT_NO_FATAL_FAILURE(refused(most + "a", ""));
  EXPECT_TRUE(plat::Keyboard::paste(most));
  holds(most);
  EXPECT_EQ(host_->visibleAlert(), nullptr);
  ASSERT_NO_FATAL_FAILURE(refused("a", most));

  ASSERT_TRUE(host_->tap(&screen->kindButton(1)));
  ASSERT_TRUE(host_->tapText("发送"));
  ASSERT_TRUE(waitFor([&] { return bubble() == text("alermsg_eg8"); })) << bubble();
  ASSERT_EQ(server_->feedback().size(), 1u);
  EXPECT_TRUE(server_->feedback()[0].content == most) << "the server keeps it whole";
}

// On a tablet the form turns with the keyboard up: the text box and its background take the
// turned width and end above the keyboard, the kind buttons spread over the wider row, and
// turning back gives each its first frame.
using FeedbackOnATablet = SignedInOnATabletTest;

TEST_F(FeedbackOnATablet, TurnedWithTheKeyboardUpTheFormFillsTheScreenAboveIt) {
  auto screen = std::make_shared<FeedBackViewController>();
  screen->setNavName("意见反馈");
  screen->setParentName("设置");
  push(screen);
  ASSERT_TRUE(plat::Keyboard::isVisible());
  const plat::View& box = screen->infoTextView();
  const plat::View& background = *box.superview()->subviews().front();
  ASSERT_EQ(background.frame(), box.frame()) << "the background lies under the box";
  const plat::Rect upright = box.frame();
  auto onScreen = [](const plat::View& v) { return v.convertRectTo(v.bounds(), nullptr); };

  for (auto turn :
       {plat::InterfaceOrientation::LandscapeLeft, plat::InterfaceOrientation::Portrait}) {
    ASSERT_TRUE(host_->rotate(turn));
    host_->advance(1);
    const plat::View& root = *screen->view();
    const double keyboardTop = plat::Keyboard::frame().y;
    EXPECT_NEAR(box.frame().maxX(), root.bounds().width - 10, 0.5) << "as wide as the screen";
    EXPECT_NEAR(onScreen(box).maxY(), keyboardTop, 1) << "down to the keyboard, not under it";
    EXPECT_EQ(background.frame(), box.frame());
    for (int kind = 1; kind <= 3; ++kind) {
      const plat::Rect button = screen->kindButton(kind).frame();
      EXPECT_LE(button.maxX(), root.bounds().width - 10 + 0.5) << kind;
      if (kind < 3) {
        EXPECT_LE(button.maxX(), screen->kindButton(kind + 1).frame().x + 0.5) << kind;
      } else {
        EXPECT_GT(button.maxX(), root.bounds().width - 20) << "spread over the row";
      }
    }
    if (turn == plat::InterfaceOrientation::LandscapeLeft) picture("feedback_form_turned.png");
  }
  EXPECT_EQ(box.frame(), upright);
}

}  // namespace
}  // namespace onlinetest
