// What each chart page and the summary page show for known study data.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/view/ScrollView.h"
#include "platform/view/ViewRenderer.h"
#include "stats/ColumnLabel.h"
#include "stats/DrawVScale.h"
#include "stats/FamiliarityUIView.h"
#include "stats/LearnReviewUIView.h"
#include "stats/OblivionUIView.h"
#include "stats/PressureUIView.h"
#include "stats/SummaryUIView.h"
#include "store/MyDate.h"
#include "tests/stats/ScreenFixture.h"

using namespace plat;

namespace {

using chartpagetest::ChartPageTest;
using Drawn = std::vector<std::pair<int, long>>;

// Columns first..last, all at `v`, except the given overrides.
Drawn flat(int first, int last, long v, std::vector<std::pair<int, long>> overrides = {}) {
  Drawn out;
  for (int c = first; c <= last; ++c) out.emplace_back(c, v);
  for (auto [c, value] : overrides) out[size_t(c - first)].second = value;
  return out;
}

// The learning page `width` points wide, filled and laid out as it is shown.
std::unique_ptr<LearnReviewUIView> laidOutLearningPage(double width) {
  auto page = std::make_unique<LearnReviewUIView>(plat::Rect{0, 0, width, 460});
  page->refreshData();
  page->refreshContentSize();
  return page;
}

std::vector<std::string> values(const SummaryUIView& page) {
  std::vector<std::string> out;
  for (const auto& row : page.cellArray()) out.push_back(row.at(1));
  return out;
}

// The learning page's chart is made on the first refresh and lined up with its value scale.
TEST_F(ChartPageTest, LearningChartShowsPastDaysUpToTodayAndDueDaysFromToday) {
  studied("a", 3, 1000, 3, 2.1);  // learnt 3 days ago, due the day after tomorrow
  db_->InsertReViewWordsFromDay();
  db_->InsertReViewWordsFromDay();

  LearnReviewUIView page(pageFrame_);
  EXPECT_EQ(page.viewWithTag(13), nullptr);
  page.refreshData();
  page.refreshContentSize();
  DrawTable* chart = page.chart();
  ASSERT_NE(chart, nullptr);
  EXPECT_EQ(chart->HscaleName()[13], "今天");

  // Days without a log entry are points on the base line, not gaps.
  EXPECT_EQ(drawn(*chart, 0), flat(2, 15, 0, {{12, 3}}));
  EXPECT_EQ(drawn(*chart, 1), flat(2, 15, 0, {{15, 2}}));
  EXPECT_EQ(drawn(*chart, 2), flat(15, 28, 0, {{17, 3}}));

  // The value scale beside the scrolling chart shows its scale over the same plot area.
  EXPECT_EQ(page.valueScale()->VScaleNum(), chart->VScaleNum());
  EXPECT_EQ(page.valueScale()->NumFromVScale(), chart->NumFromVScale());
  EXPECT_EQ(page.valueScale()->drawRect().y, chart->drawRect().y);
  EXPECT_EQ(page.valueScale()->drawRect().height, chart->drawRect().height);
  auto* scroll = dynamic_cast<ScrollView*>(page.viewWithTag(12));
  ASSERT_NE(scroll, nullptr);
  EXPECT_EQ(scroll->contentSize().width, chart->frame().width);
  EXPECT_GT(chart->frame().width, scroll->frame().width) << "the chart scrolls";
}

// The charts of days open on today, which at the chart's left edge would lie off screen.
TEST_F(ChartPageTest, ChartsOfDaysOpenShowingToday) {
  for (auto idiom : {DeviceIdiom::Phone, DeviceIdiom::Tablet}) {
    useIdiom(idiom);
    LearnReviewUIView learning(pageFrame_);
    FamiliarityUIView familiarity(pageFrame_);
    OblivionUIView forgetting(pageFrame_);
    for (ChartPageView* page :
         {static_cast<ChartPageView*>(&learning), static_cast<ChartPageView*>(&familiarity),
          static_cast<ChartPageView*>(&forgetting)}) {
      page->refreshData();
      auto* scroll = dynamic_cast<ScrollView*>(page->viewWithTag(page->tags().scroll));
      ASSERT_NE(scroll, nullptr);
      const DrawTable& chart = *page->chart();
      const double left = scroll->contentOffset().x;
      const double today = chart.drawRect().x + 15 * chart.HscaleSize();
      EXPECT_GE(today, left) << page->tags().scroll;
      EXPECT_LE(today + chart.HscaleSize(), left + scroll->frame().width) << page->tags().scroll;
      EXPECT_LE(left + scroll->frame().width, scroll->contentSize().width) << "no blank beyond";
      EXPECT_EQ(chart.HscaleName()[13].find("今"), 0u);
    }
  }
}

TEST_F(ChartPageTest, OnATabletTheChartIsOnlyFiftyPointsWiderThanThePage) {
  useIdiom(DeviceIdiom::Tablet);
  LearnReviewUIView learning(pageFrame_);
  learning.refreshData();
  EXPECT_EQ(learning.chart()->frame().width, 370);
  // After a rotation the content size follows the new page width.
  learning.setFrame({0, 0, 500, 460});
  learning.refreshContentSize();
  EXPECT_EQ(dynamic_cast<ScrollView*>(learning.viewWithTag(12))->contentSize().width, 550);
}

// A second refresh redraws the same chart with new numbers; learnt words stay under their own day
// despite gaps in the log and a clock set back.
TEST_F(ChartPageTest, RefreshingAgainRedrawsTheChartAndKeepsLearntWordsUnderTheirDay) {
  studied("a", 3, 1000, 3, 20);
  LearnReviewUIView page(pageFrame_);
  page.refreshData();
  DrawTable* first = page.chart();
  EXPECT_EQ(drawn(*first, 1).back(), (std::pair<int, long>{15, 0}));
  const int64_t today = MyDate::studyDayId();
  // A log brought down from elsewhere lacks yesterday, and a row lies two days ahead of the clock.
  db_->sqlMgr().RecordExec("delete from IncreasingWord_Log where il_uTimeID = " +
                           std::to_string(today - 1));
  db_->sqlMgr().RecordExec("insert into IncreasingWord_Log (il_uTimeID,il_uWordNum) values (" +
                           std::to_string(today + 2) + ", 9)");
  for (int i = 0; i < 7; ++i) db_->InsertReViewWordsFromDay();
  page.refreshData();
  page.refreshContentSize();
  EXPECT_EQ(page.chart(), first);
  EXPECT_EQ(page.viewWithTag(12)->subviews().size(), 1u);
  EXPECT_EQ(drawn(*first, 0), flat(2, 15, 0, {{12, 3}}));
  EXPECT_EQ(drawn(*first, 1).back(), (std::pair<int, long>{15, 7}));
  EXPECT_EQ(page.valueScale()->NumFromVScale(), first->NumFromVScale());
}

TEST_F(ChartPageTest, FamiliarityChartCountsWordsRememberedForOverThirtySixtyAndNinetyDays) {
  studied("a", 4, 1000, 2, 40);
  studied("b", 2, 2000, 2, 70);
  studied("c", 1, 3000, 2, 100);
  studied("d", 5, 4000, 2, 10);

  FamiliarityUIView page(pageFrame_);
  page.refreshData();
  DrawTable* chart = page.chart();
  ASSERT_NE(chart, nullptr);
  EXPECT_EQ(drawn(*chart, 0), flat(2, 15, 0, {{15, 7}}));
  EXPECT_EQ(drawn(*chart, 1), flat(2, 15, 0, {{15, 3}}));
  EXPECT_EQ(drawn(*chart, 2), flat(2, 15, 0, {{15, 1}}));
}

// Nothing studied: no logged days and a flat projection; then the curve starts at the first study
// day, under a top fixed at 100 whatever the data.
TEST_F(ChartPageTest, ForgettingCurveStartsAtTheFirstStudyDay) {
  {
    OblivionUIView empty(pageFrame_);
    empty.refreshData();
    EXPECT_TRUE(empty.chart()->Points()[0].empty());
    EXPECT_EQ(drawn(*empty.chart(), 1), flat(15, 28, 100));
  }
  studied("a", 10, 1000, 5, 0.5);  // all due tomorrow
  OblivionUIView page(pageFrame_);
  page.refreshData();
  DrawTable* chart = page.chart();
  EXPECT_EQ(chart->VScaleNum(), 10);
  EXPECT_EQ(page.valueScale()->VScaleNum(), 10);
  const Drawn logged = drawn(*chart, 0);
  ASSERT_EQ(logged.size(), 6u);
  EXPECT_EQ(logged.front(), (std::pair<int, long>{10, 100})) << "no logged value reads 100";
  EXPECT_EQ(logged.back().first, 15);
  // The projection drops once all are due.
  EXPECT_EQ(drawn(*chart, 1), flat(15, 28, 20));
}

TEST_F(ChartPageTest, PressureChartIsFilledOnce) {
  PressureUIView page(pageFrame_);
  page.refreshData();
  DrawTable* chart = page.chart();
  ASSERT_NE(chart, nullptr);
  ASSERT_EQ(chart->Points()[0].size(), 16u);
  // A second visit neither rebuilds nor reloads: the points are the very same objects' values.
  const auto before = chart->Points();
  const P_Point* firstPoint = chart->Points()[0].data();
  page.refreshData();
  EXPECT_EQ(page.chart(), chart);
  EXPECT_EQ(chart->Points()[0].data(), firstPoint);
  EXPECT_EQ(chart->Points(), before);
}

// Averages divide by study days; an empty store shows zeroes, a refresh reads the store again.
TEST_F(ChartPageTest, SummaryDividesByStudyDaysAndShowsSignInsAndAnswers) {
  SummaryUIView page(pageFrame_);
  page.refreshData();
  EXPECT_EQ(values(page), (std::vector<std::string>{"0天", "0天", "0天", "0个", "0次", "0.0个",
                                                    "0.0次", "0.0个", "0.0次"}));
  studied("a", 10, 1000, 2, 5);  // first study day 2 days ago: 3 study days
  db_->UpdatePersonalValue("nSignInAll", "42");
  db_->UpdatePersonalValue("nSignInCur", "7 days");
  db_->UpdatePersonalValue("nSignInMax", "x");
  db_->UpdatePersonalValue("rememberNum", "20");
  page.refreshData();
  const auto v = values(page);
  ASSERT_EQ(v.size(), 9u);
  EXPECT_EQ(std::vector<std::string>(v.begin(), v.begin() + 7),
            (std::vector<std::string>{"42天", "7天", "0天", "10个", "20次", "3.3个", "6.7次"}));
}

}  // namespace

// The day labels under the learning chart, at each width the chart takes (phones of three widths,
// a tablet upright and turned, a narrow tablet page) and drawn at one, two and three pixels a
// point: every label stays whole and apart from its neighbours. "13天前" that does not fit its
// column goes onto two lines, "13" over "天前"; "天前" and "天后" are never broken.
TEST_F(ChartPageTest, DayLabelsStayWholeAndApartAtEveryWidthAndScale) {
  const std::vector<std::pair<DeviceIdiom, double>> pages = {
      {DeviceIdiom::Phone, 320},  {DeviceIdiom::Phone, 375},   {DeviceIdiom::Phone, 414},
      {DeviceIdiom::Tablet, 768}, {DeviceIdiom::Tablet, 1024}, {DeviceIdiom::Tablet, 500}};
  studied("a", 3, 1000, 3, 2.1);
  for (const auto& [idiom, width] : pages) {
    useIdiom(idiom);
    const std::unique_ptr<LearnReviewUIView> shown = laidOutLearningPage(width);
    LearnReviewUIView& page = *shown;
    DrawTable& chart = *page.chart();
    const std::string where = std::to_string(int(width)) + " points wide";
    const std::vector<std::string>& names = chart.HscaleName();
    ASSERT_EQ(names.size(), 27u);
    double rightOfLast = -1e9;
    std::vector<double> gaps;  // the middle between two labels, away from today's box
    for (size_t j = 0; j < names.size(); ++j) {
      const ColumnLabel label = chart.columnLabel(j);
      std::string shown;
      double left = 1e9, right = -1e9;
      for (size_t line = 0; line < label.lines.size(); ++line) {
        shown += label.lines[line];
        const Rect frame = label.lineFrames.at(line);
        left = std::min(left, frame.x);
        right = std::max(right, frame.maxX());
        EXPECT_LE(frame.maxY(), chart.bounds().height) << names[j] << ", " << where;
      }
      std::string name = names[j];
      std::erase(name, '\n');
      EXPECT_EQ(shown, name) << "nothing lost, " << where;
      for (const std::string word : {"天前", "天后"}) {
        if (name.find(word) == std::string::npos) continue;
        EXPECT_TRUE(std::any_of(
            label.lines.begin(), label.lines.end(),
            [&](const std::string& line) { return line.find(word) != std::string::npos; }))
            << names[j] << " breaks inside " << word << ", " << where;
      }
      EXPECT_GE(label.font.size, columnlabel::kSmallestFontSize);
      if (j >= 11 && j <= 15) {
        EXPECT_EQ(label.lines.size(), 1u) << name << ", " << where;
      }
      EXPECT_GT(left, rightOfLast) << names[j] << " runs into the label before it, " << where;
      if (j > 0 && (j < 12 || j > 14)) gaps.push_back((rightOfLast + left) / 2);
      rightOfLast = right;
    }
    EXPECT_EQ(chart.columnLabel(0).lines.front(), width >= 1024 ? "13天前" : "13")
        << "on one line where the column has room, " << where;
    for (double scale : {1.0, 2.0, 3.0}) {
      if (scale != 2 && width != 320 && width != 768) continue;
      const std::string name = std::to_string(int(width)) + "@" + std::to_string(int(scale));
      auto picture = ViewRenderer::renderView(page, scale);
      ASSERT_TRUE(picture);
      EXPECT_TRUE(picture->writePNG(shippedbundle::picturePath("learning-page-" + name + "x.png")));
      auto whole = ViewRenderer::renderView(chart, scale);
      ASSERT_TRUE(whole);
      // What is drawn keeps the gaps: no ink between two labels, all the way down.
      const double top = chart.drawRect().maxY() + 7;
      for (double x : gaps) {
        for (double y = top; y < chart.bounds().height; y += 1 / scale)
          ASSERT_LT(whole->colorAtPoint({x, y}).a, 0.1)
              << "ink at " << x << ", " << y << ", " << where << " @" << scale << "x";
      }
      EXPECT_TRUE(whole->writePNG(shippedbundle::picturePath("learning-chart-" + name + "x.png")));
    }
  }
}

// Whatever part of the chart the learner has scrolled into view, on a phone, a tablet and a turned
// tablet, each day label under it is drawn whole or not at all: one cut at the scroll view's edge
// would read as another day ("3天前" for 13天前, "13 天后" with its 后 cut off).
TEST_F(ChartPageTest, DayLabelsAreDrawnWholeOrNotAtAllWhereverTheChartIsScrolled) {
  constexpr double kScale = 2;
  const std::vector<std::pair<DeviceIdiom, double>> pages = {{DeviceIdiom::Phone, 320},
                                                             {DeviceIdiom::Phone, 375},
                                                             {DeviceIdiom::Tablet, 768},
                                                             {DeviceIdiom::Tablet, 1024}};
  // Text, or today's box: far brighter than the dark panel the labels stand on.
  auto inked = [](const Image& picture, const Rect& area) {
    for (double y = area.y; y < area.maxY(); y += 1 / kScale) {
      for (double x = area.x; x < area.maxX(); x += 1 / kScale) {
        const Color c = picture.colorAtPoint({x, y});
        if ((c.r + c.g + c.b) / 3 > 0.3) return true;
      }
    }
    return false;
  };
  for (const auto& [idiom, width] : pages) {
    useIdiom(idiom);
    const std::unique_ptr<LearnReviewUIView> shown = laidOutLearningPage(width);
    LearnReviewUIView& page = *shown;
    DrawTable& chart = *page.chart();
    auto& scroll = dynamic_cast<ScrollView&>(*page.viewWithTag(12));
    const double farthest = scroll.contentSize().width - scroll.frame().width;
    ASSERT_GT(farthest, 0);
    std::vector<double> offsets = {scroll.contentOffset().x, 0, farthest};
    // Edges at every part of a column, and between a label's end and the next column.
    for (int k = 1; k < 12; ++k) offsets.push_back(farthest * k / 12.0);
    for (const double offset : offsets) {
      const std::string where =
          std::to_string(int(width)) + " points wide at " + std::to_string(offset);
      scroll.setContentOffset({offset, 0});
      auto picture = ViewRenderer::renderView(page, kScale);
      ASSERT_TRUE(picture);
      if (offset == 0 || offset == farthest) {
        EXPECT_TRUE(picture->writePNG(
            shippedbundle::picturePath("learning-labels-" + std::to_string(int(width)) +
                                       (offset == 0 ? "-left" : "-right") + ".png")));
      }
      const Rect shown = scroll.frame();
      size_t drawn = 0;
      for (size_t j = 0; j < chart.HscaleName().size(); ++j) {
        const ColumnLabel label = chart.columnLabel(j);
        const Rect onChart =
            j == 13 ? columnlabel::highlightBox(label) : columnlabel::extent(label);
        const Rect onPage{shown.x + onChart.x - offset, shown.y + onChart.y, onChart.width,
                          onChart.height};
        const double left = std::max(onPage.x, shown.x);
        const double right = std::min(onPage.maxX(), shown.maxX());
        if (right - left <= 1) continue;  // out of view, or a sliver too thin to tell
        const bool whole = onPage.x >= shown.x - 0.01 && onPage.maxX() <= shown.maxX() + 0.01;
        // Half a point in from its ends: a neighbour's edge may shade a pixel there.
        const Rect visible{left + 0.5, onPage.y, right - left - 1, onPage.height};
        EXPECT_EQ(inked(*picture, visible), whole)
            << chart.HscaleName()[j] << (whole ? " missing" : " drawn cut") << ", " << where;
        drawn += whole;
      }
      EXPECT_GE(drawn, 8u) << where;
    }
  }
}
