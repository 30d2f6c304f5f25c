// The window above every other in which alerts and action sheets are shown one at a time over a
// dimmed screen; panels shown while one is up wait their turn. The window does not become the
// key window, so screens keep looking things up in theirs.
#pragma once

#include <functional>
#include <memory>

#include "platform/view/View.h"

namespace plat {

class Window;

class ModalOverlay {
 public:
  // Shows `panel` now (`present` places it), or after the panels before it are gone.
  static void show(std::shared_ptr<View> panel, std::function<void(View&)> present);
  // Takes `panel` off the screen (or out of the queue) and shows the next one.
  static void hide(const View* panel);
  static bool isShowing(const View* panel);
  static bool isQueued(const View* panel);
  // The overlay window while a panel is up, else null.
  static Window* window();
  static void reset();  // tests
};

}  // namespace plat
