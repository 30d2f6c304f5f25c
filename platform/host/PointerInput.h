// A desktop pointer as a finger: a press, drags and a release become one touch of the window that
// was under the press, and the wheel scrolls the scroll view under the pointer. Points are screen
// points.
#pragma once

#include "platform/draw/Geometry.h"

namespace plat {

class Window;

class PointerInput {
 public:
  void press(Point p);
  void drag(Point p);  // ignored while no button is down
  void release(Point p);
  bool isPressed() const { return window_ != nullptr; }

  // Moves the innermost scroll view under `p` that scrolls along the move by (dx, dy) points of
  // content offset, within its content; false when there is none.
  static bool wheel(Point p, double dx, double dy);

 private:
  // The window of the touch, while it is still on the screen.
  Window* touchedWindow() const;

  Window* window_ = nullptr;
};

}  // namespace plat
