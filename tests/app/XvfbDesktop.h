// A virtual X display for one test: Xvfb started on a free display number and stopped at the end,
// with the desktop tools the window test uses on it (xdotool to find and click windows, xwd to
// take a picture of the screen).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/draw/Geometry.h"
#include "tests/support/Patience.h"

namespace apptest {

// One picture of the whole screen, as xwd writes it.
class ScreenShot {
 public:
  static std::optional<ScreenShot> read(const std::string& xwdPath);
  int width() const { return width_; }
  int height() const { return height_; }
  // 0xRRGGBB of a pixel; 0 outside.
  unsigned rgb(int x, int y) const;
  // The share of pixels in the rectangle that differ from the other picture's.
  double changedShare(const ScreenShot& other, int x, int y, int w, int h) const;
  // The share of pixels in the rectangle whose colour (0xRRGGBB) `pick` takes.
  double share(int x, int y, int w, int h, const std::function<bool(unsigned)>& pick) const;
  // The share brighter than `level` in every channel.
  double brightShare(int x, int y, int w, int h, unsigned level = 0xf0) const;
  // Whether any pixel in the rectangle is not black.
  bool hasContent(int x, int y, int w, int h) const;
  bool writePNG(const std::string& path) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<unsigned> pixels_;  // 0xRRGGBB, with whatever the fourth byte held above it
};

class XvfbDesktop {
 public:
  XvfbDesktop();  // waits until the display answers; display() is "" when Xvfb did not start
  ~XvfbDesktop();
  XvfbDesktop(const XvfbDesktop&) = delete;
  XvfbDesktop& operator=(const XvfbDesktop&) = delete;

  const std::string& display() const { return display_; }
  // Runs a command with DISPLAY set to this display; its standard output.
  std::string run(const std::string& command) const;

  // The first window of the class, waiting up to `seconds` or until `gaveUp` says so (the
  // program that would show it has ended); "" when none came. Every later step on this display
  // (shotWhen) stops waiting too as soon as the last `gaveUp` given says so and the screen does
  // not show what the step looks for.
  std::string waitForWindow(const std::string& windowClass, double seconds,
                            const std::function<bool()>& gaveUp = {});
  // The window's frame on the screen, in pixels.
  plat::Rect geometry(const std::string& window) const;
  void click(const std::string& window, int x, int y) const;
  // Turns the wheel down by `notches` with the pointer at (x, y) of the window.
  void wheelDown(const std::string& window, int x, int y, int notches) const;
  // Presses at (x, fromY), moves in steps to (x, toY), rests a moment and lets go.
  void drag(const std::string& window, int x, int fromY, int toY) const;
  // Sends the window the message a window manager's close button sends (WM_DELETE_WINDOW); false
  // when the display or the window could not be reached.
  bool closeWindow(const std::string& window) const;
  std::optional<ScreenShot> screenShot() const;
  // Pictures of the screen until one shows what `shows` looks for; nothing when none did within
  // `seconds` or the program on the display ended first (see waitForWindow), and then the last
  // picture is written next to the test program (<test>-failed-step.png). A step waits for the
  // look of what it checks, never for a quiet moment or a time: the sanitized program on a busy
  // machine may stand still halfway through anything.
  std::optional<ScreenShot> shotWhen(const std::function<bool(const ScreenShot&)>& shows,
                                     double seconds = kPatience) const;
  // How long a step waits for what it looks for before it fails.
  static constexpr double kPatience = testsupport::kPatience;

 private:
  std::string display_;
  std::string folder_;
  int pid_ = -1;
  std::function<bool()> programEnded_;  // the last waitForWindow's gaveUp
};

}  // namespace apptest
