// Keeps the view being edited in sight above the keyboard, as the phone does: the nearest scroll
// view around it scrolls it up, taking as much extra bottom inset as the keyboard covers of it,
// so that even the last row can rise. The insets come off again when the keyboard goes down.
#pragma once

#include "platform/draw/Geometry.h"

namespace plat {

class View;

namespace keyboardreveal {

// Scrolls `responder` into the part of the screen above `keyboard` (screen points).
void reveal(View& responder, const Rect& keyboard);
// Gives every scroll view back the inset reveal() added.
void restore();

}  // namespace keyboardreveal

}  // namespace plat
