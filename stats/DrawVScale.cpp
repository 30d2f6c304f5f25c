#include "stats/DrawVScale.h"

#include "platform/view/Label.h"
#include "stats/ChartStyle.h"

using namespace plat;

namespace {

// Draws one scale number the way a label in `rect` shows it: right-aligned, centred in the
// height, shrinking to fit the width.
void drawNumber(DrawContext& context, const std::string& text, const Rect& rect) {
  Label label(rect);
  label.setText(text);
  label.setFont(Font::system(12));
  label.setTextColor(chartstyle::textGrey());
  label.setTextAlignment(TextAlignment::Right);
  label.setAdjustsFontSizeToFitWidth(true);
  context.save();
  context.translate(rect.x, rect.y);
  label.drawRect(context, label.bounds());
  context.restore();
}

}  // namespace

DrawVScale::DrawVScale(const Rect& frame, Point drawPoint) : View(frame) {
  setAutoresizingMask(kFlexibleWidth | kFlexibleRightMargin | kFlexibleHeight |
                      kFlexibleBottomMargin);
  setBackgroundColor(Color::clear());
  setOpaque(false);
  drawRect_ =
      Rect(drawPoint.x, drawPoint.y, 5, frame.height - 2 * drawPoint.y - chartstyle::kLabelSpace);
}

void DrawVScale::InfoFromVScale(const Value& info) {
  VScaleNum_ = info.at(0).asInt();
  VscaleSize_ = info.at(1).asDouble();
  NumFromVScale_ = info.at(2).asInt();
  setNeedsDisplay();
}

void DrawVScale::drawRect(DrawContext& context, const Rect&) {
  const double width = bounds().width;
  for (int64_t i = 0; i < VScaleNum_; ++i) {
    const std::string text = std::to_string(NumFromVScale_ * (VScaleNum_ - i)) + scaleSign_;
    drawNumber(context, text, {10, drawRect_.y + double(i) * VscaleSize_ - 10, width - 15, 15});
  }
  const double bottom = drawRect_.y + drawRect_.height;
  context.setFillColor(chartstyle::textGrey());
  context.drawText("0", {drawRect_.x - 10, bottom - 10}, Font::system(Font::systemFontSize()));
}
