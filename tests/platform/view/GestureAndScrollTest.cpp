#include <gtest/gtest.h>

#include "platform/view/Button.h"
#include "platform/view/GestureRecognizer.h"
#include "platform/view/ScrollView.h"
#include "tests/platform/view/ViewFixture.h"

using namespace plat;

namespace {

class ScrollLog : public ScrollViewDelegate {
 public:
  std::vector<std::string> events;
  int scrolls = 0;
  void scrollViewDidScroll(ScrollView&) override { ++scrolls; }
  void scrollViewWillBeginDragging(ScrollView&) override { events.push_back("begin drag"); }
  void scrollViewDidEndDragging(ScrollView&, bool decelerate) override {
    events.push_back(decelerate ? "end drag, decelerating" : "end drag");
  }
  void scrollViewWillBeginDecelerating(ScrollView&) override { events.push_back("decelerate"); }
  void scrollViewDidEndDecelerating(ScrollView&) override { events.push_back("stopped"); }
  void scrollViewDidEndScrollingAnimation(ScrollView&) override { events.push_back("animated"); }
};

using Gestures = testsupport::ViewFixture;

}  // namespace

TEST_F(Gestures, APagingScrollViewSettlesOnTheNextPage) {
  auto pager = std::make_shared<ScrollView>(Rect(0, 0, 320, 400));
  pager->setContentSize({320 * 5, 400});
  pager->setPagingEnabled(true);
  ScrollLog log;
  pager->setDelegate(&log);
  window_->addSubview(pager);

  drag({300, 200}, {240, 200});
  EXPECT_EQ(log.events,
            (std::vector<std::string>{"begin drag", "end drag, decelerating", "decelerate"}));
  advance(0.5);
  EXPECT_EQ(pager->contentOffset().x, 320);
  EXPECT_EQ(log.events.back(), "stopped");
  EXPECT_GT(log.scrolls, 3) << "the settling scrolls step by step";

  // A small drag goes back to the page it started on; the first page cannot go further left.
  drag({100, 200}, {115, 200});
  advance(0.5);
  EXPECT_EQ(pager->contentOffset().x, 320);
  drag({100, 200}, {300, 200});
  advance(0.5);
  drag({100, 200}, {300, 200});
  advance(0.5);
  EXPECT_EQ(pager->contentOffset().x, 0);

  log.events.clear();
  pager->setContentOffset({640, 0}, true);
  advance(0.5);
  EXPECT_EQ(log.events, (std::vector<std::string>{"animated"}));
}

TEST_F(Gestures, ADragOverAButtonScrollsAndCancelsTheButton) {
  auto scroll = std::make_shared<ScrollView>(Rect(0, 0, 320, 400));
  scroll->setContentSize({320, 1000});
  auto button = Button::create(ButtonType::Custom, Rect(0, 100, 320, 100));
  scroll->addSubview(button);
  window_->addSubview(scroll);
  std::vector<std::string> events;
  button->addTarget([&](Control&) { events.push_back("up inside"); }, kTouchUpInside);
  button->addTarget([&](Control&) { events.push_back("cancel"); }, kTouchCancel);
  drag({160, 180}, {160, 120});
  EXPECT_EQ(events, (std::vector<std::string>{"cancel"}));
  EXPECT_EQ(scroll->contentOffset().y, 60);
  // Sideways it cannot scroll: the button keeps the finger.
  events.clear();
  drag({100, 100}, {130, 100});
  EXPECT_EQ(events, (std::vector<std::string>{"up inside"}));
  // Pulled past the end it follows the finger, then springs back.
  drag({160, 350}, {160, 50}, 3);
  drag({160, 350}, {160, 50}, 3);
  EXPECT_GT(scroll->contentOffset().y, 600);
  advance(1);
  EXPECT_EQ(scroll->contentOffset().y, 600);
}

TEST_F(Gestures, ALongPressFiresAfterItsDurationWhenTheFingerStaysStill) {
  auto target = std::make_shared<View>(Rect(0, 0, 320, 400));
  window_->addSubview(target);
  int began = 0;
  auto press = std::make_shared<LongPressGestureRecognizer>([&](GestureRecognizer& g) {
    if (g.state() == GestureState::Began) ++began;
  });
  press->setMinimumPressDuration(0.7);
  target->addGestureRecognizer(press);

  window_->sendTouch(TouchPhase::Began, {100, 100});
  advance(0.5);
  window_->sendTouch(TouchPhase::Ended, {100, 100});
  advance(1);
  EXPECT_EQ(began, 0);

  window_->sendTouch(TouchPhase::Began, {100, 100});
  advance(0.7);
  EXPECT_EQ(began, 1);
  window_->sendTouch(TouchPhase::Ended, {100, 100});

  window_->sendTouch(TouchPhase::Began, {100, 100});
  window_->sendTouch(TouchPhase::Moved, {140, 100});
  advance(1);
  window_->sendTouch(TouchPhase::Ended, {140, 100});
  EXPECT_EQ(began, 1) << "a moving finger is no long press";
}

TEST_F(Gestures, SwipesAndPansAreRecognizedInTheirDirection) {
  auto target = std::make_shared<View>(Rect(0, 0, 320, 400));
  window_->addSubview(target);
  int swipes = 0;
  auto swipe = std::make_shared<SwipeGestureRecognizer>([&](GestureRecognizer&) { ++swipes; });
  swipe->setDirection(kSwipeLeft);
  target->addGestureRecognizer(swipe);
  drag({300, 100}, {100, 100});
  drag({100, 100}, {300, 100});
  drag({100, 300}, {100, 100});
  EXPECT_EQ(swipes, 1);
  target->removeGestureRecognizer(swipe.get());

  std::vector<Point> translations;
  auto pan = std::make_shared<PanGestureRecognizer>([&](GestureRecognizer& g) {
    translations.push_back(static_cast<PanGestureRecognizer&>(g).translationInView(target.get()));
  });
  target->addGestureRecognizer(pan);
  drag({100, 100}, {100, 160}, 3);
  ASSERT_GE(translations.size(), 2u);
  EXPECT_EQ(translations.back(), (Point{0, 60}));
  EXPECT_EQ(pan->state(), GestureState::Ended);
}

namespace {

// A scroll view that hears the touches on itself and on the views inside it that take none.
class TouchLog : public ScrollView {
 public:
  using ScrollView::ScrollView;
  std::vector<std::string> events;
  void touchesBegan(const TouchSet& t) override {
    events.push_back("began");
    ScrollView::touchesBegan(t);
  }
  void touchesMoved(const TouchSet& t) override {
    events.push_back("moved");
    ScrollView::touchesMoved(t);
  }
  void touchesEnded(const TouchSet& t) override {
    events.push_back("ended");
    ScrollView::touchesEnded(t);
  }
  void touchesCancelled(const TouchSet& t) override {
    events.push_back("cancelled");
    ScrollView::touchesCancelled(t);
  }
};

}  // namespace

TEST_F(Gestures, AScrollViewHearsTouchesOnItsContentUntilItTakesTheDrag) {
  auto page = std::make_shared<TouchLog>(Rect(0, 0, 320, 400));
  page->setContentSize({320, 1200});
  auto label = std::make_shared<Label>(Rect(0, 0, 320, 100));
  label->setText("word");
  page->addSubview(label);
  window_->addSubview(page);

  tap({160, 50});
  EXPECT_EQ(page->events, (std::vector<std::string>{"began", "ended"}))
      << "a label takes no touches: they reach the scroll view";
  page->events.clear();
  drag({160, 300}, {160, 100}, 4);
  EXPECT_EQ(page->events, (std::vector<std::string>{"began", "cancelled"}))
      << "once the content scrolls the touch is the scroll view's drag";
  EXPECT_EQ(page->contentOffset().y, 200);
}
