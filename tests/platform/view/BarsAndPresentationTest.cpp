#include <gtest/gtest.h>

#include "platform/view/Animation.h"
#include "platform/view/DatePicker.h"
#include "platform/view/NavigationController.h"
#include "platform/view/ViewRenderer.h"
#include "tests/platform/draw/InkBounds.h"
#include "tests/platform/view/ViewFixture.h"

using namespace plat;

namespace {
using Bars = testsupport::ViewFixture;
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
