// Draws view trees: a view with its subviews into a DrawContext, a view into an image, and the
// whole screen (every visible window, lowest level first) into an image, as they stand now -
// animations at their current point.
#pragma once

#include <memory>

#include "platform/draw/DrawContext.h"
#include "platform/draw/Image.h"
#include "platform/view/View.h"

namespace plat {

class ViewRenderer {
 public:
  // Draws `view` in its superview's coordinates (its centre, bounds and transform placed).
  static void drawInSuperview(View& view, DrawContext& context);
  // The view's bounds as an image; scale 0 is the screen's.
  static std::shared_ptr<Image> renderView(View& view, double scale = 0);
  // The screen: black, then every visible window.
  static std::shared_ptr<Image> renderScreen(double scale = 0);
  // What a display does between pictures: lays out the visible windows and runs drawRect of
  // every shown view that asked for it (into a scratch context), so that drawing that sets
  // things up happens without a picture being taken.
  static void displayPass();
  // Runs the view's drawRect alone (no background, no subviews).
  static void drawContentOnly(View& view, DrawContext& context);
};

}  // namespace plat
