#include "platform/view/ScrollView.h"

#include <algorithm>
#include <cmath>

#include "platform/view/Animation.h"

namespace plat {
namespace {

constexpr double kScrollAnimationSeconds = 0.3;
// A drag at least this long moves a paging scroll view on by a page.
constexpr double kPageFlickDistance = 30;
// How far past its ends a drag may pull the content, as a share of the view's size: a pull begun
// again before the last one has sprung back starts past the end, and pulls that added up would
// leave the view showing nothing of its content.
constexpr double kMostPullShare = 0.5;

}  // namespace

ScrollView::ScrollView(const Rect& frame) : View(frame) {
  setClipsToBounds(true);
}

ScrollView::~ScrollView() {
  stopAnimation();
}

// A resized view at rest shows no space beyond its content's end: the offset comes back within
// range in the same step, so the view never draws the blank space in between.
void ScrollView::setBounds(const Rect& bounds) {
  Point old = contentOffset();
  Rect next = bounds;
  if (next.size() != this->bounds().size() && isAtRest()) {
    Point within = clampedFor(next.origin(), next.size());
    next = {within.x, within.y, next.width, next.height};
  }
  View::setBounds(next);
  if (next.origin() != old) {
    contentOffsetChanged();
    if (delegate_) delegate_->scrollViewDidScroll(*this);
  }
}

void ScrollView::setContentSize(Size size) {
  if (size == contentSize_) return;
  contentSize_ = size;
  if (!isAtRest()) return;
  Point within = clamped(contentOffset());
  if (within != contentOffset()) setContentOffset(within);
}

bool ScrollView::isAtRest() const {
  return !dragging_ && !decelerating_ && !animation_;
}

void ScrollView::setContentOffset(Point offset, bool animated) {
  stopAnimation();
  if (!animated) {
    Rect b = bounds();
    setBounds({offset.x, offset.y, b.width, b.height});
    return;
  }
  animateTo(offset, false);
}

void ScrollView::stopAnimation() {
  if (!animation_) return;
  int id = animation_;
  animation_ = 0;
  Animation::cancelProgress(id);
}

void ScrollView::animateTo(Point target, bool decelerating) {
  stopAnimation();
  Point from = contentOffset();
  if (from == target) {
    if (!decelerating && delegate_) delegate_->scrollViewDidEndScrollingAnimation(*this);
    return;
  }
  decelerating_ = decelerating;
  std::weak_ptr<View> weak = weak_from_this();
  animation_ = Animation::animateProgress(
      kScrollAnimationSeconds, decelerating ? AnimationCurve::EaseOut : AnimationCurve::EaseInOut,
      [this, weak, from, target](double f) {
        if (weak.expired()) return;
        Rect b = bounds();
        setBounds({from.x + (target.x - from.x) * f, from.y + (target.y - from.y) * f, b.width,
                   b.height});
      },
      [this, weak, decelerating](bool finished) {
        if (weak.expired() || !finished) return;
        animation_ = 0;
        decelerating_ = false;
        if (!delegate_) return;
        if (decelerating) {
          delegate_->scrollViewDidEndDecelerating(*this);
        } else {
          delegate_->scrollViewDidEndScrollingAnimation(*this);
        }
      });
}

void ScrollView::scrollRectToVisible(const Rect& rect, bool animated) {
  Rect visible = bounds();
  Point offset = visible.origin();
  if (rect.maxX() > visible.maxX()) offset.x = rect.maxX() - visible.width;
  if (rect.minX() < offset.x) offset.x = rect.minX();
  if (rect.maxY() > visible.maxY()) offset.y = rect.maxY() - visible.height;
  if (rect.minY() < offset.y) offset.y = rect.minY();
  setContentOffset(clamped(offset), animated);
}

Point ScrollView::minimumOffset() const {
  return {-contentInset_.left, -contentInset_.top};
}

Point ScrollView::maximumOffset() const {
  return maximumOffsetFor(bounds().size());
}

Point ScrollView::maximumOffsetFor(Size size) const {
  Point min = minimumOffset();
  return {std::max(min.x, contentSize_.width + contentInset_.right - size.width),
          std::max(min.y, contentSize_.height + contentInset_.bottom - size.height)};
}

Point ScrollView::clamped(Point offset) const {
  return clampedFor(offset, bounds().size());
}

Point ScrollView::clampedFor(Point offset, Size size) const {
  Point min = minimumOffset(), max = maximumOffsetFor(size);
  return {std::clamp(offset.x, min.x, max.x), std::clamp(offset.y, min.y, max.y)};
}

bool ScrollView::scrollsHorizontally() const {
  return alwaysBounceHorizontal_ ||
         contentSize_.width + contentInset_.left + contentInset_.right > bounds().width;
}

bool ScrollView::scrollsVertically() const {
  return alwaysBounceVertical_ ||
         contentSize_.height + contentInset_.top + contentInset_.bottom > bounds().height;
}

bool ScrollView::canScroll(Point delta) const {
  if (!scrollEnabled_) return false;
  bool horizontal = std::fabs(delta.x) > std::fabs(delta.y);
  return horizontal ? scrollsHorizontally() : scrollsVertically();
}

Point ScrollView::superviewPoint(Point windowLocation) const {
  return superview() ? superview()->convertPointFrom(windowLocation, nullptr) : windowLocation;
}

void ScrollView::beginDrag(Point windowLocation) {
  stopAnimation();
  decelerating_ = false;
  dragging_ = true;
  dragStartOffset_ = contentOffset();
  dragStartPoint_ = superviewPoint(windowLocation);
  if (delegate_) delegate_->scrollViewWillBeginDragging(*this);
}

void ScrollView::dragTo(Point windowLocation) {
  if (!dragging_) return;
  Point p = superviewPoint(windowLocation);
  Point offset = dragStartOffset_;
  if (scrollsHorizontally()) offset.x -= p.x - dragStartPoint_.x;
  if (scrollsVertically()) offset.y -= p.y - dragStartPoint_.y;
  offset = bounces_ ? withinPull(offset) : clamped(offset);
  Rect b = bounds();
  setBounds({offset.x, offset.y, b.width, b.height});
}

Point ScrollView::withinPull(Point offset) const {
  const Size size = bounds().size();
  const Point min = minimumOffset(), max = maximumOffset();
  const double roomX = size.width * kMostPullShare, roomY = size.height * kMostPullShare;
  return {std::clamp(offset.x, min.x - roomX, max.x + roomX),
          std::clamp(offset.y, min.y - roomY, max.y + roomY)};
}

Point ScrollView::restingOffset(Point offset) const {
  if (!pagingEnabled_) return clamped(offset);
  Rect b = bounds();
  auto page = [](double start, double now, double size) {
    if (size <= 0) return now;
    double startPage = std::round(start / size);
    double moved = now - start;
    double target = std::fabs(moved) >= kPageFlickDistance ? startPage + (moved > 0 ? 1 : -1)
                                                           : std::round(now / size);
    return target * size;
  };
  return clamped(
      {page(dragStartOffset_.x, offset.x, b.width), page(dragStartOffset_.y, offset.y, b.height)});
}

void ScrollView::endDrag(Point windowLocation) {
  if (!dragging_) return;
  dragTo(windowLocation);
  finishDrag();
}

void ScrollView::finishDrag() {
  dragging_ = false;
  bool decelerate = restingOffset(contentOffset()) != contentOffset();
  if (delegate_) delegate_->scrollViewDidEndDragging(*this, decelerate);
  // Where the content settles is decided only now: a list that starts loading more as the finger
  // lifts adds an inset here to keep its footer in view.
  Point target = restingOffset(contentOffset());
  if (target == contentOffset()) return;
  if (delegate_) delegate_->scrollViewWillBeginDecelerating(*this);
  animateTo(target, true);
}

void ScrollView::cancelDrag() {
  if (dragging_) finishDrag();
}

}  // namespace plat
