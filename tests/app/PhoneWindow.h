// The program's window on a test's X display, driven as a learner's finger would: taps and typing
// at points of the phone's 320 x 568 screen (or a tablet's, turned with Ctrl+R), and pictures of
// the screen taken until it has settled after a step.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "platform/draw/Geometry.h"
#include "tests/app/XvfbDesktop.h"

namespace apptest {

class PhoneWindow {
 public:
  static constexpr double kWidth = 320;
  static constexpr double kHeight = 568;

  // `points`: the size of the device's screen, upright.
  PhoneWindow(const XvfbDesktop& desktop, std::string window,
              plat::Size points = {kWidth, kHeight});

  const plat::Rect& frame() const { return frame_; }
  // The screen's size in points as it is turned now.
  const plat::Size& points() const { return points_; }
  // Turns the device a quarter (Ctrl+R) and waits for the window to take the turned shape; false
  // when it kept its shape.
  bool turn(double seconds = 30);

  void tap(double x, double y) const;
  // Types ASCII text into the field being edited.
  void type(const std::string& text) const;
  // Turns the wheel down with the pointer at (x, y).
  void scrollDown(double x, double y, int notches) const;
  // A finger drawn from (x, fromY) to (x, toY) and lifted.
  void drag(double x, double fromY, double toY) const;

  std::optional<ScreenShot> shot() const;
  // The screen once it has stayed the same for `quiet` seconds, or the last picture after
  // `seconds`. The waits are generous: the sanitized program shares a loaded machine.
  std::optional<ScreenShot> still(double quiet = 1.0, double seconds = 40) const;
  // Taps and returns the settled screen once some of it differs from `before` (nothing when it
  // never changed).
  std::optional<ScreenShot> tapAndSettle(double x, double y, const ScreenShot& before,
                                         double seconds = 40) const;

  // The share of the rectangle of the phone's screen (points) that differs between two pictures.
  double changed(const ScreenShot& a, const ScreenShot& b, const plat::Rect& area) const;
  // The share of the rectangle whose pixels (0xRRGGBB) `pick` takes.
  double share(const ScreenShot& s, const plat::Rect& area,
               const std::function<bool(unsigned)>& pick) const;
  // The share of the rectangle taken by the red of a badge.
  double badgeRed(const ScreenShot& s, const plat::Rect& area) const;
  // The share of the rectangle brighter than `level` in every channel (nothing dims it).
  double brightShare(const ScreenShot& s, const plat::Rect& area, unsigned level = 0xf0) const;
  // The left and right ends (points) of the bright pixels on the row at `y`; nothing when none.
  std::optional<std::pair<double, double>> brightSpan(const ScreenShot& s, double y) const;
  // Writes the phone's part of the picture next to the test program, to be looked at after a run.
  void write(const ScreenShot& s, const std::string& name) const;

 private:
  struct Pixels {
    int x, y, w, h;
  };
  Pixels pixels(const plat::Rect& area) const;

  const XvfbDesktop& desktop_;
  std::string window_;
  plat::Rect frame_;
  plat::Size points_;
};

}  // namespace apptest
