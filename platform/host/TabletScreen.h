// The tablet the hosts can stand for instead of the phone: the option that asks for it (the
// --tablet flag or $VOCAB_TABLET), its screen, and turning the screen, which both hosts do alike.
#pragma once

#include "platform/view/Screen.h"

namespace plat {

class TabletScreen {
 public:
  // A tablet's screen in portrait, in points.
  static constexpr double kWidth = 768;
  static constexpr double kHeight = 1024;
  static constexpr double kScale = 2;

  // Whether the command line has --tablet, or $VOCAB_TABLET is set to anything but "" or "0".
  static bool requested(int argc, const char* const* argv);
  // Makes the device a tablet: its screen size and the tablet screen type.
  static void use();

  // Turns the screen to `orientation` when the key window's root screen accepts it: the screens
  // hear that they will turn, the device's screen and every window take the turned bounds, then
  // they turn. False, with nothing changed, when it does not accept it or already shows it.
  static bool rotate(InterfaceOrientation orientation);
  // The orientation a quarter turn to the right of `from`.
  static InterfaceOrientation quarterTurn(InterfaceOrientation from);
};

}  // namespace plat
