// What the phone's status bar showed of the application and the hosts draw over the top strip of
// the screen: the network activity indicator, a small spinner at the strip's left end while the
// application says requests are under way. It turns with the clock, twelve steps a second.
#pragma once

#include "platform/draw/Image.h"
#include "platform/view/Application.h"

namespace plat {

class StatusStrip {
 public:
  // Where the spinner goes, in screen points.
  static Rect indicatorFrame();
  // Draws onto a picture of the whole screen (as ViewRenderer::renderScreen makes it) at `now`.
  static void drawOver(Image& screen, const Application& application, double now);
};

}  // namespace plat
