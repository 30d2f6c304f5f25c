// The file screen, the feature switches, the help list and the help page on a tablet: each turns
// with the device and lays out for the turned width (controls keep their distance to the right
// edge, the help page is read again for the new width); on a phone they stay upright.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/view/Animation.h"
#include "platform/view/Screen.h"
#include "settings/HelpViewController.h"
#include "settings/HtmlViewController.h"
#include "settings/PrivilegeViewController.h"
#include "settings/ShareFileViewController.h"
#include "tests/stats/ScreenFixture.h"

using namespace plat;

namespace {

template <typename Screen>
class TabletTurnsTest : public screentest::ScreenTest<Screen> {
 protected:
  void SetUp() override {
    plat::Screen::main().configure({768, 1024}, 2, UserInterfaceIdiom::Pad);
    screentest::ScreenTest<Screen>::SetUp();
  }
  void TearDown() override {
    screentest::ScreenTest<Screen>::TearDown();
    plat::Screen::main().reset();
  }
  void turn(InterfaceOrientation to) {
    ASSERT_TRUE(this->host_->rotate(to)) << "the screen refused to turn";
    this->settle();
    EXPECT_EQ(this->screen().interfaceOrientation(), to);
  }
  static Rect onScreen(const View& v) { return v.convertRectTo(v.bounds(), nullptr); }
  static double gapToRightEdge(const View& v) {
    return plat::Screen::main().bounds().width - onScreen(v).maxX();
  }
};

using FileScreenTurns = TabletTurnsTest<ShareFileViewController>;

TEST_F(FileScreenTurns, TheListTakesTheTurnedWidthAndTheEmptyNoteStaysCentred) {
  open();
  Label& empty = *screen().errInfo();
  ASSERT_FALSE(empty.isHidden());
  turn(InterfaceOrientation::LandscapeLeft);
  EXPECT_EQ(screen().tableView()->bounds().width, 1024);
  const Rect note = onScreen(empty);
  EXPECT_NEAR(note.x + note.width / 2, 512, 1) << "the note under the middle of the turned screen";
  writeScreen("tablet_files_empty_turned.png");
}

TEST_F(FileScreenTurns, RowsOfATurnedScreenSpanItsWidth) {
  for (const char* name : {"voices_a.zip", "voices_b.zip"})
    std::ofstream(files::join(AppHome::documentsDir(), name)) << "zip";
  open();
  ASSERT_EQ(screen().cellArray().size(), 2u);
  turn(InterfaceOrientation::LandscapeRight);
  TableView& table = *screen().tableView();
  TableViewCell* row = table.cellForRow({0, 1});
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(onScreen(*row).width, 1024);
  writeScreen("tablet_files_turned.png");
  turn(InterfaceOrientation::Portrait);
  EXPECT_EQ(table.bounds().width, 768);
}

using FeatureSwitchesTurn = TabletTurnsTest<PrivilegeViewController>;

TEST_F(FeatureSwitchesTurn, SwitchesAndTheReminderWindowKeepTheirPlaceAtTheRightEdge) {
  personal("forgetword_remind", "1");
  open();
  Button* book = screen().switchFor("specialBook");
  ASSERT_NE(book, nullptr);
  ASSERT_NE(screen().amText2(), nullptr);
  const double switchGap = gapToRightEdge(*book);
  const double fieldGap = gapToRightEdge(*screen().amText2());
  const double packGap = gapToRightEdge(*screen().downloadButton(1));

  turn(InterfaceOrientation::LandscapeLeft);
  EXPECT_EQ(screen().tableView()->bounds().width, 1024);
  EXPECT_NEAR(gapToRightEdge(*book), switchGap, 1);
  EXPECT_NEAR(gapToRightEdge(*screen().amText2()), fieldGap, 1);
  EXPECT_NEAR(gapToRightEdge(*screen().downloadButton(1)), packGap, 1);
  // The start field stays left of the end field: the three pieces of the window moved together.
  EXPECT_LT(onScreen(*screen().amText1()).maxX(), onScreen(*screen().amText2()).x);
  writeScreen("tablet_switches_turned.png");

  // Rows made again on the turned screen (coming back to it) stand in the same places.
  screen().viewWillAppear(false);
  settle();
  EXPECT_NEAR(gapToRightEdge(*screen().switchFor("specialBook")), switchGap, 1);
  EXPECT_NEAR(gapToRightEdge(*screen().amText2()), fieldGap, 1);
}

using HelpListTurns = TabletTurnsTest<HelpViewController>;

TEST_F(HelpListTurns, TheListTurnsAndItsRowsSpanTheTurnedWidth) {
  open();
  turn(InterfaceOrientation::LandscapeLeft);
  TableView& table = *screen().tableView();
  EXPECT_EQ(table.bounds().width, 1024);
  const int last = int(screen().cellArray().size()) - 1;
  TableViewCell* site = table.cellForRow({0, last});
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(onScreen(*site).width, 1024);
  writeScreen("tablet_help_list_turned.png");
}

// Turned while the file screen slides in over the help list: the slide ends with the screen laid
// out for the turned width, its archive's row across it.
TEST_F(HelpListTurns, AFileScreenTurnedAsItSlidesInTakesTheTurnedWidth) {
  std::ofstream(files::join(AppHome::documentsDir(), "voices_a.zip")) << "zip";
  open();
  Animation::setEnabled(true);
  auto files = std::make_shared<ShareFileViewController>();
  app_->nav->pushViewController(files, true);
  ASSERT_TRUE(Animation::isAnimating(*files->view())) << "the file screen is still sliding in";
  ASSERT_TRUE(host_->rotate(InterfaceOrientation::LandscapeLeft));
  host_->advance(1);
  ASSERT_FALSE(Animation::isAnimating(*files->view())) << "the slide has ended";
  TableView& table = *files->tableView();
  EXPECT_EQ(files->view()->bounds().width, 1024);
  EXPECT_EQ(table.bounds().width, 1024);
  TableViewCell* row = table.cellForRow({0, 0});
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(onScreen(*row).width, 1024);
  writeScreen("tablet_files_turned_as_they_came.png");
}

class HelpPageTurns : public TabletTurnsTest<HtmlViewController> {
 protected:
  // The page screen is the root: it is told its page before its view loads.
  void openPage() {
    app_ = std::make_shared<testsupport::NavApp>(
        [] { return HtmlViewController::helpPage("特权介绍", "te_quan_jie_shao.html", "设置"); });
    host_ = std::make_unique<HeadlessHost>(app_, HeadlessHost::Options{false});
    ASSERT_TRUE(host_->launch());
    waitFor([&] { return !screen().webView().isLoading(); });
  }
};

TEST_F(HelpPageTurns, ATurnReadsThePageAgainAndLaysItOutForTheTurnedWidth) {
  openPage();
  WebView& web = screen().webView();
  ASSERT_NE(web.document(), nullptr);
  const bool couldGoBack = web.canGoBack();

  turn(InterfaceOrientation::LandscapeLeft);
  waitFor([&] { return !web.isLoading(); });
  EXPECT_TRUE(web.canGoBack() && !couldGoBack) << "the page was loaded again on the turn";
  EXPECT_EQ(web.bounds().width, 1024);
  EXPECT_EQ(web.scrollView().contentSize().width, 1024);
  writeScreen("tablet_help_page_turned.png");
}

// A phone's screens stay upright.
class PhoneStaysUpright : public screentest::ScreenTest<HelpViewController> {};

TEST_F(PhoneStaysUpright, TheSettingsScreensRefuseToTurn) {
  open();
  EXPECT_FALSE(host_->rotate(InterfaceOrientation::LandscapeLeft));
  for (const std::shared_ptr<ViewController>& screen : std::vector<std::shared_ptr<ViewController>>{
           std::make_shared<ShareFileViewController>(), std::make_shared<PrivilegeViewController>(),
           HtmlViewController::helpPage("特权介绍", "te_quan_jie_shao.html", "设置")}) {
    app_->nav->pushViewController(screen, false);
    settle();
    EXPECT_FALSE(host_->rotate(InterfaceOrientation::LandscapeRight));
    EXPECT_EQ(screen->interfaceOrientation(), InterfaceOrientation::Portrait);
    app_->nav->popViewController(false);
    settle();
  }
}

}  // namespace
