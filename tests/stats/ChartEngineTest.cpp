// The chart engine: the scale, points for edge cases of the data, and charts drawn through the view
// renderer, checked pixel by pixel at 2 pixels per point.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/view/ScrollView.h"
#include "platform/view/ViewRenderer.h"
#include "stats/ChartPageStyle.h"
#include "stats/ChartScale.h"
#include "stats/ChartStyle.h"
#include "stats/ColumnLabel.h"
#include "stats/DrawTable.h"
#include "stats/DrawVScale.h"
#include "stats/LineUIView.h"
#include "tests/platform/draw/InkBounds.h"

using namespace plat;
using testsupport::differs;
using testsupport::inkBounds;
using testsupport::PixelBox;

namespace {

constexpr double kScale = 2;
const Color kRed = chartpage::red(), kGreen = chartpage::green(), kYellow = chartpage::yellow();
const Color kGrey = chartstyle::textGrey();
const Color kEvenStripe = Color::rgb255(41, 51, 51);
const Color kOddStripe = Color::white(51.0 / 255);
const Color kGrid = Color::white(54.0 / 255);

Value list(std::vector<Value> items) {
  return Value::array(std::move(items));
}

// The pixel whose top left corner is the point (x, y).
Color at(const Image& image, double x, double y) {
  return image.pixel(int(x * kScale), int(y * kScale));
}

bool exactly(const Color& a, const Color& b) {
  return !differs(a, b, 0.003);
}
bool near(const Color& a, const Color& b) {
  return !differs(a, b, 0.05);
}

// Ink of the points rectangle, against a transparent background.
PixelBox inkIn(const Image& image, const Rect& r) {
  return inkBounds(image, Color::clear(), int(r.x * kScale), int(r.y * kScale),
                   int(r.maxX() * kScale), int(r.maxY() * kScale));
}

// Whether some solid pixel of the rectangle has the colour (the cores of text glyphs do).
bool hasSolid(const Image& image, const Rect& r, const Color& color) {
  for (int y = int(r.y * kScale); y < int(r.maxY() * kScale); ++y) {
    for (int x = int(r.x * kScale); x < int(r.maxX() * kScale); ++x) {
      Color c = image.pixel(x, y);
      if (c.a > 0.99 && near(c, color)) return true;
    }
  }
  return false;
}

// 300 x 250, plot area 0, 20, 300, 180 in ten columns of 30 points.
std::shared_ptr<DrawTable> tenColumns() {
  return std::make_shared<DrawTable>(Rect{0, 0, 300, 250}, Point{0, 20}, 10);
}

struct Band {
  float top;
  int64_t step;
  int64_t steps;
};

}  // namespace

TEST(ChartScale, TopValuesFallIntoTheirBands) {
  const std::vector<Band> bands = {
      {0, 1, 5},       {-40, 1, 5},    {5, 1, 5},      {5.5f, 2, 3},
      {20, 2, 10},     {21, 5, 5},     {200, 20, 10},  {201, 30, 7},
      {1000, 100, 10}, {1001, 150, 7}, {2001, 300, 7}, {20000, 2000, 10},
  };
  for (const Band& band : bands) {
    ChartScale scale = chartscale::forTop(band.top);
    EXPECT_EQ(scale.step, band.step) << "top " << band.top;
    EXPECT_EQ(scale.stepCount, band.steps) << "top " << band.top;
  }
  ChartScale absurd = chartscale::forTop(3e38f);  // still a whole scale
  EXPECT_GT(absurd.step, 0);
  EXPECT_GT(absurd.stepCount, 0);
}

TEST(ChartScale, ElementsReadAsNumbersOrStayEmpty) {
  EXPECT_EQ(chartscale::valueOf(Value(2.5)), 2.5f);
  EXPECT_EQ(chartscale::valueOf(Value("33.7")), 33.7f);
  EXPECT_EQ(chartscale::valueOf(Value("  -4.5 days")), -4.5f);
  EXPECT_EQ(chartscale::valueOf(Value("none")), 0.0f);

  EXPECT_EQ(chartscale::valueOf(Value()), std::nullopt);
  EXPECT_EQ(chartscale::valueOf(Value("nan")), std::nullopt);
  EXPECT_EQ(chartscale::valueOf(Value("inf")), std::nullopt);
  EXPECT_EQ(chartscale::valueOf(Value(1e300)), std::nullopt);
  EXPECT_EQ(chartscale::valueOf(Value::array({1})), std::nullopt);
}

TEST(DrawTable, AChartWithoutColumnsHasZeroWideColumns) {
  DrawTable chart({0, 0, 300, 250}, {0, 20}, 0);
  EXPECT_EQ(chart.HscaleSize(), 0);
  chart.setBeginPos({0});
  chart.PointData(list({list({1, 2})}));
  ASSERT_EQ(chart.Points().size(), 1u);
  EXPECT_EQ(chart.Points()[0][0].x, 0.0f);
  EXPECT_EQ(chart.Points()[0][1].x, 0.0f);
}

TEST(DrawTable, AFixedTopIgnoresTheDataAndLetsValuesRiseAboveIt) {
  auto chart = tenColumns();
  chart->setMaxVNum(100);
  chart->setBeginPos({0});
  chart->PointData(list({list({130, 3})}));
  EXPECT_EQ(chart->NumFromVScale(), 10);
  EXPECT_EQ(chart->VScaleNum(), 10);
  EXPECT_LT(chart->Points()[0][1].y, chart->drawRect().y);  // 130 above the top line
  EXPECT_FLOAT_EQ(chart->Points()[0][1].y, 200 - 13 * 18);
}

TEST(ChartRender, StripesGridLinesAndTheSeriesLineLandWhereTheScaleSays) {
  auto chart = tenColumns();
  chart->setBeginPos({1});
  chart->setColors({kRed});
  // Top 10: step 2, 5 steps of 36 points; 0 in column 1 at the base, 10 in column 2 at the top.
  chart->PointData(list({list({"10", 0})}));
  ASSERT_EQ(chart->VScaleNum(), 5);
  auto image = ViewRenderer::renderView(*chart, kScale);

  EXPECT_TRUE(exactly(at(*image, 15, 100), kEvenStripe));
  EXPECT_TRUE(exactly(at(*image, 165, 100), kOddStripe));
  EXPECT_TRUE(exactly(at(*image, 285, 100), kOddStripe));
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(exactly(at(*image, 165, 20 + 36 * i), kGrid)) << "grid line " << i;
    EXPECT_TRUE(exactly(at(*image, 165, 20 + 36 * i + 2), kOddStripe)) << "below line " << i;
  }
  EXPECT_TRUE(exactly(at(*image, 165, 199.5), kOddStripe)) << "no line at the base";
  EXPECT_TRUE(at(*image, 165, 205).isClear()) << "nothing under the plot area but labels";

  EXPECT_TRUE(near(at(*image, 45, 110), kRed)) << "middle of the segment";
  EXPECT_TRUE(near(at(*image, 61.5, 20), kRed)) << "dot on the top point";
  EXPECT_TRUE(near(at(*image, 28, 200), kRed)) << "dot on the base point";
  EXPECT_TRUE(exactly(at(*image, 75, 100), kEvenStripe)) << "nothing right of the last point";
}

TEST(ChartRender, ALonePointIsAHollowSquareAndUncolouredSeriesAreBlue) {
  auto chart = tenColumns();
  chart->setBeginPos({2, 5});
  chart->setColors({kGreen});
  // Top 4: 5 steps of 36; 3 lies at y 92, on a grid line.
  chart->PointData(list({list({Value(), 3}), list({1, 1})}));
  auto image = ViewRenderer::renderView(*chart, kScale);

  // The square's outline runs 1.5 +- 1 points around (60, 92): its middle stays open and its
  // outer corner is painted, which a dot of diameter 5 would do the other way round.
  EXPECT_FALSE(near(at(*image, 59.5, 91.5), kGreen));
  EXPECT_TRUE(near(at(*image, 62, 94), kGreen));
  EXPECT_TRUE(near(at(*image, 57.5, 89.5), kGreen));

  EXPECT_TRUE(near(at(*image, 165, 164), Color::blue())) << "second series, no colour given";
  EXPECT_TRUE(near(at(*image, 150, 164), Color::blue())) << "its dot";
  EXPECT_TRUE(near(at(*image, 180, 164), Color::blue()));
}

TEST(ChartRender, ANullColumnIsBridgedByOneSegment) {
  auto chart = tenColumns();
  chart->setBeginPos({0});
  chart->setColors({kYellow});
  chart->PointData(list({list({4, Value(), 4})}));  // columns 0 and 2 at y 56
  auto image = ViewRenderer::renderView(*chart, kScale);
  EXPECT_TRUE(near(at(*image, 30, 56), kYellow));
  EXPECT_TRUE(near(at(*image, 45, 56), kYellow));
}

TEST(ChartRender, LabelsSitUnderTheirColumnsAndTheHighlightedOneOnAColouredBox) {
  auto chart = tenColumns();
  chart->setBeginPos({1, 3});
  chart->setHscaleName({"13天前", "9\n天前", "今天"});
  chart->setHscaleColor({{"3", kGreen}});
  chart->PointData(list({list({1}), list({1})}));
  auto image = ViewRenderer::renderView(*chart, kScale);

  // The first labelled column is the smallest begin column, 1.
  PixelBox first = inkIn(*image, {0, 201, 300 / 10.0 * 2 - 3, 49});
  ASSERT_FALSE(first.empty());
  EXPECT_GE(first.left, int(28 * kScale));
  EXPECT_TRUE(hasSolid(*image, {28, 207, 20, 43}, kGrey));
  EXPECT_TRUE(hasSolid(*image, {58, 207, 20, 43}, kGrey));

  // Label 3, "今天" on one line from x 88 in column 3, stands on a box a little larger.
  const ColumnLabel today = chart->columnLabel(2);
  ASSERT_EQ(today.lines, std::vector<std::string>{"今天"});
  const Rect box = columnlabel::highlightBox(today);
  EXPECT_EQ(box.x, 86.5);
  EXPECT_EQ(box.y, 205);
  EXPECT_TRUE(near(at(*image, box.x + 1, box.y + box.height / 2), kGreen));
  EXPECT_TRUE(near(at(*image, box.maxX() - 1.5, box.y + box.height / 2), kGreen));
  EXPECT_TRUE(at(*image, box.x - 1.5, box.y + box.height / 2).isClear());
  EXPECT_TRUE(at(*image, box.x + 10, box.maxY() + 1.5).isClear());
  // Dark text on the light box: white would stand at under 2:1 against it.
  EXPECT_TRUE(hasSolid(*image, box.insetBy(2, 2), Color::white(0.1)));
  EXPECT_FALSE(hasSolid(*image, box, kGrey));
}

// A chart in a scroll view draws only the labels wholly in view: "13天前" cut at the left edge
// would read "3天前". A label that comes wholly into view as the chart scrolls is drawn again.
TEST(ChartRender, ALabelPartlyOutOfItsScrollViewIsNotDrawnAtAll) {
  auto scroll = std::make_shared<ScrollView>(Rect{0, 0, 100, 250});
  auto chart = tenColumns();
  scroll->addSubview(chart);
  scroll->setContentSize({300, 250});
  chart->setBeginPos({0});
  chart->setHscaleName({"13天前", "12天前", "11天前", "10天前", "9\n天前", "8\n天前"});
  chart->PointData(list({list({1})}));
  const Rect labels{0, 205, 100, 45};

  // Scrolled to 30, the chart shows x 30 to 130: label 1 (x 28 to 48) is cut at the left edge,
  // label 4 (118 to 138) at the right one; labels 2 and 3 are whole.
  scroll->setContentOffset({30, 0});
  auto cut = ViewRenderer::renderView(*scroll, kScale);
  const ColumnLabel second = chart->columnLabel(1), fifth = chart->columnLabel(4);
  ASSERT_EQ(second.lines.front(), "12");
  ASSERT_EQ(columnlabel::extent(second).x, 28);
  ASSERT_EQ(columnlabel::extent(fifth).x, 118);
  ASSERT_GT(columnlabel::extent(fifth).maxX(), 130);
  EXPECT_TRUE(inkIn(*cut, {0, labels.y, 18, labels.height}).empty());
  EXPECT_TRUE(inkIn(*cut, {88, labels.y, 12, labels.height}).empty());
  for (double x : {58, 88}) EXPECT_FALSE(inkIn(*cut, {x - 30, labels.y, 20, 45}).empty());

  // Scrolled to 28, label 1 is whole again.
  scroll->setContentOffset({28, 0});
  auto whole = ViewRenderer::renderView(*scroll, kScale);
  EXPECT_FALSE(inkIn(*whole, {0, labels.y, 20, labels.height}).empty());
  EXPECT_TRUE(whole->writePNG(::testing::TempDir() + "chart-labels-in-view.png"));
}

TEST(ChartRender, TheValueScaleNumbersEveryGridLineFromTheTop) {
  DrawVScale scale({0, 0, 51, 250}, {50, 20});
  scale.setScaleSign("%");
  scale.InfoFromVScale(list({10, 18.0, 10}));
  auto image = ViewRenderer::renderView(scale, kScale);

  std::vector<PixelBox> rows;
  for (int i = 0; i < 10; ++i) {
    Rect row{10, 20 + 18.0 * i - 10, 36, 15};
    rows.push_back(inkIn(*image, row));
    ASSERT_FALSE(rows.back().empty()) << "row " << i;
    EXPECT_TRUE(hasSolid(*image, row, kGrey)) << "row " << i;
    EXPECT_GE(rows.back().right, int(42 * kScale)) << "right-aligned, row " << i;
  }
  EXPECT_GT(rows[0].width(), rows[9].width()) << "\"100%\" is wider than \"10%\"";
  EXPECT_FALSE(inkIn(*image, {40, 190, 11, 20}).empty()) << "\"0\" at the base";
  EXPECT_TRUE(hasSolid(*image, {40, 190, 11, 20}, kGrey));
}

TEST(ChartRender, TheLegendShowsOneRowPerColour) {
  LineUIView legend({0, 0, 300, 60});
  legend.setLineColor({kYellow, kRed});
  legend.setLineName({"新学习单词数", "已复习单词数", "待复习单词数"});
  auto image = ViewRenderer::renderView(legend, kScale);

  EXPECT_TRUE(near(at(*image, 12, 10), kYellow));
  EXPECT_TRUE(near(at(*image, 30, 11.5), kYellow)) << "dot below the line's stroke";
  EXPECT_TRUE(near(at(*image, 48, 30), kRed));
  EXPECT_TRUE(at(*image, 30, 50).isClear());
  EXPECT_TRUE(hasSolid(*image, {55, 1, 245, 18}, kGrey));
  EXPECT_TRUE(hasSolid(*image, {55, 21, 245, 18}, kGrey));
  EXPECT_TRUE(inkIn(*image, {0, 41, 300, 19}).empty()) << "a name without a colour is not shown";
}
