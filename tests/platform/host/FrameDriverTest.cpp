// The window host's input and frames on the main run loop, headless on a virtual clock: a tap
// waits for the step halfway done when it came (a card that hid its sections until their pages
// load on the next turn), and work that queues more work at once without end still lets the
// window take its input and draw at the frame pace, while timers keep firing.
#include "platform/host/FrameDriver.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <vector>

#include "platform/base/RunLoop.h"
#include "platform/host/FramePacing.h"
#include "tests/support/VirtualTime.h"

namespace {

using plat::FrameDriver;
using plat::RunLoop;
using plat::Timer;

constexpr double kFrame = plat::FramePacing::kFrameSeconds;
// The clock time one turn of the loop takes here.
constexpr double kTurn = 0.001;

// The display: taps it holds until the driver has them taken, and the frames drawn.
class Display : public FrameDriver::Window {
 public:
  std::deque<std::function<void()>> held;
  std::vector<double> frames;  // clock times

  bool takeInput() override {
    const bool any = !held.empty();
    while (!held.empty()) {
      std::function<void()> tap = std::move(held.front());
      held.pop_front();
      tap();
    }
    return any;
  }
  void present(bool) override { frames.push_back(plat::Clock::current().now()); }
  size_t framesSince(double time) const {
    size_t count = 0;
    for (double frame : frames) count += frame >= time;
    return count;
  }
};

class FrameDriving : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::pipe2(connection_, O_NONBLOCK), 0);
    // The display's connection, as the window host watches it: a byte says input came.
    source_ = loop_.addFdSource(connection_[0], plat::kFdReadable, [this](int fd, unsigned) {
      char byte;
      while (::read(fd, &byte, 1) == 1) {
      }
      driver_.inputWaits();
    });
    driver_.start();
  }
  void TearDown() override {
    driver_.stop();
    loop_.removeFdSource(source_);
    ::close(connection_[0]);
    ::close(connection_[1]);
  }

  // A tap the display holds; with `told`, the connection says so, as when it has just come in,
  // and without, it was read off the connection already (a clipboard read, a frame drawn).
  void queueTap(std::function<void()> tap, bool told) {
    display_.held.push_back(std::move(tap));
    if (told) {
      ASSERT_EQ(::write(connection_[1], "x", 1), 1);
    }
  }
  // One turn of the loop as the window host runs it, a moment after the last.
  void turn() {
    time_.clock().advance(kTurn);
    loop_.runMode(plat::kDefaultRunLoopMode, time_.now(), true);
  }

  testsupport::VirtualTime time_;
  RunLoop& loop_ = RunLoop::main();
  Display display_;
  FrameDriver driver_{display_};
  int connection_[2] = {-1, -1};
  int source_ = 0;
};

// The write-mnemonic button of a turned card: as a fade ends (a timer) the card hides its sections
// and loads their pages on the next turn; a tap that came meanwhile is read once they are back,
// within a frame of the step's end: also when the step's turn took longer than a frame (a busy
// machine, a sanitizer), and when the loading queues more work at once for many quick turns.
TEST_F(FrameDriving, ATapThatCameHalfwayThroughAStepIsReadOnceTheStepEndsWithinAFrame) {
  struct Step {
    double takes;     // the clock time the step's own turn takes
    int turnsOfWork;  // the turns its work queued at once takes
  };
  for (const Step step : {Step{0.0, 1}, Step{3 * kFrame, 1}, Step{0.0, 20}}) {
    SCOPED_TRACE(testing::Message() << step.takes << " s, " << step.turnsOfWork << " turns");
    bool buttonShown = true;
    bool tapped = false, buttonWasThere = false;
    double tappedAt = 0, stepEnded = 0;
    int turnsLeft = step.turnsOfWork;
    std::function<void()> load = [&] {
      if (--turnsLeft > 0) {
        loop_.performAfter(0, nullptr, "reload", load);
        return;
      }
      buttonShown = true;
      stepEnded = time_.now();
    };
    auto fadeEnds = Timer::scheduled(kTurn / 2, false, [&](Timer&) {
      buttonShown = false;
      loop_.performAfter(0, nullptr, "reload", load);
      queueTap(
          [&] {
            tapped = true;
            tappedAt = time_.now();
            buttonWasThere = buttonShown;
          },
          true);
      time_.clock().advance(step.takes);
    });
    for (int i = 0; i < 100 && !tapped; ++i) turn();
    ASSERT_TRUE(tapped);
    ASSERT_TRUE(buttonWasThere) << "the tap was read while the card's sections were hidden";
    EXPECT_LE(tappedAt - stepEnded, kFrame);
  }
}

// Work that queues more work to run at once, without end, as a delayed perform of no delay or as
// a perform: a tap already off the display's connection is read within a frame, the changing
// screen is drawn at the frame pace, and a timer fires on time.
TEST_F(FrameDriving, WorkThatQueuesWorkAtOnceWithoutEndLetsTheWindowReadAndDrawAtThePace) {
  for (const bool delayed : {true, false}) {
    SCOPED_TRACE(delayed ? "a delayed perform of no delay" : "a perform");
    bool chainGoesOn = true;
    int steps = 0;
    std::function<void()> step = [&] {
      ++steps;
      if (!chainGoesOn) return;
      if (delayed) {
        loop_.performAfter(0, this, "again", step);
      } else {
        loop_.perform(step);
      }
    };
    loop_.perform(step);
    int ticks = 0;
    auto ticking = Timer::scheduled(0.1, true, [&](Timer&) { ++ticks; });
    turn();

    const double start = time_.now();
    double tappedAt = -1;
    queueTap([&] { tappedAt = time_.now(); }, false);
    const int turns = static_cast<int>(1.0 / kTurn);
    for (int i = 0; i < turns; ++i) turn();
    EXPECT_GE(steps, turns) << "the chain was held up";
    EXPECT_GE(tappedAt, 0) << "the tap was never read";
    if (tappedAt >= 0) {
      EXPECT_LE(tappedAt - start, kFrame + 2 * kTurn);
    }
    const size_t frames = display_.framesSince(start);
    EXPECT_GE(frames, static_cast<size_t>(0.8 / kFrame)) << "drawn below the pace";
    EXPECT_LE(frames, static_cast<size_t>(1.0 / kFrame) + 1) << "drawn above the pace";
    EXPECT_NEAR(ticks, 10, 1);

    chainGoesOn = false;
    ticking->invalidate();
    for (int i = 0; i < 5; ++i) turn();
  }
}

// Work that queues more work at once without end, each turn of it taking time (a long list built
// a piece at a time): a tap that came as the work began is read once its first two turns and a
// frame's time have passed, frames are drawn at the pace and a timer fires on time, also when
// each turn takes most of a frame.
TEST_F(FrameDriving,
       WorkQueuedAtOnceWithoutEndWhoseTurnsTakeTimeLetsTheWindowReadAndDrawAtThePace) {
  for (const double takes : {0.001, 0.003, 0.010, 0.9 * kFrame}) {
    SCOPED_TRACE(testing::Message() << "turns of " << takes << " s");
    bool goesOn = true;
    std::function<void()> piece = [&] {
      time_.clock().advance(takes);
      if (goesOn) loop_.performAfter(0, this, "next piece", piece);
    };
    const double start = time_.now();
    loop_.performAfter(0, this, "next piece", piece);
    double tappedAt = -1;
    queueTap([&] { tappedAt = time_.now(); }, true);
    int ticks = 0;
    auto ticking = Timer::scheduled(0.1, true, [&](Timer&) { ++ticks; });
    const size_t framesBefore = display_.frames.size();
    // Each turn takes what its piece takes.
    while (time_.now() < start + 1.0) loop_.runMode(plat::kDefaultRunLoopMode, time_.now(), true);

    ASSERT_GE(tappedAt, 0) << "the tap was never read";
    EXPECT_LE(tappedAt - start, std::max(kFrame, 2 * takes) + takes);
    const size_t frames = display_.frames.size() - framesBefore;
    printf("takes %g tap %g frames %zu ticks %d\n", takes, tappedAt - start, frames, ticks);
    for (size_t i = framesBefore; i < display_.frames.size() && i < framesBefore + 8; ++i)
      printf(" %.4f", display_.frames[i] - start);
    printf("\n");
    EXPECT_GE(frames, static_cast<size_t>(0.9 / kFrame)) << "drawn below the pace";
    EXPECT_LE(frames, static_cast<size_t>(1.0 / kFrame) + 1) << "drawn above the pace";
    EXPECT_NEAR(ticks, 10, 1);

    goesOn = false;
    ticking->invalidate();
    for (int i = 0; i < 5; ++i) turn();
  }
}

}  // namespace
