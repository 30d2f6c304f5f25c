#include <gtest/gtest.h>

#include "platform/view/Button.h"
#include "platform/view/Label.h"
#include "tests/platform/view/ViewFixture.h"

using namespace plat;

namespace {

using Recorder = testsupport::TouchRecorder<>;
using ViewTree = testsupport::ViewFixture;

}  // namespace

TEST_F(ViewTree, TouchesGoToTheTopmostVisibleViewWhereItIsDrawn) {
  auto back = std::make_shared<Recorder>(Rect(0, 0, 320, 568));
  auto front = std::make_shared<Recorder>(Rect(50, 50, 100, 100));
  window_->addSubview(back);
  window_->addSubview(front);
  EXPECT_EQ(window_->hitTest({60, 60}), front.get()) << "the topmost subview wins";

  front->setHidden(true);
  EXPECT_EQ(window_->hitTest({60, 60}), back.get());
  front->setHidden(false);
  front->setAlpha(0);
  EXPECT_EQ(window_->hitTest({60, 60}), back.get());
  front->setAlpha(1);
  front->setUserInteractionEnabled(false);
  EXPECT_EQ(window_->hitTest({60, 60}), back.get());
  front->setUserInteractionEnabled(true);

  // A child reaching outside its parent is not hit there.
  auto child = std::make_shared<Recorder>(Rect(80, 0, 100, 20));
  front->addSubview(child);
  EXPECT_EQ(window_->hitTest({140, 55}), child.get());
  EXPECT_EQ(window_->hitTest({170, 55}), back.get());

  window_->bringSubviewToFront(back.get());
  EXPECT_EQ(window_->hitTest({60, 60}), back.get());
  window_->sendSubviewToBack(back.get());
  EXPECT_EQ(window_->hitTest({60, 60}), front.get());

  tap({60, 60});
  EXPECT_EQ(front->events, (std::vector<std::string>{"began", "ended"}));
  EXPECT_TRUE(back->events.empty());

  // A transformed view is hit where it is drawn.
  back->removeFromSuperview();
  front->setFrame({100, 100, 100, 20});
  front->setTransform(AffineTransform::rotation(M_PI / 2));  // now upright: x 140..160, y 60..160
  EXPECT_EQ(window_->hitTest({150, 70}), front.get());
  EXPECT_EQ(window_->hitTest({110, 110}), window_.get());
  Point local = front->convertPointFrom({150, 150}, nullptr);
  EXPECT_NEAR(local.x, 90, 1e-9);
  EXPECT_NEAR(local.y, 10, 1e-9);
}

TEST_F(ViewTree, TouchUpInsideFiresOnlyWhenTheTouchEndsInside) {
  auto button = Button::create(ButtonType::Custom, Rect(10, 10, 100, 40));
  window_->addSubview(button);
  std::vector<std::string> log;
  button->addTarget(
      this, "down", [&](Control&) { log.push_back("down"); }, kTouchDown);
  button->addTarget(
      this, "up", [&](Control&) { log.push_back("up inside"); }, kTouchUpInside);
  button->addTarget(
      this, "out", [&](Control&) { log.push_back("up outside"); }, kTouchUpOutside);

  tap({50, 30});
  EXPECT_EQ(log, (std::vector<std::string>{"down", "up inside"}));

  log.clear();
  window_->sendTouch(TouchPhase::Began, {50, 30});
  EXPECT_TRUE(button->isHighlighted());
  window_->sendTouch(TouchPhase::Moved, {200, 300});
  EXPECT_FALSE(button->isHighlighted());
  window_->sendTouch(TouchPhase::Ended, {200, 300});
  EXPECT_EQ(log, (std::vector<std::string>{"down", "up outside"}));

  log.clear();
  button->setEnabled(false);
  tap({50, 30});
  EXPECT_TRUE(log.empty()) << "a disabled button swallows the tap";

  button->setEnabled(true);
  button->removeTarget(this, "up", kTouchUpInside);
  tap({50, 30});
  EXPECT_EQ(log, (std::vector<std::string>{"down"}));
}

TEST_F(ViewTree, ExclusiveTouchKeepsOtherFingersOut) {
  auto a = Button::create(ButtonType::Custom, Rect(0, 0, 100, 100));
  auto b = Button::create(ButtonType::Custom, Rect(200, 0, 100, 100));
  a->setExclusiveTouch(true);
  window_->addSubview(a);
  window_->addSubview(b);
  int bDowns = 0;
  b->addTarget([&](Control&) { ++bDowns; }, kTouchDown);
  window_->sendTouch(TouchPhase::Began, {50, 50}, 1);
  window_->sendTouch(TouchPhase::Began, {250, 50}, 2);
  EXPECT_EQ(bDowns, 0);
  window_->sendTouch(TouchPhase::Ended, {50, 50}, 1);
  window_->sendTouch(TouchPhase::Began, {250, 50}, 3);
  EXPECT_EQ(bDowns, 1);
}

TEST_F(ViewTree, SubviewsKeepTheirOrderAndFindByTag) {
  auto parent = std::make_shared<View>(Rect(0, 0, 100, 100));
  auto a = std::make_shared<View>();
  auto b = std::make_shared<View>();
  auto c = std::make_shared<View>();
  b->setTag(7);
  auto deep = std::make_shared<Label>();
  deep->setTag(101);
  c->addSubview(deep);
  parent->addSubview(a);
  parent->addSubview(b);
  parent->insertSubviewBelow(c, a.get());
  EXPECT_EQ(parent->subviews(), (std::vector<std::shared_ptr<View>>{c, a, b}));
  parent->insertSubviewAbove(c, b.get());
  EXPECT_EQ(parent->subviews(), (std::vector<std::shared_ptr<View>>{a, b, c}));
  EXPECT_EQ(parent->viewWithTag(7), b.get());
  EXPECT_EQ(parent->viewWithTag(101), deep.get());
  EXPECT_EQ(parent->viewWithTag(55), nullptr);

  // Moving a view to another parent takes it out of the first.
  auto other = std::make_shared<View>();
  other->addSubview(b);
  EXPECT_EQ(parent->subviews().size(), 2u);
  EXPECT_EQ(b->superview(), other.get());
  // A view cannot become its own ancestor's child.
  b->addSubview(other);
  EXPECT_EQ(other->superview(), nullptr);
  b->removeFromSuperview();
  EXPECT_TRUE(other->subviews().empty());
}

TEST_F(ViewTree, AutoresizingSharesTheChangeAmongFlexibleParts) {
  auto parent = std::make_shared<View>(Rect(0, 0, 320, 480));
  auto stretch = std::make_shared<View>(Rect(10, 10, 300, 40));
  stretch->setAutoresizingMask(kFlexibleWidth);
  auto bottom = std::make_shared<View>(Rect(0, 430, 320, 50));
  bottom->setAutoresizingMask(kFlexibleTopMargin | kFlexibleWidth);
  auto centred = std::make_shared<View>(Rect(110, 10, 100, 40));
  centred->setAutoresizingMask(kFlexibleLeftMargin | kFlexibleRightMargin);
  for (const auto& v : {stretch, bottom, centred}) parent->addSubview(v);

  parent->setFrame({0, 0, 480, 568});
  EXPECT_EQ(stretch->frame(), Rect(10, 10, 460, 40));
  EXPECT_EQ(bottom->frame(), Rect(0, 518, 480, 50));
  EXPECT_EQ(centred->frame(), Rect(190, 10, 100, 40));
}
