// The ranking page as the learner sees it: its history arrows look disabled while they are, and on
// a tablet the page turns with the device and fills the turned width.
#include <gtest/gtest.h>

#include "platform/base/RunLoop.h"
#include "platform/view/NavigationBar.h"
#include "platform/view/Screen.h"
#include "stats/StatisticsListController.h"
#include "stats/TopViewController.h"
#include "tests/stats/ScreenFixture.h"
#include "ui/MyCustomNavBar.h"

using namespace plat;

namespace {

class RankingPageTest : public screentest::ScreenTest<StatisticsListController> {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    // The application's green bar, on which the arrows are drawn in white.
    MyCustomNavBar::install();
    personal("sShowTopView", "http://127.0.0.1:9/top");
    // Every address answers with a page naming it and linking to the next.
    WebView::setPageLoader([](const std::string& url, WebView::PageDone done) {
      RunLoop::main().perform([url, done] {
        done(WebView::LoadedPage{
            "<html><body><p>" + url + " 排行榜第一名到第十名，" + std::string(40, 'x') +
                "</p><a href=\"http://127.0.0.1:9/next\">下一页</a></body></html>",
            ""});
      });
      return std::function<void()>([] {});
    });
  }
  void TearDown() override {
    WebView::setPageLoader(nullptr);
    NavigationBar::setDefaultBackgroundImage(nullptr);
    NavigationBar::setDefaultTintColor(Color::rgb255(0, 122, 255));
    ScreenTest::TearDown();
  }
  TopViewController& openRanking() {
    open();
    screen().loginTopView();
    host_->advance(1);  // the push slides in on the host's clock
    settle();
    auto* page = dynamic_cast<TopViewController*>(top());
    EXPECT_NE(page, nullptr);
    loaded(*page);
    return *page;
  }
  void loaded(TopViewController& page) {
    waitFor([&] { return !page.webView()->isLoading(); });
  }
  // The share of the arrow's area drawn in near-white: the arrows are white strokes.
  double whiteShare(Button& arrow) {
    std::shared_ptr<Image> picture = host_->renderScreen();
    const Rect area = arrow.convertRectTo(arrow.bounds(), nullptr);
    int white = 0, all = 0;
    for (double y = area.y; y < area.maxY(); y += 0.5)
      for (double x = area.x; x < area.maxX(); x += 0.5, ++all) {
        const Color c = picture->colorAtPoint({x, y});
        white += c.r > 0.9 && c.g > 0.9 && c.b > 0.9;
      }
    return all ? double(white) / all : 0;
  }
};

TEST_F(RankingPageTest, ADisabledArrowLooksFadedAndBrightensWithTheHistory) {
  TopViewController& page = openRanking();
  const double faded = whiteShare(*page.backBtn());
  EXPECT_EQ(faded, whiteShare(*page.upBtn())) << "both directions are closed on the first page";
  writeScreen("ranking_first_page.png");

  page.webView()->loadRequest("http://127.0.0.1:9/next");
  loaded(page);
  const double open = whiteShare(*page.backBtn());
  EXPECT_GT(open, 0.02) << "an enabled arrow shows its white stroke";
  EXPECT_LT(faded, open / 2) << "a disabled arrow does not look like an enabled one";
  EXPECT_LT(whiteShare(*page.upBtn()), open / 2);

  page.buttonAction1();
  loaded(page);
  EXPECT_LT(whiteShare(*page.backBtn()), open / 2);
  EXPECT_NEAR(whiteShare(*page.upBtn()), open, open / 4);
}

class TabletRankingPageTest : public RankingPageTest {
 protected:
  void SetUp() override {
    plat::Screen::main().configure({768, 1024}, 2, UserInterfaceIdiom::Pad);
    RankingPageTest::SetUp();
  }
  void TearDown() override {
    RankingPageTest::TearDown();
    plat::Screen::main().reset();
  }
};

TEST_F(TabletRankingPageTest, ThePageTurnsAndItsWebViewFillsTheTurnedScreen) {
  TopViewController& page = openRanking();
  ASSERT_TRUE(host_->rotate(InterfaceOrientation::LandscapeLeft))
      << "the ranking page stayed upright";
  settle();
  EXPECT_EQ(page.interfaceOrientation(), InterfaceOrientation::LandscapeLeft);
  WebView& web = *page.webView();
  EXPECT_EQ(web.bounds().width, 1024);
  EXPECT_EQ(web.scrollView().contentSize().width, 1024) << "the page laid out for the new width";
  const Rect shown = web.convertRectTo(web.bounds(), nullptr);
  EXPECT_NEAR(shown.maxY(), 768, 1) << "down to the bottom of the turned screen";
  writeScreen("ranking_turned.png");
  // The arrows still walk the history on the turned screen.
  page.webView()->loadRequest("http://127.0.0.1:9/next");
  loaded(page);
  EXPECT_TRUE(page.backBtn()->isEnabled());
}

}  // namespace
