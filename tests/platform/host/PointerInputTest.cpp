// The desktop pointer on the sample application: a click is a tap of the window under it, and the
// wheel scrolls the table under the pointer without running past its content.
#include <gtest/gtest.h>

#include "platform/host/HeadlessHost.h"
#include "platform/host/PointerInput.h"
#include "tests/platform/host/SampleApp.h"

using namespace plat;

TEST(PointerInput, ClicksTapAndTheWheelScrollsWithinTheContent) {
  auto app = std::make_shared<testsupport::SampleApp>();
  HeadlessHost host(app);
  host.launch();
  PointerInput pointer;
  TabBar& bar = app->tabs->tabBar();
  const Point wordsTab = bar.convertPointTo(bar.itemRect(1).center(), nullptr);
  pointer.press(wordsTab);
  EXPECT_TRUE(pointer.isPressed());
  pointer.release(wordsTab);
  host.runUntilIdle();
  EXPECT_EQ(app->tabs->selectedIndex(), 1);

  auto* table = dynamic_cast<ScrollView*>(app->tabs->selectedViewController()->view().get());
  ASSERT_NE(table, nullptr);
  EXPECT_TRUE(PointerInput::wheel({160, 200}, 0, 120));
  EXPECT_DOUBLE_EQ(table->contentOffset().y, 120);
  EXPECT_FALSE(PointerInput::wheel({160, 200}, 80, 0)) << "the table does not scroll sideways";
  EXPECT_TRUE(PointerInput::wheel({160, 200}, 0, 100000));
  EXPECT_DOUBLE_EQ(table->contentOffset().y, table->maximumOffset().y);
  EXPECT_TRUE(PointerInput::wheel({160, 200}, 0, -100000));
  EXPECT_DOUBLE_EQ(table->contentOffset().y, table->minimumOffset().y);
  host.runUntilIdle();
  EXPECT_NE(host.findByText("word 0"), nullptr);
}
