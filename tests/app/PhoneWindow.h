// The program's window on a test's X display, driven as a learner's finger would: taps and typing
// at points of the phone's 320 x 568 screen (or a tablet's, turned with Ctrl+R), and pictures of
// the screen taken until it shows what the step brings.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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
  bool turn(double seconds = XvfbDesktop::kPatience);

  void tap(double x, double y) const;
  // Types ASCII text into the field being edited.
  void type(const std::string& text) const;
  // Turns the wheel down with the pointer at (x, y).
  void scrollDown(double x, double y, int notches) const;
  // A finger drawn from (x, fromY) to (x, toY) and lifted.
  void drag(double x, double fromY, double toY) const;

  std::optional<ScreenShot> shot() const;

  // What a step waits to see on the screen: the look of what it checks, never a quiet moment, a
  // change from an earlier picture or a time. A busy machine may leave the program standing
  // still anywhere, and the screen before a step may already show what the last one brought.
  using Look = std::function<bool(const ScreenShot&)>;
  // The first picture that shows `look`; nothing when none did within `seconds`.
  std::optional<ScreenShot> when(const Look& look, double seconds = XvfbDesktop::kPatience) const;
  // Taps, then waits for `look`.
  std::optional<ScreenShot> tapUntil(double x, double y, const Look& look) const;

  // Looks. All of `looks` at once.
  static Look allOf(std::vector<Look> looks);
  // The tab whose icon is at `tab` (points) in the selected green, nothing dimming it.
  Look tabSelected(const double (&tab)[2]) const;
  // The rectangle shows what it showed in `reference`, a picture of the screen come back to.
  Look sameAs(const ScreenShot& reference, const plat::Rect& area) const;
  // More than `least` of the rectangle in a colour `pick` takes.
  Look coloured(const plat::Rect& area, const std::function<bool(unsigned)>& pick,
                double least) const;
  // Something dims the whole screen: an alert, a sheet, a panel or a progress box above it.
  Look dimmed() const;
  // The keyboard's bar stands at the bottom of the screen.
  Look keyboardUp() const;
  // The settings' backup sheet over the dimmed screen: its blue 向上备份 first.
  Look backupSheet() const;
  // Text written (dark ink) in the rectangle, as typed into a field.
  Look inked(const plat::Rect& area) const;

  // Colours of the screens.
  static bool green(unsigned rgb);   // buttons, switches and the selected tab
  static bool orange(unsigned rgb);  // the register and share buttons
  static bool blue(unsigned rgb);    // an alert's buttons
  static bool ink(unsigned rgb);     // text

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
