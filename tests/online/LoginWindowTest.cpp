// The login window on screen: registration, login and the keep-or-clear choices, and replies.
#include "online/AccountText.h"
#include "online/LoginUIWindow.h"
#include "online/LoginViewController.h"
#include "platform/view/AlertView.h"
#include "platform/view/Keyboard.h"
#include "store/CallDB.h"
#include "tests/online/AccountUiTest.h"
#include "tests/online/OnlineFixture.h"
#include "ui/MyAlerView.h"
#include "util/MyExtensions.h"

namespace onlinetest {
namespace {

class LoginWindowTest : public AccountUiTest, public LoginWindowDeleage {
 protected:
  void closeWindow_callback() override { ++closed_; }

  LoginViewController& form() { return LoginUIWindow::shown()->form(); }
  void open() {
    LoginUIWindow::show(this);
    host_->runUntilIdle();
  }
  // Fills the shown face and taps its button.
  void submit(const std::string& name, const std::string& password, const std::string& again = "",
              const std::string& referral = "") {
    typeInto(form().nameText(), name);
    typeInto(form().pwdText(), password);
    if (form().isRegisterFace()) {
      typeInto(form().rePwdText(), again);
      if (!referral.empty()) typeInto(form().populText(), referral);
    }
    ASSERT_TRUE(host_->tap(&form().loginBtn()));
  }
  void toLoginFace() {
    ASSERT_TRUE(host_->tap(&form().switchLoginBtn()));
    host_->advance(0.5);
    ASSERT_FALSE(form().isRegisterFace());
  }
  bool windowGone() const { return LoginUIWindow::shown() == nullptr; }

  static void exec(const std::string& sql) {
    CallDB::callDB()->sql_update(sql, "", plat::Value::array());
  }

  int closed_ = 0;
};

TEST_F(LoginWindowTest, OneWindowOpensOnTheRegistrationFaceAndGivesTheKeyBack) {
  LoginUIWindow::passwordErr_State();  // nothing is open: nothing happens
  EXPECT_TRUE(windowGone());
  CallDB::callDB()->UpdatePersonalValue("account", "kept");
  open();
  LoginWindowDeleage other;
  LoginUIWindow::show(&other);
  EXPECT_EQ(LoginUIWindow::shown()->deleage(), this) << "a second show keeps the first delegate";
  EXPECT_TRUE(LoginUIWindow::shown()->isKeyWindow());
  EXPECT_TRUE(form().isRegisterFace());
  EXPECT_EQ(form().nameText().text(), "kept");
  EXPECT_TRUE(host_->writeScreen(::testing::TempDir() + "login_register.png"));
  // A long referral code stops short of the "选填" note inside its field.
  typeInto(form().populText(), "recommended-by-a-friend-0123456789");
  const plat::View* optional = host_->findByText("选填");
  ASSERT_NE(optional, nullptr);
  MyTextField& referral = form().populText();
  const plat::Rect typed =
      referral.convertRectTo(referral.editingRectForBounds(referral.bounds()), nullptr);
  const plat::Rect overlap =
      typed.intersection(optional->convertRectTo(optional->bounds(), nullptr));
  EXPECT_FALSE(overlap.width > 0 && overlap.height > 0) << "the code runs under the note";
  EXPECT_TRUE(host_->writeScreen(::testing::TempDir() + "login_referral.png"));
  typeInto(form().populText(), "");

  LoginUIWindow::passwordErr_State();
  EXPECT_FALSE(form().isRegisterFace());
  EXPECT_FALSE(form().nameText().isEnabled());
  EXPECT_TRUE(form().switchLoginBtn().isHidden());
  // The login face has no registration notice: the button follows the text above it closely.
  const plat::Rect info = form().infoLabel().frame(), button = form().loginBtn().frame();
  EXPECT_LE(button.y - (info.y + info.height), 16);
  EXPECT_TRUE(host_->writeScreen(::testing::TempDir() + "login_password.png"));

  ASSERT_TRUE(host_->tap(&form().closeButton()));
  host_->advance(0.5);
  EXPECT_TRUE(windowGone());
  EXPECT_EQ(closed_, 1);
  EXPECT_TRUE(app_->window->isKeyWindow());

  // Logging in again from the wrong-password state keeps the studied data without asking.
  server_->addAccount("kept", "newpass");
  studyWords(2);
  open();
  LoginUIWindow::passwordErr_State();
  typeInto(form().pwdText(), "newpass");
  ASSERT_TRUE(host_->tap(&form().loginBtn()));
  ASSERT_TRUE(waitFor([&] { return windowGone(); })) << bubble();
  EXPECT_EQ(CallDB::callDB()->LearnWordCount(), 2);
  EXPECT_EQ(CallDB::callDB()->getPersonalValue("password"), MyExtensions::md5("newpass"));
  EXPECT_EQ(server_->count("synchronize_all_down.php"), 0);
}

TEST_F(LoginWindowTest, RegistrationChecksItsInputBeforeSending) {
  open();
  struct Case {
    std::string name, password, again, message;
  };
  for (const Case& c : {Case{"", "secret1", "secret1", "alermsg_eg10"},
                        Case{"amy", "12345", "12345", "alermsg_eg11"},
                        Case{"amy", "12345678901234567", "12345678901234567", "alermsg_eg11"},
                        Case{"amy", "secret1", "secret2", "alermsg_eg12"}}) {
    SCOPED_TRACE(c.name + "/" + c.password + "/" + c.again);
    submit(c.name, c.password, c.again);
    host_->runUntilIdle();
    EXPECT_EQ(bubble(), accounttext::text(c.message));
    host_->advance(10);
  }
  EXPECT_EQ(server_->count("account_register.php"), 0);

  // Sixteen characters pass; the name goes as typed and is kept in small letters.
  submit("New Amy", "1234567890123456", "1234567890123456");
  ASSERT_TRUE(waitFor([&] { return windowGone(); }));
  EXPECT_NE(server_->lastRequest("account_register.php").query().find("&account=New%20Amy&"),
            std::string::npos);
  EXPECT_EQ(CallDB::callDB()->getPersonalValue("account"), "new amy");
}

// A name pasted longer than the server keeps an account's is refused whole with a word.
TEST_F(LoginWindowTest, APastedNameLongerThanAnAccountsIsRefusedWithAWord) {
  open();
  ASSERT_TRUE(host_->tap(&form().nameText()));
  EXPECT_TRUE(plat::Keyboard::paste(std::string(65, 'a')));
  EXPECT_EQ(form().nameText().text(), "");
  ASSERT_NE(host_->visibleAlert(), nullptr);
  EXPECT_EQ(host_->visibleAlert()->message(), "文本太长，这一栏最多填64个字");
  host_->pressAlertButton("确定");
  EXPECT_TRUE(plat::Keyboard::paste(std::string(64, 'a')));
  EXPECT_EQ(form().nameText().text(), std::string(64, 'a'));
}

// On a studied device registering and logging in ask whether to keep the data; "取消" on the
// question for an account with a backup stores nothing.
TEST_F(LoginWindowTest, OnAStudiedDeviceTheWindowAsksWhatToKeep) {
  studyWords(3);
  CallDB* db = CallDB::callDB();
  open();
  submit("keeper", "secret1", "secret1", "77");
  ASSERT_TRUE(waitFor([&] { return host_->visibleAlert() != nullptr; }));
  EXPECT_NE(
      server_->lastRequest("account_register.php").query().find("&study_count=3&popularize_id=77&"),
      std::string::npos);
  ASSERT_TRUE(host_->pressAlertButton("保留数据"));
  ASSERT_TRUE(waitFor([&] { return windowGone(); }));
  EXPECT_EQ(db->LearnWordCount(), 3);
  EXPECT_EQ(db->getPersonalValue("account"), "keeper");

  server_->addAccount("fresh", "secret1");
  open();
  toLoginFace();
  submit("fresh", "secret1");
  ASSERT_TRUE(waitFor([&] { return host_->visibleAlert() != nullptr; }));
  EXPECT_EQ(host_->visibleAlert()->message(), accounttext::text("alermsg_eg43"));
  ASSERT_TRUE(host_->pressAlertButton("保留数据"));
  ASSERT_TRUE(waitFor([&] { return windowGone(); }));
  EXPECT_EQ(db->LearnWordCount(), 3);
  EXPECT_EQ(db->getPersonalValue("account"), "fresh");

  server_->addAccount("backed", "secret2");
  db->UpdatePersonalValue("account", "");
  db->UpdatePersonalValue("password", "");
  server_->replaceNext("account_login.php", testsupport::ServerReply::text(
                                                R"({"result":1,"syn_var":{"nLastSynId":"4"}})"));
  open();
  toLoginFace();
  submit("backed", "secret2");
  ASSERT_TRUE(waitFor([&] { return host_->visibleAlert() != nullptr; }));
  EXPECT_EQ(host_->visibleAlert()->message(), accounttext::text("alermsg_eg39"));
  ASSERT_TRUE(host_->pressAlertButton("取消"));
  host_->advance(5);
  EXPECT_FALSE(windowGone());
  EXPECT_EQ(db->getPersonalValue("account"), "");
  EXPECT_EQ(db->getPersonalValue("password"), "");
  EXPECT_EQ(db->getPersonalValue("nLastSynId"), "0") << "as the first login left it";
  LoginUIWindow::shown()->dialogIsRemoved();

  open();
  submit("clearer", "secret1", "secret1");
  ASSERT_TRUE(waitFor([&] { return host_->visibleAlert() != nullptr; }));
  ASSERT_TRUE(host_->pressAlertButton("清空重学"));
  ASSERT_TRUE(waitFor([&] { return windowGone(); }));
  EXPECT_EQ(db->LearnWordCount(), 0);
  EXPECT_EQ(db->getPersonalValue("account"), "clearer");
  EXPECT_TRUE(told("cleardata_learn"));
  EXPECT_EQ(server_->count("synchronize_all_down.php"), 0);
}

TEST_F(LoginWindowTest, RepliesAreDecidedInTheCommonOrder) {
  server_->addAccount("dora", "secret1");
  open();
  toLoginFace();
  auto attempt = [&] {
    typeInto(form().pwdText(), "secret1");
    ASSERT_TRUE(host_->tap(&form().loginBtn()));
    ASSERT_TRUE(waitFor([&] { return server_->count("account_login.php") > 0; }));
  };
  typeInto(form().nameText(), "dora");

  // A server error shows nothing and stores nothing (the other reply rules hold for every
  // request alike).
  server_->failNext("account_login.php", 500);
  attempt();
  settle();
  EXPECT_EQ(bubble(), "");
  EXPECT_EQ(host_->visibleAlert(), nullptr);

  // A refusal stores the server values and shows its message; the window stays.
  server_->replaceNext(
      "account_login.php",
      testsupport::ServerReply::text(
          "{\"result\":0,\"msg\":\"账号已冻结\",\"syn_var\":{\"nNewMsgCount\":3}}"));
  attempt();
  ASSERT_TRUE(waitFor([&] { return bubble() == "账号已冻结"; }));
  EXPECT_EQ(CallDB::callDB()->getPersonalValue("nNewMsgCount"), "3");
  EXPECT_TRUE(told("badge:3"));
  EXPECT_EQ(CallDB::callDB()->getPersonalValue("account"), "");

  // A dropped connection shows the client's error text.
  host_->advance(10);
  server_->dropNext("account_login.php", 2);
  attempt();
  ASSERT_TRUE(waitFor([&] { return !bubble().empty(); }));
  EXPECT_FALSE(windowGone());

  // Accepted on an empty device: no question; the account has no backup, so the sync down is
  // refused and the window closes all the same.
  host_->advance(10);
  attempt();
  ASSERT_TRUE(waitFor([&] { return windowGone(); }));
  EXPECT_EQ(host_->visibleAlert(), nullptr);
  EXPECT_EQ(server_->count("synchronize_all_down.php"), 1);
  EXPECT_EQ(CallDB::callDB()->getPersonalValue("password"), MyExtensions::md5("secret1"));
}

// The server accepts a login that the device cannot store (the disk fills up as the account or
// its password is written, or the store refuses it): the learner is told in the app's words, the
// device keeps its data and account as they were, no sync down starts and the window stays for
// another try, which logs in once there is room.
TEST_F(LoginWindowTest, ALoginTheDeviceCannotStoreIsToldAndChangesNothing) {
  server_->addAccount("amy", "secret1");
  server_->addAccount("bob", "secret2");
  const std::unique_ptr<testsupport::SmallFilesystem> disk = homeOnAVolumeOfItsOwn(4096);
  if (!disk->available()) GTEST_SKIP() << disk->skipReason();
  CallDB* db = CallDB::callDB();
  exec("create table filler (bytes blob)");
  std::string before;
  auto expectToldAndNothingChanged = [&](const std::string& message) {
    ASSERT_TRUE(waitFor([&] { return !bubble().empty() || windowGone(); }));
    EXPECT_EQ(bubble(), accounttext::text(message));
    host_->advance(MyAlerView::kFadeSeconds);
    picture("login_not_stored.png");
    host_->advance(5);
    ASSERT_FALSE(windowGone());
    EXPECT_EQ(studySnapshot(), before);
    EXPECT_EQ(server_->count("synchronize_all_down.php"), 0);
    EXPECT_FALSE(told("downDataFinish") || told("cleardata_learn"));
    EXPECT_FALSE(db->sqlMgr().inTransaction());
    host_->advance(10);  // the message fades
  };
  open();
  toLoginFace();

  // An empty device takes the account's backup at once: neither the wipe nor the account stays.
  failAtTheWriteOf("account", kFailTheStatement);
  before = studySnapshot();
  submit("amy", "secret1");
  ASSERT_NO_FATAL_FAILURE(expectToldAndNothingChanged("login_err_not_stored"));

  stopFailingWrites();
  studyWords(3);
  db->UpdatePersonalValue("account", "amy");
  db->UpdatePersonalValue("password", MyExtensions::md5("old-secret"));
  before = studySnapshot();
  struct Round {
    std::string failingWrite, name, password, choice;
  };
  for (const Round& round : {Round{"account", "amy", "secret1", "清空重学"},
                             Round{"password", "bob", "secret2", "保留数据"}}) {
    SCOPED_TRACE(round.failingWrite + " " + round.choice);
    failAtTheWriteOf(round.failingWrite, kFillTheDisk);
    submit(round.name, round.password);
    ASSERT_TRUE(waitFor([&] { return host_->visibleAlert() != nullptr; }));
    ASSERT_TRUE(host_->pressAlertButton(round.choice));
    ASSERT_NO_FATAL_FAILURE(expectToldAndNothingChanged("login_err_not_stored_disk_full"));
  }

  // Logging in again in the wrong-password state keeps the data without asking, and fails the
  // same way.
  LoginUIWindow::shown()->dialogIsRemoved();
  open();
  LoginUIWindow::passwordErr_State();
  typeInto(form().pwdText(), "secret1");
  testing::internal::CaptureStderr();
  ASSERT_TRUE(host_->tap(&form().loginBtn()));
  expectToldAndNothingChanged("login_err_not_stored_disk_full");
  const std::string log = testing::internal::GetCapturedStderr();
  ASSERT_FALSE(windowGone());
  EXPECT_NE(log.find("login: storing the account: "), std::string::npos) << log;
  EXPECT_NE(log.find("(database or disk is full)"), std::string::npos) << log;

  // Once nothing else takes the room, the same window logs in.
  stopFailingWrites();
  typeInto(form().pwdText(), "secret1");
  ASSERT_TRUE(host_->tap(&form().loginBtn()));
  ASSERT_TRUE(waitFor([&] { return windowGone(); })) << bubble();
  EXPECT_EQ(db->getPersonalValue("password"), MyExtensions::md5("secret1"));
  EXPECT_EQ(db->LearnWordCount(), 3);
  CallDB::Release_CallDB();  // closed before its volume goes
}

// The server registers an account that the device cannot store: the learner is told that the
// account exists and should be logged in once there is room, the device keeps its data and
// account as they were, nothing claims success and the window stays; logging that account in
// from it then works.
TEST_F(LoginWindowTest, ARegistrationTheDeviceCannotStoreIsToldAndChangesNothing) {
  const std::unique_ptr<testsupport::SmallFilesystem> disk = homeOnAVolumeOfItsOwn(4096);
  if (!disk->available()) GTEST_SKIP() << disk->skipReason();
  CallDB* db = CallDB::callDB();
  exec("create table filler (bytes blob)");
  studyWords(3);
  db->UpdatePersonalValue("account", "amy");
  db->UpdatePersonalValue("password", MyExtensions::md5("old-secret"));
  const std::string before = studySnapshot();
  open();

  struct Round {
    std::string failingWrite, failure, name, choice, message;
  };
  // The plain failure first: once the disk has filled, every failure is told as a full disk.
  for (const Round& round :
       {Round{"account", kFailTheStatement, "second", "保留数据", "register_err_not_stored"},
        Round{"password", kFillTheDisk, "newbie", "清空重学",
              "register_err_not_stored_disk_full"}}) {
    SCOPED_TRACE(round.failingWrite + " " + round.choice);
    failAtTheWriteOf(round.failingWrite, round.failure);
    testing::internal::CaptureStderr();
    submit(round.name, "secret1", "secret1");
    ASSERT_TRUE(waitFor([&] { return host_->visibleAlert() != nullptr; }));
    ASSERT_TRUE(host_->pressAlertButton(round.choice));
    ASSERT_TRUE(waitFor(
        [&] { return !bubble().empty() || host_->findByText("完成") != nullptr || windowGone(); }));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(bubble(), accounttext::text(round.message)) << log;
    EXPECT_EQ(host_->findByText("完成"), nullptr);
    host_->advance(MyAlerView::kFadeSeconds);
    picture("register_not_stored.png");
    host_->advance(5);
    ASSERT_FALSE(windowGone());
    EXPECT_EQ(closed_, 0);
    EXPECT_EQ(studySnapshot(), before);
    EXPECT_FALSE(told("cleardata_learn"));
    EXPECT_FALSE(db->sqlMgr().inTransaction());
    EXPECT_NE(log.find("register: storing the account: "), std::string::npos) << log;
    host_->advance(10);  // the message fades
  }

  // Once nothing else takes the room, the registered account logs in from the same window.
  stopFailingWrites();
  toLoginFace();
  submit("newbie", "secret1");
  ASSERT_TRUE(waitFor([&] { return host_->visibleAlert() != nullptr; }));
  ASSERT_TRUE(host_->pressAlertButton("保留数据"));
  ASSERT_TRUE(waitFor([&] { return windowGone(); })) << bubble();
  EXPECT_EQ(db->getPersonalValue("account"), "newbie");
  EXPECT_EQ(db->getPersonalValue("password"), MyExtensions::md5("secret1"));
  EXPECT_EQ(db->LearnWordCount(), 3);
  CallDB::Release_CallDB();  // closed before its volume goes
}

}  // namespace
}  // namespace onlinetest
