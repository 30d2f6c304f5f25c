// The settings screens and the ranking page of a tablet turned in the real program's window under
// Xvfb, against the real stand-in server: the account screen and its logout question, the feature
// switches, a help page, the file screen, the help list and the ranking page each turn with Ctrl+R
// and fill the turned screen; the ranking page's arrows follow its history.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
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
// Areas of the turned screen (1024 x 768) that tell the screens apart.
const plat::Rect kAccountIcon{22, 76, 16, 16};  // the blue 我 of the settings' first row
const plat::Rect kLogoutLeft{30, 460, 30, 16}, kLogoutRight{964, 460, 30, 16};
const plat::Rect kRankingLink{5, 125, 400, 30};

class TabletScreensInWindow : public StandInWindowTest {
 protected:
  void SetUp() override {
    testsupport::clearProxyEnvironment();
    folder_ = testsupport::makeTempDir("vocab-tablet-screens");
    screenPoints_ = {768, 1024};
    const std::string data = folder_ + "/server";
    plat::files::createDirectories(data);
    std::ofstream(data + "/accounts.tsv") << kAccount << "\t" << MyExtensions::md5(kPassword)
                                          << "\t1001\t\t0\t0\t\t0\t1\t3\t-1\t0\t0\n";
    server_ = std::make_unique<StandInProgram>(data, folder_ + "/server.log");
    ASSERT_FALSE(server_->base().empty()) << server_->log();
    const std::string home = folder_ + "/home";
    ASSERT_TRUE(planWordsInHome(home, {"achieve"}, [&](CallDB& store) {
      store.UpdatePersonalValue("run_machine", "1");
      store.UpdatePersonalValue("url", server_->base());
      store.UpdatePersonalValue("account", kAccount);
      store.UpdatePersonalValue("password", MyExtensions::md5(kPassword));
      store.UpdatePersonalValue("sShowTopView", server_->base() + "/top");
    }));
    plat::files::createDirectories(home + "/Documents");
    std::ofstream(home + "/Documents/voices_extra.zip") << "PK";
  }

  void start() {
    ASSERT_FALSE(desktop_.display().empty()) << "Xvfb did not start";
    StandInWindowTest::start(folder_, "", {{"VOCAB_TABLET", "1"}});
    ASSERT_TRUE(until(phone_->tabSelected(kReviewTab))) << "no review screen";
  }
  // Turns the screen and waits until the turned screen shows `look`.
  void turn(const std::string& picture, const PhoneWindow::Look& look) {
    if (HasFatalFailure()) return;
    ASSERT_TRUE(phone_->turn()) << "the screen refused to turn\n" << program_->log();
    ASSERT_TRUE(until(look)) << picture << ": the turned screen never showed\n" << program_->log();
    phone_->write(*screen_, picture);
  }
  static constexpr double kReviewTab[] = {95, 1000};
  static constexpr double kSettingsTab[] = {672, 1000};

  // The thin rules (table separators, an alert's line) across the points `fromX` to `toX` between
  // `fromY` and `toY`: runs of pixel rows that are even from end to end and differ from the rows
  // three pixels above and below, counted once per run.
  int rulesAcross(double fromX, double toX, double fromY, double toY) const {
    return rulesAcross(*screen_, fromX, toX, fromY, toY);
  }
  int rulesAcross(const ScreenShot& shot, double fromX, double toX, double fromY,
                  double toY) const {
    const plat::Rect f = phone_->frame();
    const double sx = f.width / phone_->points().width, sy = f.height / phone_->points().height;
    const int x0 = int(f.x + fromX * sx), x1 = int(f.x + toX * sx);
    auto channel = [](unsigned c, int shift) { return int((c >> shift) & 0xff); };
    auto differ = [&](unsigned a, unsigned b, int by) {
      for (int shift : {0, 8, 16})
        if (std::abs(channel(a, shift) - channel(b, shift)) >= by) return true;
      return false;
    };
    int rules = 0;
    bool inRule = false;
    for (int y = int(f.y + fromY * sy); y < int(f.y + toY * sy); ++y) {
      const unsigned first = shot.rgb(x0, y);
      bool rule = true;
      for (int x = x0; x < x1 && rule; ++x) {
        const unsigned c = shot.rgb(x, y);
        rule = !differ(c, first, 4) && differ(c, shot.rgb(x, y - 3), 4) &&
               differ(c, shot.rgb(x, y + 3), 4);
      }
      if (rule && !inRule) ++rules;
      inRule = rule;
    }
    return rules;
  }
  // Whether the server's log names `request` twice (the log leaves queries out), waiting for it.
  bool fetchedTwice(const std::string& request) const {
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(XvfbDesktop::kPatience);
    while (std::chrono::steady_clock::now() < end && program_->wait(0) == -1) {
      const std::string log = server_->log();
      const size_t first = log.find(request);
      if (first != std::string::npos && log.find(request, first + 1) != std::string::npos)
        return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    return false;
  }
  // Looks of the turned screens.
  using Look = PhoneWindow::Look;
  Look settings() const {
    return [this](const ScreenShot& s) {
      return phone_->share(s, kAccountIcon,
                           [](unsigned c) { return (c & 0xff) > 150 && (c >> 16) < 120; }) > 0.3 &&
             phone_->badgeRed(s, kLogoutLeft) < 0.1 && !phone_->dimmed()(s);
    };
  }
  Look accountScreen() const {
    return [this](const ScreenShot& s) {
      return phone_->badgeRed(s, kLogoutLeft) > 0.8 && phone_->badgeRed(s, kLogoutRight) > 0.8 &&
             !phone_->dimmed()(s);
    };
  }
  Look switches(double right) const {
    return phone_->coloured({right, 225, 50, 14}, PhoneWindow::green, 0.3);
  }
  Look rules(double fromX, double toX, double fromY, double toY, int least) const {
    return
        [=, this](const ScreenShot& s) { return rulesAcross(s, fromX, toX, fromY, toY) >= least; };
  }
  // The share of the area in the green of the switches and buttons.
  double greenShare(const plat::Rect& area) const {
    const plat::Rect f = phone_->frame();
    const double sx = f.width / phone_->points().width, sy = f.height / phone_->points().height;
    int green = 0, all = 0;
    for (int y = int(f.y + area.y * sy); y < int(f.y + area.maxY() * sy); ++y)
      for (int x = int(f.x + area.x * sx); x < int(f.x + area.maxX() * sx); ++x, ++all) {
        const unsigned c = screen_->rgb(x, y);
        green += ((c >> 8) & 0xff) > 100 && ((c >> 16) & 0xff) < 90;
      }
    return all ? double(green) / all : 0;
  }
};

// Points of the turned screen (1024 x 768) that the steps tap.
constexpr double kBack[] = {41, 41};
constexpr double kAccountRow[] = {100, 84};
constexpr double kFeatureRow[] = {100, 129};
constexpr double kLogout[] = {512, 468};
constexpr double kLogoutCancel[] = {444, 420};
constexpr double kFirstHelpRow[] = {100, 106};
constexpr double kHelpButton[] = {1009, 41};
constexpr double kStatisticsTab[] = {638, 744};
constexpr double kRankingButton[] = {989, 41};
constexpr double kOtherRanking[] = {84, 141};  // the page's link to the ranking by runs
constexpr double kWebBack[] = {970, 41};
const plat::Rect kWebBackArrow{958, 28, 22, 26};
const plat::Rect kWebForwardArrow{990, 28, 22, 26};

TEST_F(TabletScreensInWindow, TheSettingsScreensAndTheRankingPageFillTheTurnedScreen) {
  ASSERT_NO_FATAL_FAILURE(start());
  tapAt(695, 1000, "the settings tab", phone_->tabSelected(kSettingsTab));
  picture("tablet-screens-settings.png");
  turn("tablet-screens-settings-turned.png", settings());

  // ---- The account screen: its rows and 退出登录 span the turned screen; the logout question
  // keeps the rule above its buttons.
  tap(kAccountRow, "the account row, 退出登录 from the left to the right", accountScreen());
  picture("tablet-screens-account.png");
  EXPECT_GE(rulesAcross(300, 1000, 80, 415), 7) << "a separator under every row but the last";
  tap(kLogout, "退出登录's question", phone_->dimmed());
  picture("tablet-screens-logout-question.png");
  EXPECT_EQ(rulesAcross(390, 500, 385, 425), 1) << "the rule between the question and its buttons";
  tap(kLogoutCancel, "取消", accountScreen());
  tap(kBack, "back to the settings", settings());

  // ---- The feature switches keep to the right edge; a help page turns and is laid out anew.
  tap(kFeatureRow, "the switch of 优秀助记 near the right edge and the basic pack's button",
      [&](const ScreenShot& s) {
        return switches(845)(s) && phone_->coloured({895, 270, 45, 14}, PhoneWindow::green, 0.3)(s);
      });
  picture("tablet-screens-switches.png");
  tap(kFirstHelpRow, "the first row's help page", [&](const ScreenShot& s) {
    return !switches(845)(s) && phone_->coloured({0, 60, 1024, 200}, PhoneWindow::ink, 0.005)(s);
  });
  picture("tablet-screens-help-page.png");
  turn("tablet-screens-help-page-turned.png", [&](const ScreenShot& s) {
    // The first paragraph runs across the upright screen, and nothing else.
    return phone_->brightShare(s, {560, 120, 180, 16}) < 0.98 &&
           phone_->brightShare(s, {0, 360, 768, 300}) > 0.98;
  });
  tap(kBack, "back to the switches, which keep to the upright right edge", switches(589));
  picture("tablet-screens-switches-upside-down.png");
  tap(kBack, "back to the settings", settings());

  // ---- The file screen, the screen turned right as it comes in: its archive's row spans the
  // turned screen once it is in. Then the help list.
  phone_->tap(384, 480);  // 文件管理
  turn("tablet-screens-files-turned.png", rules(300, 1000, 95, 125, 1));
  tap(kBack, "back to the settings", settings());
  tap(kHelpButton, "the help list's rows across the turned screen", rules(400, 1000, 80, 420, 7));
  picture("tablet-screens-help-list.png");
  tap(kBack, "back to the settings", settings());

  // ---- The ranking page: its arrows follow the page's history, and it turns.
  tap(kStatisticsTab, "the statistics tab", phone_->tabSelected(kStatisticsTab));
  tap(kRankingButton, "the ranking page's link above its list",
      phone_->coloured(
          kRankingLink,
          [](unsigned c) { return (c & 0xff) > 150 && (c >> 16) < 100 && ((c >> 8) & 0xff) < 100; },
          0.005));
  ASSERT_TRUE(server_->waitForLog("GET /top")) << server_->log();
  picture("tablet-screens-ranking.png");
  EXPECT_EQ(phone_->brightShare(*screen_, kWebBackArrow), 0) << "no way back from the first page";
  EXPECT_EQ(phone_->brightShare(*screen_, kWebForwardArrow), 0) << "nor forward";
  tap(kOtherRanking, "the ranking by runs, the back arrow lit",
      [&](const ScreenShot& s) { return phone_->brightShare(s, kWebBackArrow) > 0.05; });
  ASSERT_TRUE(fetchedTwice("GET /top ")) << server_->log();
  picture("tablet-screens-ranking-second.png");
  EXPECT_EQ(phone_->brightShare(*screen_, kWebForwardArrow), 0);
  tap(kWebBack, "the back arrow, the forward arrow lit",
      [&](const ScreenShot& s) { return phone_->brightShare(s, kWebForwardArrow) > 0.05; });
  EXPECT_EQ(phone_->brightShare(*screen_, kWebBackArrow), 0);
  turn("tablet-screens-ranking-turned.png", [&](const ScreenShot& s) {
    return phone_->brightShare(s, {0, 260, 768, 640}) > 0.99;  // the page fills the screen
  });
  EXPECT_EQ(program_->terminate(), 0) << program_->log();
}

}  // namespace
}  // namespace apptest
