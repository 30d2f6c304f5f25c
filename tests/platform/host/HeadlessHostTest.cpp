#include <gtest/gtest.h>

#include "platform/base/Files.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/PointerInput.h"
#include "platform/view/GestureRecognizer.h"
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

TEST_F(Host, LaunchShowsTheFirstScreenAndItsPicture) {
  EXPECT_EQ(app_->events, (std::vector<std::string>{"launch", "active"}));
  EXPECT_EQ(Application::shared().keyWindow(), app_->window.get());
  EXPECT_NE(host_->findByText("复习/学习 review"), nullptr);
  EXPECT_NE(host_->findByTag(301), nullptr);
  EXPECT_EQ(host_->findByText("word 3"), nullptr) << "the other tab is not on screen";

  host_->memoryWarning();
  EXPECT_EQ(app_->events, (std::vector<std::string>{"launch", "active", "memory"}));

  auto screen = host_->renderScreen();
  ASSERT_TRUE(screen);
  EXPECT_EQ(screen->pixelWidth(), 640);
  EXPECT_FALSE(differs(screen->colorAtPoint({160, 90}), Color::rgb255(106, 207, 153), 0.05));
  auto page = inkBounds(*screen, Color::white(), 10 * 2, 350 * 2, 310 * 2, 460 * 2);
  EXPECT_FALSE(page.empty()) << "the web page is drawn";
  EXPECT_TRUE(differs(screen->colorAtPoint({5, 540}), Color::black(), 0.1)) << "the tab bar";

  std::string dir = testsupport::makeTempDir("vocab-shot");
  ASSERT_TRUE(host_->writeScreen(dir + "/review.png"));
  auto back = Image::fromFile(dir + "/review.png", 2);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->size(), (Size{320, 568}));
  ASSERT_TRUE(HeadlessHost::writeView(*host_->findByTag(300), dir + "/strip.png"));
  EXPECT_EQ(Image::fromFile(dir + "/strip.png", 2)->size(), (Size{320, 60}));
  files::remove(dir);
}

TEST_F(Host, AlertButtonsArePressedByTitleAndWhatAFingerCouldNotDoFails) {
  EXPECT_FALSE(host_->pressAlertButton("保留数据")) << "no alert is up";
  EXPECT_FALSE(host_->tap(host_->findButton("被挡住"))) << "a covered button";
  EXPECT_FALSE(host_->tap(nullptr));
  EXPECT_FALSE(host_->type("x")) << "no field is being edited";
  ASSERT_TRUE(host_->tap(host_->findButton("提示")));
  ASSERT_NE(host_->visibleAlert(), nullptr);
  EXPECT_NE(host_->findContainingText("保留数据?"), nullptr);
  EXPECT_FALSE(host_->tap(host_->findButton("下一页"))) << "the alert covers the screen";
  EXPECT_TRUE(host_->pressAlertButton("保留数据"));
  EXPECT_EQ(app_->alertButtons, (std::vector<int>{1}));
  EXPECT_EQ(host_->visibleAlert(), nullptr);
}

// The words tab is opened with a pointer click, which is a tap.
TEST_F(Host, TablesScrollByFingerAndByWheelWithinTheirContent) {
  PointerInput pointer;
  TabBar& bar = app_->tabs->tabBar();
  const Point wordsTab = bar.convertPointTo(bar.itemRect(1).center(), nullptr);
  pointer.press(wordsTab);
  EXPECT_TRUE(pointer.isPressed());
  pointer.release(wordsTab);
  host_->runUntilIdle();
  ASSERT_EQ(app_->tabs->selectedIndex(), 1);
  auto& table = dynamic_cast<ScrollView&>(*app_->tabs->selectedViewController()->view());
  ASSERT_TRUE(host_->tap(host_->findByText("word 3")));
  EXPECT_EQ(app_->selectedRows, (std::vector<int>{3}));
  host_->scroll(&table, 0, -300);
  EXPECT_NEAR(table.contentOffset().y, 300, 1e-6);
  EXPECT_EQ(host_->findByText("word 0"), nullptr);
  EXPECT_NE(host_->findByText("word 12"), nullptr);

  EXPECT_TRUE(PointerInput::wheel({160, 200}, 0, -180));
  EXPECT_DOUBLE_EQ(table.contentOffset().y, 120);
  EXPECT_FALSE(PointerInput::wheel({160, 200}, 80, 0)) << "the table does not scroll sideways";
  EXPECT_TRUE(PointerInput::wheel({160, 200}, 0, 100000));
  EXPECT_DOUBLE_EQ(table.contentOffset().y, table.maximumOffset().y);
  EXPECT_TRUE(PointerInput::wheel({160, 200}, 0, -100000));
  EXPECT_DOUBLE_EQ(table.contentOffset().y, table.minimumOffset().y);
}

TEST_F(Host, HeldFingersAndTimedSwipesReachTheRecognizers) {
  auto pad = std::make_shared<View>(Rect(0, 100, 320, 300));
  int longPresses = 0;
  Point velocity;
  pad->addGestureRecognizer(std::make_shared<LongPressGestureRecognizer>([&](GestureRecognizer& g) {
    if (g.state() == GestureState::Began) ++longPresses;
  }));
  pad->addGestureRecognizer(std::make_shared<PanGestureRecognizer>([&](GestureRecognizer& g) {
    if (g.state() == GestureState::Ended)
      velocity = static_cast<PanGestureRecognizer&>(g).velocityInView(pad.get());
  }));
  app_->window->addSubview(pad);
  host_->longPress(pad.get(), 0.4);
  EXPECT_EQ(longPresses, 0);
  host_->longPress(pad.get(), 0.6);
  EXPECT_EQ(longPresses, 1);

  host_->swipe({50, 200}, {250, 200}, 10, 0.5);
  EXPECT_NEAR(velocity.x, 400, 0.01) << "200 points in half a second";
  EXPECT_NEAR(velocity.y, 0, 0.01);
}
