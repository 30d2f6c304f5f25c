// Screens that one folder opens from another, reached through the makers the application installs
// at start-up: without the app's wiring nothing would open.
#include "books/BookScreens.h"
#include "learn/ListSortViewController.h"
#include "platform/view/Label.h"
#include "platform/view/NavigationController.h"
#include "platform/view/TabBarController.h"
#include "settings/SetViewController.h"
#include "tests/app/AppFixture.h"

namespace {

using apptest::AppTest;

TEST_F(AppTest, TheSettingsRowOfTheCardsSectionsPushesTheSectionOrderScreen) {
  launch();
  plat::TabBar& bar = app_->tabBarController()->tabBar();
  host_->tapAt(bar.convertPointTo(bar.itemRect(3).center(), nullptr));
  host_->advance(1);
  auto* tab = dynamic_cast<plat::NavigationController*>(
      app_->tabBarController()->viewControllers().at(3).get());
  ASSERT_NE(tab, nullptr);
  auto* settings = dynamic_cast<SetViewController*>(tab->topViewController());
  ASSERT_NE(settings, nullptr);
  plat::TableViewCell* row = settings->tableView()->cellForRow({1, 1});
  ASSERT_NE(row, nullptr);
  ASSERT_TRUE(host_->tap(row));
  host_->advance(1);
  auto* order = dynamic_cast<ListSortViewController*>(tab->topViewController());
  ASSERT_NE(order, nullptr) << "the section order screen is pushed";
  auto* title = dynamic_cast<plat::Label*>(order->navigationItem().titleView().get());
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->text(), row->textLabel().text());
  EXPECT_EQ(order->cellSort().size(), 9u);
}

TEST_F(AppTest, TheWordBooksReachTheWordCardAndTheHelpPage) {
  launch();
  EXPECT_NE(BookScreens::makeWordCard(nullptr, "单词本"), nullptr);
  EXPECT_NE(BookScreens::makeHelpPage("帮助", "fu_xi_liang.html", "文本"), nullptr);
}

}  // namespace
