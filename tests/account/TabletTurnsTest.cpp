// The account screens on a tablet: the messages screen, the word note screen (with its own note
// typed into on the turned screen), the offer window and the login panel follow the device when it
// turns; on a phone they stay upright.
#include "account/AcceptUIWindow.h"
#include "account/HelpRemMgrViewCtrl.h"
#include "account/RecordViewController.h"
#include "account/UserInfoViewCtrl.h"
#include "online/LoginUIWindow.h"
#include "online/LoginViewController.h"
#include "platform/view/Keyboard.h"
#include "platform/view/Screen.h"
#include "tests/online/AccountUiTest.h"

namespace onlinetest {
namespace {

using plat::InterfaceOrientation;

constexpr const char* kWord = "achieve";

class TabletTurnsTest : public SignedInOnATabletTest {
 protected:
  // Turns the screen and lets the turn's animations end.
  void turn(InterfaceOrientation to) {
    ASSERT_TRUE(host_->rotate(to)) << "the screen refused to turn";
    host_->advance(1);
  }
  static plat::Rect onScreen(const plat::View& v) { return v.convertRectTo(v.bounds(), nullptr); }
  // The centre of a view on screen, against the centre of the screen.
  static void expectCentred(const plat::View& v) {
    const plat::Rect box = onScreen(v), screen = plat::Screen::main().bounds();
    EXPECT_NEAR(box.x + box.width / 2, screen.width / 2, 1);
    EXPECT_NEAR(box.y + box.height / 2, screen.height / 2, 1);
  }
};

TEST_F(TabletTurnsTest, TheMessagesScreenTurnsWithItsFooterBelowTheLastRow) {
  for (int i = 0; i < 4; ++i) server_->sendMessage("carol", "消息" + std::to_string(i), 1700000000);
  auto screen = push(RecordViewController::forAccount("我的账号信息"));
  ASSERT_TRUE(waitFor([&] { return screen->cellDataDic()["cell_data"].size() == 4; }));

  turn(InterfaceOrientation::LandscapeLeft);
  EXPECT_EQ(screen->interfaceOrientation(), InterfaceOrientation::LandscapeLeft);
  plat::TableView& table = screen->tableView();
  EXPECT_EQ(table.bounds().width, 1024) << "the list takes the turned width";
  const plat::Rect footer = screen->footer().frame();
  EXPECT_EQ(footer.y, std::max(table.contentSize().height, table.bounds().height));
  picture("messages_turned.png");
  turn(InterfaceOrientation::Portrait);
  EXPECT_EQ(table.bounds().width, 768);
}

TEST_F(TabletTurnsTest, TheMessagesScreenOpenedOnATurnedScreenShowsItsRows) {
  server_->sendMessage("carol", "消息", 1700000000);
  auto account = std::make_shared<UserInfoViewCtrl>();
  account->setParentName("设置");
  push(account);
  turn(InterfaceOrientation::LandscapeLeft);
  auto screen = push(RecordViewController::forAccount("我的账号信息"));
  ASSERT_TRUE(waitFor([&] { return screen->cellDataDic()["cell_data"].size() == 1; }));
  plat::TableView& table = screen->tableView();
  EXPECT_EQ(table.bounds().width, 1024);
  EXPECT_GT(table.bounds().height, 500);
  EXPECT_NE(cellLabel(table, 0, RecordViewController::kTextLabelTag), nullptr);
  picture("messages_opened_turned.png");
}

TEST_F(TabletTurnsTest, TheAccountScreenLaysItsRowsAndLogoutOutForTheTurnedWidth) {
  CallDB::callDB()->UpdatePersonalValue("nNewMsgCount", "12");
  auto account = std::make_shared<UserInfoViewCtrl>();
  account->setParentName("设置");
  push(account);
  plat::TableView& table = account->tableView();
  plat::TableViewCell* messages = table.cellForRow({0, UserInfoViewCtrl::kMessageRow});
  ASSERT_NE(messages, nullptr);
  plat::View* badge = messages->contentView().viewWithTag(UserInfoViewCtrl::kBadgeTag);
  ASSERT_NE(badge, nullptr);
  const double badgeGap = 768 - onScreen(*badge).maxX();
  EXPECT_FALSE(badge->isHidden());
  EXPECT_NEAR(badgeGap, 75, 1) << "75 points from the row's right edge";

  for (InterfaceOrientation to :
       {InterfaceOrientation::LandscapeLeft, InterfaceOrientation::PortraitUpsideDown,
        InterfaceOrientation::LandscapeRight}) {
    turn(to);
    const double width = plat::Screen::main().bounds().width;
    EXPECT_EQ(onScreen(table).width, width);
    const plat::Rect logout = onScreen(account->logoutBtn());
    EXPECT_NEAR(logout.x, 20, 1);
    EXPECT_NEAR(logout.maxX(), width - 20, 1) << "退出登录 spans the screen";
    EXPECT_NEAR(width - onScreen(*badge).maxX(), badgeGap, 1) << "the badge keeps to the right";
  }
  picture("account_turned.png");
}

TEST_F(TabletTurnsTest, TheWordNoteScreenKeepsItsPageAndTheOwnNoteStaysAboveTheKeyboard) {
  pushCard(kWord)->down();
  host_->advance(1);
  auto screen = std::dynamic_pointer_cast<HelpRemMgrViewCtrl>(
      app_->nav->topViewController()->shared_from_this());
  ASSERT_TRUE(screen);
  screen->selectTabBtn(1);
  host_->advance(1);

  turn(InterfaceOrientation::LandscapeRight);
  plat::ScrollView& pager = screen->scrollView();
  EXPECT_EQ(pager.contentSize().width, 2 * 1024);
  EXPECT_EQ(pager.contentOffset().x, 1024) << "still on the own note";

  MyHelpRemViewCtrl& own = screen->myHelpView();
  ASSERT_TRUE(host_->tap(&own.helpRemText()));
  host_->advance(1);
  ASSERT_TRUE(plat::Keyboard::isVisible());
  picture("word_note_turned_typing.png");
  const plat::Rect note = onScreen(own.helpRemText());
  EXPECT_GT(note.height, 100) << "room to type";
  EXPECT_LE(note.maxY(), plat::Keyboard::frame().y + 1) << "not under the keyboard";
  EXPECT_TRUE(own.downView().isHidden());

  // The keyboard goes: the page is whole again.
  own.helpRemText().resignFirstResponder();
  host_->advance(1);
  EXPECT_FALSE(own.downView().isHidden());
  EXPECT_GT(onScreen(own.downView()).y, note.y);
}

TEST_F(TabletTurnsTest, TheOfferWindowAndTheLoginPanelStayCentredOnTheTurnedScreen) {
  plat::Value row = plat::Value::array({7, "a 一个 + chieve 首领", 5, 1690000000, "dave", 1});
  AcceptUIWindow::show({}, kWord, row);
  host_->advance(1);
  AcceptViewController& offer = AcceptUIWindow::shown()->content();
  turn(InterfaceOrientation::LandscapeLeft);
  expectCentred(offer.childView());
  picture("offer_window_turned.png");
  ASSERT_TRUE(host_->tap(&offer.closeBtn()));
  ASSERT_TRUE(waitFor([] { return AcceptUIWindow::shown() == nullptr; }));

  LoginUIWindow::show();
  host_->advance(1);
  LoginViewController& form = LoginUIWindow::shown()->form();
  turn(InterfaceOrientation::Portrait);
  expectCentred(form.childView());
  turn(InterfaceOrientation::LandscapeRight);
  expectCentred(form.childView());
  picture("login_turned.png");
  ASSERT_TRUE(host_->tap(&form.closeButton()));
  EXPECT_TRUE(waitFor([] { return LoginUIWindow::shown() == nullptr; }));
}

TEST_F(TabletTurnsTest, AnOfferOpenedOnATurnedScreenKeepsItsButtonsInItsBox) {
  auto account = std::make_shared<UserInfoViewCtrl>();
  push(account);
  turn(InterfaceOrientation::LandscapeLeft);
  AcceptUIWindow::show({}, kWord, plat::Value::array({7, "记法", 5, 1690000000, "dave", 0}));
  host_->advance(1);
  AcceptViewController& offer = AcceptUIWindow::shown()->content();
  for (InterfaceOrientation to :
       {InterfaceOrientation::PortraitUpsideDown, InterfaceOrientation::LandscapeRight,
        InterfaceOrientation::Portrait, InterfaceOrientation::LandscapeLeft}) {
    const plat::Rect box = onScreen(offer.childView());
    const plat::Rect accept = onScreen(offer.acceptBtn());
    expectCentred(offer.childView());
    EXPECT_TRUE(box.contains({accept.x, accept.y}) &&
                box.contains({accept.maxX() - 1, accept.maxY() - 1}));
    turn(to);
  }
}

// A phone's screens stay upright.
using PhoneTurnsTest = SignedInTest;

TEST_F(PhoneTurnsTest, TheMessagesScreenAndTheOfferWindowStayUpright) {
  push(RecordViewController::forAccount("我的账号信息"));
  EXPECT_FALSE(host_->rotate(InterfaceOrientation::LandscapeLeft));
  AcceptUIWindow::show({}, kWord, plat::Value::array({7, "记法", 5, 1690000000, "dave", 0}));
  host_->advance(1);
  EXPECT_FALSE(host_->rotate(InterfaceOrientation::LandscapeLeft));
  ASSERT_TRUE(host_->tap(&AcceptUIWindow::shown()->content().closeBtn()));
  EXPECT_TRUE(waitFor([] { return AcceptUIWindow::shown() == nullptr; }));
}

}  // namespace
}  // namespace onlinetest
