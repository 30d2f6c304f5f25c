#include "platform/host/FrameDriver.h"

#include <algorithm>
#include <string>

#include "platform/base/Clock.h"
#include "platform/base/RunLoop.h"
#include "platform/host/FramePacing.h"
#include "platform/view/Animation.h"
#include "platform/view/Application.h"

namespace plat {
namespace {

// Ends of a turn that input and frames wait for while a step's work queued to run at once
// waits: the step's own and the next, which runs that work (see update).
constexpr int kTurnsHeldBack = 2;

}  // namespace

FrameDriver::FrameDriver(Window& window) : window_(window) {}

FrameDriver::~FrameDriver() {
  stop();
}

void FrameDriver::start() {
  started_ = true;
  // Between turns: before the loop sleeps, and at the frame pace while it never does.
  RunLoop::main().setBeforeWaitingObserver([this] { update(true); }, FramePacing::kFrameSeconds);
  update(true);
}

void FrameDriver::stop() {
  if (!started_) return;
  started_ = false;
  if (frameTimer_) frameTimer_->invalidate();
  RunLoop::main().setBeforeWaitingObserver(nullptr);
}

void FrameDriver::inputWaits() {
  hostSourceRan();
  update(false);
}

// Between turns (before the main run loop sleeps, and at the frame pace while it stays busy), on
// input, and when an owed frame falls due. Loops run in other modes (a request waited for) are
// left alone, as they leave the screens alone.
void FrameDriver::update(bool betweenTurns) {
  RunLoop& loop = RunLoop::main();
  const std::string mode = loop.currentMode();
  if (mode != kDefaultRunLoopMode && mode != kTrackingRunLoopMode) return;
  const double now = Clock::current().now();
  // Halfway through a step, with work it queued to run at once still waiting for the next turn,
  // the screen is neither read nor drawn: a card hides its sections until their pages load again
  // on that turn, and a tap read in between found no button where the learner had seen one.
  // The next turn runs that work however long the step's own turn took on a busy machine, and
  // a step whose work queues more of it for a few quick turns ends within a frame's time. Work
  // that queues more of it without end would keep the window blank and deaf: after those two
  // turns and a frame's time, input and frames go on at the pace whatever waits, also when each
  // turn of that work takes most of a frame.
  if (const auto waiting = loop.performsDueAtOnceWaiting(mode)) {
    const bool young = now >= waiting->since && now - waiting->since < FramePacing::kFrameSeconds;
    if (waiting->turnsEnded < kTurnsHeldBack || young) {
      owe(now);
      return;
    }
  }
  if (window_.takeInput()) changed_ = true;
  // What the loop ran besides the window's own sources may have changed the picture. The loop
  // counts a source once it returned, so the count is read only between turns.
  const uint64_t others = loop.handledCount() - ownHandled_;
  if (betweenTurns && others != seenOthers_) {
    seenOthers_ = others;
    changed_ = true;
  }
  const bool moving =
      Animation::runningCount() > 0 || Application::shared().isNetworkActivityIndicatorVisible();
  const FramePacing::Decision decision =
      FramePacing::decide(changed_, moving, exposed_, now, lastFrame_);
  if (decision.next == FramePacing::Next::Sleep) return;
  if (decision.next == FramePacing::Next::DrawAt) {
    owe(decision.at);
    return;
  }
  paint(now);
  // Drawing may have read input off the connection into the queue, where the descriptor no
  // longer shows it: take it now, and draw what it did at the next slot.
  if (window_.takeInput()) changed_ = true;
  if (changed_ || moving) owe(lastFrame_ + FramePacing::kFrameSeconds);
}

void FrameDriver::paint(double now) {
  lastFrame_ = FramePacing::slotOf(now, lastFrame_);
  changed_ = false;
  const bool exposed = exposed_;
  exposed_ = false;
  window_.present(exposed);
}

// A frame at `at` (clock time), unless one is owed sooner.
void FrameDriver::owe(double at) {
  if (frameTimer_ && frameTimer_->isValid()) {
    if (frameTimer_->fireDate() <= at) return;
    frameTimer_->invalidate();
  }
  const double delay = std::max(0.0, at - Clock::current().now());
  frameTimer_ = Timer::scheduled(
      delay, false,
      [this](Timer&) {
        hostSourceRan();
        update(false);
      },
      kCommonModes);
}

}  // namespace plat
