// The real program against the real stand-in program under Xvfb, for the screens that need more
// of the server than an account: the ranking page, the excellent-mnemonics book, the second page
// of messages, the version offer, an analytics envelope arriving and read, and the login window
// that a password changed on the server brings up. One window session: window tests are slow.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "platform/crypto/Digest.h"
#include "store/CallDB.h"
#include "tests/app/ProgramProcess.h"
#include "tests/app/StandInWindow.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/LoopbackListener.h"
#include "tests/support/TempHome.h"

namespace apptest {
namespace {

// Points of the phone's screen that the steps tap.
constexpr double kBooksTab[] = {120, 545};
constexpr double kStatisticsTab[] = {200, 545};
constexpr double kSettingsTab[] = {280, 545};
constexpr double kRightNavButton[] = {285, 41};
constexpr double kBackButton[] = {36, 41};
constexpr double kFirstSettingsRow[] = {150, 86};  // "我的账号"
constexpr double kMessagesRow[] = {82, 183};
constexpr double kExcellentBook[] = {160, 81};
constexpr double kFirstListWord[] = {200, 165};
constexpr double kAlertLeftButton[] = {93, 330};
constexpr double kBackupRow[] = {150, 350};
constexpr double kFirstSheetButton[] = {160, 354};  // "向上备份"
// Rows and areas of the phone's screen that tell what shows.
constexpr double kAlertMiddle = 280;
const plat::Rect kCardTop{10, 30, 300, 80};    // white above the word, dimmed under an alert
const plat::Rect kFirstWord{40, 155, 60, 20};  // the word of the list's first row
const plat::Rect kStatisticsArea{0, 60, 320, 440};
const plat::Rect kRankingLink{5, 130, 200, 20};
const plat::Rect kSettingsAccountIcon{14, 72, 16, 16};  // the blue 我 of the first row
const plat::Rect kLogoutLeft{20, 455, 90, 20};          // the account screen's red 退出登录
const plat::Rect kFirstMessageDate{10, 60, 90, 12};
const plat::Rect kTitleBar{100, 5, 120, 10};
const plat::Rect kAdoptButtonTop{250, 222, 44, 3};
const plat::Rect kSaveButtonTop{264, 529, 50, 7};
const plat::Rect kLoginButton{60, 340, 200, 25};  // the login window's green 登录
const plat::Rect kSettingsBadge{280, 520, 25, 20};

const char* const kAccount = "shower";
const char* const kPassword = "secret12";

std::string md5Hex(const std::string& text) {
  return plat::crypto::hex(plat::crypto::md5(text));
}

// One plain GET over loopback; the reply's whole text ("" when nothing answered).
std::string loopbackGet(int port, const std::string& target) {
  return testsupport::exchangeOnLoopback(port,
                                         "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
}

class ShowcaseInWindow : public StandInWindowTest {
 protected:
  void SetUp() override {
    testsupport::clearProxyEnvironment();
    folder_ = testsupport::makeTempDir("vocab-showcase");
    data_ = folder_ + "/server";
    const char* bundle = std::getenv("VOCAB_BUNDLE");
    ASSERT_NE(bundle, nullptr);
    serverArgs_ = {"--library", std::string(bundle) + "/learn.db", "--store-version", "9.0"};
    server_ = std::make_unique<StandInProgram>(data_, folder_ + "/server.log", serverArgs_);
  }

  bool logged(const std::string& text, double seconds = XvfbDesktop::kPatience) {
    return server_->waitForLog(text, seconds);
  }
  using Look = PhoneWindow::Look;
  Look settingsScreen() const {
    return [this](const ScreenShot& s) {
      return phone_->tabSelected(kSettingsTab)(s) && phone_->badgeRed(s, kLogoutLeft) < 0.1 &&
             phone_->share(s, kSettingsAccountIcon,
                           [](unsigned c) { return (c & 0xff) > 150 && (c >> 16) < 120; }) > 0.3;
    };
  }
  Look accountScreen() const {
    return [this](const ScreenShot& s) { return phone_->badgeRed(s, kLogoutLeft) > 0.9; };
  }
  // The stand-in's ranking page, slid in whole: its blue link to the other ranking above the
  // list, and nothing of the statistics left at its left edge under the list.
  Look rankingList() const {
    return [this](const ScreenShot& s) {
      return phone_->share(s, kRankingLink,
                           [](unsigned c) {
                             return (c & 0xff) > 150 && (c >> 16) < 100 && ((c >> 8) & 0xff) < 100;
                           }) > 0.01 &&
             phone_->brightShare(s, {0, 230, 30, 100}) > 0.97;
    };
  }
  // A screen pushed over the word books: its green title bar.
  Look titleBar() const {
    return phone_->coloured(
        kTitleBar,
        [](unsigned c) { return ((c >> 8) & 0xff) > 170 && (c >> 16) < 110 && (c & 0xff) < 150; },
        0.9);
  }
  // A book's list of words, with its orange 保存 at the bottom.
  Look bookList() const {
    return [this](const ScreenShot& s) {
      return titleBar()(s) && phone_->brightShare(s, kFirstWord) < 0.9 &&
             phone_->coloured(kSaveButtonTop, PhoneWindow::orange, 0.95)(s);
    };
  }
  // A word's card from the book: the orange 采纳 of its excellent mnemonic's strip.
  Look wordCard() const {
    return PhoneWindow::allOf(
        {titleBar(), phone_->coloured(kAdoptButtonTop, PhoneWindow::orange, 0.9)});
  }
  // The messages list showing messages at its top, wherever it was pulled to: the server's log
  // tells which page came.
  // Rows' dark dates and texts below the title bar: the list's footer alone has none.
  Look messagesShown() const {
    return phone_->coloured({10, 70, 300, 200}, PhoneWindow::ink, 0.01);
  }

  std::string data_;
  std::vector<std::string> serverArgs_;
};

TEST_F(ShowcaseInWindow, EveryScreenTheStandInFeedsShowsItsContent) {
  ASSERT_FALSE(desktop_.display().empty()) << "Xvfb did not start";
  ASSERT_FALSE(server_->base().empty()) << "the stand-in did not start\n" << server_->log();
  // An account registered with the stand-in program as the app registers one.
  ASSERT_NE(loopbackGet(server_->port(), std::string("/api/account_register.php?account=") +
                                             kAccount + "&password=" + md5Hex(kPassword))
                .find("\"result\":1"),
            std::string::npos)
      << server_->log();
  const std::string home = folder_ + "/app";
  ASSERT_TRUE(planWordsInHome(home + "/home", {"achieve"}, [&](CallDB& store) {
    store.UpdatePersonalValue("url", server_->base());
    store.UpdatePersonalValue("run_machine", "1");
    store.UpdatePersonalValue("account", kAccount);
    store.UpdatePersonalValue("password", md5Hex(kPassword));
  }));
  // The stand-in is the store lookup, the analytics log service and the maker's site too.
  const std::string base = server_->base();
  start(home, base, {{"VOCAB_ANALYTICS_LOG_URL", base}, {"VOCAB_MAKER_SITE", base}});

  // ---- The version offer of the first start of the day, declined.
  ASSERT_TRUE(logged("GET /lookup")) << server_->log();
  // The offer alone is bright on the dimmed screen.
  ASSERT_TRUE(until([&](const ScreenShot& s) {
    std::optional<std::pair<double, double>> span = phone_->brightSpan(s, kAlertMiddle);
    return span && span->second - span->first < 300;
  })) << "no version offer\n"
      << program_->log();
  picture("showcase-version-offer.png");
  tap(kAlertLeftButton, "the review screen, the offer declined",
      [&](const ScreenShot& s) { return phone_->brightShare(s, kCardTop) > 0.9; });

  // Ten seconds after the start the account is refreshed (naming the ranking page) and the
  // excellent mnemonics arrive.
  ASSERT_TRUE(logged("/api/account_info.php account=shower")) << server_->log();
  ASSERT_TRUE(logged("/api/update_excellent_mnemonic.php")) << server_->log();
  // The account's reply is handled once the unread welcome message it counts shows as the
  // settings tab's badge; only then does the statistics screen, which reads the ranking page's
  // address when it loads, offer the ranking.
  ASSERT_TRUE(until([&](const ScreenShot& s) {
    return phone_->badgeRed(s, kSettingsBadge) > 0.05;
  })) << "the account's reply never showed\n"
      << server_->log();

  // ---- An analytics envelope of this start, read record by record.
  ASSERT_TRUE(logged("analytics: envelope")) << server_->log();
  EXPECT_TRUE(logged("analytics: client")) << server_->log();
  EXPECT_EQ(server_->log().find("analytics: refused"), std::string::npos) << server_->log();

  // ---- The ranking page from the statistics screen.
  tap(kStatisticsTab, "the statistics tab", phone_->tabSelected(kStatisticsTab));
  picture("showcase-statistics.png");
  const ScreenShot statistics = *screen_;
  phone_->tap(kRightNavButton[0], kRightNavButton[1]);  // the ranking button
  ASSERT_TRUE(logged("GET /top")) << server_->log();
  ASSERT_TRUE(until(rankingList())) << "no ranking list";
  picture("showcase-ranking.png");
  tap(kBackButton, "back to the statistics", phone_->sameAs(statistics, kStatisticsArea));

  // ---- The excellent-mnemonics book.
  tap(kBooksTab, "the word-book tab", phone_->tabSelected(kBooksTab));
  picture("showcase-books.png");
  tap(kExcellentBook, "the excellent-mnemonics book listing its words", bookList());
  picture("showcase-excellent.png");
  tap(kFirstListWord, "the first word's card, its excellent mnemonic in the strip", wordCard());
  picture("showcase-excellent-card.png");
  tap(kBackButton, "back to the book", bookList());
  tap(kBackButton, "back to the books",
      [&](const ScreenShot& s) { return phone_->tabSelected(kBooksTab)(s) && !titleBar()(s); });

  // ---- Both pages of messages.
  tap(kSettingsTab, "the settings tab", settingsScreen());
  tap(kFirstSettingsRow, "the account screen", accountScreen());
  tap(kMessagesRow, "the messages", phone_->inked(kFirstMessageDate));
  ASSERT_TRUE(logged("/api/get_user_message.php account=shower page=0")) << server_->log();
  // The list's end, then a pull past it and a release: the footer loads the next page.
  phone_->scrollDown(160, 300, 30);
  for (int pull = 0; pull < 3 && server_->log().find("page=1") == std::string::npos; ++pull)
    phone_->drag(160, 450, 150);
  ASSERT_TRUE(logged("/api/get_user_message.php account=shower page=1")) << server_->log();
  ASSERT_TRUE(until(messagesShown())) << "no messages after the pull";
  picture("showcase-messages-page-two.png");
  tap(kBackButton, "back to the account screen", accountScreen());
  tap(kBackButton, "back to the settings", settingsScreen());
  const ScreenShot settings = *screen_;

  // ---- A password changed on the server: the next sign-in asks for it again.
  const int port = server_->port();
  server_.reset();
  ASSERT_EQ(StandInProgram::runOnce(data_, {"--set-password", kAccount, "another1"},
                                    folder_ + "/password.log"),
            0);
  server_ = std::make_unique<StandInProgram>(data_, folder_ + "/server2.log", serverArgs_, port);
  ASSERT_EQ(server_->port(), port) << server_->log();
  tap(kBackupRow, "the backup sheet", phone_->backupSheet());
  phone_->tap(kFirstSheetButton[0], kFirstSheetButton[1]);  // the backup button
  ASSERT_TRUE(logged("synchronize_up.php account=shower")) << server_->log();
  EXPECT_TRUE(until([&](const ScreenShot& s) {
    return phone_->share(s, kLoginButton, [](unsigned c) {
      return ((c >> 8) & 0xff) > 100 && (c >> 16) < 90;
    }) > 0.6;
  })) << "the login window does not ask for the password again";
  picture("showcase-relogin.png");
  EXPECT_GT(phone_->changed(settings, *screen_, {40, 170, 240, 200}), 0.3);
  EXPECT_EQ(program_->terminate(), 0) << program_->log();
}

}  // namespace
}  // namespace apptest
