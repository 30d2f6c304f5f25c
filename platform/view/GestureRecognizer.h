// Gesture recognizers the screens use: long press, swipe and pan. A recognizer attached to a
// view sees the touches that begin in that view or its subviews before the view does; once it
// recognizes its gesture the view's touch is cancelled (when cancelsTouchesInView).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/draw/Geometry.h"
#include "platform/view/Touch.h"

namespace plat {

class View;

enum class GestureState { Possible, Began, Changed, Ended, Cancelled, Failed };

class GestureRecognizer : public std::enable_shared_from_this<GestureRecognizer> {
 public:
  using Action = std::function<void(GestureRecognizer&)>;

  explicit GestureRecognizer(Action action = {});
  virtual ~GestureRecognizer();

  void addAction(Action action) { actions_.push_back(std::move(action)); }
  View* view() const { return view_; }
  GestureState state() const { return state_; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }
  bool cancelsTouchesInView() const { return cancelsTouchesInView_; }
  void setCancelsTouchesInView(bool cancels) { cancelsTouchesInView_ = cancels; }
  // Where the (last) touch is, in `view`'s coordinates (the window's for null).
  Point locationInView(const View* view) const;
  // Whether the gesture has been recognized (began or ended) during the current touch.
  bool hasRecognized() const { return recognized_; }

  // ---- Driven by the window
  virtual void touchBegan(const Touch& touch);
  virtual void touchMoved(const Touch& touch);
  virtual void touchEnded(const Touch& touch);
  virtual void touchCancelled(const Touch& touch);
  void attach(View* view) { view_ = view; }

 protected:
  void setState(GestureState state);  // calls the actions for began, changed, ended, cancelled
  void reset();
  Point startLocation_;  // window coordinates
  Point lastLocation_;
  double startTime_ = 0;
  double lastTime_ = 0;

 private:
  std::vector<Action> actions_;
  View* view_ = nullptr;
  GestureState state_ = GestureState::Possible;
  bool enabled_ = true;
  bool cancelsTouchesInView_ = true;
  bool recognized_ = false;
};

// A finger held still for minimumPressDuration: began, changed while it moves, ended on lift.
class LongPressGestureRecognizer : public GestureRecognizer {
 public:
  using GestureRecognizer::GestureRecognizer;
  ~LongPressGestureRecognizer() override;
  double minimumPressDuration() const { return minimumPressDuration_; }
  void setMinimumPressDuration(double seconds) { minimumPressDuration_ = seconds; }
  double allowableMovement() const { return allowableMovement_; }
  void setAllowableMovement(double points) { allowableMovement_ = points; }

  void touchBegan(const Touch& touch) override;
  void touchMoved(const Touch& touch) override;
  void touchEnded(const Touch& touch) override;
  void touchCancelled(const Touch& touch) override;

 private:
  double minimumPressDuration_ = 0.5;
  double allowableMovement_ = 10;
};

enum SwipeDirection : unsigned {
  kSwipeRight = 1,
  kSwipeLeft = 2,
  kSwipeUp = 4,
  kSwipeDown = 8,
};

// A quick stroke in one of the allowed directions; recognized (ended) once it is long enough.
class SwipeGestureRecognizer : public GestureRecognizer {
 public:
  using GestureRecognizer::GestureRecognizer;
  unsigned direction() const { return direction_; }
  void setDirection(unsigned direction) { direction_ = direction; }
  static constexpr double kMinimumDistance = 50;

  void touchMoved(const Touch& touch) override;
  void touchEnded(const Touch& touch) override;

 private:
  bool matches(Point delta) const;
  unsigned direction_ = kSwipeRight;
};

// A drag: began after the finger moved a little, changed on every move, ended on lift.
class PanGestureRecognizer : public GestureRecognizer {
 public:
  using GestureRecognizer::GestureRecognizer;
  static constexpr double kStartDistance = 10;
  Point translationInView(const View* view) const;
  void setTranslation(Point translation, const View* view);
  Point velocityInView(const View* view) const;  // points per second

  void touchBegan(const Touch& touch) override;
  void touchMoved(const Touch& touch) override;
  void touchEnded(const Touch& touch) override;

 private:
  Point origin_;  // window point from which the translation is measured
  Point velocity_;
};

}  // namespace plat
