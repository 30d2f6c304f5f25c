#include <gtest/gtest.h>

#include "platform/view/NavigationController.h"
#include "platform/view/TabBarController.h"
#include "tests/platform/view/ViewFixture.h"

using namespace plat;

namespace {

using Log = std::vector<std::string>;

class Page : public ViewController {
 public:
  Page(std::string name, Log& log) : name_(std::move(name)), log_(log) { setTitle(name_); }
  void viewDidLoad() override { log_.push_back(name_ + " load"); }
  void viewWillAppear(bool) override { log_.push_back(name_ + " will appear"); }
  void viewDidAppear(bool) override { log_.push_back(name_ + " did appear"); }
  void viewWillDisappear(bool) override { log_.push_back(name_ + " will disappear"); }
  void viewDidDisappear(bool) override { log_.push_back(name_ + " did disappear"); }

 private:
  std::string name_;
  Log& log_;
};

class TabDelegate : public TabBarControllerDelegate {
 public:
  bool allow = true;
  std::vector<ViewController*> selected;
  bool shouldSelectViewController(TabBarController&, ViewController&) override { return allow; }
  void didSelectViewController(TabBarController&, ViewController& vc) override {
    selected.push_back(&vc);
  }
};

using Controllers = testsupport::ViewFixture;

}  // namespace

TEST_F(Controllers, PushAndPopTellEachScreenInOrder) {
  Log log;
  auto first = std::make_shared<Page>("first", log);
  auto second = std::make_shared<Page>("second", log);
  auto nav = std::make_shared<NavigationController>(first);
  window_->setRootViewController(nav);
  EXPECT_EQ(log, (Log{"first load", "first will appear", "first did appear"}));

  log.clear();
  nav->pushViewController(second, true);
  EXPECT_EQ(log, (Log{"second load", "first will disappear", "second will appear"}));
  advance(NavigationController::kTransitionSeconds + 0.01);
  EXPECT_EQ(log, (Log{"second load", "first will disappear", "second will appear",
                      "first did disappear", "second did appear"}));
  EXPECT_EQ(nav->topViewController(), second.get());
  EXPECT_EQ(second->navigationController(), nav.get());
  EXPECT_EQ(first->view()->superview(), nullptr) << "the covered screen leaves the tree";

  // The back button pops.
  log.clear();
  nav->view()->layoutIfNeeded();
  Button* back = nav->navigationBar().backButton();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->currentTitle(), "‹ first");
  back->sendActions(kTouchUpInside);
  advance(1);
  EXPECT_EQ(log, (Log{"second will disappear", "first will appear", "second did disappear",
                      "first did appear"}));
  EXPECT_EQ(nav->viewControllers().size(), 1u);
  EXPECT_EQ(second->parentViewController(), nullptr);
  EXPECT_EQ(nav->popViewController(false), nullptr) << "the root stays";
}

TEST_F(Controllers, PopToRootSkipsTheScreensBetween) {
  Log log;
  auto nav = std::make_shared<NavigationController>(std::make_shared<Page>("a", log));
  window_->setRootViewController(nav);
  nav->pushViewController(std::make_shared<Page>("b", log), false);
  nav->pushViewController(std::make_shared<Page>("c", log), false);
  log.clear();
  auto removed = nav->popToRootViewController(false);
  EXPECT_EQ(removed.size(), 2u);
  EXPECT_EQ(log, (Log{"c will disappear", "a will appear", "c did disappear", "a did appear"}));
}

TEST_F(Controllers, TheContentSitsBetweenTheBars) {
  Log log;
  auto root = std::make_shared<Page>("root", log);
  root->setEdgesForExtendedLayout(kRectEdgeNone);
  auto nav = std::make_shared<NavigationController>(root);
  auto tabs = std::make_shared<TabBarController>();
  tabs->setViewControllers({nav, std::make_shared<Page>("other", log)});
  window_->setRootViewController(tabs);
  EXPECT_EQ(root->view()->frame(), Rect(0, 64, 320, 568 - 64 - 49));

  nav->setNavigationBarHidden(true);
  EXPECT_EQ(root->view()->frame(), Rect(0, 20, 320, 568 - 20 - 49));

  auto pushed = std::make_shared<Page>("pushed", log);
  pushed->setHidesBottomBarWhenPushed(true);
  pushed->setEdgesForExtendedLayout(kRectEdgeNone);
  nav->pushViewController(pushed, false);
  EXPECT_TRUE(tabs->isTabBarHidden());
  EXPECT_EQ(pushed->view()->frame(), Rect(0, 20, 320, 548));
  nav->popViewController(false);
  EXPECT_FALSE(tabs->isTabBarHidden());
}

TEST_F(Controllers, TabsSwitchWithTheDelegatesConsent) {
  Log log;
  auto one = std::make_shared<Page>("one", log);
  auto two = std::make_shared<Page>("two", log);
  auto nav = std::make_shared<NavigationController>(one);
  auto tabs = std::make_shared<TabBarController>();
  TabDelegate delegate;
  tabs->setDelegate(&delegate);
  tabs->setViewControllers({nav, two});
  window_->setRootViewController(tabs);
  log.clear();

  delegate.allow = false;
  tabs->tapTab(1);
  EXPECT_EQ(tabs->selectedIndex(), 0);
  EXPECT_TRUE(log.empty());

  delegate.allow = true;
  tabs->tapTab(1);
  EXPECT_EQ(tabs->selectedIndex(), 1);
  EXPECT_EQ(tabs->selectedViewController(), two.get());
  EXPECT_EQ(log, (Log{"one will disappear", "two load", "two will appear", "one did disappear",
                      "two did appear"}));
  EXPECT_EQ(delegate.selected, (std::vector<ViewController*>{two.get()}));

  // Back to the first tab, push, then a tap on the selected tab returns to its root.
  tabs->tapTab(0);
  nav->pushViewController(std::make_shared<Page>("deep", log), false);
  tabs->tapTab(0);
  advance(1);
  EXPECT_EQ(nav->viewControllers().size(), 1u);

  // A finger on the bar selects too.
  tabs->view()->layoutIfNeeded();
  Rect item = tabs->tabBar().itemRect(1);
  Point onBar = tabs->tabBar().convertPointTo(item.center(), nullptr);
  tap(onBar);
  EXPECT_EQ(tabs->selectedIndex(), 1);
}

TEST_F(Controllers, ModalScreensCoverTheWindowUntilDismissed) {
  Log log;
  auto base = std::make_shared<Page>("base", log);
  auto nav = std::make_shared<NavigationController>(base);
  window_->setRootViewController(nav);
  auto modal = std::make_shared<Page>("modal", log);
  modal->setModalTransitionStyle(ModalTransitionStyle::CrossDissolve);
  log.clear();
  bool presented = false;
  base->presentViewController(modal, false, [&] { presented = true; });
  EXPECT_TRUE(presented);
  EXPECT_EQ(log, (Log{"modal load", "modal will appear", "base will disappear",
                      "base did disappear", "modal did appear"}));
  EXPECT_EQ(nav->presentedViewController(), modal.get());
  EXPECT_EQ(modal->presentingViewController(), nav.get());
  EXPECT_EQ(window_->hitTest({100, 300})->viewController(), modal.get());

  log.clear();
  modal->dismissViewController(true);
  EXPECT_EQ(modal->view()->superview(), window_.get()) << "still fading out";
  advance(1);
  EXPECT_EQ(modal->view()->superview(), nullptr);
  EXPECT_EQ(nav->presentedViewController(), nullptr);
  EXPECT_EQ(log, (Log{"base will appear", "modal will disappear", "modal did disappear",
                      "base did appear"}));
}

TEST_F(Controllers, TitlesAndBadgesReachTheBars) {
  Log log;
  auto screen = std::make_shared<Page>("复习", log);
  auto nav = std::make_shared<NavigationController>(screen);
  window_->setRootViewController(nav);
  nav->view()->layoutIfNeeded();
  EXPECT_EQ(nav->navigationBar().titleView()->displayedText(), "复习");
  screen->navigationItem().setTitle("学习中");
  nav->view()->layoutIfNeeded();
  EXPECT_EQ(nav->navigationBar().titleView()->displayedText(), "学习中");
  int taps = 0;
  screen->navigationItem().setRightBarButtonItem(std::make_shared<BarButtonItem>(
      "刷新", BarButtonStyle::Plain, [&](BarButtonItem&) { ++taps; }));
  nav->view()->layoutIfNeeded();
  View* right = nav->navigationBar().rightView();
  ASSERT_NE(right, nullptr);
  tap(right->convertPointTo(right->bounds().center(), nullptr));
  EXPECT_EQ(taps, 1);
  EXPECT_EQ(nav->tabBarItem().title(), "复习") << "a stack's tab is named after its root";
  screen->setTitle("单词");
  EXPECT_EQ(nav->tabBarItem().title(), "单词");
  screen->tabBarItem().setBadgeValue("5");
  EXPECT_EQ(nav->tabBarItem().badgeValue(), "");
  EXPECT_EQ(screen->tabBarItem().badgeValue(), "5");
}

TEST_F(Controllers, ATabKeepsItsStackWhileAnotherTabIsShown) {
  Log log;
  auto nav = std::make_shared<NavigationController>(std::make_shared<Page>("list", log));
  auto other = std::make_shared<Page>("other", log);
  auto tabs = std::make_shared<TabBarController>();
  tabs->setViewControllers({nav, other});
  window_->setRootViewController(tabs);
  auto card = std::make_shared<Page>("card", log);
  card->setHidesBottomBarWhenPushed(true);
  nav->pushViewController(card, false);
  ASSERT_TRUE(tabs->isTabBarHidden());

  log.clear();
  tabs->setSelectedIndex(1);
  EXPECT_EQ(log, (Log{"card will disappear", "other load", "other will appear",
                      "card did disappear", "other did appear"}));
  EXPECT_FALSE(tabs->isTabBarHidden()) << "the other tab shows the bar";
  EXPECT_EQ(nav->topViewController(), card.get());

  log.clear();
  tabs->setSelectedIndex(0);
  EXPECT_EQ(log, (Log{"other will disappear", "card will appear", "other did disappear",
                      "card did appear"}));
  EXPECT_TRUE(tabs->isTabBarHidden()) << "back on the card, the bar is hidden again";
  EXPECT_EQ(card->view()->window(), window_.get());

  nav->popViewController(false);
  EXPECT_FALSE(tabs->isTabBarHidden());
  EXPECT_EQ(nav->viewControllers().size(), 1u);
}

// The review screen hides its navigation bar while it is shown and brings it back as it leaves;
// the screens around it must still sit between the bars as they are once it has done so.
class BarlessPage : public Page {
 public:
  using Page::Page;
  void viewWillAppear(bool animated) override {
    navigationController()->setNavigationBarHidden(true, animated);
  }
  void viewWillDisappear(bool animated) override {
    navigationController()->setNavigationBarHidden(false, animated);
  }
};

TEST_F(Controllers, ScreensBesideOneThatHidesTheBarSitBetweenTheBars) {
  Log log;
  auto review = std::make_shared<BarlessPage>("review", log);
  review->setEdgesForExtendedLayout(kRectEdgeNone);
  auto reviewNav = std::make_shared<NavigationController>(review);
  auto books = std::make_shared<NavigationController>(std::make_shared<Page>("books", log));
  auto tabs = std::make_shared<TabBarController>();
  tabs->setViewControllers({reviewNav, books});
  window_->setRootViewController(tabs);
  const Rect underNavBar(0, 64, 320, 568 - 64 - 49), underStatusBar(0, 20, 320, 568 - 20 - 49);

  auto note = std::make_shared<Page>("note", log);
  note->setEdgesForExtendedLayout(kRectEdgeNone);
  reviewNav->pushViewController(note, true);
  advance(1);
  EXPECT_EQ(note->view()->frame(), underNavBar) << "pushed from the review screen";
  reviewNav->popViewController(true);
  advance(1);
  EXPECT_EQ(review->view()->frame(), underStatusBar) << "back on the review screen";

  // A word list that hid the tab bar switches to the review tab.
  tabs->setSelectedIndex(1);
  auto list = std::make_shared<Page>("list", log);
  list->setHidesBottomBarWhenPushed(true);
  books->pushViewController(list, false);
  ASSERT_TRUE(tabs->isTabBarHidden());
  tabs->setSelectedIndex(0);
  EXPECT_FALSE(tabs->isTabBarHidden());
  EXPECT_EQ(review->view()->frame(), underStatusBar) << "switched to from a word list";
}
