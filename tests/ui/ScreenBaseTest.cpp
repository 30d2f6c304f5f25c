#include <memory>
#include <string>

#include "platform/draw/Image.h"
#include "platform/view/NavigationBar.h"
#include "tests/platform/draw/InkBounds.h"
#include "tests/ui/UiHost.h"
#include "ui/MyCustomNavBar.h"

using namespace plat;

namespace {

class ScreenBase : public uitest::UiTest {
 protected:
  void TearDown() override {
    NavigationBar::setDefaultBackgroundImage(nullptr);
    UiTest::TearDown();
  }
};

}  // namespace

TEST_F(ScreenBase, ABaseScreenStartsBelowTheNavigationBar) {
  EXPECT_EQ(app_->root->edgesForExtendedLayout(), kRectEdgeNone);
  EXPECT_FALSE(app_->root->extendedLayoutIncludesOpaqueBars());
  Rect frame = app_->root->view()->convertRectTo(app_->root->view()->bounds(), nullptr);
  EXPECT_EQ(frame.y, 64);

  auto plain = std::make_shared<ViewController>();
  app_->nav->pushViewController(plain, false);
  host_->runUntilIdle();
  EXPECT_EQ(plain->view()->convertRectTo(plain->view()->bounds(), nullptr).y, 0)
      << "a plain screen runs under the bar";
}

TEST_F(ScreenBase, EveryNavigationBarDrawsTheSkin) {
  auto skin = Image::named("gui/nav.png");
  ASSERT_TRUE(skin) << "drawn into the bundle by the build";
  MyCustomNavBar::install();
  app_->nav->navigationBar().setNeedsDisplay();
  host_->runUntilIdle();
  auto screen = host_->renderScreen();
  ASSERT_TRUE(screen);
  // Away from the title, the bar shows the skin's own green.
  Color expected = skin->colorAtPoint({20, 22});
  EXPECT_FALSE(testsupport::differs(screen->colorAtPoint({20, 20 + 22}), expected, 0.08));
  EXPECT_TRUE(testsupport::differs(screen->colorAtPoint({20, 42}), Color::white(0.97), 0.1));
}

// The message box is stretched from its middle: it must be wider than its caps of 50 points.
TEST_F(ScreenBase, TheBuildDrawsTheBoxImageWithRoomForItsCaps) {
  auto box = Image::named("gui/aler.png");
  ASSERT_TRUE(box);
  EXPECT_GT(box->size().width, 100);
  EXPECT_EQ(box->scale(), 2);
  EXPECT_GT(box->colorAtPoint({50, 50}).a, 0.9) << "the box is opaque at its centre";
  EXPECT_LT(box->colorAtPoint({0.5, 0.5}).a, 0.5) << "and rounded at its corners";
}
