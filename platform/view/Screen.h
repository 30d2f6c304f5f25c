// The device screen the views are laid out for, as the device description gives it: by default
// 320 x 568 points at scale 2, a phone in portrait. Tests and the host configure another one
// through Device::override (or configure() here).
#pragma once

#include "platform/draw/Geometry.h"

namespace plat {

enum class UserInterfaceIdiom { Phone = 0, Pad = 1 };

// Numbered as the platform numbers them; stored orientations are compared with these numbers.
enum class InterfaceOrientation {
  Portrait = 1,
  PortraitUpsideDown = 2,
  LandscapeRight = 3,
  LandscapeLeft = 4,
};

inline bool isLandscape(InterfaceOrientation o) {
  return o == InterfaceOrientation::LandscapeLeft || o == InterfaceOrientation::LandscapeRight;
}

class Screen {
 public:
  static Screen& main();

  Rect bounds() const;
  double scale() const;
  UserInterfaceIdiom idiom() const;
  bool isPad() const { return idiom() == UserInterfaceIdiom::Pad; }
  // The screen less the status bar.
  Rect applicationFrame() const;
  static constexpr double kStatusBarHeight = 20;

  // Another screen for the device description; reset() goes back to the device's own.
  void configure(Size size, double scale, UserInterfaceIdiom idiom);
  void reset();

 private:
  Screen() = default;
};

}  // namespace plat
