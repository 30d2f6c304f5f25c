#include <gtest/gtest.h>

#include "platform/base/Device.h"
#include "platform/host/HeadlessHost.h"
#include "platform/view/ActionSheet.h"
#include "platform/view/AlertView.h"
#include "platform/view/Label.h"
#include "platform/view/Screen.h"
#include "platform/view/ViewController.h"
#include "platform/view/Window.h"

using namespace plat;

namespace {

// Makes its placeholder label the first time it is drawn, as a text view with a placeholder does.
class PlaceholderView : public View {
 public:
  using View::View;
  int draws = 0;
  void drawRect(DrawContext&, const Rect&) override {
    if (++draws == 1) {
      auto label = std::make_shared<Label>(Rect(8, 8, 100, 20));
      label->setText("请输入");
      addSubview(label);
    }
  }
};

class Turning : public ViewController {
 public:
  std::vector<std::string> calls;
  bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation) override { return true; }
  void willRotateToInterfaceOrientation(InterfaceOrientation, double) override {
    calls.push_back("will " + std::to_string(view()->bounds().width));
  }
  void didRotateFromInterfaceOrientation(InterfaceOrientation from) override {
    calls.push_back("did from " + std::to_string(int(from)));
  }
};

class OneScreen : public ApplicationDelegate {
 public:
  std::shared_ptr<Window> window;
  std::shared_ptr<PlaceholderView> field;
  std::shared_ptr<Turning> root;
  bool didFinishLaunching(Application&, const Value&) override {
    window = std::make_shared<Window>();
    root = std::make_shared<Turning>();
    window->setRootViewController(root);
    field = std::make_shared<PlaceholderView>(Rect(10, 100, 300, 100));
    root->view()->addSubview(field);
    window->makeKeyAndVisible();
    return true;
  }
};

}  // namespace

TEST(HostDisplay, ViewsAreDrawnWhenTheyAskWithoutTakingAPicture) {
  auto app = std::make_shared<OneScreen>();
  HeadlessHost host(app);
  host.launch();
  EXPECT_EQ(app->field->draws, 1);
  EXPECT_NE(host.findByText("请输入"), nullptr) << "what drawing set up is there";
  host.runUntilIdle();
  EXPECT_EQ(app->field->draws, 1) << "nothing asked again";
  app->field->setNeedsDisplay();
  host.advance(0.1);
  EXPECT_EQ(app->field->draws, 2);
  app->field->setHidden(true);
  app->field->setNeedsDisplay();
  host.runUntilIdle();
  EXPECT_EQ(app->field->draws, 2) << "hidden views are not drawn";
}

TEST(HostDisplay, TurningATabletSwapsTheScreenAndTellsTheScreens) {
  DeviceInfo tablet = Device::current();
  tablet.idiom = DeviceIdiom::Tablet;
  tablet.screenWidth = 768;
  tablet.screenHeight = 1024;
  Device::override(tablet);
  auto app = std::make_shared<OneScreen>();
  HeadlessHost host(app);
  host.launch();
  ASSERT_TRUE(host.rotate(InterfaceOrientation::LandscapeLeft));
  EXPECT_EQ(Screen::main().bounds(), Rect(0, 0, 1024, 768));
  EXPECT_EQ(app->window->bounds().size(), (Size{1024, 768}));
  EXPECT_EQ(app->root->interfaceOrientation(), InterfaceOrientation::LandscapeLeft);
  EXPECT_EQ(Application::shared().statusBarOrientation(), InterfaceOrientation::LandscapeLeft);
  EXPECT_EQ(app->root->calls, (std::vector<std::string>{"will 768.000000", "did from 1"}))
      << "told before the turn, at the old size";
  EXPECT_FALSE(host.rotate(InterfaceOrientation::LandscapeLeft)) << "already turned";
}

// An alert up while the tablet turns stays in the middle of the turned screen, as it was in the
// middle of the upright one.
TEST(HostDisplay, AnAlertUpWhileTheTabletTurnsStaysInTheMiddle) {
  Screen::main().configure({768, 1024}, 2, UserInterfaceIdiom::Pad);
  auto app = std::make_shared<OneScreen>();
  HeadlessHost host(app);
  host.launch();
  auto alert = AlertView::create("提示", "把 3 个新的幸运单词加入学习计划吗？", nullptr, "取消",
                                 {"加入规划"});
  alert->show();
  host.runUntilIdle();
  const Point upright = alert->convertRectTo(alert->bounds(), nullptr).center();
  EXPECT_NEAR(upright.x, 384, 0.5);
  for (auto turn : {InterfaceOrientation::LandscapeLeft, InterfaceOrientation::Portrait}) {
    ASSERT_TRUE(host.rotate(turn));
    host.advance(1);
    const Rect onScreen = alert->convertRectTo(alert->bounds(), nullptr);
    EXPECT_NEAR(onScreen.midX(), Screen::main().bounds().midX(), 0.5);
    EXPECT_NEAR(onScreen.midY(), Screen::main().bounds().midY(), 12) << "between the bars";
  }
  EXPECT_EQ(alert->convertRectTo(alert->bounds(), nullptr).center(), upright);
  alert->dismissWithClickedButtonIndex(0, false);
  host.runUntilIdle();
  Application::shared().setStatusBarOrientation(InterfaceOrientation::Portrait);
  Screen::main().reset();
}

// A sheet shown after the tablet turned dims the whole turned screen and spans its width; one up
// while it turns follows it, along the bottom.
TEST(HostDisplay, SheetsAndTheirDimmedScreenFollowTheTurnedTablet) {
  Screen::main().configure({768, 1024}, 2, UserInterfaceIdiom::Pad);
  auto app = std::make_shared<OneScreen>();
  HeadlessHost host(app);
  host.launch();
  auto first = ActionSheet::create("", nullptr, "取消", "", {"向上备份", "向下同步"});
  first->showInView(app->root->view().get());
  host.runUntilIdle();
  first->dismissWithClickedButtonIndex(first->cancelButtonIndex(), false);
  host.runUntilIdle();

  ASSERT_TRUE(host.rotate(InterfaceOrientation::LandscapeLeft));
  auto sheet = ActionSheet::create("", nullptr, "取消", "", {"向上备份", "向下同步"});
  sheet->showInView(app->root->view().get());
  host.runUntilIdle();
  for (int turn = 0; turn < 2; ++turn) {
    const Rect screen = Screen::main().bounds();
    ASSERT_NE(sheet->window(), nullptr);
    EXPECT_EQ(sheet->window()->frame(), screen) << "the dimmed screen";
    const Rect onScreen = sheet->convertRectTo(sheet->bounds(), nullptr);
    EXPECT_NEAR(onScreen.midX(), screen.midX(), 0.5) << turn;
    EXPECT_LE(onScreen.maxX(), screen.maxX()) << turn;
    EXPECT_NEAR(onScreen.maxY(), screen.maxY() - 8, 8) << "along the bottom";
    for (int i = 0; i < sheet->numberOfButtons(); ++i)
      EXPECT_NEAR(sheet->buttonAtIndex(i)->frame().width, onScreen.width, 0.5) << i;
    if (turn == 0) {
      ASSERT_TRUE(host.rotate(InterfaceOrientation::Portrait));
    }
    host.advance(1);
  }
  sheet->dismissWithClickedButtonIndex(sheet->cancelButtonIndex(), false);
  host.runUntilIdle();
  Application::shared().setStatusBarOrientation(InterfaceOrientation::Portrait);
  Screen::main().reset();
}
