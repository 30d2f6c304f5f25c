// Views dropped under memory pressure: a screen that may unload loses its view only while the view
// is in no window, loads a new one when shown again, and the new one takes the old one's place in
// the container that held it. Screens that may not keep theirs.
#include <gtest/gtest.h>

#include "platform/view/NavigationController.h"
#include "platform/view/TabBarController.h"
#include "tests/platform/view/ViewFixture.h"

using namespace plat;

namespace {

class Unloading : public ViewController {
 public:
  explicit Unloading(bool may = true) : may_(may) {}
  bool canUnloadView() const override { return may_; }
  void viewDidLoad() override { ++loads; }
  void viewWillUnload() override { events.push_back("will"); }
  void viewDidUnload() override { events.push_back("did"); }

  int loads = 0;
  std::vector<std::string> events;

 private:
  bool may_;
};

using ViewUnload = testsupport::ViewFixture;

TEST_F(ViewUnload, OnlyViewsInNoWindowGoAndComeBackInTheirPlace) {
  auto review = std::make_shared<Unloading>();
  auto pushed = std::make_shared<Unloading>();
  auto keeps = std::make_shared<Unloading>(false);
  auto nav = std::make_shared<NavigationController>(review);
  auto other = std::make_shared<ViewController>();
  auto tabs = std::make_shared<TabBarController>();
  tabs->setViewControllers({nav, other, std::make_shared<NavigationController>(keeps)});
  window_->setRootViewController(tabs);
  runUntilIdle();
  const Rect shownFrame = review->view()->frame();

  // On screen: nothing goes.
  Application::shared().receiveMemoryWarning();
  EXPECT_TRUE(review->isViewLoaded());
  EXPECT_TRUE(review->events.empty());

  // Under another tab: the view goes, the one that may not unload keeps its view.
  tabs->setSelectedIndex(2);
  tabs->setSelectedIndex(1);
  runUntilIdle();
  ASSERT_TRUE(keeps->isViewLoaded());
  Application::shared().receiveMemoryWarning();
  EXPECT_FALSE(review->isViewLoaded());
  EXPECT_EQ(review->events, (std::vector<std::string>{"will", "did"}));
  EXPECT_TRUE(keeps->isViewLoaded());
  Application::shared().receiveMemoryWarning();
  EXPECT_EQ(review->events.size(), 2u) << "nothing more to drop";

  // Back on its tab: a new view, where the old one stood, under the navigation bar.
  tabs->setSelectedIndex(0);
  runUntilIdle();
  ASSERT_TRUE(review->isViewLoaded());
  EXPECT_EQ(review->loads, 2);
  EXPECT_EQ(review->view()->window(), window_.get());
  EXPECT_EQ(review->view()->frame(), shownFrame);
  EXPECT_EQ(nav->view()->subviews().back().get(), &nav->navigationBar()) << "the bar stays on top";

  // A screen popped off its stack and held by nobody's window unloads too, and loads again when
  // pushed again.
  nav->pushViewController(pushed, false);
  nav->popViewController(false);
  runUntilIdle();
  Application::shared().receiveMemoryWarning();
  EXPECT_FALSE(pushed->isViewLoaded());
  nav->pushViewController(pushed, false);
  runUntilIdle();
  EXPECT_EQ(pushed->view()->window(), window_.get());
  EXPECT_EQ(pushed->loads, 2);
}

}  // namespace
