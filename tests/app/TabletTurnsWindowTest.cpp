// The account screens of a tablet turned in the real program's window under Xvfb, against the
// real stand-in server: the mnemonic offer window, the word note screen with the keyboard up, the
// messages screen and the login panel each turn with Ctrl+R and stay whole.
#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>

#include "platform/base/Files.h"
#include "store/CallDB.h"
#include "tests/app/ProgramProcess.h"
#include "tests/app/StandInWindow.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempHome.h"
#include "util/MyExtensions.h"

namespace apptest {
namespace {

constexpr const char* kAccount = "learner1";
constexpr const char* kPassword = "secret12";
constexpr const char* kOffered = "a 一个 + chieve 首领：首领一个人完成";

class TabletTurnsInWindow : public StandInWindowTest {
 protected:
  void SetUp() override {
    testsupport::clearProxyEnvironment();
    folder_ = testsupport::makeTempDir("vocab-tablet-turns");
    screenPoints_ = {768, 1024};
  }

  // The server knows the account with three unread messages and a shared mnemonic of "achieve";
  // the app home has the account stored and "achieve" due, with offers of mnemonics on.
  void prepare(bool signedIn) {
    int64_t achieve = 0;
    ASSERT_TRUE(planWordsInHome(folder_ + "/home", {"achieve"}, [&](CallDB& store) {
      achieve = store.getWordID("achieve");
      store.UpdatePersonalValue("run_machine", "1");
      store.UpdatePersonalValue("autoAccept", "1");
      if (signedIn) {
        store.UpdatePersonalValue("account", kAccount);
        store.UpdatePersonalValue("password", MyExtensions::md5(kPassword));
      }
    }));
    const std::string data = folder_ + "/server";
    plat::files::createDirectories(data);
    std::ofstream(data + "/accounts.tsv") << kAccount << "\t" << MyExtensions::md5(kPassword)
                                          << "\t1001\t\t0\t0\t\t0\t1\t3\t-1\t0\t0\n";
    std::string messages;
    for (int i = 0; i < 5; ++i)
      messages += std::string(kAccount) + "\t" + std::to_string(1700000000 + i * 3600) + "\t第" +
                  std::to_string(i + 1) + "条消息：记得每天复习，坚持就是胜利。\n";
    std::ofstream(data + "/messages.tsv") << messages;
    std::ofstream(data + "/mnemonics.tsv")
        << "1\t" << achieve << "\t" << kOffered << "\tdave\t1690000000\t5\t1\n";
    std::ofstream(data + "/counters.tsv") << "next_id\t100\n";
    server_ = std::make_unique<StandInProgram>(data, folder_ + "/server.log");
    ASSERT_FALSE(server_->base().empty()) << server_->log();
    ASSERT_TRUE(planWordsInHome(folder_ + "/home", {}, [&](CallDB& store) {
      store.UpdatePersonalValue("url", server_->base());
    }));
  }

  void start() {
    ASSERT_FALSE(desktop_.display().empty()) << "Xvfb did not start";
    StandInWindowTest::start(folder_, "", {{"VOCAB_TABLET", "1"}});
    ASSERT_TRUE(until(phone_->tabSelected(kReviewTab))) << "no review screen";
  }
  // The tab bar's review and settings tabs, upright.
  static constexpr double kReviewTab[] = {95, 1000};
  static constexpr double kSettingsTab[] = {672, 1000};
  // Turns the screen and waits until the turned screen passes `shown`.
  void turn(const std::string& picture, const std::function<bool(const ScreenShot&)>& shown) {
    ASSERT_TRUE(phone_->turn()) << "the screen refused to turn\n" << program_->log();
    ASSERT_TRUE(until(shown)) << picture << ": the turned screen never showed it\n"
                              << program_->log();
    phone_->write(*screen_, picture);
  }
  // Whether a box about `width` points wide is all that is bright on the row at `y` of the
  // dimmed screen, in the middle.
  bool centredBox(const ScreenShot& s, double y, double width) const {
    std::optional<std::pair<double, double>> span = phone_->brightSpan(s, y);
    return span && std::abs((span->first + span->second) / 2 - phone_->points().width / 2) <= 8 &&
           std::abs(span->second - span->first - width) <= 16;
  }
  void expectCentredBox(double y, double width, const std::string& what) {
    EXPECT_TRUE(centredBox(*screen_, y, width)) << what << " is not a box in the middle";
  }
  // The part of the area in the yellow of a star, the blue of the account row's icon, the gray of
  // the keyboard's bar.
  double yellow(const ScreenShot& s, const plat::Rect& area) const {
    return phone_->share(s, area, [](unsigned c) {
      return (c >> 16) > 200 && ((c >> 8) & 0xff) > 140 && (c & 0xff) < 100;
    });
  }
  double blue(const ScreenShot& s, const plat::Rect& area) const {
    return phone_->share(s, area, [](unsigned c) { return (c & 0xff) > 150 && (c >> 16) < 120; });
  }
};

// Areas of the turned screen (1024 x 768) that tell the screens apart.
const plat::Rect kCardExamplesRight{662, 240, 280, 25};  // white on the card, dimmed under an offer
const plat::Rect kWriteButton{964, 377, 46, 20};      // the card's green 写助记, once laid out
const plat::Rect kSharedNoteStar{8, 114, 16, 16};     // the star of the listed shared mnemonic
const plat::Rect kOwnNoteFirstLine{24, 100, 80, 22};  // right of where the caret starts
const plat::Rect kEditTab{600, 80, 300, 12};          // white once chosen
const plat::Rect kShareButton{940, 400, 60, 20};      // the edit tab's green 分享
const plat::Rect kBottomBar{20, 725, 400, 35};        // the tab bar, or the keyboard's bar
const plat::Rect kAccountIcon{22, 76, 16, 16};        // the settings' first row
const plat::Rect kLogoutLeft{30, 460, 30, 16};        // the account screen's 退出登录
const plat::Rect kFirstMessageDate{40, 66, 70, 14};   // the messages' first date

TEST_F(TabletTurnsInWindow, TheOfferTheWordNotesAndTheMessagesTurn) {
  prepare(true);
  ASSERT_NO_FATAL_FAILURE(start());
  picture("tablet-turns-start.png");
  tapAt(384, 534, "the reveal button, which brings the offer",
        [&](const ScreenShot& s) { return centredBox(s, 512, 280); });
  ASSERT_TRUE(server_->waitForLog("/api/get_best_mnemonic.php")) << server_->log();
  picture("tablet-turns-offer.png");

  // ---- The offer window, turned: its box stays in the middle of the wider screen.
  turn("tablet-turns-offer-turned.png",
       [&](const ScreenShot& s) { return centredBox(s, 384, 280); });
  expectCentredBox(384, 280, "the offer's box");
  // The card laid out again once the offer has gone, its write-mnemonic button in its place.
  tapAt(447, 499, "the card, the offer closed", [&](const ScreenShot& s) {
    return phone_->brightShare(s, kCardExamplesRight) > 0.9 &&
           phone_->coloured(kWriteButton, PhoneWindow::green, 0.4)(s);
  });
  picture("tablet-turns-card-turned.png");

  // ---- The word note screen, opened on the turned screen.
  tapAt(987, 387, "the write-mnemonic button of the card, the shared mnemonic listed",
        [&](const ScreenShot& s) { return yellow(s, kSharedNoteStar) > 0.1; });
  ASSERT_TRUE(server_->waitForLog("/api/find_mnemonic.php")) << server_->log();
  picture("tablet-turns-notes.png");
  tapAt(766, 87, "the edit tab of the note screen", [&](const ScreenShot& s) {
    return phone_->brightShare(s, kEditTab) > 0.6 &&
           phone_->coloured(kShareButton, PhoneWindow::green, 0.5)(s);
  });
  tapAt(512, 250, "the keyboard for the own note",
        [&](const ScreenShot& s) { return phone_->brightShare(s, kBottomBar) < 0.3; });
  type("tide", phone_->inked(kOwnNoteFirstLine));
  picture("tablet-turns-notes-typing.png");
  tapAt(41, 41, "back to the card, the tab bar back",
        [&](const ScreenShot& s) { return phone_->brightShare(s, kBottomBar) > 0.6; });
  tapAt(895, 739, "the settings tab",
        [&](const ScreenShot& s) { return blue(s, kAccountIcon) > 0.3; });
  picture("tablet-turns-settings.png");

  // ---- The messages screen, turned back upright.
  tapAt(92, 84, "the account screen",
        [&](const ScreenShot& s) { return phone_->badgeRed(s, kLogoutLeft) > 0.8; });
  tapAt(100, 184, "the messages",
        [&](const ScreenShot& s) { return phone_->brightShare(s, kFirstMessageDate) < 0.85; });
  ASSERT_TRUE(server_->waitForLog("/api/get_user_message.php account=learner1")) << server_->log();
  picture("tablet-turns-messages.png");
  turn("tablet-turns-messages-turned.png", [&](const ScreenShot& s) {
    return phone_->brightShare(s, {0, 70, 768, 400}, 0xe0) > 0.8 &&
           phone_->brightShare(s, {0, 70, 400, 200}) < 0.97;
  });
  EXPECT_GT(phone_->brightShare(*screen_, {0, 70, 768, 400}, 0xe0), 0.8)
      << "the list fills the upright screen";
  EXPECT_LT(phone_->brightShare(*screen_, {0, 70, 400, 200}), 0.97) << "with its messages";
  EXPECT_EQ(program_->terminate(), 0) << program_->log();
}

TEST_F(TabletTurnsInWindow, TheLoginPanelStaysCentredWhenTheScreenTurns) {
  prepare(false);
  ASSERT_NO_FATAL_FAILURE(start());
  tapAt(695, 1000, "the settings tab", phone_->tabSelected(kSettingsTab));
  // The panel alone is bright on the dimmed screen.
  tapAt(119, 86, "the login panel from the login row", [&](const ScreenShot& s) {
    std::optional<std::pair<double, double>> span = phone_->brightSpan(s, 512);
    return span && span->second - span->first < 700;
  });
  picture("tablet-turns-login.png");
  std::optional<std::pair<double, double>> upright = phone_->brightSpan(*screen_, 512);
  ASSERT_TRUE(upright) << "no login panel";
  const double width = upright->second - upright->first;
  EXPECT_NEAR((upright->first + upright->second) / 2, 384, 8);
  turn("tablet-turns-login-turned.png",
       [&](const ScreenShot& s) { return centredBox(s, 384, width); });
  expectCentredBox(384, width, "the login panel");
  turn("tablet-turns-login-upside-down.png",
       [&](const ScreenShot& s) { return centredBox(s, 512, width); });
  expectCentredBox(512, width, "the login panel");
  EXPECT_EQ(program_->terminate(), 0) << program_->log();
}

}  // namespace
}  // namespace apptest
