#include "platform/view/Switch.h"

namespace plat {

Switch::Switch(Point origin) : Control(Rect(origin, {kWidth, kHeight})) {
  setOpaque(false);
}

void Switch::setOn(bool on, bool) {
  on_ = on;
}

void Switch::endTracking(const Touch& touch) {
  if (!pointInside(touch.locationIn(this))) return;
  on_ = !on_;
  sendActions(kValueChanged);
}

void Switch::drawRect(DrawContext& context, const Rect&) {
  Rect b = bounds();
  double radius = b.height / 2;
  context.beginPath();
  context.addRoundedRect(b.insetBy(0.5, 0.5), radius);
  context.setFillColor(on_ ? onTint_ : Color::white());
  context.setStrokeColor(on_ ? onTint_ : Color::white(0.85));
  context.setLineWidth(1);
  context.drawPath(PathDrawingMode::FillStroke);
  double knob = b.height - 2;
  double x = on_ ? b.maxX() - 1 - knob : b.x + 1;
  context.setFillColor(Color::white());
  context.setStrokeColor(Color::white(0.8));
  context.beginPath();
  context.addEllipse({x, b.y + 1, knob, knob});
  context.drawPath(PathDrawingMode::FillStroke);
}

}  // namespace plat
