#include "platform/view/ActivityIndicatorView.h"

#include <cmath>

namespace plat {

ActivityIndicatorView::ActivityIndicatorView(ActivityIndicatorStyle style)
    : View(Rect(0, 0, style == ActivityIndicatorStyle::WhiteLarge ? 37 : 20,
                style == ActivityIndicatorStyle::WhiteLarge ? 37 : 20)),
      style_(style),
      color_(style == ActivityIndicatorStyle::Gray ? Color::white(0.5) : Color::white()) {
  setUserInteractionEnabled(false);
  setOpaque(false);
  setHidden(true);
}

Size ActivityIndicatorView::sizeThatFits(Size) const {
  double side = style_ == ActivityIndicatorStyle::WhiteLarge ? 37 : 20;
  return {side, side};
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides) {
  hidesWhenStopped_ = hides;
  if (!animating_) setHidden(hides);
}

void ActivityIndicatorView::startAnimating() {
  animating_ = true;
  setHidden(false);
}

void ActivityIndicatorView::stopAnimating() {
  animating_ = false;
  if (hidesWhenStopped_) setHidden(true);
}

void ActivityIndicatorView::drawRect(DrawContext& context, const Rect&) {
  Rect b = bounds();
  Point c = b.center();
  double outer = std::min(b.width, b.height) / 2, inner = outer * 0.45;
  context.setLineWidth(std::max(1.5, outer / 5));
  context.setLineCap(LineCap::Round);
  for (int i = 0; i < 12; ++i) {
    double angle = i * M_PI / 6;
    context.setStrokeColor(color_.withAlpha(color_.a * (0.25 + 0.75 * i / 11.0)));
    context.strokeLine({c.x + std::cos(angle) * inner, c.y + std::sin(angle) * inner},
                       {c.x + std::cos(angle) * outer * 0.9, c.y + std::sin(angle) * outer * 0.9});
  }
}

}  // namespace plat
