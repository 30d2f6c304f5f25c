// Screens that one folder opens from another, reached through the makers the application installs
// at start-up: without the app's wiring nothing would open.
#include "account/AcceptUIWindow.h"
#include "account/FeedBackViewController.h"
#include "account/HelpRemMgrViewCtrl.h"
#include "account/UserInfoViewCtrl.h"
#include "books/BookScreens.h"
#include "learn/CardScreens.h"
#include "learn/ListSortViewController.h"
#include "platform/view/Label.h"
#include "platform/view/NavigationController.h"
#include "platform/view/TabBarController.h"
#include "settings/SetViewController.h"
#include "tests/app/AppFixture.h"

namespace {

using apptest::AppTest;

class SettingsWiring : public AppTest {
 protected:
  // The settings tab, shown; its navigation stack in `tab_`.
  SetViewController& showSettings() {
    plat::TabBar& bar = app_->tabBarController()->tabBar();
    host_->tapAt(bar.convertPointTo(bar.itemRect(3).center(), nullptr));
    host_->advance(1);
    tab_ = dynamic_cast<plat::NavigationController*>(
        app_->tabBarController()->viewControllers().at(3).get());
    EXPECT_NE(tab_, nullptr);
    auto* settings = tab_ ? dynamic_cast<SetViewController*>(tab_->topViewController()) : nullptr;
    EXPECT_NE(settings, nullptr);
    return *settings;
  }
  // Selects a row and returns the screen it pushed, or null.
  template <class Screen>
  Screen* pushedBy(SetViewController& settings, plat::IndexPath row) {
    settings.didSelectRow(*settings.tableView(), row);
    host_->advance(1);
    return dynamic_cast<Screen*>(tab_->topViewController());
  }

  plat::NavigationController* tab_ = nullptr;
};

TEST_F(SettingsWiring, TheSettingsRowsPushTheSectionOrderTheFeedbackFormAndTheAccountScreen) {
  db_->UpdatePersonalValue("account", "learner");
  launch();
  SetViewController& settings = showSettings();
  ASSERT_NE(tab_, nullptr);
  plat::TableViewCell* row = settings.tableView()->cellForRow({1, 1});
  ASSERT_NE(row, nullptr);
  ASSERT_TRUE(host_->tap(row));
  host_->advance(1);
  auto* order = dynamic_cast<ListSortViewController*>(tab_->topViewController());
  ASSERT_NE(order, nullptr) << "the section order screen is pushed";
  auto* title = dynamic_cast<plat::Label*>(order->navigationItem().titleView().get());
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->text(), row->textLabel().text());
  EXPECT_EQ(order->cellSort().size(), 9u);
  tab_->popViewController(false);

  EXPECT_NE(pushedBy<FeedBackViewController>(settings, {5, 0}), nullptr);
  tab_->popViewController(false);
  EXPECT_NE(pushedBy<UserInfoViewCtrl>(settings, {0, 0}), nullptr) << "with an account";
}

TEST_F(AppTest, TheWordBooksAndTheWordCardReachTheScreensOfOtherFolders) {
  launch();
  EXPECT_NE(BookScreens::makeWordCard(nullptr, "单词本"), nullptr);
  EXPECT_NE(BookScreens::makeHelpPage("帮助", "fu_xi_liang.html", "文本"), nullptr);
  EXPECT_NE(dynamic_cast<HelpRemMgrViewCtrl*>(
                CardScreens::makeNoteEditor(nullptr, "apple", 1, "单词").get()),
            nullptr);
  CardScreens::showOffer({}, "apple",
                         plat::Value::array({7, "苹果的记法", 3, 1690000000, "dave", 0}));
  host_->advance(1);
  AcceptUIWindow* offer = AcceptUIWindow::shown();
  ASSERT_NE(offer, nullptr) << "the offer window opens";
  offer->dialogIsRemoved();
}

}  // namespace
