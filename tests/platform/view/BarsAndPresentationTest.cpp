#include <gtest/gtest.h>

#include "platform/draw/ImageContext.h"
#include "platform/view/Animation.h"
#include "platform/view/DatePicker.h"
#include "platform/view/NavigationController.h"
#include "platform/view/ViewRenderer.h"
#include "tests/platform/draw/InkBounds.h"
#include "tests/platform/view/ViewFixture.h"

using namespace plat;

namespace {

class Counting : public ViewController {
 public:
  int didAppear = 0;
  void viewDidAppear(bool) override { ++didAppear; }
};

using Bars = testsupport::ViewFixture;

}  // namespace

TEST_F(Bars, TheBarPlacesItsItemsAroundACentredTitle) {
  auto root = std::make_shared<ViewController>();
  root->setTitle("设置");
  auto backItem = std::make_shared<BarButtonItem>("返回", BarButtonStyle::Plain, nullptr);
  root->navigationItem().setBackBarButtonItem(backItem);
  auto nav = std::make_shared<NavigationController>(root);
  window_->setRootViewController(nav);
  auto pushed = std::make_shared<ViewController>();
  pushed->setTitle("帮助");
  auto help = std::make_shared<View>(Rect(0, 0, 17, 33));
  pushed->navigationItem().setRightBarButtonItem(std::make_shared<BarButtonItem>(help));
  nav->pushViewController(pushed, false);
  NavigationBar& bar = nav->navigationBar();
  nav->view()->layoutIfNeeded();

  ASSERT_NE(bar.backButton(), nullptr);
  EXPECT_EQ(bar.backButton()->currentTitle(), "‹ 返回") << "the back item of the screen below";
  EXPECT_EQ(bar.rightView(), help.get());
  EXPECT_EQ(help->frame(), Rect(320 - 5 - 17, (44 - 33) / 2.0, 17, 33));
  Rect title = bar.titleView()->frame();
  EXPECT_NEAR(title.midX(), 160, 0.5);

  pushed->navigationItem().setHidesBackButton(true);
  nav->view()->layoutIfNeeded();
  EXPECT_EQ(bar.backButton(), nullptr);
  auto left = std::make_shared<View>(Rect(0, 0, 55, 40));
  pushed->navigationItem().setLeftBarButtonItem(std::make_shared<BarButtonItem>(left));
  nav->view()->layoutIfNeeded();
  EXPECT_EQ(bar.leftView(), left.get());
  EXPECT_EQ(left->frame().x, 5);
}

TEST_F(Bars, ABackgroundImageFillsTheBarAndTheStatusBarAbove) {
  NavigationBar::setDefaultBackgroundImage(
      testsupport::solidImage({10, 10}, Color::rgb255(106, 207, 153))->stretchable(5, 5));
  auto nav = std::make_shared<NavigationController>(std::make_shared<ViewController>());
  window_->setRootViewController(nav);
  auto screen = ViewRenderer::renderScreen(1);
  NavigationBar::setDefaultBackgroundImage(nullptr);
  EXPECT_FALSE(testsupport::differs(screen->pixel(100, 5), Color::rgb255(106, 207, 153), 0.05));
  EXPECT_FALSE(testsupport::differs(screen->pixel(100, 60), Color::rgb255(106, 207, 153), 0.05));
}

TEST_F(Bars, AnAnimatedPresentationAppearsWhenItHasArrived) {
  auto base = std::make_shared<Counting>();
  window_->setRootViewController(base);
  auto modal = std::make_shared<Counting>();
  bool done = false;
  base->presentViewController(modal, true, [&] { done = true; });
  EXPECT_EQ(modal->didAppear, 0);
  EXPECT_EQ(modal->view()->frame().y, 0) << "the model frame is already the end";
  EXPECT_GT(Animation::presentationOf(*modal->view()).center.y, 568 / 2.0);
  base->presentViewController(std::make_shared<Counting>(), false);
  advance(0.5);
  EXPECT_TRUE(done);
  EXPECT_EQ(modal->didAppear, 1);
  EXPECT_TRUE(base->view()->isHidden()) << "the covered screen is not drawn";
  EXPECT_EQ(base->presentedViewController(), modal.get()) << "one presentation at a time";
  base->dismissViewController(false);
  EXPECT_FALSE(base->view()->isHidden());
  EXPECT_EQ(base->didAppear, 2);
}

TEST_F(Bars, WhatIsDrawnMidAnimationIsOnTheWay) {
  window_->setBackgroundColor(Color::white());
  auto box = std::make_shared<View>(Rect(0, 100, 40, 40));
  box->setBackgroundColor(Color::red());
  window_->addSubview(box);
  Animation::animate(1.0, 0, AnimationCurve::Linear, [&] { box->setFrame({200, 100, 40, 40}); });
  advance(0.5);
  auto screen = ViewRenderer::renderScreen(1);
  EXPECT_FALSE(testsupport::differs(screen->pixel(120, 120), Color::red(), 0.05));
  EXPECT_FALSE(testsupport::differs(screen->pixel(20, 120), Color::white(), 0.05));
  EXPECT_FALSE(testsupport::differs(screen->pixel(220, 120), Color::white(), 0.05));
}

TEST_F(Bars, DatePickersKeepWithinTheirLimits) {
  DatePicker picker;
  picker.setTimeZone(TimeZone::fixed(8 * 3600));
  picker.setMode(DatePickerMode::Time);
  picker.setDate(1'700'000'000);
  EXPECT_EQ(picker.displayedValue(), "06:13");
  picker.setMode(DatePickerMode::Date);
  EXPECT_EQ(picker.displayedValue(), "2023-11-15");
  picker.setMinimumDate(1'700'000'100);
  EXPECT_EQ(picker.date(), 1'700'000'100);
  picker.setMaximumDate(1'700'000'200);
  picker.pick(1'800'000'000);
  EXPECT_EQ(picker.date(), 1'700'000'200);
  picker.setMinuteInterval(5);
  picker.setCountDownDuration(17 * 60);
  EXPECT_EQ(picker.countDownDuration(), 15 * 60);
  picker.setCountDownDuration(48 * 3600);
  EXPECT_EQ(picker.countDownDuration(), 23 * 3600 + 55 * 60);
}
