// Animations of view properties on the run loop's clock. Inside an animation block a change of a
// view's centre, bounds, alpha, transform or background colour sets the new value at once and
// records an animation from the value on screen; what is drawn follows the animation curve until
// it ends, then the block's completion runs. With a virtual clock, RunLoop::advance plays them.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "platform/draw/Color.h"
#include "platform/draw/Geometry.h"

namespace plat {

class View;

enum class AnimationCurve { EaseInOut, EaseIn, EaseOut, Linear };

// What to draw for a view at this moment.
struct Presentation {
  Point center;
  Rect bounds;
  double alpha = 1;
  AffineTransform transform;
  Color backgroundColor;
};

class Animation {
 public:
  using Completion = std::function<void(bool finished)>;
  using DidStop = std::function<void(const std::string& name, bool finished)>;

  // Block style: the changes made inside `changes` animate.
  static void animate(double duration, const std::function<void()>& changes,
                      Completion completion = {});
  static void animate(double duration, double delay, AnimationCurve curve,
                      const std::function<void()>& changes, Completion completion = {});

  // Begin and commit style; settings apply to the innermost open block.
  static void begin(const std::string& name = "");
  static void setDuration(double seconds);
  static void setDelay(double seconds);
  static void setCurve(AnimationCurve curve);
  static void setDidStop(DidStop didStop);
  static void commit();
  // Commits like commit(), then runs the current run loop (serving its other sources) until the
  // block's animations have stopped and its did-stop has run.
  static void commitAndWait();
  static bool isBlockOpen();

  // Changes made while disabled take effect without animating.
  static void setEnabled(bool enabled);
  static bool enabled();

  // A value animated by frames: `step` gets the eased progress (0..1) on each frame of the run
  // loop's clock, and 1 at the end, before `completion`. Returns an id for cancelProgress.
  static int animateProgress(double duration, AnimationCurve curve,
                             std::function<void(double)> step, Completion completion = {});
  // Stops a frame animation; its completion runs with finished = false.
  static void cancelProgress(int id);

  // A transition of a view's content (a fade or a page sliding in): the view shows its new state
  // at once; `didStop` runs when the transition's time is up.
  enum class Transition { Fade, MoveIn, Push, Reveal };
  static void addTransition(View& view, Transition type, double duration, Completion didStop = {});

  // Eased progress of `curve` at time fraction t (0..1).
  static double ease(AnimationCurve curve, double t);

  static Presentation presentationOf(const View& view);
  static bool isAnimating(const View& view);
  // Stops the view's animations; their blocks complete with finished = false.
  static void removeAll(const View& view);
  static size_t runningCount();

  // ---- For View's setters
  enum class Property { Center, Bounds, Alpha, Transform, Background };
  using Value = std::array<double, 6>;
  // Records a change made inside an open block; returns false when not animating.
  static bool record(View& view, Property property, const Value& from, const Value& to);
  static void forget(const View& view);  // the view is going away
};

}  // namespace plat
