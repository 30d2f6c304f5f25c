// The real program against the real stand-in server program, driven in its window under Xvfb the
// way a learner tries the online screens: register, read the welcome message (the badge clears),
// study, sign in daily, open the daily lesson and plan its lucky word, share a mnemonic, back up;
// then on a second app home log in (the backup comes down) and adopt the shared mnemonic.
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <memory>

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
};

TEST_F(OnlineInWindow, ALearnerTriesEveryOnlineScreenOnTwoHomes) {
  ASSERT_FALSE(desktop_.display().empty()) << "Xvfb did not start";
  ASSERT_FALSE(server_->base().empty()) << "the stand-in server did not start\n" << server_->log();
  const std::string homeA = folder_ + "/a", homeB = folder_ + "/b";
  prepareHome(homeA, {"achieve"});
  prepareHome(homeB, {});

  // ---- First home: registration from the settings screen.
  start(homeA);
  tap(kSettingsTab, "the settings tab");
  tap(kFirstSettingsRow, "the login and registration window");
  picture("online-register.png");
  tapAt(193, 177, "the account field");
  type("learner1");
  tapAt(193, 119, "the password field, moved up for the keyboard");
  type("secret12");
  tapAt(193, 161, "the confirmation field");
  type("secret12");
  tapAt(160, 313, "the register button");
  // This home has studied already: its data stay and go with the account.
  tap(kAlertRightButton, "keeping this home's study data");
  ASSERT_TRUE(server_->waitForDataFile("accounts.tsv", "learner1")) << server_->log();
  settle();
  picture("online-registered.png");
  EXPECT_GT(phone_->badgeRed(*screen_, kSettingsBadge), 0.05) << "the welcome message is unread";

  // ---- The message: the account screen, then its messages row; the badge clears.
  tap(kFirstSettingsRow, "the account screen");
  tapAt(82, 183, "the messages row");
  ASSERT_TRUE(server_->waitForLog("/api/get_user_message.php account=learner1")) << server_->log();
  settle();
  picture("online-messages.png");
  EXPECT_LT(phone_->badgeRed(*screen_, kSettingsBadge), 0.01) << "the badge cleared";
  tapAt(53, 41, "back to the account screen");
  tap(kBackButton, "back to the settings");

  // ---- Study: the planned word, revealed and known.
  tap(kReviewTab, "the review tab");
  tap(kReveal, "the reveal button");
  tap(kKnow, "the know button");
  settle();
  picture("online-notice.png");

  // ---- Daily sign-in from the notice panel: a counted one offers to share.
  tapAt(65, 216, "the sign-in button of the notice");
  ASSERT_TRUE(server_->waitForLog("/api/sign_in.php account=learner1")) << server_->log();
  settle();
  picture("online-signed-in.png");
  tap(kAlertRightButton, "the sign-in alert's OK button");

  // ---- The daily lesson, and its lucky word planned.
  tapAt(300, 216, "the daily lesson link of the notice");
  ASSERT_TRUE(server_->waitForLog("/api/daily_lesson.php")) << server_->log();
  settle();
  picture("online-lesson.png");
  tapAt(150, 331, "the lucky words button");
  tapAt(227, 322, "planning the lucky word");
  ASSERT_TRUE(server_->waitForLog("/api/study_lucky_words.php")) << server_->log();
  tapAt(227, 322, "going to study it");
  settle();

  // ---- A mnemonic for the lucky word, written on its card and shared.
  tap(kReveal, "the reveal button");
  tapAt(284, 272, "the write-mnemonic button of the card");
  tapAt(238, 87, "the edit tab of the note screen");
  tapAt(160, 190, "the mnemonic text");
  type(kMnemonic);
  tapAt(270, 274, "the share button, moved up for the keyboard");
  ASSERT_TRUE(server_->waitForDataFile("mnemonics.tsv", kMnemonic)) << server_->log();
  settle(3);  // the message bubble takes taps until it has faded
  picture("online-shared.png");
  tapAt(41, 41, "back to the card");

  // ---- Backup from the settings screen.
  tap(kSettingsTab, "the settings tab");
  tap(kBackupRow, "the backup sheet");
  tap(kFirstSheetButton, "the backup button");
  ASSERT_TRUE(server_->waitForLog("/api/synchronize_all_up.php account=learner1"))
      << server_->log();
  ASSERT_TRUE(server_->waitForDataFile("backups/learner1.dump", "Study_List")) << server_->log();
  settle(3);
  picture("online-backed-up.png");
  EXPECT_EQ(program_->terminate(), 0) << program_->log();

  // ---- Second home: logging in brings the backup down.
  start(homeB);
  tap(kSettingsTab, "the settings tab");
  tap(kFirstSettingsRow, "the login and registration window");
  tapAt(117, 127, "the switch to logging in");
  tapAt(193, 225, "the account field");
  type("learner1");
  tapAt(193, 168, "the password field, moved up for the keyboard");
  type("secret12");
  tapAt(160, 264, "the login button");
  ASSERT_TRUE(server_->waitForLog("/api/synchronize_all_down.php account=learner1"))
      << server_->log();
  settle(3);
  picture("online-restored.png");

  // ---- The shared mnemonic adopted on the lucky word's card, which came with the backup.
  tap(kReviewTab, "the review tab");
  tap(kReveal, "the reveal button");
  tapAt(284, 272, "the write-mnemonic button of the card");
  ASSERT_TRUE(server_->waitForLog("/api/find_mnemonic.php account=learner1")) << server_->log();
  settle();
  picture("online-shared-list.png");
  tapAt(160, 150, "the shared mnemonic");
  ASSERT_TRUE(server_->waitForDataFile("adoptions.tsv", "learner1")) << server_->log();
  settle();
  picture("online-adopted.png");
  tap(kAlertRightButton, "the adoption alert");
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
