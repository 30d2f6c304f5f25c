#include <gtest/gtest.h>

#include "platform/view/Animation.h"
#include "platform/view/Label.h"
#include "platform/view/NavigationController.h"
#include "platform/view/ViewRenderer.h"
#include "tests/platform/draw/InkBounds.h"
#include "tests/platform/view/ViewFixture.h"

using namespace plat;
using testsupport::inkBounds;
using testsupport::near;

namespace {
using Rendering = testsupport::ViewFixture;
}

TEST_F(Rendering, AScreenShowsItsViewsAtTheirPlaces) {
  window_->setBackgroundColor(Color::white());
  auto red = std::make_shared<View>(Rect(10, 100, 100, 50));
  red->setBackgroundColor(Color::red());
  auto half = std::make_shared<View>(Rect(200, 100, 100, 50));
  half->setBackgroundColor(Color::blue());
  half->setAlpha(0.5);
  auto hidden = std::make_shared<View>(Rect(10, 300, 100, 50));
  hidden->setBackgroundColor(Color::green());
  hidden->setHidden(true);
  auto label = std::make_shared<Label>(Rect(10, 400, 300, 40));
  label->setText("背单词 Vocabulary");
  label->setFont(Font::boldSystem(20));
  for (const auto& v : {red, half, hidden}) window_->addSubview(v);
  window_->addSubview(label);

  auto screen = ViewRenderer::renderScreen();
  EXPECT_TRUE(near(screen->colorAtPoint({50, 120}), Color::red()));
  EXPECT_TRUE(near(screen->colorAtPoint({250, 120}), Color::rgb(0.5, 0.5, 1)));
  EXPECT_TRUE(near(screen->colorAtPoint({50, 320}), Color::white())) << "the hidden view";

  // The label's text is in its rectangle, vertically centred, and nowhere else.
  auto ink = inkBounds(*screen, Color::white(), 0, 380 * 2, 640, 460 * 2);
  ASSERT_FALSE(ink.empty());
  EXPECT_GE(ink.left, 10 * 2);
  EXPECT_GE(ink.top, 400 * 2);
  EXPECT_LE(ink.bottom, 440 * 2);
  double inkMiddle = (ink.top + ink.bottom) / 4.0;
  EXPECT_NEAR(inkMiddle, 420, 4);
}

TEST_F(Rendering, ClippedScrolledAndRoundedViewsDrawOnlyTheirPart) {
  auto box = std::make_shared<View>(Rect(0, 0, 100, 100));
  box->setClipsToBounds(true);
  box->setBounds({0, 50, 100, 100});  // scrolled down by 50
  box->setBackgroundColor(Color::white());
  auto inner = std::make_shared<View>(Rect(0, 0, 100, 80));
  inner->setBackgroundColor(Color::blue());
  box->addSubview(inner);
  auto round = std::make_shared<View>(Rect(0, 100, 40, 40));
  round->setBackgroundColor(Color::black());
  round->setCornerRadius(20);
  box->addSubview(round);

  auto image = ViewRenderer::renderView(*box, 1);
  EXPECT_TRUE(near(image->pixel(50, 10), Color::blue())) << "content row 60";
  EXPECT_TRUE(near(image->pixel(50, 40), Color::white())) << "content row 90";
  EXPECT_TRUE(near(image->pixel(20, 70), Color::black()));
  EXPECT_TRUE(near(image->pixel(1, 51), Color::white())) << "the rounded corner is open";
}

TEST_F(Rendering, BarBackgroundsAndViewsMidAnimationAreDrawnAsShown) {
  NavigationBar::setDefaultBackgroundImage(
      testsupport::solidImage({10, 10}, Color::rgb255(106, 207, 153))->stretchable(5, 5));
  auto nav = std::make_shared<NavigationController>(std::make_shared<ViewController>());
  window_->setRootViewController(nav);
  auto screen = ViewRenderer::renderScreen(1);
  NavigationBar::setDefaultBackgroundImage(nullptr);
  EXPECT_TRUE(near(screen->pixel(100, 5), Color::rgb255(106, 207, 153)));
  EXPECT_TRUE(near(screen->pixel(100, 60), Color::rgb255(106, 207, 153)));

  window_->setBackgroundColor(Color::white());
  auto box = std::make_shared<View>(Rect(0, 100, 40, 40));
  box->setBackgroundColor(Color::red());
  window_->addSubview(box);
  Animation::animate(1.0, 0, AnimationCurve::Linear, [&] { box->setFrame({200, 100, 40, 40}); });
  advance(0.5);
  auto drawn = ViewRenderer::renderScreen(1);
  EXPECT_TRUE(near(drawn->pixel(120, 120), Color::red()));
  EXPECT_TRUE(near(drawn->pixel(20, 120), Color::white()));
  EXPECT_TRUE(near(drawn->pixel(220, 120), Color::white()));
}
