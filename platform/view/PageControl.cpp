#include "platform/view/PageControl.h"

#include <algorithm>
#include <cmath>

namespace plat {

PageControl::PageControl(const Rect& frame) : Control(frame) {
  setOpaque(false);
}

void PageControl::setNumberOfPages(int pages) {
  pages_ = std::max(0, pages);
  setCurrentPage(current_);
}

void PageControl::setCurrentPage(int page) {
  current_ = pages_ == 0 ? 0 : std::clamp(page, 0, pages_ - 1);
}

Point PageControl::dotCenter(int page) const {
  Rect b = bounds();
  double first = b.midX() - (pages_ - 1) * kDotSpacing / 2;
  return {first + page * kDotSpacing, b.midY()};
}

void PageControl::endTracking(const Touch& touch) {
  if (pages_ == 0) return;
  Point p = touch.locationIn(this);
  if (!pointInside(p)) return;
  int page = current_;
  int nearest = int(std::lround((p.x - dotCenter(0).x) / kDotSpacing));
  if (nearest >= 0 && nearest < pages_ &&
      std::fabs(dotCenter(nearest).x - p.x) <= kDotSpacing / 2) {
    page = nearest;
  } else {
    page += p.x < dotCenter(current_).x ? -1 : 1;
  }
  page = std::clamp(page, 0, pages_ - 1);
  if (page == current_) return;
  current_ = page;
  sendActions(kValueChanged);
}

void PageControl::drawRect(DrawContext& context, const Rect&) {
  if (pages_ == 0 || (hidesForSingle_ && pages_ == 1)) return;
  for (int i = 0; i < pages_; ++i) {
    Point c = dotCenter(i);
    context.setFillColor(i == current_ ? currentTint_ : tint_);
    context.fillEllipse({c.x - 3.5, c.y - 3.5, 7, 7});
  }
}

}  // namespace plat
