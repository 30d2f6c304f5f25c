#include <gtest/gtest.h>

#include "platform/host/HeadlessHost.h"
#include "platform/view/ActionSheet.h"
#include "platform/view/GestureRecognizer.h"
#include "platform/view/Window.h"

using namespace plat;

namespace {

// One screen with a view that recognizes gestures, and a sheet it can show.
class GestureApp : public ApplicationDelegate, public ActionSheetDelegate {
 public:
  std::shared_ptr<Window> window;
  std::shared_ptr<View> pad;
  int longPresses = 0;
  Point velocity;
  std::vector<int> sheetButtons;

  bool didFinishLaunching(Application&, const Value&) override {
    window = std::make_shared<Window>();
    pad = std::make_shared<View>(Rect(0, 100, 320, 300));
    pad->setTag(9);
    pad->addGestureRecognizer(
        std::make_shared<LongPressGestureRecognizer>([this](GestureRecognizer& g) {
          if (g.state() == GestureState::Began) ++longPresses;
        }));
    pad->addGestureRecognizer(std::make_shared<PanGestureRecognizer>([this](GestureRecognizer& g) {
      if (g.state() == GestureState::Ended) {
        velocity = static_cast<PanGestureRecognizer&>(g).velocityInView(pad.get());
      }
    }));
    window->addSubview(pad);
    window->makeKeyAndVisible();
    return true;
  }
  void clickedButtonAtIndex(ActionSheet&, int index) override { sheetButtons.push_back(index); }
};

}  // namespace

TEST(HostGestures, HeldFingersAndTimedSwipesReachTheRecognizers) {
  auto app = std::make_shared<GestureApp>();
  HeadlessHost host(app);
  host.launch();
  View* pad = host.findByTag(9);
  ASSERT_NE(pad, nullptr);
  host.longPress(pad, 0.4);
  EXPECT_EQ(app->longPresses, 0);
  host.longPress(pad, 0.6);
  EXPECT_EQ(app->longPresses, 1);

  host.swipe({50, 200}, {250, 200}, 10, 0.5);
  EXPECT_NEAR(app->velocity.x, 400, 0.01) << "200 points in half a second";
  EXPECT_NEAR(app->velocity.y, 0, 0.01);
}

TEST(HostGestures, SheetButtonsArePressedByTitle) {
  auto app = std::make_shared<GestureApp>();
  HeadlessHost host(app);
  host.launch();
  ActionSheet::create("", app.get(), "取消", "", {"概要", "遗忘曲线"})
      ->showInView(app->window.get());
  ASSERT_NE(host.visibleActionSheet(), nullptr);
  EXPECT_NE(host.findContainingText("遗忘"), nullptr);
  EXPECT_FALSE(host.pressAlertButton("压力曲线"));
  EXPECT_TRUE(host.pressAlertButton("遗忘曲线"));
  EXPECT_EQ(app->sheetButtons, (std::vector<int>{1}));
  EXPECT_EQ(host.visibleActionSheet(), nullptr);
}
