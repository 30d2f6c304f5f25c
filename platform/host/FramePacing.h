// When the desktop window draws: only after something may have changed the picture (input, a
// reply, a timer or perform of the application), while an animation or the activity spinner
// runs, and when the window was uncovered; never more than thirty times a second, so that a burst
// of changes (progress reports) costs a frame, not a frame each. An idle program draws nothing.
#pragma once

namespace plat {

struct FramePacing {
  static constexpr double kFrameSeconds = 1.0 / 30;

  enum class Next {
    Sleep,    // nothing to draw
    DrawNow,  // draw before the loop sleeps
    DrawAt,   // a frame is owed: draw at `at`, when the pace allows
  };
  struct Decision {
    Next next;
    double at = 0;
  };

  // `changed`: something happened since the last frame; `moving`: an animation runs; `exposed`:
  // the window must be shown again; times are the clock's.
  static Decision decide(bool changed, bool moving, bool exposed, double now, double lastFrame);
  // The time a frame drawn at `now` counts as drawn, for the next decision: the slot it was due
  // in when it comes less than a frame late (a turn of work ran past the slot), so that the
  // frames after it keep their slots; else now.
  static double slotOf(double now, double lastFrame);
};

}  // namespace plat
