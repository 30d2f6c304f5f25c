// Measures and colours that the chart, its value scale and its legend share, so that they line
// up and match.
#pragma once

#include "platform/draw/Color.h"
#include "platform/draw/DrawContext.h"

namespace chartstyle {

// Room under the plot area for the column labels; the value scale leaves the same.
constexpr double kLabelSpace = 30;

// Grey of the column labels, the scale numbers and the legend names.
inline plat::Color textGrey() {
  return plat::Color::white(0.6);
}

// The panel behind a chart page's scale, chart and legend ("gui/static_bg.png").
inline plat::Color panelColor() {
  return plat::Color::rgb255(22, 28, 28);
}

// Text on a highlighted label's box: the light page colours leave white text unreadable.
inline plat::Color highlightText() {
  return plat::Color::white(0.1);
}

// Lines, dots and boxes take one colour for both stroke and fill.
inline void paintWith(plat::DrawContext& context, const plat::Color& color) {
  context.setStrokeColor(color);
  context.setFillColor(color);
}

}  // namespace chartstyle
