// The help list, help pages and the picture guide with the shipped pages and pictures.
#include <cmath>

#include <gtest/gtest.h>

#include "platform/view/Application.h"
#include "settings/HelpView.h"
#include "settings/HelpViewController.h"
#include "settings/HtmlViewController.h"
#include "settings/SettingsHooks.h"
#include "tests/stats/ScreenFixture.h"

using namespace plat;

namespace {

TEST(HelpListEntriesTest, MissingMalformedAndPartialListsGiveOnlyTheirGoodEntries) {
  EXPECT_TRUE(HelpViewController::listEntries("").empty());
  EXPECT_TRUE(HelpViewController::listEntries("{\"array\":[").empty());
  EXPECT_TRUE(HelpViewController::listEntries("{\"array\":{}}").empty());
  auto two = HelpViewController::listEntries(
      R"({"array":[{"name":"甲","url":"a.html"},{"name":3},{"name":"乙","url":"b.html"}]})");
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[1], (HelpViewController::Row{"乙", "b.html"}));
}

class HelpListTest : public screentest::ScreenTest<HelpViewController> {};

TEST_F(HelpListTest, RowsPagesLinksAndTheWebSite) {
  personal("url", "http://127.0.0.1:9");
  open();
  // The guide, the five shipped pages, share and the web site.
  ASSERT_EQ(screen().cellArray().size(), 8u);

  screen().didSelectRow(*screen().tableView(), {0, 4});
  settle();
  auto* page = dynamic_cast<HtmlViewController*>(top());
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->htmlName(), "te_quan_jie_shao.html");
  waitFor([&] { return !page->webView().isLoading(); });
  writeScreen("help_page.png");

  // The second link goes to its page, titled from the element with id 1.
  const std::string second =
      page->webView().stringByEvaluatingJavaScript("document.links[1].toString()");
  EXPECT_FALSE(page->shouldStartLoad(page->webView(), second, WebNavigationType::LinkClicked));
  settle();
  auto* next = dynamic_cast<HtmlViewController*>(top());
  ASSERT_NE(next, page);
  EXPECT_EQ(next->htmlName(), "zi_dong_zhu_ji.html");
  EXPECT_EQ(next->navName(), "自动采纳助记");
  EXPECT_EQ(next->ParentName(), page->navName());

  // An outside address opens in the browser and the page stays.
  next->addHtml("<p><a href=\"https://127.0.0.1:9/x\">网站</a></p>");
  waitFor([&] { return !next->webView().isLoading(); });
  EXPECT_FALSE(next->shouldStartLoad(next->webView(), "https://127.0.0.1:9/x",
                                     WebNavigationType::LinkClicked));
  settle();
  EXPECT_EQ(top(), next);
  ASSERT_FALSE(Application::shared().openedURLs().empty());
  EXPECT_EQ(Application::shared().openedURLs().back(), "https://127.0.0.1:9/x");
}

class GuideTest : public screentest::ScreenTest<HelpView> {};

// Only the first-run guide has a start button and ends when swiped past its last picture.
TEST_F(GuideTest, OnlyTheFirstRunGuideEndsWhenSwipedPastTheLastPicture) {
  personal("run_machine", "0");
  open();
  writeScreen("guide_first.png");
  auto listed = std::make_shared<HelpView>();
  listed->setNavName("图片向导");
  listed->setParentName("帮助");
  for (HelpView* guide : {&screen(), listed.get()}) {
    const bool firstRun = guide == &screen();
    if (!firstRun) {
      app_->nav->pushViewController(listed, false);
      settle();
    }
    ASSERT_EQ(guide->isFirstRun(), firstRun);
    const double W = guide->scrollView()->bounds().width;
    EXPECT_EQ(guide->scrollView()->contentSize().width, 5 * W);
    View* last = guide->scrollView()->viewWithTag(HelpView::kFirstPictureTag + 4);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->viewWithTag(HelpView::kStartButtonTag) != nullptr, firstRun);
    // The picture itself points at no button: the help list's guide has none. Its lower part,
    // where the first-run guide adds the start button, is bare background.
    const Image& picture = *static_cast<ImageView*>(last)->image();
    const Color ground = picture.colorAtPoint({2, 470});
    int marks = 0;
    for (double y = 380; y < 470; y += 1)
      for (double x = 10; x < 310; x += 1) {
        const Color c = picture.colorAtPoint({x, y});
        marks +=
            std::abs(c.r - ground.r) + std::abs(c.g - ground.g) + std::abs(c.b - ground.b) > 0.1;
      }
    EXPECT_EQ(marks, 0);
    guide->pageCtl()->setCurrentPage(2);
    guide->page_change();
    settle();
    EXPECT_EQ(guide->pageCtl()->currentPage(), 2);
    EXPECT_EQ(personal("run_machine"), "0");
    guide->scrollViewWillBeginDragging(*guide->scrollView());
    guide->scrollView()->setContentOffset({4.25 * W, 0});
    EXPECT_EQ(personal("run_machine"), firstRun ? "1" : "0");
    personal("run_machine", "0");
  }
  EXPECT_EQ(top(), listed.get());
}

TEST_F(HelpListTest, SharingSendsTheSignInPictureEvenForAnOutOfRangeCount) {
  personal("nSignInAll", "99999999999999999999");
  open();
  std::shared_ptr<Image> sent;
  SettingsHooks::shared().share = [&](ViewController&, const std::string&,
                                      std::shared_ptr<Image> picture) { sent = picture; };
  const int shareRow = int(screen().cellArray().size()) - 2;
  screen().didSelectRow(*screen().tableView(), {0, shareRow});
  SettingsHooks::shared().share = nullptr;
  ASSERT_NE(sent, nullptr);
  EXPECT_EQ(sent->size(), Image::named("gui/share2.png")->size());
}

}  // namespace
