// Pasting as a desktop user expects it: Ctrl+V and Shift+Insert paste the clipboard into the
// field being edited; a middle click pastes the primary selection (the text last selected
// anywhere on the desktop) into the field under the pointer, which it starts editing, or else
// into the field being edited.
#pragma once

#include <SDL.h>

#include "platform/draw/Geometry.h"

namespace plat {

class DesktopPaste {
 public:
  static bool isPasteKey(SDL_Keycode key, Uint16 modifiers);
  // False when no field is being edited. On an X display the text comes a moment later, when the
  // selection's owner has answered (DesktopSelection), and goes into the field that was being
  // edited at the paste, wherever the learner has gone meanwhile.
  static bool pasteClipboard();
  // `p` in screen points.
  static bool middleClick(Point p);
};

}  // namespace plat
