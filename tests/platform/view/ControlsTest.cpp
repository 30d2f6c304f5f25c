#include <gtest/gtest.h>

#include "platform/view/PageControl.h"
#include "platform/view/Slider.h"
#include "platform/view/Switch.h"
#include "tests/platform/view/ViewFixture.h"

using namespace plat;

namespace {
using Controls = testsupport::ViewFixture;
}

TEST_F(Controls, ASwitchTurnsOverOnATap) {
  auto toggle = std::make_shared<Switch>(Point{100, 100});
  window_->addSubview(toggle);
  std::vector<bool> values;
  toggle->addTarget([&](Control& c) { values.push_back(static_cast<Switch&>(c).isOn()); },
                    kValueChanged);
  tap(centerOf(*toggle));
  tap(centerOf(*toggle));
  EXPECT_EQ(values, (std::vector<bool>{true, false}));
  toggle->setOn(true);
  EXPECT_EQ(values.size(), 2u);
}

TEST_F(Controls, ASliderFollowsTheFinger) {
  auto slider = std::make_shared<Slider>(Rect(10, 100, 228, 30));
  slider->setMinimumValue(0);
  slider->setMaximumValue(100);
  window_->addSubview(slider);
  std::vector<double> values;
  slider->addTarget([&](Control& c) { values.push_back(static_cast<Slider&>(c).value()); },
                    kValueChanged);
  drag({24, 115}, {124, 115}, 4);
  ASSERT_FALSE(values.empty());
  EXPECT_NEAR(values.front(), 0, 1e-9);
  EXPECT_NEAR(slider->value(), 50, 1e-9);
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
  drag({124, 115}, {600, 115});
  EXPECT_EQ(slider->value(), 100) << "clamped to the maximum";

  slider->setContinuous(false);
  values.clear();
  drag({124, 115}, {30, 115}, 6);
  EXPECT_EQ(values.size(), 1u) << "one change, on release";
}

TEST_F(Controls, APageControlGoesToTheTappedDotOrOneStep) {
  auto pages = std::make_shared<PageControl>(Rect(0, 500, 320, 36));
  pages->setNumberOfPages(5);
  window_->addSubview(pages);
  int changes = 0;
  pages->addTarget([&](Control&) { ++changes; }, kValueChanged);
  tap(pages->convertPointTo(pages->dotCenter(2), nullptr));
  EXPECT_EQ(pages->currentPage(), 2);
  tap({300, 518});
  EXPECT_EQ(pages->currentPage(), 3);
  tap({10, 518});
  EXPECT_EQ(pages->currentPage(), 2);
  EXPECT_EQ(changes, 3);
  pages->setCurrentPage(9);
  EXPECT_EQ(pages->currentPage(), 4);
}
