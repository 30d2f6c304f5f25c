#include "stats/LineUIView.h"

#include "stats/ChartStyle.h"

using namespace plat;

namespace {
constexpr double kRowHeight = 20;
}

LineUIView::LineUIView(const Rect& frame) : View(frame) {
  setBackgroundColor(Color::clear());
  setOpaque(false);
}

void LineUIView::drawRect(DrawContext& context, const Rect&) {
  context.setLineWidth(2);
  const Font font = Font::system(12);
  // One row per colour; a colour without a name still shows its line.
  for (size_t i = 0; i < lineColor_.size(); ++i) {
    const double y = kRowHeight * double(i) + 10;
    chartstyle::paintWith(context, lineColor_[i]);
    context.strokeLine({10, y}, {50, y});
    context.fillEllipse({30 - 2.5, y - 2.5, 5, 5});
    if (i >= lineName_.size()) continue;
    context.setFillColor(chartstyle::textGrey());
    context.drawText(lineName_[i], {55, kRowHeight * double(i) + 1}, font);
  }
}
