#include "platform/view/GestureRecognizer.h"

#include <cmath>

#include "platform/base/Clock.h"
#include "platform/base/RunLoop.h"
#include "platform/view/View.h"

namespace plat {
namespace {

const std::string kLongPressKey = "longpress";

double distance(Point a, Point b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

// A window-space vector seen in `view` (its transform's rotation and scale undone).
Point vectorIn(const View* view, Point vector) {
  if (!view) return vector;
  Point zero = view->convertPointFrom({0, 0}, nullptr);
  Point tip = view->convertPointFrom(vector, nullptr);
  return {tip.x - zero.x, tip.y - zero.y};
}

}  // namespace

GestureRecognizer::GestureRecognizer(Action action) {
  if (action) actions_.push_back(std::move(action));
}

GestureRecognizer::~GestureRecognizer() = default;

Point GestureRecognizer::locationInView(const View* view) const {
  return view ? view->convertPointFrom(lastLocation_, nullptr) : lastLocation_;
}

void GestureRecognizer::setState(GestureState state) {
  state_ = state;
  if (state == GestureState::Began || state == GestureState::Ended) recognized_ = true;
  if (state == GestureState::Possible || state == GestureState::Failed) return;
  auto self = shared_from_this();  // an action may detach the recognizer
  for (const Action& action : std::vector<Action>(actions_)) action(*this);
}

void GestureRecognizer::reset() {
  state_ = GestureState::Possible;
  recognized_ = false;
}

void GestureRecognizer::touchBegan(const Touch& touch) {
  reset();
  startLocation_ = lastLocation_ = touch.location;
  startTime_ = lastTime_ = touch.timestamp;
}

void GestureRecognizer::touchMoved(const Touch& touch) {
  lastLocation_ = touch.location;
  lastTime_ = touch.timestamp;
}

void GestureRecognizer::touchEnded(const Touch& touch) {
  touchMoved(touch);
}

void GestureRecognizer::touchCancelled(const Touch&) {
  if (state_ == GestureState::Began || state_ == GestureState::Changed) {
    setState(GestureState::Cancelled);
  }
}

// ---- Long press

LongPressGestureRecognizer::~LongPressGestureRecognizer() {
  RunLoop::current().cancelPerforms(this, kLongPressKey);
}

void LongPressGestureRecognizer::touchBegan(const Touch& touch) {
  GestureRecognizer::touchBegan(touch);
  if (!isEnabled()) return;
  RunLoop::current().cancelPerforms(this, kLongPressKey);
  std::weak_ptr<GestureRecognizer> weak = weak_from_this();
  RunLoop::current().performAfter(minimumPressDuration_, this, kLongPressKey, [weak] {
    auto self = weak.lock();
    if (self && self->state() == GestureState::Possible) {
      static_cast<LongPressGestureRecognizer&>(*self).setState(GestureState::Began);
    }
  });
}

void LongPressGestureRecognizer::touchMoved(const Touch& touch) {
  GestureRecognizer::touchMoved(touch);
  if (state() == GestureState::Possible) {
    if (distance(touch.location, startLocation_) > allowableMovement_) {
      RunLoop::current().cancelPerforms(this, kLongPressKey);
      setState(GestureState::Failed);
    }
  } else if (state() == GestureState::Began || state() == GestureState::Changed) {
    setState(GestureState::Changed);
  }
}

void LongPressGestureRecognizer::touchEnded(const Touch& touch) {
  GestureRecognizer::touchMoved(touch);
  RunLoop::current().cancelPerforms(this, kLongPressKey);
  if (state() == GestureState::Began || state() == GestureState::Changed) {
    setState(GestureState::Ended);
  } else if (state() == GestureState::Possible) {
    setState(GestureState::Failed);
  }
}

void LongPressGestureRecognizer::touchCancelled(const Touch& touch) {
  RunLoop::current().cancelPerforms(this, kLongPressKey);
  GestureRecognizer::touchCancelled(touch);
}

// ---- Swipe

bool SwipeGestureRecognizer::matches(Point d) const {
  bool horizontal = std::fabs(d.x) > std::fabs(d.y) * 2;
  bool vertical = std::fabs(d.y) > std::fabs(d.x) * 2;
  if (horizontal && d.x >= kMinimumDistance && (direction_ & kSwipeRight)) return true;
  if (horizontal && d.x <= -kMinimumDistance && (direction_ & kSwipeLeft)) return true;
  if (vertical && d.y >= kMinimumDistance && (direction_ & kSwipeDown)) return true;
  if (vertical && d.y <= -kMinimumDistance && (direction_ & kSwipeUp)) return true;
  return false;
}

void SwipeGestureRecognizer::touchMoved(const Touch& touch) {
  GestureRecognizer::touchMoved(touch);
  if (state() != GestureState::Possible || !isEnabled()) return;
  if (matches({touch.location.x - startLocation_.x, touch.location.y - startLocation_.y})) {
    setState(GestureState::Ended);
  }
}

void SwipeGestureRecognizer::touchEnded(const Touch& touch) {
  touchMoved(touch);
  if (state() == GestureState::Possible) setState(GestureState::Failed);
}

// ---- Pan

Point PanGestureRecognizer::translationInView(const View* view) const {
  return vectorIn(view, {lastLocation_.x - origin_.x, lastLocation_.y - origin_.y});
}

void PanGestureRecognizer::setTranslation(Point translation, const View* view) {
  Point inWindow = translation;
  if (view) {
    Point zero = view->convertPointTo({0, 0}, nullptr);
    Point tip = view->convertPointTo(translation, nullptr);
    inWindow = {tip.x - zero.x, tip.y - zero.y};
  }
  origin_ = {lastLocation_.x - inWindow.x, lastLocation_.y - inWindow.y};
}

Point PanGestureRecognizer::velocityInView(const View* view) const {
  return vectorIn(view, velocity_);
}

void PanGestureRecognizer::touchBegan(const Touch& touch) {
  GestureRecognizer::touchBegan(touch);
  origin_ = touch.location;
  velocity_ = {};
}

void PanGestureRecognizer::touchMoved(const Touch& touch) {
  Point previous = lastLocation_;
  double previousTime = lastTime_;
  GestureRecognizer::touchMoved(touch);
  double dt = touch.timestamp - previousTime;
  if (dt > 0) {
    velocity_ = {(touch.location.x - previous.x) / dt, (touch.location.y - previous.y) / dt};
  }
  if (!isEnabled()) return;
  if (state() == GestureState::Possible) {
    if (distance(touch.location, startLocation_) >= kStartDistance) {
      setState(GestureState::Began);
    }
  } else if (state() == GestureState::Began || state() == GestureState::Changed) {
    setState(GestureState::Changed);
  }
}

void PanGestureRecognizer::touchEnded(const Touch& touch) {
  GestureRecognizer::touchMoved(touch);
  if (state() == GestureState::Began || state() == GestureState::Changed) {
    setState(GestureState::Ended);
  } else if (state() == GestureState::Possible) {
    setState(GestureState::Failed);
  }
}

}  // namespace plat
