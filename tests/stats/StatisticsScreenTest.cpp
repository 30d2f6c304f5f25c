// The statistics tab on 30 days of study data: paging, the ranking page, every page drawn.
#include <gtest/gtest.h>

#include "platform/base/RunLoop.h"
#include "platform/view/ViewRenderer.h"
#include "stats/ChartPageStyle.h"
#include "stats/ChartPageView.h"
#include "stats/ChartStyle.h"
#include "stats/DrawTable.h"
#include "stats/DrawVScale.h"
#include "stats/StatisticsListController.h"
#include "stats/TopViewController.h"
#include "tests/stats/ScreenFixture.h"
#include "tests/support/Contrast.h"

using namespace plat;

namespace {

using testsupport::contrast;

class StatisticsScreenTest : public screentest::ScreenTest<StatisticsListController> {
 protected:
  // Two words planned on each of the last 30 days, due over the coming week, and a few answers.
  void thirtyDays() {
    db_->sqlMgr().beginTransaction();
    for (int d = 0; d < 30; ++d) {
      for (const std::string& w : addWords("w" + std::to_string(d) + "_", 2, 1000 + 2 * d)) {
        plan(w, daysFromNow(-d));
        setRecord(w, daysFromNow(-d / 2.0), daysFromNow(d % 8), 2);
      }
    }
    db_->sqlMgr().commitTransaction();
    for (int i = 0; i < 7; ++i) db_->InsertReViewWordsFromDay();
    personal("nSignInAll", "28");
    personal("nSignInCur", "6");
    personal("nSignInMax", "12");
    personal("rememberNum", "240");
  }
};

TEST_F(StatisticsScreenTest, PagesWrapChangeOnlyWhenAnotherIsChosenAndFadeIn) {
  open();
  EXPECT_EQ(screen().currPage(), 1);
  EXPECT_NE(screen().pageView(1), nullptr);
  EXPECT_EQ(screen().pageView(2), nullptr);

  screen().upBtn();
  EXPECT_EQ(screen().currPage(), 5);
  EXPECT_EQ(screen().pageView(1)->alpha(), 0);
  EXPECT_EQ(screen().pageView(5)->alpha(), 1);
  screen().downBtn();
  EXPECT_EQ(screen().currPage(), 1);
  EXPECT_EQ(screen().pageView(5)->alpha(), 0);

  // The list: the page already shown and the cancel button change nothing.
  screen().openList();
  ASSERT_NE(host_->visibleActionSheet(), nullptr);
  ASSERT_TRUE(host_->pressAlertButton("学习/复习"));
  settle();
  EXPECT_EQ(screen().currPage(), 2);
}

TEST_F(StatisticsScreenTest, RankingButtonFollowsTheServerAndItsPageWalksItsHistory) {
  open();
  EXPECT_EQ(screen().navigationItem().rightBarButtonItem(), nullptr);
  host_.reset();

  personal("sShowTopView", "http://127.0.0.1:9/top");
  WebView::setPageLoader([](const std::string& url, WebView::PageDone done) {
    RunLoop::main().perform([url, done] {
      done(WebView::LoadedPage{"<html><body><p>" + url +
                                   "</p><a href=\"http://127.0.0.1:9/next\">下一页</a></body></html>",
                               ""});
    });
    return std::function<void()>([] {});
  });
  open();
  ASSERT_NE(screen().navigationItem().rightBarButtonItem(), nullptr);
  screen().loginTopView();
  settle();
  auto* top = dynamic_cast<TopViewController*>(this->top());
  ASSERT_NE(top, nullptr);
  waitFor([&] { return !top->webView()->isLoading(); });
  EXPECT_FALSE(top->backBtn()->isEnabled());
  EXPECT_FALSE(top->upBtn()->isEnabled());

  top->webView()->loadRequest("http://127.0.0.1:9/next");
  waitFor([&] { return !top->webView()->isLoading(); });
  EXPECT_TRUE(top->backBtn()->isEnabled());
  EXPECT_FALSE(top->upBtn()->isEnabled());

  top->buttonAction1();
  waitFor([&] { return !top->webView()->isLoading(); });
  EXPECT_FALSE(top->backBtn()->isEnabled());
  EXPECT_TRUE(top->upBtn()->isEnabled());
  WebView::setPageLoader(nullptr);
}

TEST_F(StatisticsScreenTest, EveryPageDrawnWithItsTextsReadableOnThePanel) {
  thirtyDays();
  open();
  const char* names[] = {"", "summary", "learning", "durability", "forgetting", "pressure"};
  for (int page = 1; page <= 5; ++page) {
    if (page > 1) screen().downBtn();
    settle();
    writeScreen(std::string("statistics_") + names[page] + ".png");
    if (page == 1) continue;

    // The panel image lies behind the scale, the chart's day labels and the legend.
    auto* chartPage = dynamic_cast<ChartPageView*>(screen().pageView(page));
    ASSERT_NE(chartPage, nullptr);
    auto picture = ViewRenderer::renderView(*screen().view(), 2);
    DrawTable* chart = chartPage->chart();
    ASSERT_NE(chart, nullptr);
    const Rect plot = chart->drawRect();
    const Point belowLabels =
        chart->convertPointTo({4, plot.y + plot.height + 28}, screen().view().get());
    const Point besideScale =
        chartPage->valueScale()->convertPointTo({8, 30}, screen().view().get());
    const Rect scroll = chartPage->viewWithTag(chartPage->tags().scroll)->frame();
    const Point legendEnd = {screen().view()->bounds().width - 12, scroll.y + scroll.height + 30};
    for (Point p : {belowLabels, besideScale, legendEnd}) {
      const Color behind = picture->colorAtPoint(p);
      EXPECT_GE(contrast(chartstyle::textGrey(), behind), 4.5)
          << page << " at " << p.x << "," << p.y;
      EXPECT_GE(contrast(chartpage::yellow(), behind), 4.5) << page;
    }
    // The page title stands above the panel.
    EXPECT_GE(contrast(Color::black(), picture->colorAtPoint({4, 25})), 4.5) << page;
    // Today's label on its box.
    EXPECT_GE(contrast(chartstyle::highlightText(), chartpage::green()), 4.5);
  }
}

}  // namespace
