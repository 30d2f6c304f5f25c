// The chart pages' scrolling chart: made on the first refresh, lined up with its scale, as wide as
// the device asks.
#include <gtest/gtest.h>

#include <memory>

#include "platform/view/ScrollView.h"
#include "stats/DrawVScale.h"
#include "stats/LearnReviewUIView.h"
#include "stats/OblivionUIView.h"
#include "tests/stats/ChartPageFixture.h"

using namespace plat;

namespace {

using chartpagetest::ChartPageTest;

TEST_F(ChartPageTest, TheChartWaitsForTheFirstRefreshAndItsScaleLinesUpWithIt) {
  LearnReviewUIView page(pageFrame_);
  EXPECT_EQ(page.viewWithTag(13), nullptr);
  page.refreshData();
  ASSERT_NE(page.chart(), nullptr);
  auto* scroll = dynamic_cast<ScrollView*>(page.viewWithTag(12));
  ASSERT_NE(scroll, nullptr);
  EXPECT_EQ(scroll->contentSize().width, page.chart()->frame().width);
  // The value scale beside the scrolling chart covers the same plot area.
  const Rect scale = page.valueScale()->drawRect(), plot = page.chart()->drawRect();
  EXPECT_EQ(scale.y, plot.y);
  EXPECT_EQ(scale.height, plot.height);
  EXPECT_GT(page.chart()->frame().width, scroll->frame().width) << "the chart scrolls";
}

TEST_F(ChartPageTest, OnATabletTheChartIsOnlyFiftyPointsWiderThanThePage) {
  useIdiom(DeviceIdiom::Tablet);
  LearnReviewUIView learning(pageFrame_);
  OblivionUIView oblivion(pageFrame_);
  EXPECT_EQ(learning.getScrollWidth(), 370);
  EXPECT_EQ(oblivion.getScrollWidth(), 370);
  learning.refreshData();
  EXPECT_EQ(learning.chart()->frame().width, 370);

  // After a rotation the content size follows the new page width.
  learning.setFrame({0, 0, 500, 460});
  learning.refreshContentSize();
  auto* scroll = dynamic_cast<ScrollView*>(learning.viewWithTag(12));
  EXPECT_EQ(scroll->contentSize().width, 550);
}

}  // namespace
