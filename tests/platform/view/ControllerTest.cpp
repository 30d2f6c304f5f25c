#include <gtest/gtest.h>

#include "platform/view/Animation.h"
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

// The review screen hides its navigation bar while it is shown and brings it back as it leaves.
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

class TabDelegate : public TabBarControllerDelegate {
 public:
  bool allow = true;
  std::vector<ViewController*> selected;
  bool shouldSelectViewController(TabBarController&, ViewController&) override { return allow; }
  void didSelectViewController(TabBarController&, ViewController& vc) override {
    selected.push_back(&vc);
  }
};

class Controllers : public testsupport::ViewFixture {
 protected:
  std::shared_ptr<Page> page(const std::string& name, RectEdge extended = kRectEdgeAll) {
    auto made = std::make_shared<Page>(name, log_);
    made->setEdgesForExtendedLayout(extended);
    return made;
  }
  std::shared_ptr<NavigationController> shownStack(std::shared_ptr<ViewController> root) {
    auto nav = std::make_shared<NavigationController>(std::move(root));
    window_->setRootViewController(nav);
    return nav;
  }
  std::shared_ptr<TabBarController> shownTabs(std::vector<std::shared_ptr<ViewController>> tabs) {
    auto controller = std::make_shared<TabBarController>();
    controller->setViewControllers(std::move(tabs));
    window_->setRootViewController(controller);
    return controller;
  }

  Log log_;
  const Rect underNavBar_{0, 64, 320, 568 - 64 - 49}, underStatusBar_{0, 20, 320, 568 - 20 - 49};
};

}  // namespace

// Going back while the pushed screen still slides in leaves the first screen shown, not a blank
// container: the push's end must not take away the view the back slide brought.
TEST_F(Controllers, BackDuringThePushLeavesTheFirstScreenShown) {
  auto first = page("first");
  auto nav = shownStack(first);
  nav->pushViewController(page("second"), true);
  advance(NavigationController::kTransitionSeconds / 2);
  nav->popViewController(true);
  advance(NavigationController::kTransitionSeconds + 0.01);
  EXPECT_EQ(nav->topViewController(), first.get());
  ASSERT_TRUE(first->isViewLoaded());
  EXPECT_EQ(first->view()->superview(), nav->view().get()) << "the first screen's view is shown";
  EXPECT_EQ(first->view()->frame().x, 0);
}

TEST_F(Controllers, PushAndPopTellEachScreenInOrder) {
  auto first = page("first");
  auto second = page("second");
  auto nav = shownStack(first);
  EXPECT_EQ(log_, (Log{"first load", "first will appear", "first did appear"}));

  log_.clear();
  nav->pushViewController(second, true);
  EXPECT_EQ(log_, (Log{"second load", "first will disappear", "second will appear"}));
  advance(NavigationController::kTransitionSeconds + 0.01);
  EXPECT_EQ(log_, (Log{"second load", "first will disappear", "second will appear",
                       "first did disappear", "second did appear"}));
  EXPECT_EQ(nav->topViewController(), second.get());
  EXPECT_EQ(second->navigationController(), nav.get());
  EXPECT_EQ(first->view()->superview(), nullptr) << "the covered screen leaves the tree";

  log_.clear();
  nav->view()->layoutIfNeeded();
  Button* back = nav->navigationBar().backButton();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->currentTitle(), "‹ first");
  back->sendActions(kTouchUpInside);
  advance(1);
  EXPECT_EQ(log_, (Log{"second will disappear", "first will appear", "second did disappear",
                       "first did appear"}));
  EXPECT_EQ(nav->viewControllers().size(), 1u);
  EXPECT_EQ(second->parentViewController(), nullptr);
  EXPECT_EQ(nav->popViewController(false), nullptr) << "the root stays";

  nav->pushViewController(page("b"), false);
  nav->pushViewController(page("c"), false);
  log_.clear();
  EXPECT_EQ(nav->popToRootViewController(false).size(), 2u);
  EXPECT_EQ(log_,
            (Log{"c will disappear", "first will appear", "c did disappear", "first did appear"}))
      << "popping to the root skips the screens between";
}

TEST_F(Controllers, TabsSwitchWithTheDelegatesConsent) {
  auto two = page("two");
  auto nav = std::make_shared<NavigationController>(page("one"));
  auto tabs = shownTabs({nav, two});
  TabDelegate delegate;
  tabs->setDelegate(&delegate);
  log_.clear();

  delegate.allow = false;
  tabs->tapTab(1);
  EXPECT_EQ(tabs->selectedIndex(), 0);
  EXPECT_TRUE(log_.empty());

  delegate.allow = true;
  tabs->tapTab(1);
  EXPECT_EQ(tabs->selectedViewController(), two.get());
  EXPECT_EQ(log_, (Log{"one will disappear", "two load", "two will appear", "one did disappear",
                       "two did appear"}));
  EXPECT_EQ(delegate.selected, (std::vector<ViewController*>{two.get()}));

  // Back to the first tab, push, then a tap on the selected tab returns to its root.
  tabs->tapTab(0);
  nav->pushViewController(page("deep"), false);
  tabs->tapTab(0);
  advance(1);
  EXPECT_EQ(nav->viewControllers().size(), 1u);
}

TEST_F(Controllers, ModalScreensCoverTheWindowUntilDismissed) {
  auto base = page("base");
  auto nav = shownStack(base);
  auto modal = page("modal");
  log_.clear();
  bool presented = false;
  base->presentViewController(modal, true, [&] { presented = true; });
  EXPECT_EQ(modal->view()->frame().y, 0) << "the model frame is already the end";
  EXPECT_GT(Animation::presentationOf(*modal->view()).center.y, 568 / 2.0);
  base->presentViewController(page("second"), false);
  advance(0.5);
  EXPECT_TRUE(presented);
  EXPECT_EQ(log_, (Log{"modal load", "modal will appear", "base will disappear",
                       "base did disappear", "modal did appear"}));
  EXPECT_EQ(nav->presentedViewController(), modal.get()) << "one presentation at a time";
  EXPECT_EQ(modal->presentingViewController(), nav.get());
  EXPECT_TRUE(nav->view()->isHidden()) << "the covered screen is not drawn";
  EXPECT_EQ(window_->hitTest({100, 300})->viewController(), modal.get());

  log_.clear();
  modal->setModalTransitionStyle(ModalTransitionStyle::CrossDissolve);
  modal->dismissViewController(true);
  EXPECT_EQ(modal->view()->superview(), window_.get()) << "still fading out";
  advance(1);
  EXPECT_EQ(modal->view()->superview(), nullptr);
  EXPECT_EQ(nav->presentedViewController(), nullptr);
  EXPECT_FALSE(nav->view()->isHidden());
  EXPECT_EQ(log_, (Log{"base will appear", "modal will disappear", "modal did disappear",
                       "base did appear"}));
}

TEST_F(Controllers, TheBarShowsTitlesAndPlacesItsItemsAroundThem) {
  auto root = page("设置");
  root->navigationItem().setBackBarButtonItem(
      std::make_shared<BarButtonItem>("返回", BarButtonStyle::Plain, nullptr));
  auto nav = shownStack(root);
  EXPECT_EQ(nav->tabBarItem().title(), "设置") << "a stack's tab is named after its root";
  root->setTitle("单词");
  EXPECT_EQ(nav->tabBarItem().title(), "单词");

  auto pushed = page("帮助");
  auto help = std::make_shared<View>(Rect(0, 0, 17, 33));
  pushed->navigationItem().setRightBarButtonItem(std::make_shared<BarButtonItem>(help));
  nav->pushViewController(pushed, false);
  NavigationBar& bar = nav->navigationBar();
  nav->view()->layoutIfNeeded();
  ASSERT_NE(bar.backButton(), nullptr);
  EXPECT_EQ(bar.backButton()->currentTitle(), "‹ 返回") << "the back item of the screen below";
  EXPECT_EQ(bar.titleView()->displayedText(), "帮助");
  EXPECT_NEAR(bar.titleView()->frame().midX(), 160, 0.5);
  EXPECT_EQ(bar.rightView(), help.get());
  EXPECT_EQ(help->frame(), Rect(320 - 5 - 17, (44 - 33) / 2.0, 17, 33));

  int taps = 0;
  pushed->navigationItem().setTitle("学习中");
  pushed->navigationItem().setHidesBackButton(true);
  pushed->navigationItem().setLeftBarButtonItem(std::make_shared<BarButtonItem>(
      "刷新", BarButtonStyle::Plain, [&](BarButtonItem&) { ++taps; }));
  nav->view()->layoutIfNeeded();
  EXPECT_EQ(bar.titleView()->displayedText(), "学习中");
  EXPECT_EQ(bar.backButton(), nullptr);
  ASSERT_NE(bar.leftView(), nullptr);
  EXPECT_EQ(bar.leftView()->frame().x, 5);
  tap(centerOf(*bar.leftView()));
  EXPECT_EQ(taps, 1);
}

TEST_F(Controllers, ATabKeepsItsStackWhileAnotherTabIsShown) {
  auto nav = std::make_shared<NavigationController>(page("list"));
  auto tabs = shownTabs({nav, page("other")});
  auto card = page("card", kRectEdgeNone);
  card->setHidesBottomBarWhenPushed(true);
  nav->pushViewController(card, false);
  ASSERT_TRUE(tabs->isTabBarHidden());
  EXPECT_EQ(card->view()->frame(), Rect(0, 64, 320, 568 - 64))
      << "the tab bar's room is the card's";

  log_.clear();
  tabs->setSelectedIndex(1);
  EXPECT_EQ(log_, (Log{"card will disappear", "other load", "other will appear",
                       "card did disappear", "other did appear"}));
  EXPECT_FALSE(tabs->isTabBarHidden()) << "the other tab shows the bar";
  EXPECT_EQ(nav->topViewController(), card.get());

  log_.clear();
  tabs->setSelectedIndex(0);
  EXPECT_EQ(log_, (Log{"other will disappear", "card will appear", "other did disappear",
                       "card did appear"}));
  EXPECT_TRUE(tabs->isTabBarHidden()) << "back on the card, the bar is hidden again";
  EXPECT_EQ(card->view()->window(), window_.get());
  nav->popViewController(false);
  EXPECT_FALSE(tabs->isTabBarHidden());
}

// The screens around one that hides its bar must sit between the bars as they are once it did so.
TEST_F(Controllers, ScreensBesideOneThatHidesTheBarSitBetweenTheBars) {
  auto review = std::make_shared<BarlessPage>("review", log_);
  review->setEdgesForExtendedLayout(kRectEdgeNone);
  auto reviewNav = std::make_shared<NavigationController>(review);
  auto books = std::make_shared<NavigationController>(page("books"));
  auto tabs = shownTabs({reviewNav, books});

  auto note = page("note", kRectEdgeNone);
  reviewNav->pushViewController(note, true);
  advance(1);
  EXPECT_EQ(note->view()->frame(), underNavBar_) << "pushed from the review screen";
  reviewNav->popViewController(true);
  advance(1);
  EXPECT_EQ(review->view()->frame(), underStatusBar_) << "back on the review screen";

  // A word list that hid the tab bar switches to the review tab.
  tabs->setSelectedIndex(1);
  auto list = page("list");
  list->setHidesBottomBarWhenPushed(true);
  books->pushViewController(list, false);
  ASSERT_TRUE(tabs->isTabBarHidden());
  tabs->setSelectedIndex(0);
  EXPECT_FALSE(tabs->isTabBarHidden());
  EXPECT_EQ(review->view()->frame(), underStatusBar_) << "switched to from a word list";
}
