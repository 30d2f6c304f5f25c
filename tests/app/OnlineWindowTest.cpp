// The real program against the real stand-in server program, driven in its window under Xvfb the
// way a learner tries the online screens: register, read the welcome message (the badge clears),
// study, sign in daily, open the daily lesson and plan its lucky word, share a mnemonic, back up;
// then on a second app home log in (the backup comes down) and adopt the shared mnemonic.
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <memory>
#include <optional>
#include <vector>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "tests/app/ProgramProcess.h"
#include "tests/app/StandInWindow.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempHome.h"

namespace apptest {
namespace {

// Points of the phone's screen that the steps tap.
constexpr double kReviewTab[] = {40, 545};
constexpr double kSettingsTab[] = {280, 545};
constexpr double kFirstSettingsRow[] = {150, 86};  // "登录 / 注册", then "我的账号"
constexpr double kBackupRow[] = {150, 350};
constexpr double kFirstSheetButton[] = {160, 354};  // "向上备份"
constexpr double kBackButton[] = {36, 41};
constexpr double kReveal[] = {160, 306};
constexpr double kKnow[] = {57, 470};
constexpr double kAlertRightButton[] = {227, 330};
const plat::Rect kSettingsBadge{280, 520, 25, 20};

// Areas of the phone's screen that tell the screens apart.
const plat::Rect kSettingsAccountIcon{14, 72, 16, 16};  // the blue 我 of the first row
const plat::Rect kSignedInRowTop{62, 72, 60, 5};  // "我的账号" stands higher than "登录 / 注册"
const plat::Rect kLogoutLeft{20, 455, 90, 20};  // the account screen's red 退出登录
const plat::Rect kFirstMessageDate{10, 60, 90, 12};
const plat::Rect kRevealButton{70, 290, 180, 30};
const plat::Rect kKnowButton{15, 455, 30, 25}, kVagueButton{115, 455, 30, 25};
const plat::Rect kSignInButton{45, 208, 40, 14};  // the notice's orange 签到
const plat::Rect kAlertButtons{40, 318, 240, 16}, kAlertRightHalf{170, 318, 110, 16};
const plat::Rect kLessonSentence{35, 195, 150, 24};  // white on the lesson's green card
const plat::Rect kLuckyWord{35, 395, 40, 14};        // the lesson's lucky word, in its own card
const plat::Rect kNoteTitleBar{100, 5, 120, 10};     // the note screen's green title bar
const plat::Rect kSharedTab{10, 80, 140, 14}, kEditTab{170, 80, 140, 14};  // white when chosen
// The shared tab's lower edge, in its light green only once the strip is back under the title bar
// (it slides down as the keyboard goes).
const plat::Rect kSharedTabFoot{10, 100, 140, 3};
const plat::Rect kShareButton{240, 300, 50, 16};
const plat::Rect kMnemonicFirstLine{12, 104, 150, 12};    // raised for the keyboard
const plat::Rect kMnemonicShown{12, 144, 150, 12};        // once the keyboard is down
const plat::Rect kMiddleOfTheEditPage{10, 262, 200, 60};  // where the message bubble stands
const plat::Rect kSharedRowDate{240, 120, 70, 10};        // the first shared mnemonic's date
// The register and login windows: their orange and green buttons (raised when the keyboard is
// up) and the text typed into their fields.
const plat::Rect kRegisterButtonTop{40, 396, 240, 6}, kRaisedRegisterButtonTop{40, 296, 240, 6};
const plat::Rect kLoginButton{40, 340, 200, 20}, kRaisedLoginButton{60, 245, 200, 14};
const plat::Rect kRegisterAccount{100, 72, 60, 11}, kRegisterPassword{100, 114, 50, 10},
    kRegisterConfirmation{100, 156, 50, 10};
const plat::Rect kLoginAccount{100, 131, 60, 11}, kLoginPassword{100, 175, 50, 8};

const char* const kMnemonic = "tide: the sea comes in on time";

class OnlineInWindow : public StandInWindowTest {
 protected:
  void SetUp() override {
    testsupport::clearProxyEnvironment();
    folder_ = testsupport::makeTempDir("vocab-online");
    // Today's lesson names one lucky word, so the word card that follows is always the same.
    const std::string data = folder_ + "/server";
    plat::files::createDirectories(data);
    std::ofstream(data + "/lessons.tsv")
        << "0\t" << std::time(nullptr) << "\tTime and tide wait for no man.\t岁月不待人。\ttide\t"
        << "<p>今天抽取三名幸运学员</p>\n";
    server_ = std::make_unique<StandInProgram>(data, folder_ + "/server.log");
  }

  // An app home that reaches the stand-in, past the picture guide of the first start.
  void prepareHome(const std::string& folder, const std::vector<std::string>& words) {
    ASSERT_TRUE(apptest::planWordsInHome(folder + "/home", words, [&](CallDB& store) {
      store.UpdatePersonalValue("url", server_->base());
      store.UpdatePersonalValue("run_machine", "1");
    }));
  }

  // The looks of the screens the steps go through.
  using Look = PhoneWindow::Look;
  Look settings(bool signedIn) const {
    return PhoneWindow::allOf(
        {phone_->tabSelected(kSettingsTab),
         phone_->coloured(
             kSettingsAccountIcon, [](unsigned c) { return (c & 0xff) > 150 && (c >> 16) < 120; },
             0.3),
         [this, signedIn](const ScreenShot& s) {
           return phone_->inked(kSignedInRowTop)(s) == signedIn;
         }});
  }
  Look accountScreen() const {
    return [this](const ScreenShot& s) { return phone_->badgeRed(s, kLogoutLeft) > 0.9; };
  }
  Look reviewCard() const {
    return PhoneWindow::allOf({phone_->tabSelected(kReviewTab),
                               phone_->coloured(kRevealButton, PhoneWindow::green, 0.8)});
  }
  Look revealedCard() const {
    return PhoneWindow::allOf({phone_->coloured(kKnowButton, PhoneWindow::green, 0.8),
                               phone_->coloured(kVagueButton, PhoneWindow::orange, 0.8),
                               [this](const ScreenShot& s) { return !phone_->dimmed()(s); }});
  }
  // The note screen of a word on its tab of shared mnemonics, or its edit tab.
  Look noteScreen(bool editing) const {
    return [this, editing](const ScreenShot& s) {
      const bool titleBar = phone_->share(s, kNoteTitleBar, [](unsigned c) {
        return ((c >> 8) & 0xff) > 170 && (c >> 16) < 110 && (c & 0xff) < 150;
      }) > 0.9;
      // The chosen tab white, the other one not.
      return titleBar && phone_->brightShare(s, editing ? kEditTab : kSharedTab) > 0.6 &&
             phone_->brightShare(s, editing ? kSharedTab : kEditTab) < 0.1 &&
             (!editing || phone_->coloured(kShareButton, PhoneWindow::green, 0.6)(s));
    };
  }
  Look notice() const {
    return PhoneWindow::allOf({phone_->coloured(kSignInButton, PhoneWindow::orange, 0.5),
                               [this](const ScreenShot& s) { return !phone_->dimmed()(s); }});
  }
  // An alert over the dimmed screen; `longRightButton`: its right button's title is four
  // characters long (加入规划) rather than two (确定).
  Look alert(std::optional<bool> longRightButton = std::nullopt) const {
    return PhoneWindow::allOf(
        {phone_->dimmed(), phone_->coloured(kAlertButtons, PhoneWindow::blue, 0.02),
         [this, longRightButton](const ScreenShot& s) {
           if (!longRightButton) return true;
           return (phone_->share(s, kAlertRightHalf, PhoneWindow::blue) > 0.11) == *longRightButton;
         }});
  }
  // The daily lesson with its reply read: the sentence in white on the green card (the notice
  // it came from is white there) and the lucky word written in its card.
  Look lessonShown() const {
    const auto grey = [](unsigned c) {  // the lucky word's, lighter than the ink of fields
      return (c >> 16) < 160 && ((c >> 8) & 0xff) < 160 && (c & 0xff) < 160;
    };
    return PhoneWindow::allOf(
        {phone_->coloured(kLessonSentence, PhoneWindow::green, 0.5),
         phone_->coloured(
             kLessonSentence, [](unsigned c) { return (c & 0xf0f0f0) == 0xf0f0f0; }, 0.01),
         phone_->coloured(kLuckyWord, grey, 0.04)});
  }
  Look registerWindow(bool raised) const {
    return PhoneWindow::allOf(
        {phone_->coloured(raised ? kRaisedRegisterButtonTop : kRegisterButtonTop,
                          PhoneWindow::orange, 0.9),
         raised ? phone_->keyboardUp() : [](const ScreenShot&) { return true; }});
  }
  Look loginWindow(bool raised) const {
    return PhoneWindow::allOf(
        {phone_->coloured(raised ? kRaisedLoginButton : kLoginButton, PhoneWindow::green, 0.8),
         raised ? phone_->keyboardUp() : [](const ScreenShot&) { return true; }});
  }
  // Taps a field and types into it; the text shows as `look` says.
  void typeInto(double x, double y, const std::string& what, const std::string& text,
                const Look& look) {
    phone_->tap(x, y);
    phone_->type(text);
    ASSERT_TRUE(until(look)) << what << ": \"" << text << "\" never showed\n" << program_->log();
  }
};

TEST_F(OnlineInWindow, ALearnerTriesEveryOnlineScreenOnTwoHomes) {
  ASSERT_FALSE(desktop_.display().empty()) << "Xvfb did not start";
  ASSERT_FALSE(server_->base().empty()) << "the stand-in server did not start\n" << server_->log();
  const std::string homeA = folder_ + "/a", homeB = folder_ + "/b";
  prepareHome(homeA, {"achieve"});
  prepareHome(homeB, {});

  // ---- First home: registration from the settings screen.
  start(homeA);
  ASSERT_TRUE(until(reviewCard())) << "no review screen";
  tap(kSettingsTab, "the settings tab", settings(false));
  tap(kFirstSettingsRow, "the login and registration window", registerWindow(false));
  picture("online-register.png");
  tapAt(193, 177, "the account field, the window raised for the keyboard", registerWindow(true));
  type("learner1", phone_->inked(kRegisterAccount));
  typeInto(193, 119, "the password field", "secret12", phone_->inked(kRegisterPassword));
  typeInto(193, 161, "the confirmation field", "secret12", phone_->inked(kRegisterConfirmation));
  tapAt(160, 313, "the register button's question about this home's data", alert());
  // This home has studied already: its data stay and go with the account.
  tap(kAlertRightButton, "keeping this home's study data, signed in", settings(true));
  ASSERT_TRUE(server_->waitForDataFile("accounts.tsv", "learner1")) << server_->log();
  EXPECT_TRUE(until([&](const ScreenShot& s) {
    return settings(true)(s) && phone_->badgeRed(s, kSettingsBadge) > 0.05;
  })) << "the welcome message is unread";
  picture("online-registered.png");

  // ---- The message: the account screen, then its messages row; the badge clears.
  tap(kFirstSettingsRow, "the account screen", accountScreen());
  const Look messagesRead = [&](const ScreenShot& s) {
    return phone_->inked(kFirstMessageDate)(s) && phone_->badgeRed(s, kSettingsBadge) < 0.01;
  };
  tapAt(82, 183, "the messages row, the badge cleared", messagesRead);
  ASSERT_TRUE(server_->waitForLog("/api/get_user_message.php account=learner1")) << server_->log();
  picture("online-messages.png");
  tapAt(53, 41, "back to the account screen", accountScreen());
  tap(kBackButton, "back to the settings", settings(true));

  // ---- Study: the planned word, revealed and known.
  tap(kReviewTab, "the review tab", reviewCard());
  tap(kReveal, "the reveal button", revealedCard());
  tap(kKnow, "the know button, which ends today's study with the notice", notice());
  picture("online-notice.png");

  // ---- Daily sign-in from the notice panel: a counted one offers to share.
  tapAt(65, 216, "the sign-in button of the notice", alert());
  ASSERT_TRUE(server_->waitForLog("/api/sign_in.php account=learner1")) << server_->log();
  picture("online-signed-in.png");
  tap(kAlertRightButton, "the sign-in alert's OK button", notice());

  // ---- The daily lesson, and its lucky word planned.
  tapAt(300, 216, "the daily lesson link of the notice", lessonShown());
  ASSERT_TRUE(server_->waitForLog("/api/daily_lesson.php")) << server_->log();
  picture("online-lesson.png");
  tapAt(150, 331, "the lucky words button", alert(true));
  tapAt(227, 322, "planning the lucky word", alert(false));
  ASSERT_TRUE(server_->waitForLog("/api/study_lucky_words.php")) << server_->log();
  tapAt(227, 322, "going to study it", reviewCard());

  // ---- A mnemonic for the lucky word, written on its card and shared.
  tap(kReveal, "the reveal button", revealedCard());
  tapAt(284, 272, "the write-mnemonic button of the card", noteScreen(false));
  tapAt(238, 87, "the edit tab of the note screen", noteScreen(true));
  tapAt(160, 190, "the mnemonic text, the keyboard up", phone_->keyboardUp());
  type(kMnemonic, phone_->inked(kMnemonicFirstLine));
  phone_->tap(270, 274);  // the share button, moved up for the keyboard
  ASSERT_TRUE(server_->waitForDataFile("mnemonics.tsv", kMnemonic)) << server_->log();
  // The edit page at rest with the keyboard gone: the tab strip back in its place, the own note
  // whole, the share button where it stands and nothing over the page (the message of the share
  // comes and goes as it will).
  const auto lightTab = [](unsigned c) {
    const unsigned r = c >> 16, g = (c >> 8) & 0xff, b = c & 0xff;
    return r >= 175 && r <= 205 && g >= 225 && b >= 195 && b <= 225;
  };
  ASSERT_TRUE(until([&](const ScreenShot& s) {
    return noteScreen(true)(s) && phone_->coloured(kSharedTabFoot, lightTab, 0.9)(s) &&
           phone_->brightShare(s, kMiddleOfTheEditPage) > 0.95 &&
           phone_->inked(kMnemonicShown)(s) && !phone_->keyboardUp()(s);
  })) << "the edit page never came to rest";
  picture("online-shared.png");
  tapAt(41, 41, "back to the card", revealedCard());

  // ---- Backup from the settings screen.
  tap(kSettingsTab, "the settings tab", settings(true));
  tap(kBackupRow, "the backup sheet", phone_->backupSheet());
  phone_->tap(kFirstSheetButton[0], kFirstSheetButton[1]);  // the backup button
  ASSERT_TRUE(server_->waitForLog("/api/synchronize_all_up.php account=learner1"))
      << server_->log();
  ASSERT_TRUE(server_->waitForDataFile("backups/learner1.dump", "Study_List")) << server_->log();
  ASSERT_TRUE(until(settings(true))) << "the backup's progress stays";
  picture("online-backed-up.png");
  EXPECT_EQ(program_->terminate(), 0) << program_->log();

  // ---- Second home: logging in brings the backup down.
  start(homeB);
  ASSERT_TRUE(until(phone_->tabSelected(kReviewTab))) << "no review screen";
  tap(kSettingsTab, "the settings tab", settings(false));
  tap(kFirstSettingsRow, "the login and registration window", registerWindow(false));
  tapAt(117, 127, "the switch to logging in", loginWindow(false));
  tapAt(193, 225, "the account field, the window raised for the keyboard", loginWindow(true));
  type("learner1", phone_->inked(kLoginAccount));
  typeInto(193, 168, "the password field", "secret12", phone_->inked(kLoginPassword));
  tapAt(160, 264, "the login button, signed in", settings(true));
  ASSERT_TRUE(server_->waitForLog("/api/synchronize_all_down.php account=learner1"))
      << server_->log();
  picture("online-restored.png");

  // ---- The shared mnemonic adopted on the lucky word's card, which came with the backup.
  tap(kReviewTab, "the review tab", reviewCard());
  tap(kReveal, "the reveal button", revealedCard());
  tapAt(284, 272, "the write-mnemonic button of the card, its shared mnemonics listed",
        PhoneWindow::allOf({noteScreen(false), phone_->inked(kSharedRowDate)}));
  ASSERT_TRUE(server_->waitForLog("/api/find_mnemonic.php account=learner1")) << server_->log();
  picture("online-shared-list.png");
  tapAt(160, 150, "the shared mnemonic", alert());
  ASSERT_TRUE(server_->waitForDataFile("adoptions.tsv", "learner1")) << server_->log();
  picture("online-adopted.png");
  tap(kAlertRightButton, "the adoption alert", revealedCard());
  EXPECT_EQ(program_->terminate(), 0) << program_->log();

  // What the second home keeps: both words of the backup and the adopted mnemonic.
  plat::AppHome::setHome(homeB + "/home");
  CallDB* store = CallDB::callDB();
  EXPECT_EQ(store->LearnWordCount(), 2);
  EXPECT_EQ(store->getMnemonic("tide"), kMnemonic);
  EXPECT_EQ(store->getPersonalValue("account"), "learner1");
  CallDB::Release_CallDB();
  plat::AppHome::setHome("");
  EXPECT_NE(server_->dataFile("accounts.tsv").find("learner1"), std::string::npos);
}

}  // namespace
}  // namespace apptest
