// The chart's points for edge cases of its data; where ordinary points land is checked on the
// drawn charts and the chart pages.
#include "stats/DrawTable.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace plat;

namespace {

Value series(std::vector<Value> values) {
  return Value::array(std::move(values));
}
Value seriesList(std::vector<Value> list) {
  return Value::array(std::move(list));
}

// A chart of 300 x 250 with no side margin and 20 points above the plot area: the plot area is
// 0, 20, 300, 180 and ten columns are 30 points wide.
std::shared_ptr<DrawTable> tenColumns() {
  return std::make_shared<DrawTable>(Rect{40, 50, 300, 250}, Point{0, 20}, 10);
}

}  // namespace

TEST(DrawTable, AChartWithoutColumnsHasZeroWideColumns) {
  DrawTable chart({0, 0, 300, 250}, {0, 20}, 0);
  EXPECT_EQ(chart.HscaleSize(), 0);
  chart.setBeginPos({0});
  chart.PointData(seriesList({series({1, 2})}));
  ASSERT_EQ(chart.Points().size(), 1u);
  EXPECT_EQ(chart.Points()[0][0].x, 0.0f);
  EXPECT_EQ(chart.Points()[0][1].x, 0.0f);
}

TEST(DrawTable, AFixedTopIgnoresTheDataAndLetsValuesRiseAboveIt) {
  auto chart = tenColumns();
  chart->setMaxVNum(100);
  chart->setBeginPos({0});
  chart->PointData(seriesList({series({130, 3})}));
  EXPECT_EQ(chart->NumFromVScale(), 10);
  EXPECT_EQ(chart->VScaleNum(), 10);
  EXPECT_LT(chart->Points()[0][1].y, chart->drawRect().y);  // 130 above the top line
  EXPECT_FLOAT_EQ(chart->Points()[0][1].y, 200 - 13 * 18);
}

TEST(DrawTable, EachCallReplacesThePointsAndAnEmptyListChangesNothing) {
  auto chart = tenColumns();
  chart->setBeginPos({0, 0});
  chart->PointData(seriesList({series({1, 2, 3}), series({4})}));
  chart->PointData(seriesList({series({50, 40})}));
  ASSERT_EQ(chart->Points().size(), 1u);
  EXPECT_EQ(chart->Points()[0].size(), 2u);
  EXPECT_EQ(chart->NumFromVScale(), 5);
  EXPECT_EQ(chart->VScaleNum(), 10);

  chart->PointData(Value::array());
  EXPECT_EQ(chart->Points().size(), 1u);
  EXPECT_EQ(chart->NumFromVScale(), 5);
  EXPECT_EQ(chart->VScaleNum(), 10);
}

TEST(DrawTable, ASeriesWithoutABeginColumnStartsAtTheFirstColumn) {
  auto chart = tenColumns();
  chart->setBeginPos({3});
  chart->PointData(seriesList({series({1}), series({2, 1})}));
  EXPECT_FLOAT_EQ(chart->Points()[0][0].x, 90);
  EXPECT_FLOAT_EQ(chart->Points()[1][0].x, 0);
  EXPECT_FLOAT_EQ(chart->Points()[1][1].x, 30);
}
