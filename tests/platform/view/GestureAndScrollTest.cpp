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
  double furthest = 0;  // the furthest a finger pulled the content past its end
  bool loadsMore = false;
  int loads = 0;
  void scrollViewDidScroll(ScrollView& s) override {
    ++scrolls;
    if (s.isDragging())
      furthest =
          std::max(furthest, s.contentOffset().y + s.bounds().height - s.contentSize().height);
  }
  void scrollViewWillBeginDragging(ScrollView&) override { events.push_back("begin drag"); }
  void scrollViewDidEndDragging(ScrollView& s, bool decelerate) override {
    events.push_back(decelerate ? "end drag, decelerating" : "end drag");
    // Let go past the end: load more, and keep the footer in view with an inset meanwhile.
    if (!loadsMore || s.contentOffset().y + s.bounds().height <= s.contentSize().height + 65)
      return;
    ++loads;
    s.setContentInset({0, 0, 65, 0});
  }
  void scrollViewWillBeginDecelerating(ScrollView&) override { events.push_back("decelerate"); }
  void scrollViewDidEndDecelerating(ScrollView&) override { events.push_back("stopped"); }
  void scrollViewDidEndScrollingAnimation(ScrollView&) override { events.push_back("animated"); }
};

class Gestures : public testsupport::ViewFixture {
 protected:
  template <class T = ScrollView>
  std::shared_ptr<T> shownScroll(Size content) {
    auto scroll = std::make_shared<T>(Rect(0, 0, 320, 400));
    scroll->setContentSize(content);
    window_->addSubview(scroll);
    return scroll;
  }
};

}  // namespace

TEST_F(Gestures, APagingScrollViewSettlesOnTheNextPage) {
  auto pager = shownScroll({320 * 5, 400});
  pager->setPagingEnabled(true);
  ScrollLog log;
  pager->setDelegate(&log);

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
  auto scroll = shownScroll({320, 1000});
  auto button = Button::create(ButtonType::Custom, Rect(0, 100, 320, 100));
  scroll->addSubview(button);
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
}

TEST_F(Gestures, RecognizersFireForTheirDurationAndDirection) {
  auto target = std::make_shared<View>(Rect(0, 0, 320, 400));
  window_->addSubview(target);
  int began = 0;
  auto press = std::make_shared<LongPressGestureRecognizer>([&](GestureRecognizer& g) {
    if (g.state() == GestureState::Began) ++began;
  });
  press->setMinimumPressDuration(0.7);
  target->addGestureRecognizer(press);

  window_->sendTouch(TouchPhase::Began, {100, 100});
  advance(0.6);
  window_->sendTouch(TouchPhase::Ended, {100, 100});
  EXPECT_EQ(began, 0) << "held less than its own duration";
  window_->sendTouch(TouchPhase::Began, {100, 100});
  advance(0.7);
  EXPECT_EQ(began, 1);
  window_->sendTouch(TouchPhase::Ended, {100, 100});

  window_->sendTouch(TouchPhase::Began, {100, 100});
  window_->sendTouch(TouchPhase::Moved, {140, 100});
  advance(1);
  window_->sendTouch(TouchPhase::Ended, {140, 100});
  EXPECT_EQ(began, 1) << "a moving finger is no long press";
  target->removeGestureRecognizer(press.get());

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

// A scroll view hears the touches on itself and on the views inside it that take none.
TEST_F(Gestures, AScrollViewHearsTouchesOnItsContentUntilItTakesTheDrag) {
  auto page = shownScroll<testsupport::TouchRecorder<ScrollView>>({320, 1200});
  auto label = std::make_shared<Label>(Rect(0, 0, 320, 100));
  label->setText("word");
  page->addSubview(label);

  tap({160, 50});
  EXPECT_EQ(page->events, (std::vector<std::string>{"began", "ended"}))
      << "a label takes no touches: they reach the scroll view";
  page->events.clear();
  drag({160, 300}, {160, 100}, 4);
  EXPECT_EQ(page->events, (std::vector<std::string>{"began", "cancelled"}))
      << "once the content scrolls the touch is the scroll view's drag";
  EXPECT_EQ(page->contentOffset().y, 200);
}

TEST_F(Gestures, AContentInsetDecidesWhereContentPulledPastItsEndRests) {
  auto list = shownScroll({320, 1000});
  ScrollLog log;
  list->setDelegate(&log);
  list->setContentOffset({0, 600});
  drag({160, 300}, {160, 234}, 6);
  EXPECT_NEAR(log.furthest, 66, 1e-9) << "what a screen that loads more sees while dragged";
  advance(1);
  EXPECT_EQ(list->contentOffset().y, 600);

  // An inset set as the finger lifts holds the footer below the last row in view.
  log.loadsMore = true;
  drag({160, 300}, {160, 200}, 6);
  EXPECT_EQ(log.loads, 1);
  advance(1);
  EXPECT_EQ(list->contentOffset().y, 665);

  list->setContentSize({640, 1000});
  list->setContentInset({0, 0, 0, 30});
  EXPECT_EQ(list->maximumOffset().x, 640 - 320 + 30) << "the right inset widens the scroll";
}

TEST_F(Gestures, PullsPastAnEndTakeTheContentAtMostHalfTheViewAway) {
  auto list = shownScroll({320, 1000});
  ScrollLog log;
  list->setDelegate(&log);
  list->setContentOffset({0, 600});
  drag({160, 390}, {160, 90}, 6);  // 300 past the end of a view 400 high
  EXPECT_EQ(log.furthest, 200);
  // Taken again while springing back, the pull starts past the end and stops at the same place.
  advance(0.1);
  EXPECT_GT(list->contentOffset().y, 700);
  drag({160, 390}, {160, 90}, 6);
  EXPECT_EQ(log.furthest, 200);
  advance(1);
  EXPECT_EQ(list->contentOffset().y, 600);
}
