// Runs the application in a desktop window: the phone's screen scaled to fit the display, redrawn
// whenever the picture changed; the mouse as a finger, the wheel as scrolling, typed keys as text
// for the field being edited. The window drives the lifecycle: launch, active while focused,
// resigning when focus goes, background while minimised, and background then terminate on close.
// Notifications that fall due meanwhile are shown.
#pragma once

#include <memory>

#include "platform/base/Value.h"
#include "platform/view/Application.h"

namespace plat {

class WindowHost {
 public:
  explicit WindowHost(std::shared_ptr<ApplicationDelegate> delegate);
  ~WindowHost();
  WindowHost(const WindowHost&) = delete;
  WindowHost& operator=(const WindowHost&) = delete;

  // Opens the window on the desktop's display (DISPLAY or WAYLAND_DISPLAY); false, with the
  // reason on stderr, when no display is named or it does not answer.
  bool open();

  // Launches the application in the opened window and runs until the window is closed; returns
  // the process's exit code.
  int run(const Value& launchOptions = {});

  struct Impl;

 private:
  std::shared_ptr<ApplicationDelegate> delegate_;
  std::unique_ptr<Impl> impl_;
};

}  // namespace plat
