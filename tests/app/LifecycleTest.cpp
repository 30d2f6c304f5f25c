// Resigning schedules the reminders and becoming active cancels them; the background makes the
// screens save their state; the night overlay at launch and when switched.
#include <gtest/gtest.h>

#include "platform/view/Application.h"
#include "tests/app/AppFixture.h"

namespace apptest {
namespace {

using plat::Application;
using plat::StatusBarStyle;

TEST_F(AppTest, ResigningSchedulesRemindersAndTheBackgroundSavesTheScreens) {
  plan("apple", daysFromNow(-10));
  setRecord("apple", daysFromNow(-5), daysFromNow(-1), 2);
  plan("book", daysFromNow(-10));
  setRecord("book", daysFromNow(-1), daysFromNow(1), 4, 4, 4);
  db_->UpdatePersonalValue_isNeed("alarm_setting", "1");
  db_->UpdatePersonalValue_isNeed("time_setting", "20:00");
  db_->UpdatePersonalValue_isNeed("forgetword_remind", "1");
  db_->UpdatePersonalValue("account", "learner");
  launch();
  EXPECT_TRUE(Application::shared().scheduledLocalNotifications().empty());
  EXPECT_TRUE(app_->topView()->isHidden()) << "by day, no night overlay";

  host_->resignActive();
  std::vector<plat::LocalNotification> scheduled =
      Application::shared().scheduledLocalNotifications();
  ASSERT_EQ(scheduled.size(), 16u) << "15 review reminders and one stubborn word";
  int stubborn = 0;
  for (const auto& n : scheduled) stubborn += n.alertBody.rfind("[顽固词]book", 0) == 0;
  EXPECT_EQ(stubborn, 1);

  host_->becomeActive();
  EXPECT_TRUE(Application::shared().scheduledLocalNotifications().empty());
  host_->enterBackground();
  ASSERT_GE(hookCalls_.size(), 2u);
  EXPECT_EQ(hookCalls_[hookCalls_.size() - 2], "closeProgram:review");
  EXPECT_EQ(hookCalls_.back(), "closeProgram:books");
  EXPECT_FALSE(Application::shared().scheduledLocalNotifications().empty())
      << "going to the background resigns first";
}

TEST_F(AppTest, NightOverlayCoversEveryScreenAndLetsTouchesThrough) {
  db_->UpdatePersonalValue_isNeed("atNight", "1");
  launch();
  plat::View* overlay = app_->topView();
  ASSERT_NE(overlay, nullptr);
  EXPECT_FALSE(overlay->isHidden());
  EXPECT_DOUBLE_EQ(overlay->alpha(), AppDelegate::kNightAlpha);
  EXPECT_EQ(app_->window()->subviews().back().get(), overlay);
  EXPECT_EQ(Application::shared().statusBarStyle(), StatusBarStyle::BlackOpaque);

  plat::TabBar& bar = app_->tabBarController()->tabBar();
  host_->tapAt(bar.convertPointTo(bar.itemRect(2).center(), nullptr));
  EXPECT_EQ(app_->tabBarController()->selectedIndex(), 2) << "the tap went through";
  EXPECT_EQ(app_->window()->subviews().back().get(), overlay) << "still over the new tab";

  const plat::Point middle{160, 300}, statusBar{160, 10};
  const plat::Color night = host_->renderScreen()->colorAtPoint(middle);
  EXPECT_EQ(host_->renderScreen()->colorAtPoint(statusBar), plat::Color::black());
  app_->TopViewState(false);
  EXPECT_TRUE(overlay->isHidden());
  EXPECT_EQ(Application::shared().statusBarStyle(), StatusBarStyle::Default);
  const plat::Color day = host_->renderScreen()->colorAtPoint(middle);
  EXPECT_NEAR(night.r, day.r * (1 - AppDelegate::kNightAlpha), 0.02);
  EXPECT_NEAR(night.b, day.b * (1 - AppDelegate::kNightAlpha), 0.02);
  // By day the review screen, which hides its navigation bar, is white up to the top.
  host_->tapAt(bar.convertPointTo(bar.itemRect(0).center(), nullptr));
  EXPECT_EQ(host_->renderScreen()->colorAtPoint(statusBar), plat::Color::white());

  app_->TopViewState(true);
  EXPECT_FALSE(overlay->isHidden());
  EXPECT_EQ(Application::shared().statusBarStyle(), StatusBarStyle::BlackOpaque);
}

}  // namespace
}  // namespace apptest
