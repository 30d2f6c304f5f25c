// A whole chart as a page shows it - value scale, scrolling chart and legend side by side -
// written to a PNG file and read back.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/draw/Image.h"
#include "platform/view/ViewRenderer.h"
#include "stats/ChartPageStyle.h"
#include "stats/DrawTable.h"
#include "stats/DrawVScale.h"
#include "stats/LineUIView.h"

using namespace plat;

TEST(ChartPicture, AForgettingCurvePageRendersToAPngFile) {
  const Color yellow = Color::rgb(1, 1, 0.6), red = Color::rgb(0.8, 0.4, 0.4),
              green = Color::rgb(0.4, 0.8, 0.6);
  auto page = std::make_shared<View>(Rect{0, 0, 800, 460});
  page->setBackgroundColor(Color::white(0.2));

  auto scale = std::make_shared<DrawVScale>(Rect{0, 50, 51, 340}, Point{50, 20});
  scale->setScaleSign("%");
  page->addSubview(scale);

  auto chart = std::make_shared<DrawTable>(Rect{0, 50, 740, 340}, Point{0, 20}, 30);
  chart->setHscaleName(chartpage::dayLabels());
  chart->setHscaleColor({{"14", green}});
  chart->setBeginPos({2, 15, 2, 2});
  chart->setColors({yellow, red, green});
  chart->setMaxVNum(100);
  std::vector<Value> logged(14, Value());
  for (int i = 0; i < 6; ++i) logged[i] = 60 + 5 * i;
  std::vector<Value> reference;
  for (const char* v :
       {"20.10", "20.10", "20.18", "20.18", "20.28", "20.28", "20.28", "20.38", "20.38",
        "20.58", "20.58", "20.58", "20.98", "20.98", "21.56", "22.15", "22.75", "23.36",
        "23.98", "24.61", "25.25", "25.9",  "26.4",  "27",    "27.8",  "33.7",  "100"}) {
    reference.push_back(v);
  }
  chart->PointData(Value::array(
      {Value::array(logged), Value::array(std::vector<Value>(14, 100)), Value::array(reference)}));
  scale->InfoFromVScale(chart->getVScaleInfo());
  // The chart scrolls beside the scale; here the page is wide enough to show all of it.
  chart->setCenter({51 + chart->bounds().width / 2, chart->center().y});
  page->addSubview(chart);

  auto legend = std::make_shared<LineUIView>(Rect{5, 390, 310, 60});
  legend->setLineColor({yellow, red, green});
  legend->setLineName(
      {"你近期的遗忘曲线", "如果不再复习，你未来的遗忘曲线", "不复习的遗忘曲线(艾宾浩斯遗忘曲线)"});
  page->addSubview(legend);

  const std::string path = ::testing::TempDir() + "forgetting_curve_chart.png";
  ASSERT_TRUE(ViewRenderer::renderView(*page, 2)->writePNG(path));
  auto back = Image::fromFile(path, 2);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->pixelWidth(), 1600);
  EXPECT_EQ(back->pixelHeight(), 920);

  // Scale 10 steps of 10 over 270 points; 100 % is the top line at y 20 of the chart.
  EXPECT_EQ(chart->VScaleNum(), 10);
  EXPECT_EQ(chart->NumFromVScale(), 10);
  // The reference curve starts at 100 % in column 2 of the chart, 51 points right of the page.
  const P_Point start = chart->Points()[2].front();
  EXPECT_FLOAT_EQ(start.y, 20);
  Color dot = back->colorAtPoint({51 + start.x + 1, 50 + start.y + 1});
  EXPECT_NEAR(dot.r, green.r, 0.05);
  EXPECT_NEAR(dot.g, green.g, 0.05);
  EXPECT_NEAR(dot.b, green.b, 0.05);
}
