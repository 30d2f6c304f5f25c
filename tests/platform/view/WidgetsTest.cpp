#include <gtest/gtest.h>

#include "platform/view/Button.h"
#include "platform/view/ImageView.h"
#include "platform/view/Label.h"
#include "platform/view/PageControl.h"
#include "platform/view/Slider.h"
#include "platform/view/Switch.h"
#include "platform/view/TextField.h"
#include "platform/view/ViewRenderer.h"
#include "tests/platform/draw/InkBounds.h"
#include "tests/platform/view/ViewFixture.h"

using namespace plat;
using testsupport::inkBounds;

namespace {
using Widgets = testsupport::ViewFixture;
}

TEST_F(Widgets, ALabelShrinksItsFontToFitOneLineButNotBelowItsMinimum) {
  Label label(Rect(0, 0, 100, 20));
  label.setText("internationalization everywhere");
  label.setFont(Font::system(17));
  EXPECT_EQ(label.fittedFont(100).size, 17) << "no shrinking unless asked";
  label.setAdjustsFontSizeToFitWidth(true);
  Font fitted = label.fittedFont(100);
  EXPECT_LT(fitted.size, 17);
  EXPECT_LE(measureText(label.text(), fitted).width, 100);
  label.setMinimumFontSize(14);
  EXPECT_EQ(label.fittedFont(100).size, 14);
  label.setText("短");
  EXPECT_EQ(label.fittedFont(100).size, 17) << "text that fits keeps its size";
}

TEST_F(Widgets, ALabelWrapsToItsLineLimit) {
  Label label(Rect(0, 0, 120, 20));
  label.setText("a meaning that needs several lines to be read in full on the card");
  label.setFont(Font::system(14));
  double line = measureText("x", label.font()).height;
  EXPECT_NEAR(label.sizeThatFits({120, 1000}).height, line, 1.01) << "one line by default";
  label.setNumberOfLines(0);
  Size all = label.sizeThatFits({120, 1000});
  EXPECT_GT(all.height, 3 * line - 1);
  EXPECT_LE(all.width, 120);
  label.setNumberOfLines(2);
  EXPECT_NEAR(label.sizeThatFits({120, 1000}).height, 2 * line, 1.01);
}

TEST_F(Widgets, ButtonStatesFallBackToTheNormalState) {
  auto button = Button::create();
  auto normal = testsupport::solidImage({10, 10}, Color::red());
  auto selected = testsupport::solidImage({10, 10}, Color::blue());
  button->setTitle("选择");
  button->setImage(normal);
  button->setImage(selected, kStateSelected);
  button->setTitleColor(Color::green(), kStateHighlighted);
  EXPECT_EQ(button->titleForState(kStateHighlighted), "选择");
  EXPECT_EQ(button->titleColorForState(kStateHighlighted), Color::green());
  EXPECT_EQ(button->imageForState(kStateDisabled), normal);
  EXPECT_EQ(button->imageForState(kStateSelected | kStateHighlighted), selected);
  button->setSelected(true);
  EXPECT_EQ(button->imageView().image(), selected);
  button->setEnabled(false);
  EXPECT_EQ(button->currentImage(), selected);
}

TEST_F(Widgets, ButtonContentFollowsAlignmentAndInsets) {
  auto button = Button::create(ButtonType::Custom, Rect(0, 0, 100, 40));
  button->setImage(testsupport::solidImage({20, 20}, Color::red()));
  button->layoutIfNeeded();
  EXPECT_EQ(button->imageView().frame(), Rect(40, 10, 20, 20)) << "centred";
  button->setImageEdgeInsets({0, -20, 0, 0});
  button->layoutIfNeeded();
  EXPECT_EQ(button->imageView().frame().x, 30) << "a centred image moves half its inset";
  button->setContentHorizontalAlignment(ContentHorizontalAlignment::Right);
  button->setImageEdgeInsets({0, 0, 0, 10});
  button->layoutIfNeeded();
  EXPECT_EQ(button->imageView().frame().maxX(), 90);
  button->setContentEdgeInsets({0, 0, 0, 20});
  button->layoutIfNeeded();
  EXPECT_EQ(button->imageView().frame().maxX(), 70);
  button->setTitle("确定");
  button->setContentHorizontalAlignment(ContentHorizontalAlignment::Left);
  button->setTitleEdgeInsets({0, 15, 0, 0});
  button->setImage(nullptr);
  button->layoutIfNeeded();
  EXPECT_EQ(button->titleLabel().frame().x, 15);

  auto titled = Button::create();
  titled->setTitle("学习");
  titled->setContentEdgeInsets({2, 3, 4, 5});
  Size text = measureText("学习", titled->titleLabel().font());
  EXPECT_EQ(titled->sizeThatFits({}), (Size{text.width + 8, text.height + 6}));
}

TEST_F(Widgets, ImageViewsPlaceTheirImageByContentMode) {
  Rect box(0, 0, 100, 50);
  Size wide{40, 10};
  EXPECT_EQ(ImageView::placement(ContentMode::ScaleToFill, wide, box), box);
  EXPECT_EQ(ImageView::placement(ContentMode::ScaleAspectFit, wide, box), Rect(0, 12.5, 100, 25));
  EXPECT_EQ(ImageView::placement(ContentMode::ScaleAspectFill, wide, box), Rect(-50, 0, 200, 50));
  EXPECT_EQ(ImageView::placement(ContentMode::Center, wide, box), Rect(30, 20, 40, 10));
  EXPECT_EQ(ImageView::placement(ContentMode::BottomRight, wide, box), Rect(60, 40, 40, 10));
  ImageView sized(testsupport::solidImage({12, 7}, Color::red()));
  EXPECT_EQ(sized.frame(), Rect(0, 0, 12, 7));
}

// Text drawn where a subclass's rectangles say is checked with the app's own label and field.
TEST_F(Widgets, AnEmptyFieldShowsItsPlaceholderAndASecureOneBullets) {
  window_->setBackgroundColor(Color::white());
  auto field = std::make_shared<TextField>(Rect(0, 100, 200, 30));
  field->setPlaceholder("输入单词");
  field->setSecureTextEntry(true);
  window_->addSubview(field);
  auto placeholder = inkBounds(*ViewRenderer::renderScreen(1), Color::white(), 0, 100, 200, 130);
  EXPECT_FALSE(placeholder.empty()) << "the grey placeholder shows";
  EXPECT_EQ(textedit::bullets("pass中"), "•••••");
}

TEST_F(Widgets, ASwitchTurnsOverAndAPageControlStepsOnTaps) {
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

TEST_F(Widgets, ASliderFollowsTheFinger) {
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
