// A whole chart page, filled from the store, drawn to a PNG file and read back.
#include <gtest/gtest.h>

#include <string>

#include "platform/draw/Image.h"
#include "platform/view/ScrollView.h"
#include "platform/view/ViewRenderer.h"
#include "stats/ChartPageStyle.h"
#include "stats/LearnReviewUIView.h"
#include "tests/stats/ChartPageFixture.h"

using namespace plat;

namespace {

using chartpagetest::ChartPageTest;

void expectColour(const Image& image, Point p, const Color& expected) {
  const Color c = image.colorAtPoint(p);
  EXPECT_NEAR(c.r, expected.r, 0.05) << p.x << "," << p.y;
  EXPECT_NEAR(c.g, expected.g, 0.05) << p.x << "," << p.y;
  EXPECT_NEAR(c.b, expected.b, 0.05) << p.x << "," << p.y;
}

TEST_F(ChartPageTest, LearningPageDrawsTodayAndTheDueDaysWhereTheScrollShowsThem) {
  studied("a", 3, 1000, 3, 2.1);
  LearnReviewUIView page(pageFrame_);
  page.setBackgroundColor(Color::white(0.2));  // the page itself is clear
  page.refreshData();
  page.refreshContentSize();
  auto* scroll = dynamic_cast<ScrollView*>(page.viewWithTag(12));
  ASSERT_NE(scroll, nullptr);
  scroll->setContentOffset({200, 0});

  const std::string path = ::testing::TempDir() + "learning_page.png";
  ASSERT_TRUE(ViewRenderer::renderView(page, 2)->writePNG(path));
  auto back = Image::fromFile(path, 2);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->pixelWidth(), 640);
  EXPECT_EQ(back->pixelHeight(), 920);

  DrawTable* chart = page.chart();
  // Learnt 3 days ago (column 12, yellow) and due the day after tomorrow (column 17, green).
  const P_Point learnt = chart->Points()[0][10];
  const P_Point due = chart->Points()[2][2];
  ASSERT_EQ(column(*chart, learnt), 12);
  ASSERT_EQ(column(*chart, due), 17);
  const Point learntOnPage = chart->convertPointTo({learnt.x + 1, learnt.y + 1}, &page);
  const Point dueOnPage = chart->convertPointTo({due.x + 1, due.y + 1}, &page);
  EXPECT_EQ(learntOnPage.x, 41 + learnt.x + 1 - 200);
  expectColour(*back, learntOnPage, chartpage::yellow());
  expectColour(*back, dueOnPage, chartpage::green());
  // Both stand above the base line, which lies 290 points down the chart.
  EXPECT_LT(learnt.y, 290);
  EXPECT_LT(due.y, 290);
}

}  // namespace
