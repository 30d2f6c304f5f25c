// The settings tab on a real study store, here and against the stand-in server.
#include <gtest/gtest.h>

#include <cmath>

#include "online/LoginUIWindow.h"
#include "online/LoginViewController.h"
#include "platform/base/Bundle.h"
#include "platform/view/AlertView.h"
#include "platform/view/Keyboard.h"
#include "platform/view/TableViewCell.h"
#include "settings/BackupAgeText.h"
#include "settings/HtmlViewController.h"
#include "settings/SetViewController.h"
#include "settings/SettingsHooks.h"
#include "settings/ShareFileViewController.h"
#include "store/MyDate.h"
#include "tests/stats/ScreenFixture.h"
#include "tests/support/StandInServer.h"
#include "ui/MyListAlerView.h"

using namespace plat;

namespace {

class SettingsScreenTest : public screentest::ScreenTest<SetViewController> {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    SettingsHooks& hooks = SettingsHooks::shared();
    hooks.closeProgram = [this] { calls_ += "close;"; };
    hooks.downDataFinish = [this] { calls_ += "reload;"; };
  }
  void TearDown() override {
    SettingsHooks::shared() = {};
    // A login window left open would take the next test's taps.
    if (LoginUIWindow* left = LoginUIWindow::shown()) left->dialogIsRemoved();
    ScreenTest::TearDown();
  }
  // The account "learner" on the server and on the device.
  void signIn(testsupport::StandInServer& server) {
    server.addAccount("learner", "secret1");
    personal("url", server.base());
    personal("account", "learner");
    personal("password", "e52d98c459819a11775936d8dfbb7929");  // md5 of "secret1"
  }
  TableView& table() { return *screen().tableView(); }
  TableViewCell* cell(int section, int row) { return table().cellForRow({section, row}); }
  // Ends editing of `field` after typing `text` into it.
  void edit(TextField& field, const std::string& text) {
    ASSERT_TRUE(field.becomeFirstResponder());
    field.setText("");
    host_->type(text);
    field.resignFirstResponder();
  }
  void chooseBackup(int index) {
    screen().backup();
    settle();
    ASSERT_TRUE(host_->pressAlertButton(index));
    settle();
  }
  void confirmClear(const std::string& typed) {
    AlertView* alert = host_->visibleAlert();
    ASSERT_NE(alert, nullptr);
    alert->textFieldAtIndex(0)->setText(typed);
    ASSERT_TRUE(host_->pressAlertButton("确定"));
    settle();
  }
  int64_t studied() { return number("select count(*) from study_list"); }
  void studyThree() {
    for (const std::string& w : addWords("s", 3, 1000)) plan(w, daysFromNow(-1));
    personal("rememberNum", "9");
  }

  std::string calls_;
};

TEST(BackupAgeTextTest, UnitsByAgeAndNeverNegative) {
  auto age = [](int64_t seconds) {
    const std::string text = BackupAgeText::text(1000000, 1000000 + seconds);
    return text.substr(localized("setting_backuptime").size());
  };
  EXPECT_EQ(age(3600), "60分钟前");
  EXPECT_EQ(age(3601), "1小时前");
  EXPECT_EQ(age(86400), "24小时前");
  EXPECT_EQ(age(86401), "1天前");
  EXPECT_EQ(age(-7200), "0分钟前");  // stamped ahead of a clock set back
  EXPECT_EQ(BackupAgeText::text(0, 5), localized("setting_backuptime") + localized("未备份过"));
}

TEST_F(SettingsScreenTest, RowsFollowTheAccountTheMessagesAndTheReminder) {
  open();
  EXPECT_EQ(screen().cellArray()[0], std::vector<std::string>{localized("setting_login")});
  EXPECT_EQ(table().numberOfRows(3), 2);
  writeScreen("settings_guest.png");
  // The file list is reached from under the table.
  screen().tableView()->scrollToRow({5, 0}, TableViewScrollPosition::Top, false);
  settle();
  ASSERT_TRUE(host_->tap(host_->findButton(localized("文件管理"))));
  settle();
  EXPECT_NE(dynamic_cast<ShareFileViewController*>(top()), nullptr);
  app_->nav->popViewController(false);

  // The login row opens the login window; the rows follow the account when it closes.
  screen().didSelectRow(table(), {0, 0});
  settle();
  ASSERT_NE(LoginUIWindow::shown(), nullptr);
  personal("account", "learner");
  personal("alarm_setting", "1");
  personal("time_setting", "20:30");
  personal("nNewMsgCount", "12");
  personal("nLastSynTime", std::to_string(MyDate::storedTime(MyDate::localDateTime()) - 7200));
  LoginUIWindow::shown()->dialogIsRemoved();
  settle();
  EXPECT_EQ(LoginUIWindow::shown(), nullptr);
  EXPECT_EQ(screen().cellArray()[0][0], localized("setting_userinfo"));
  EXPECT_EQ(cell(0, 0)->detailTextLabel()->text(), "learner");
  View* badge = cell(0, 0)->viewWithTag(SetViewController::kBadgeTag);
  ASSERT_TRUE(badge && !badge->isHidden());
  EXPECT_EQ(table().numberOfRows(3), 3);
  EXPECT_EQ(screen().timeField()->text(), "20:30");
  EXPECT_EQ(cell(4, 0)->detailTextLabel()->text(), localized("setting_backuptime") + "2小时前");
  writeScreen("settings_account.png");
  auto placeOf = [](View* v) { return v->convertRectTo(v->bounds(), nullptr); };
  const Rect alarm = placeOf(screen().alarmSettingBtn()), amount = placeOf(screen().aw_textField());
  EXPECT_EQ(alarm.x, placeOf(screen().switchBtn()).x)
      << "the reminder switch stands under the pronunciation switch despite its row's arrow";

  // The reminder switch takes its time row with it, and brings it back.
  screen().switchChange(*screen().alarmSettingBtn());
  EXPECT_EQ(personal("alarm_setting"), "0");
  EXPECT_EQ(table().numberOfRows(3), 2);
  screen().switchChange(*screen().alarmSettingBtn());
  EXPECT_EQ(table().numberOfRows(3), 3);
  // The switches and fields move into the new cells of a reload where they stood.
  table().reloadData();
  settle();
  EXPECT_EQ(placeOf(screen().alarmSettingBtn()), alarm);
  EXPECT_EQ(placeOf(screen().aw_textField()), amount);
  const std::string audio = personal("autoAudio");
  screen().switchChange(*screen().switchBtn());
  EXPECT_EQ(personal("autoAudio"), audio == "1" ? "0" : "1");

  // The reminder time is picked from its stored value.
  TextField& time = *screen().timeField();
  ASSERT_TRUE(time.becomeFirstResponder());
  EXPECT_EQ(screen().datePicker()->countDownDuration(), 20.5 * 3600);
  // The picker takes the keyboard's place; the field being set stays in sight above it.
  const Rect timeShown = placeOf(&time);
  EXPECT_GE(timeShown.y, 0);
  EXPECT_LE(timeShown.y + timeShown.height, plat::Keyboard::frame().y);
  writeScreen("settings_picking_time.png");
  screen().datePicker()->pickCountDown(21 * 3600 + 15 * 60);
  time.resignFirstResponder();
  EXPECT_EQ(time.text(), "21:15");
  EXPECT_EQ(personal("time_setting"), "21:15");
}

TEST_F(SettingsScreenTest, AmountsTakeFourDigitsAreCorrectedAndStoredWithTheQueueRebuilt) {
  open();
  TextField& review = *screen().fx_textField();
  TextField& fresh = *screen().aw_textField();
  edit(review, "123456");
  EXPECT_EQ(review.text(), "1234");
  EXPECT_EQ(personal("ReviewLimitCount"), "1234");
  EXPECT_EQ(calls_, "close;reload;");
  edit(review, "5");
  EXPECT_EQ(review.text(), "10");
  EXPECT_EQ(personal("ReviewLimitCount"), "10");
  edit(fresh, "");
  EXPECT_EQ(fresh.text(), "0");
  EXPECT_EQ(personal("StudyLimitCount"), "0");
  edit(fresh, "007");
  EXPECT_EQ(fresh.text(), "7") << "the number stored, not the zeros typed";
  EXPECT_EQ(personal("StudyLimitCount"), "7");
  // A number keypad has no letters: the computer's letter keys type nothing into an amount.
  edit(review, "ab-25x");
  EXPECT_EQ(review.text(), "25");
  EXPECT_EQ(personal("ReviewLimitCount"), "25");
  edit(fresh, "1a2b3c4d5");
  EXPECT_EQ(fresh.text(), "1234");
}

// The amounts are typed on a number keypad, which has no return key: the typing bar's key is the
// one that finishes them, as a tap beside the field does, and the amount is stored.
TEST_F(SettingsScreenTest, TheTypingBarsKeyFinishesAnAmount) {
  open();
  TextField& fresh = *screen().aw_textField();
  ASSERT_TRUE(host_->tap(&fresh));
  ASSERT_TRUE(fresh.isFirstResponder());
  host_->deleteBackward();
  host_->deleteBackward();
  host_->type("25");
  EXPECT_EQ(host_->findButton("回车"), nullptr) << "a key that would do nothing here";
  ASSERT_TRUE(host_->tap(host_->findButton("完成")));
  settle();
  EXPECT_FALSE(Keyboard::isVisible());
  EXPECT_TRUE(screen().closeKeyboardButton()->isHidden());
  EXPECT_EQ(personal("StudyLimitCount"), "25");
  EXPECT_EQ(calls_, "close;reload;");
}

// The night button's moon is a crescent: the bar shows through its hollow, as beside the button.
TEST_F(SettingsScreenTest, TheNightButtonsMoonLetsTheBarShowThroughItsHollow) {
  open();
  View& night = *screen().navigationItem().leftBarButtonItem()->customView();
  ASSERT_TRUE(host_->tap(&night));
  settle();
  ASSERT_EQ(personal("atNight"), "1");
  const std::shared_ptr<Image> shot = host_->renderScreen();
  const Rect button = night.convertRectTo(night.bounds(), nullptr);
  auto at = [&](double x, double y) { return shot->colorAtPoint({button.x + x, button.y + y}); };
  auto same = [](Color a, Color b) {
    return std::abs(a.r - b.r) < 0.03 && std::abs(a.g - b.g) < 0.03 && std::abs(a.b - b.b) < 0.03;
  };
  // Points in the moon's hollow, inside and outside its lit disc, against the bar at that height.
  for (const Point p : {Point{33, 16}, Point{40, 9}}) {
    const Color bar = shot->colorAtPoint({button.x + button.width + 10, button.y + p.y});
    EXPECT_TRUE(same(at(p.x, p.y), bar)) << p.x << "," << p.y;
  }
  EXPECT_FALSE(same(at(17, 22), shot->colorAtPoint({button.x + button.width + 10, button.y + 22})))
      << "the lit edge of the moon shows";
  writeScreen("settings_night.png");
}

TEST_F(SettingsScreenTest, WithoutAnAccountTheSheetOnlyExplainsAndClearingStaysLocal) {
  open();
  chooseBackup(0);
  EXPECT_EQ(shownMessage(), localized("alermsg_eg13"));
  chooseBackup(1);
  EXPECT_EQ(shownMessage(), localized("alermsg_eg15"));
  chooseBackup(4);  // cancel
  chooseBackup(2);  // nothing studied: only the reminder
  ASSERT_TRUE(host_->pressAlertButton("确定"));
  chooseBackup(3);
  auto* page = dynamic_cast<HtmlViewController*>(top());
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->htmlName(), "bei_fen_jie_shao.html");
  app_->nav->popViewController(false);

  studyThree();
  chooseBackup(2);
  confirmClear("Yes ");
  EXPECT_EQ(shownMessage(), localized("alermsg_eg101"));
  EXPECT_EQ(studied(), 3);
  chooseBackup(2);
  confirmClear("YeS");
  EXPECT_EQ(studied(), 0);
  EXPECT_EQ(personal("rememberNum"), "");
  EXPECT_EQ(shownMessage(), localized("alermsg_eg100"));
  EXPECT_EQ(calls_, "reload;");
}

TEST_F(SettingsScreenTest, AFailingDeletionRollsBackAndSaysSo) {
  studyThree();
  open();
  // The deletion fails late, after the study list was emptied.
  db_->sqlMgr().RecordExec("drop table delete_words");
  chooseBackup(2);
  confirmClear("yes");
  EXPECT_EQ(studied(), 3);
  EXPECT_EQ(personal("rememberNum"), "9");
  EXPECT_NE(shownMessage().find(localized("alermsg_eg105")), std::string::npos);
  EXPECT_EQ(calls_, "");
}

// With an account a backup starts only when there is something to back up, and clearing asks the
// server first while the window keeps running.
TEST_F(SettingsScreenTest, WithAnAccountBackupAndClearingGoThroughTheServer) {
  testsupport::StandInServer server;
  signIn(server);
  db_->sqlMgr().RecordExec("update Var_Config set vc_uNeedSync = 1");
  open();
  chooseBackup(0);
  EXPECT_EQ(shownMessage(), localized("alermsg_eg14"));
  EXPECT_EQ(server.count("synchronize_up.php"), 0);
  studyThree();
  chooseBackup(0);
  EXPECT_EQ(calls_, "close;");
  ASSERT_NE(screen().dataBackup(), nullptr);
  waitFor([&] { return !personal("nLastSynTime").empty(); });
  EXPECT_EQ(server.account("learner")->lastSynId, 1);
  EXPECT_NE(cell(4, 0)->detailTextLabel()->text().find("0分钟"), std::string::npos);

  server.delayNext("clear_data.php", 0.3);
  chooseBackup(2);
  confirmClear("yes");
  // The panel covers the screen while the reply is on its way.
  ASSERT_NE(screen().clearRequest(), nullptr);
  EXPECT_FALSE(MyListAlerView::sharedAler()->isHidden());
  EXPECT_EQ(studied(), 3);
  waitFor([&] { return screen().clearRequest() == nullptr; });
  const auto request = server.lastRequest("clear_data.php");
  EXPECT_NE(request.query().find("studied_count=3"), std::string::npos);
  EXPECT_EQ(studied(), 0);
  EXPECT_EQ(shownMessage(), localized("alermsg_eg100"));

  // A server error that gives its reason shows it; whatever its body says, the data stay.
  studyThree();
  const std::pair<const char*, const char*> errors[] = {
      {R"({"result":0,"msg":"服务器正在维护"})", "服务器正在维护"},
      {R"({"result":1,"msg":"已清除"})", "已清除"}};
  for (const auto& [body, shown] : errors) {
    server.replaceNext("clear_data.php", testsupport::ServerReply::text(body, 503));
    chooseBackup(2);
    confirmClear("yes");
    waitFor([&] { return screen().clearRequest() == nullptr; });
    EXPECT_EQ(studied(), 3) << body;
    EXPECT_EQ(shownMessage(), shown);
  }

  // A refusal leaves the data alone, shows the server's text and asks for the password again.
  personal("password", "0000");
  chooseBackup(2);
  confirmClear("yes");
  waitFor([&] { return screen().clearRequest() == nullptr; });
  EXPECT_EQ(studied(), 3);
  EXPECT_FALSE(shownMessage().empty());
  ASSERT_NE(LoginUIWindow::shown(), nullptr);
  EXPECT_TRUE(LoginUIWindow::shown()->form().switchLoginBtn().isHidden());
}

}  // namespace
