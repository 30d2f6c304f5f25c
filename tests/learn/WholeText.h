// Whether a text shows whole on screen: not cut at its label's edge nor elided.
#pragma once

#include "platform/draw/TextLayout.h"
#include "platform/view/Button.h"
#include "platform/view/Label.h"

namespace learntest {

// The label's text fits its frame: on one line at the font it shrinks to, or wrapped to its
// width in as many lines as its height holds.
inline bool showsWholeText(const plat::Label& label) {
  const plat::Rect r = label.bounds();
  const plat::Font font = label.fittedFont(r.width);
  if (label.numberOfLines() == 1) {
    const plat::Size one = plat::measureText(label.text(), font);
    return one.width <= r.width + 0.5 && one.height <= r.height + 0.5;
  }
  const plat::Size all =
      plat::measureText(label.text(), font, {r.width, 1e6}, label.lineBreakMode());
  return all.height <= r.height + 0.5;
}

// A button's title shows whole, inside the button.
inline bool showsWholeTitle(plat::Button& button) {
  button.layoutIfNeeded();
  const plat::Rect title = button.titleLabel().frame(), own = button.bounds();
  return showsWholeText(button.titleLabel()) && title.x >= own.x - 0.5 &&
         title.maxX() <= own.maxX() + 0.5 && title.y >= own.y - 0.5 &&
         title.maxY() <= own.maxY() + 0.5;
}

}  // namespace learntest
