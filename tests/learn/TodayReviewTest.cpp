// Today's review: the day's answers sorted into the four grade tabs, paging by tab and by swipe,
// and the word card walking a tab's list round at both ends.
#include "learn/BaseWordViewController.h"
#include "learn/TodayReViewController.h"
#include "platform/view/Label.h"
#include "store/CallDB.h"
#include "tests/learn/PagingButtonsClear.h"
#include "tests/learn/ScreenFixture.h"

namespace {

using learntest::ScreenTest;

using TodayReview = ScreenTest;

TEST_F(TodayReview, GradeTabsPagingAndTheCardWalkingATab) {
  answered("achieve", 30, 2, 4, 4);
  answered("support", 40, 3, 2, 2);
  answered("quiet", 50, 4, 2, 4);
  answered("close", 60, 4, 4, 4);
  answered("teacher", 70, 1, 2, 2);  // known before the meaning: no tab
  answered("book", -30, 4, 4, 4);    // yesterday's answer
  auto screen = std::make_shared<TodayReViewController>();
  push(screen);

  const std::vector<std::string> counts = {"1", "1", "2", "1"};
  for (size_t tab = 0; tab < 4; ++tab) EXPECT_EQ(screen->changeTabName()[tab][1], counts[tab]);
  ASSERT_NE(screen->getCurrWords(3), nullptr);
  EXPECT_EQ(*screen->getCurrWords(3), (WordSlots{"close", "quiet"}));
  EXPECT_EQ(*screen->getCurrWords(4), (WordSlots{"close"}));
  EXPECT_EQ(screen->getCurrWords(5), nullptr);
  EXPECT_EQ(screen->checkWordState_callback("close"), "1");
  EXPECT_EQ(screen->checkWordState_callback("book"), "");

  // It opens on "忘记" with its neighbours made; "认识" waits until the learner goes there.
  EXPECT_EQ(screen->pageNum(), 2);
  EXPECT_EQ(screen->tabbar().selectedIndex(), 2);
  EXPECT_EQ(screen->page(0), nullptr);
  EXPECT_NE(screen->page(3), nullptr);
  write("today_review.png");

  ASSERT_TRUE(host_->tap(host_->findByTag(MyTabbarView::kButtonTagBase)));
  landReply();
  EXPECT_EQ(screen->pageNum(), 0);
  ASSERT_NE(screen->page(0), nullptr);
  EXPECT_EQ(screen->scrollView().contentOffset().x, 0);
  EXPECT_TRUE(showing("achieve"));

  // Offsets past either end, and a tab index past the strip, still name one of the four tabs.
  plat::ScrollView& pager = screen->scrollView();
  const double width = pager.bounds().width;
  pager.setContentOffset({width * 5.2, 0}, false);
  screen->scrollViewDidEndDecelerating(pager);
  EXPECT_EQ(screen->pageNum(), 3);
  pager.setContentOffset({-width * 2, 0}, false);
  screen->scrollViewWillBeginDragging(pager);
  screen->scrollViewDidScroll(pager);
  screen->scrollViewDidEndDecelerating(pager);
  EXPECT_EQ(screen->pageNum(), 0);
  EXPECT_EQ(screen->tabbar().selectedIndex(), 0);
  screen->selectTabBtn(9);
  landReply();
  EXPECT_EQ(screen->pageNum(), 3);

  // The card on "忘记": next from the last word wraps to the first, previous from the first to
  // the last.
  screen->selectTabBtn(2);
  landReply();
  screen->pushNewView(1, 3);
  landReply();
  BaseWordViewController* card = screen->baseWordViewCtrl();
  ASSERT_NE(card, nullptr);
  EXPECT_EQ(app_->nav->topViewController(), card);
  EXPECT_EQ(card->wordName(), "quiet");
  ASSERT_TRUE(host_->tap(card->downWordBtn()));
  EXPECT_EQ(card->wordName(), "close");
  EXPECT_EQ(screen->currentWordLocal(), 0);
  ASSERT_TRUE(host_->tap(card->upWordBtn()));
  EXPECT_EQ(card->wordName(), "quiet");
  landReply();
  EXPECT_EQ(learntest::textsUnderPagingButtonsWhileScrolling(*card), std::vector<std::string>{});
  write("today_review_card.png");
}

TEST_F(TodayReview, ADayWithoutAnswersHasFourEmptyTabs) {
  answered("book", -30, 2, 2, 2);
  auto screen = std::make_shared<TodayReViewController>();
  push(screen);
  for (size_t tab = 0; tab < 4; ++tab) EXPECT_EQ(screen->changeTabName()[tab][1], "0");
  EXPECT_FALSE(screen->hasStateDictionary());
  screen->pushNewView(0, 3);
  EXPECT_EQ(screen->baseWordViewCtrl(), nullptr) << "no word to open";
}

// A word opens wherever its text is tapped. Its first letters lie under the strip that swipes over
// check boxes on other lists; here no row has one, so a tap there is a tap on the word. The button
// column keeps its own taps.
TEST_F(TodayReview, ATapOnTheStartOfAWordOpensItsCard) {
  answered("close", 60, 4, 4, 4);
  answered("quiet", 50, 4, 2, 4);
  auto screen = std::make_shared<TodayReViewController>();
  push(screen);
  WordsListViewCtrl& page = *screen->page(2);
  ASSERT_EQ(*screen->getCurrWords(3), (WordSlots{"close", "quiet"}));
  plat::TableView& table = page.tableView();
  auto screenPoint = [&](double x, int row) {
    const plat::Rect r = table.rectForRow({0, row});
    return table.convertPointTo({x, r.y + r.height / 2}, nullptr);
  };
  const plat::Point onWord = screenPoint(WordsListViewCtrl::kButtonWidth + 5, 1);
  ASSERT_EQ(page.view()->window()->hitTest(onWord), &page.slideView()) << "the strip lies there";

  host_->tapAt(screenPoint(20, 1));
  landReply();
  EXPECT_EQ(app_->nav->topViewController(), screen.get()) << "the button column opens nothing";

  host_->tapAt(onWord);
  landReply();
  BaseWordViewController* card = screen->baseWordViewCtrl();
  ASSERT_NE(card, nullptr);
  EXPECT_EQ(app_->nav->topViewController(), card);
  EXPECT_EQ(card->wordName(), "quiet");
  EXPECT_EQ(screen->currentWordLocal(), 1);
  EXPECT_TRUE(screen->scrollView().isScrollEnabled()) << "paging is back after the tap";
  app_->nav->popViewController(false);
  landReply();

  // A drag that starts on a word and ends on another row opens nothing.
  host_->swipe(screenPoint(WordsListViewCtrl::kButtonWidth + 5, 0), onWord, 4);
  landReply();
  EXPECT_EQ(app_->nav->topViewController(), screen.get());
  host_->tapAt(screenPoint(WordsListViewCtrl::kButtonWidth + 5, 0));
  landReply();
  EXPECT_EQ(card->wordName(), "close");
  write("today_review_word_start_tapped.png");
}

}  // namespace
