// The fixed frame of the chart pages: tags, frames, order, and the width of the scrolling chart.
#include <gtest/gtest.h>

#include <memory>

#include "platform/view/ImageView.h"
#include "platform/view/Label.h"
#include "platform/view/ScrollView.h"
#include "stats/DrawVScale.h"
#include "stats/FamiliarityUIView.h"
#include "stats/LearnReviewUIView.h"
#include "stats/LineUIView.h"
#include "stats/OblivionUIView.h"
#include "stats/PressureUIView.h"
#include "tests/stats/ChartPageFixture.h"

using namespace plat;

namespace {

using chartpagetest::ChartPageTest;

void expectFrame(const View* view, Rect expected) {
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->frame(), expected);
}

TEST_F(ChartPageTest, LearningPageLaysOutTitleScaleScrollLegendAndBackground) {
  LearnReviewUIView page(pageFrame_);
  EXPECT_EQ(page.DataViewX(), 40);
  expectFrame(page.viewWithTag(11), {10, 0, 300, 50});
  expectFrame(page.viewWithTag(14), {0, 50, 41, 340});
  expectFrame(page.viewWithTag(12), {41, 50, 254, 340});
  EXPECT_EQ(page.viewWithTag(13), nullptr) << "the chart waits for the first refresh";

  auto* scroll = dynamic_cast<ScrollView*>(page.viewWithTag(12));
  ASSERT_NE(scroll, nullptr);
  EXPECT_EQ(scroll->contentSize(), (Size{640, 340}));
  EXPECT_FALSE(scroll->showsHorizontalScrollIndicator());
  // The scale's plot area lines up with the chart's: y 20, height h - 190.
  EXPECT_EQ(page.valueScale()->drawRect().y, 20);
  EXPECT_EQ(page.valueScale()->drawRect().height, 270);

  // Back to front: background, scroll view, value scale, title, legend.
  const auto& views = page.subviews();
  ASSERT_EQ(views.size(), 5u);
  ASSERT_NE(dynamic_cast<ImageView*>(views[0].get()), nullptr);
  EXPECT_EQ(views[0]->frame(), (Rect{5, 50, 310, 400}));
  EXPECT_EQ(views[1].get(), scroll);
  EXPECT_EQ(views[2].get(), page.viewWithTag(14));
  EXPECT_EQ(views[3].get(), page.viewWithTag(11));
  auto* legend = dynamic_cast<LineUIView*>(views[4].get());
  ASSERT_NE(legend, nullptr);
  EXPECT_EQ(legend->frame(), (Rect{5, 390, 310, 60}));
  EXPECT_EQ(legend->lineName(),
            (std::vector<std::string>{"新学习单词数", "已复习单词数", "待复习单词数"}));
}

TEST_F(ChartPageTest, EachPageHasItsOwnTagsMarginAndLegendHeight) {
  FamiliarityUIView familiarity(pageFrame_);
  for (int tag : {21, 22, 24}) EXPECT_NE(familiarity.viewWithTag(tag), nullptr) << tag;

  OblivionUIView oblivion(pageFrame_);
  EXPECT_EQ(oblivion.DataViewX(), 50);
  expectFrame(oblivion.viewWithTag(34), {0, 50, 51, 340});
  expectFrame(oblivion.viewWithTag(32), {51, 50, 244, 340});
  EXPECT_EQ(oblivion.valueScale()->scaleSign(), "%");
  EXPECT_EQ(oblivion.getScrollWidth(), 740);

  PressureUIView pressure(pageFrame_);
  for (int tag : {41, 42, 44}) EXPECT_NE(pressure.viewWithTag(tag), nullptr) << tag;
  EXPECT_EQ(pressure.subviews().front()->frame(), (Rect{5, 50, 310, 380}));
  EXPECT_EQ(pressure.subviews().back()->frame(), (Rect{5, 390, 310, 40}));
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
