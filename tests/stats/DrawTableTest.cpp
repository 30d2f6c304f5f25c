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

TEST(DrawTable, TheLastElementIsDrawnLeftmostFromTheBeginColumn) {
  DrawTable chart({0, 0, 300, 250}, {0, 20}, 17);
  chart.setBeginPos({2});
  std::vector<Value> days;
  for (int i = 0; i < 14; ++i) days.push_back(100 - i);  // today first
  chart.PointData(seriesList({series(days)}));

  ASSERT_EQ(chart.Points().size(), 1u);
  const std::vector<P_Point>& points = chart.Points()[0];
  ASSERT_EQ(points.size(), 14u);
  const float column = float(300.0 / 17);
  EXPECT_FLOAT_EQ(points.front().x, 2 * column);  // 13 days ago
  EXPECT_FLOAT_EQ(points.back().x, 15 * column);  // today, element 0
  // Top 100: steps of 10, 10 of them, 18 points each over the 180-point plot area.
  EXPECT_EQ(chart.NumFromVScale(), 10);
  EXPECT_EQ(chart.VScaleNum(), 10);
  EXPECT_DOUBLE_EQ(chart.VscaleSize(), 18);
  EXPECT_FLOAT_EQ(points.back().y, 200 - 100 / 10.0f * 18);
  EXPECT_FLOAT_EQ(points.front().y, 200 - 87 / 10.0f * 18);
}

TEST(DrawTable, NullsLeaveTheirColumnsEmptyAndStringsReadAsNumbers) {
  auto chart = tenColumns();
  chart->setBeginPos({1, 0});
  chart->PointData(seriesList({series({"33.7", Value(), 4, Value()}), series({Value(), Value()})}));

  // M 33.7: step ceil(ceil(3.37) / 5) * 5 = 5, 7 steps.
  EXPECT_EQ(chart->NumFromVScale(), 5);
  EXPECT_EQ(chart->VScaleNum(), 7);
  EXPECT_FLOAT_EQ(float(chart->VscaleSize()), 180.0f / 7);
  const std::vector<P_Point>& points = chart->Points()[0];
  ASSERT_EQ(points.size(), 2u);
  EXPECT_FLOAT_EQ(points[0].x, 60);   // element 2 in column 1 + 1
  EXPECT_FLOAT_EQ(points[1].x, 120);  // element 0 in column 1 + 3
  EXPECT_FLOAT_EQ(points[1].y, float(200 - double(33.7f / 5.0f) * chart->VscaleSize()));
  EXPECT_TRUE(chart->Points()[1].empty());
}

TEST(DrawTable, ZerosAndNullsGiveTheSmallestScale) {
  auto chart = tenColumns();
  chart->setBeginPos({0});
  chart->PointData(seriesList({series({0, 0, 0}), series({Value(), Value()})}));
  EXPECT_EQ(chart->NumFromVScale(), 1);
  EXPECT_EQ(chart->VScaleNum(), 5);
  for (const P_Point& p : chart->Points()[0]) EXPECT_EQ(p.y, 200.0f);
  EXPECT_TRUE(chart->Points()[1].empty());
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
