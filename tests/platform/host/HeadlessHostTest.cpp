#include <gtest/gtest.h>

#include "platform/base/Files.h"
#include "platform/host/HeadlessHost.h"
#include "platform/view/Keyboard.h"
#include "platform/view/TableView.h"
#include "tests/platform/draw/InkBounds.h"
#include "tests/platform/host/SampleApp.h"
#include "tests/support/TempHome.h"

using namespace plat;
using testsupport::differs;
using testsupport::inkBounds;

namespace {

class Host : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = std::make_shared<testsupport::SampleApp>();
    host_ = std::make_unique<HeadlessHost>(app_);
    ASSERT_TRUE(host_->launch());
  }
  void TearDown() override { host_.reset(); }

  std::shared_ptr<testsupport::SampleApp> app_;
  std::unique_ptr<HeadlessHost> host_;
};

}  // namespace

TEST_F(Host, LaunchRunsTheDelegateAndShowsTheFirstScreen) {
  EXPECT_EQ(app_->events, (std::vector<std::string>{"launch", "active"}));
  EXPECT_EQ(Application::shared().keyWindow(), app_->window.get());
  EXPECT_NE(host_->findByText("复习/学习 review"), nullptr);
  EXPECT_NE(host_->findByTag(301), nullptr);
  EXPECT_EQ(host_->findByText("word 3"), nullptr) << "the other tab is not on screen";

  host_->enterBackground();
  host_->enterForeground();
  host_->memoryWarning();
  EXPECT_EQ(app_->events, (std::vector<std::string>{"launch", "active", "resign", "background",
                                                    "foreground", "active", "memory"}));
}

TEST_F(Host, TheScreenPictureHasTheViewsPixels) {
  auto screen = host_->renderScreen();
  ASSERT_TRUE(screen);
  EXPECT_EQ(screen->pixelWidth(), 640);
  EXPECT_FALSE(differs(screen->colorAtPoint({160, 90}), Color::rgb255(106, 207, 153), 0.05));
  auto ink = inkBounds(*screen, Color::white(), 10 * 2, 140 * 2, 310 * 2, 170 * 2);
  EXPECT_FALSE(ink.empty()) << "the label's text is in its rectangle";
  auto page = inkBounds(*screen, Color::white(), 10 * 2, 350 * 2, 310 * 2, 460 * 2);
  EXPECT_FALSE(page.empty()) << "the web page is drawn";
  auto tabBar = screen->colorAtPoint({5, 540});
  EXPECT_TRUE(differs(tabBar, Color::black(), 0.1));

  std::string dir = testsupport::makeTempDir("vocab-shot");
  ASSERT_TRUE(host_->writeScreen(dir + "/review.png"));
  auto back = Image::fromFile(dir + "/review.png", 2);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->size(), (Size{320, 568}));
  ASSERT_TRUE(HeadlessHost::writeView(*host_->findByTag(300), dir + "/strip.png"));
  EXPECT_EQ(Image::fromFile(dir + "/strip.png", 2)->size(), (Size{320, 60}));
  files::remove(dir);
}

TEST_F(Host, TappingAButtonPushesAndTheBackButtonReturns) {
  ASSERT_TRUE(host_->tap(host_->findButton("下一页")));
  host_->advance(1);
  EXPECT_NE(host_->findByText("detail 详情"), nullptr);
  EXPECT_EQ(host_->findByText("复习/学习 review"), nullptr);
  ASSERT_TRUE(host_->tap(host_->findButton("‹ 复习")));
  host_->advance(1);
  EXPECT_NE(host_->findByText("复习/学习 review"), nullptr);
}

TEST_F(Host, ACoveredButtonCannotBeTapped) {
  Button* covered = host_->findButton("被挡住");
  ASSERT_NE(covered, nullptr);
  EXPECT_FALSE(host_->tap(covered));
  EXPECT_FALSE(host_->tap(nullptr));
}

TEST_F(Host, TypingGoesIntoTheTappedField) {
  EXPECT_FALSE(host_->type("x")) << "no field is being edited";
  ASSERT_TRUE(host_->tap(host_->findByTag(302)));
  EXPECT_TRUE(Keyboard::isVisible());
  EXPECT_TRUE(host_->type("abandon 放弃"));
  EXPECT_EQ(host_->findByTag(302)->displayedText(), "abandon 放弃");
  EXPECT_TRUE(host_->deleteBackward());
  EXPECT_EQ(host_->findByTag(302)->displayedText(), "abandon 放");
}

TEST_F(Host, AlertButtonsArePressedByTitle) {
  EXPECT_FALSE(host_->pressAlertButton("保留数据"));
  ASSERT_TRUE(host_->tap(host_->findButton("提示")));
  ASSERT_NE(host_->visibleAlert(), nullptr);
  EXPECT_NE(host_->findContainingText("保留数据?"), nullptr);
  EXPECT_FALSE(host_->tap(host_->findButton("下一页"))) << "the alert covers the screen";
  EXPECT_TRUE(host_->pressAlertButton("保留数据"));
  EXPECT_EQ(app_->alertButtons, (std::vector<int>{1}));
  EXPECT_EQ(host_->visibleAlert(), nullptr);
}

TEST_F(Host, TabsTablesAndScrolling) {
  TabBar& bar = app_->tabs->tabBar();
  Rect item = bar.itemRect(1);
  host_->tapAt(bar.convertPointTo(item.center(), nullptr));
  EXPECT_EQ(app_->tabs->selectedIndex(), 1);
  View* row = host_->findByText("word 3");
  ASSERT_NE(row, nullptr);
  EXPECT_TRUE(host_->tap(row));
  EXPECT_EQ(app_->selectedRows, (std::vector<int>{3}));

  auto* table = dynamic_cast<TableView*>(app_->tabs->selectedViewController()->view().get());
  ASSERT_NE(table, nullptr);
  host_->scroll(table, 0, -300);
  EXPECT_NEAR(table->contentOffset().y, 300, 1e-6);
  EXPECT_EQ(host_->findByText("word 0"), nullptr);
  EXPECT_NE(host_->findByText("word 12"), nullptr);
}
