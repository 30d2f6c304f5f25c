// One finger on the screen: where it is, where it was, and the view it began in.
#pragma once

#include <vector>

#include "platform/draw/Geometry.h"

namespace plat {

class View;
class Window;

enum class TouchPhase { Began, Moved, Stationary, Ended, Cancelled };

struct Touch {
  int id = 0;
  TouchPhase phase = TouchPhase::Began;
  Point location;          // in the window
  Point previousLocation;  // in the window
  Point startLocation;     // in the window, where the finger came down
  int tapCount = 1;
  double timestamp = 0;
  View* view = nullptr;  // the view that was hit when the touch began
  Window* window = nullptr;

  Point locationIn(const View* view) const;
  Point previousLocationIn(const View* view) const;
};

using TouchSet = std::vector<const Touch*>;

}  // namespace plat
