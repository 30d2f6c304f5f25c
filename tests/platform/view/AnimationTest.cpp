#include <gtest/gtest.h>

#include "platform/view/Animation.h"
#include "tests/platform/view/ViewFixture.h"

using namespace plat;

namespace {
using Animations = testsupport::ViewFixture;
}

TEST_F(Animations, CompletionsRunInTimeOrderAndWhatIsDrawnFollowsTheCurve) {
  auto a = std::make_shared<View>(Rect(0, 0, 10, 10));
  auto b = std::make_shared<View>(Rect(0, 0, 10, 10));
  std::vector<std::string> log;
  Animation::animate(
      0.7, [&] { a->setAlpha(0); }, [&](bool done) { log.push_back(done ? "a done" : "a cut"); });
  Animation::animate(
      0.3, 0.2, AnimationCurve::Linear,
      [&] {
        b->setCenter({100, 0});
      },
      [&](bool done) { log.push_back(done ? "b done" : "b cut"); });
  Animation::addTransition(*b, Animation::Transition::Fade, 0.3,
                           [&](bool done) { log.push_back(done ? "fade done" : "fade cut"); });
  EXPECT_EQ(a->alpha(), 0) << "the model value changes at once";
  advance(0.29);
  EXPECT_TRUE(log.empty());
  advance(0.2);
  EXPECT_EQ(log, (std::vector<std::string>{"fade done"}));
  advance(0.02);
  EXPECT_EQ(log, (std::vector<std::string>{"fade done", "b done"}));
  advance(0.2);
  EXPECT_EQ(log, (std::vector<std::string>{"fade done", "b done", "a done"}));
  EXPECT_FALSE(Animation::isAnimating(*a));

  auto view = std::make_shared<View>(Rect(0, 0, 10, 10));
  Animation::animate(1.0, 0.5, AnimationCurve::Linear, [&] { view->setAlpha(0); });
  EXPECT_EQ(Animation::presentationOf(*view).alpha, 1);
  advance(0.5);
  EXPECT_NEAR(Animation::presentationOf(*view).alpha, 1, 1e-9);
  advance(0.25);
  EXPECT_NEAR(Animation::presentationOf(*view).alpha, 0.75, 1e-9);
  advance(1);
  EXPECT_EQ(Animation::presentationOf(*view).alpha, 0);
  EXPECT_NEAR(Animation::ease(AnimationCurve::EaseInOut, 0.5), 0.5, 1e-6);
  EXPECT_LT(Animation::ease(AnimationCurve::EaseIn, 0.25), 0.25);
  EXPECT_GT(Animation::ease(AnimationCurve::EaseOut, 0.25), 0.25);
}

TEST_F(Animations, BeginAndCommitBlocksReportTheirNameWhenTheyStop) {
  auto view = std::make_shared<View>(Rect(0, 0, 10, 10));
  std::vector<std::string> stopped;
  Animation::begin("fade");
  Animation::setDuration(0.7);
  Animation::setCurve(AnimationCurve::EaseInOut);
  Animation::setDidStop([&](const std::string& name, bool) { stopped.push_back(name); });
  view->setAlpha(0.5);
  Animation::begin("inner");
  Animation::setDuration(0.1);
  Animation::setDidStop([&](const std::string& name, bool) { stopped.push_back(name); });
  view->setCenter({50, 50});
  Animation::commit();
  Animation::commit();
  EXPECT_FALSE(Animation::isBlockOpen());
  advance(1);
  EXPECT_EQ(stopped, (std::vector<std::string>{"inner", "fade"}));
}

TEST_F(Animations, RemovedReplacedAndOrphanedAnimationsCompleteUnfinished) {
  auto view = std::make_shared<View>(Rect(0, 0, 10, 10));
  std::vector<bool> results;
  Animation::animate(
      0.7, [&] { view->setAlpha(0); }, [&](bool done) { results.push_back(done); });
  advance(0.1);
  view->removeAllAnimations();
  EXPECT_EQ(Animation::presentationOf(*view).alpha, 0) << "the view shows its model value";
  runUntilIdle();
  EXPECT_EQ(results, (std::vector<bool>{false}));
  advance(1);
  EXPECT_EQ(results.size(), 1u) << "no second completion";

  // A new animation of the same property replaces the running one, which ends unfinished.
  Animation::animate(
      0.5, [&] { view->setAlpha(1); }, [&](bool done) { results.push_back(done); });
  Animation::animate(
      0.5, [&] { view->setAlpha(0.2); }, [&](bool done) { results.push_back(done); });
  advance(1);
  EXPECT_EQ(results, (std::vector<bool>{false, false, true}));

  // A view going away ends its animations.
  Animation::animate(
      0.5, [&] { view->setAlpha(1); }, [&](bool done) { results.push_back(done); });
  view.reset();
  advance(1);
  EXPECT_EQ(results, (std::vector<bool>{false, false, true, false}));
  EXPECT_EQ(Animation::runningCount(), 0u);
}

TEST_F(Animations, FrameAnimationsStepAndCanBeCancelled) {
  std::vector<double> steps;
  bool finished = false;
  Animation::animateProgress(
      0.1, AnimationCurve::Linear, [&](double f) { steps.push_back(f); },
      [&](bool done) { finished = done; });
  advance(0.2);
  EXPECT_GE(steps.size(), 5u);
  EXPECT_EQ(steps.back(), 1);
  EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()));
  EXPECT_TRUE(finished);

  int id = Animation::animateProgress(
      1, AnimationCurve::Linear, [](double) {}, [&](bool done) { finished = done; });
  advance(0.1);
  Animation::cancelProgress(id);
  EXPECT_FALSE(finished);
}

TEST_F(Animations, AWaitedCommitReturnsWhenItsBlockStoppedAndServesTheLoopMeanwhile) {
  auto bubble = std::make_shared<View>(Rect(0, 0, 250, 100));
  std::vector<std::string> log;
  auto stage = [&](const std::string& name, double seconds, double scale) {
    Animation::begin(name);
    Animation::setDuration(seconds);
    Animation::setDidStop(
        [&](const std::string& n, bool done) { log.push_back(n + (done ? " stopped" : " cut")); });
    bubble->setTransform(AffineTransform::scale(scale, scale));
    Animation::commitAndWait();
    log.push_back(name + " returned");
  };
  const double start = clock_->now();
  RunLoop::current().performAfter(0.5, nullptr, "tick", [&] { log.push_back("timer"); });
  stage("grow", 0.4, 1.15);
  stage("shrink", 0.3, 1.0);
  EXPECT_EQ(log, (std::vector<std::string>{"grow stopped", "grow returned", "timer",
                                           "shrink stopped", "shrink returned"}));
  EXPECT_NEAR(clock_->now() - start, 0.7, 1e-6);
  EXPECT_FALSE(Animation::isAnimating(*bubble));
}

TEST_F(Animations, AWaitedCommitOnTheRealClockWaitsForReal) {
  Clock::install(nullptr);
  auto view = std::make_shared<View>(Rect(0, 0, 10, 10));
  bool stopped = false;
  const double start = Clock::current().now();
  Animation::begin();
  Animation::setDuration(0.05);
  Animation::setDidStop([&](const std::string&, bool) { stopped = true; });
  view->setAlpha(0);
  Animation::commitAndWait();
  EXPECT_TRUE(stopped);
  EXPECT_GE(Clock::current().now() - start, 0.05);
  Clock::install(clock_);
}
