#include "platform/view/View.h"

#include <algorithm>

#include "platform/view/Animation.h"
#include "platform/view/GestureRecognizer.h"
#include "platform/view/Keyboard.h"
#include "platform/view/Window.h"

namespace plat {
namespace {

Animation::Value pointValue(Point p) {
  return {p.x, p.y, 0, 0, 0, 0};
}
Animation::Value rectValue(const Rect& r) {
  return {r.x, r.y, r.width, r.height, 0, 0};
}
Animation::Value colorValue(const Color& c) {
  return {c.r, c.g, c.b, c.a, 0, 0};
}
Animation::Value transformValue(const AffineTransform& t) {
  return {t.a, t.b, t.c, t.d, t.tx, t.ty};
}

// Shares `delta` among the flexible parts of one axis in proportion to their sizes.
void resizeAxis(double& origin, double& length, double superLength, double delta, bool flexStart,
                bool flexLength, bool flexEnd) {
  double start = std::max(0.0, origin);
  double end = std::max(0.0, superLength - origin - length);
  double size = std::max(0.0, length);
  double total = (flexStart ? start : 0) + (flexLength ? size : 0) + (flexEnd ? end : 0);
  int count = int(flexStart) + int(flexLength) + int(flexEnd);
  if (count == 0) return;
  auto share = [&](bool flexible, double part) {
    if (!flexible) return 0.0;
    return total > 0 ? delta * part / total : delta / count;
  };
  origin += share(flexStart, start);
  length += share(flexLength, size);
}

}  // namespace

View::View(const Rect& frame) {
  setFrame(frame);
}

View::~View() {
  Animation::forget(*this);
  Keyboard::viewGoingAway(this);
  for (const auto& child : subviews_) {
    if (child->superview_ == this) child->superview_ = nullptr;
  }
}

// ---- Geometry

Rect View::frame() const {
  Rect local(-bounds_.width / 2, -bounds_.height / 2, bounds_.width, bounds_.height);
  Rect r = transform_.isIdentity() ? local : transform_.apply(local);
  return r.offsetBy(center_.x, center_.y);
}

void View::setFrame(const Rect& frame) {
  setCenter(frame.center());
  if (transform_.isIdentity()) setBounds({bounds_.x, bounds_.y, frame.width, frame.height});
}

void View::setBounds(const Rect& bounds) {
  if (bounds == bounds_) return;
  Size oldSize = bounds_.size();
  Animation::record(*this, Animation::Property::Bounds, rectValue(bounds_), rectValue(bounds));
  bounds_ = bounds;
  if (oldSize != bounds.size()) boundsSizeChanged(oldSize);
}

void View::setCenter(Point center) {
  if (center == center_) return;
  Animation::record(*this, Animation::Property::Center, pointValue(center_), pointValue(center));
  center_ = center;
}

void View::setTransform(const AffineTransform& transform) {
  if (transform == transform_) return;
  Animation::record(*this, Animation::Property::Transform, transformValue(transform_),
                    transformValue(transform));
  transform_ = transform;
}

void View::boundsSizeChanged(Size oldSize) {
  setNeedsLayout();
  setNeedsDisplay();
  if (!autoresizesSubviews_) return;
  for (const auto& child : std::vector<std::shared_ptr<View>>(subviews_)) {
    child->resizeWithSuperview(oldSize, bounds_.size());
  }
}

void View::resizeWithSuperview(Size oldSize, Size newSize) {
  unsigned m = autoresizingMask_;
  if (m == kAutoresizingNone) return;
  Rect f = frame();
  resizeAxis(f.x, f.width, oldSize.width, newSize.width - oldSize.width, m & kFlexibleLeftMargin,
             m & kFlexibleWidth, m & kFlexibleRightMargin);
  resizeAxis(f.y, f.height, oldSize.height, newSize.height - oldSize.height, m & kFlexibleTopMargin,
             m & kFlexibleHeight, m & kFlexibleBottomMargin);
  setFrame(f);
}

// ---- Appearance

void View::setAlpha(double alpha) {
  alpha = std::clamp(alpha, 0.0, 1.0);
  if (alpha == alpha_) return;
  Animation::record(*this, Animation::Property::Alpha, {alpha_, 0, 0, 0, 0, 0},
                    {alpha, 0, 0, 0, 0, 0});
  alpha_ = alpha;
}

void View::setHidden(bool hidden) {
  if (hidden == hidden_) return;
  hidden_ = hidden;
  if (hidden && Keyboard::firstResponder() && Keyboard::firstResponder()->isDescendantOf(this)) {
    Keyboard::firstResponder()->resignFirstResponder();
  }
}

void View::setBackgroundColor(const Color& color) {
  if (color == backgroundColor_) return;
  Animation::record(*this, Animation::Property::Background, colorValue(backgroundColor_),
                    colorValue(color));
  backgroundColor_ = color;
}

// ---- The tree

void View::addSubview(const std::shared_ptr<View>& view) {
  insertSubview(view, subviews_.size());
}

void View::insertSubview(const std::shared_ptr<View>& view, size_t index) {
  if (!view || view.get() == this || isDescendantOf(view.get())) return;  // no cycles
  Window* oldWindow = view->window();
  if (view->superview_ == this) {
    detach(view.get());
  } else if (view->superview_) {
    view->removeFromSuperview();
  }
  view->willMoveToSuperview(this);
  index = std::min(index, subviews_.size());
  subviews_.insert(subviews_.begin() + static_cast<long>(index), view);
  bool moved = view->superview_ != this;
  view->superview_ = this;
  if (!moved) return;
  didAddSubview(view.get());
  view->didMoveToSuperview();
  if (view->window() != oldWindow) view->notifyWindowChange();
}

void View::insertSubviewBelow(const std::shared_ptr<View>& view, const View* sibling) {
  auto it = std::find_if(subviews_.begin(), subviews_.end(),
                         [&](const auto& v) { return v.get() == sibling; });
  insertSubview(view, it == subviews_.end() ? 0 : size_t(it - subviews_.begin()));
}

void View::insertSubviewAbove(const std::shared_ptr<View>& view, const View* sibling) {
  auto it = std::find_if(subviews_.begin(), subviews_.end(),
                         [&](const auto& v) { return v.get() == sibling; });
  if (it == subviews_.end()) {
    addSubview(view);
    return;
  }
  size_t index = size_t(it - subviews_.begin()) + 1;
  if (view && view->superview_ == this) {
    auto own = std::find(subviews_.begin(), subviews_.end(), view);
    if (own - subviews_.begin() < it - subviews_.begin()) --index;
  }
  insertSubview(view, index);
}

void View::detach(const View* view) {
  std::erase_if(subviews_, [&](const auto& v) { return v.get() == view; });
}

void View::removeFromSuperview() {
  View* parent = superview_;
  if (!parent) return;
  auto self = weak_from_this().lock();  // keeps this view alive until the removal is done
  View* responder = Keyboard::firstResponder();
  if (responder && (responder == this || responder->isDescendantOf(this))) {
    responder->resignFirstResponder();
  }
  Window* oldWindow = window();
  parent->willRemoveSubview(this);
  willMoveToSuperview(nullptr);
  parent->detach(this);
  superview_ = nullptr;
  didMoveToSuperview();
  if (oldWindow) notifyWindowChange();
}

void View::bringSubviewToFront(const View* view) {
  auto it = std::find_if(subviews_.begin(), subviews_.end(),
                         [&](const auto& v) { return v.get() == view; });
  if (it != subviews_.end()) std::rotate(it, it + 1, subviews_.end());
}

void View::sendSubviewToBack(const View* view) {
  auto it = std::find_if(subviews_.begin(), subviews_.end(),
                         [&](const auto& v) { return v.get() == view; });
  if (it != subviews_.end()) std::rotate(subviews_.begin(), it, it + 1);
}

View* View::viewWithTag(int tag) {
  if (tag_ == tag) return this;
  for (const auto& child : subviews_) {
    if (View* found = child->viewWithTag(tag)) return found;
  }
  return nullptr;
}

bool View::isDescendantOf(const View* view) const {
  for (const View* v = this; v; v = v->superview_) {
    if (v == view) return true;
  }
  return false;
}

Window* View::window() const {
  return superview_ ? superview_->window() : nullptr;
}

void View::notifyWindowChange() {
  didMoveToWindow();
  for (const auto& child : std::vector<std::shared_ptr<View>>(subviews_)) {
    child->notifyWindowChange();
  }
}

// ---- Layout

void View::setNeedsLayout() {
  needsLayout_ = true;
}

void View::layoutIfNeeded() {
  if (needsLayout_) {
    needsLayout_ = false;
    layoutSubviews();
  }
  for (const auto& child : std::vector<std::shared_ptr<View>>(subviews_)) child->layoutIfNeeded();
}

Size View::sizeThatFits(Size) const {
  return bounds_.size();
}

void View::sizeToFit() {
  Rect f = frame();
  Size fitted = sizeThatFits(f.size());
  setFrame({f.x, f.y, fitted.width, fitted.height});
}

void View::drawRect(DrawContext&, const Rect&) {}

// ---- Coordinates

Point View::convertToSuperview(Point p) const {
  Point local{p.x - bounds_.x - bounds_.width / 2, p.y - bounds_.y - bounds_.height / 2};
  Point moved = transform_.isIdentity() ? local : transform_.apply(local);
  return {moved.x + center_.x, moved.y + center_.y};
}

Point View::convertFromSuperview(Point p) const {
  Point offset{p.x - center_.x, p.y - center_.y};
  Point local = transform_.isIdentity() ? offset : transform_.inverted().apply(offset);
  return {local.x + bounds_.x + bounds_.width / 2, local.y + bounds_.y + bounds_.height / 2};
}

Point View::convertPointTo(Point p, const View* view) const {
  for (const View* v = this; v->superview_; v = v->superview_) p = v->convertToSuperview(p);
  if (!view) return p;
  return view->convertPointFrom(p, nullptr);
}

Point View::convertPointFrom(Point p, const View* view) const {
  if (view) p = view->convertPointTo(p, nullptr);
  std::vector<const View*> chain;
  for (const View* v = this; v->superview_; v = v->superview_) chain.push_back(v);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) p = (*it)->convertFromSuperview(p);
  return p;
}

Rect View::convertRectTo(const Rect& r, const View* view) const {
  Point a = convertPointTo(r.origin(), view);
  Point b = convertPointTo({r.maxX(), r.maxY()}, view);
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y)};
}

Rect View::convertRectFrom(const Rect& r, const View* view) const {
  Point a = convertPointFrom(r.origin(), view);
  Point b = convertPointFrom({r.maxX(), r.maxY()}, view);
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y)};
}

View* View::hitTest(Point p) {
  if (hidden_ || !userInteractionEnabled_ || alpha_ < 0.01 || !pointInside(p)) return nullptr;
  for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
    View* child = it->get();
    if (View* hit = child->hitTest(child->convertFromSuperview(p))) return hit;
  }
  return this;
}

bool View::pointInside(Point p) const {
  return bounds_.contains(p);
}

// ---- Touches

void View::touchesBegan(const TouchSet& touches) {
  if (superview_) superview_->touchesBegan(touches);
}
void View::touchesMoved(const TouchSet& touches) {
  if (superview_) superview_->touchesMoved(touches);
}
void View::touchesEnded(const TouchSet& touches) {
  if (superview_) superview_->touchesEnded(touches);
}
void View::touchesCancelled(const TouchSet& touches) {
  if (superview_) superview_->touchesCancelled(touches);
}

void View::addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer) {
  if (!recognizer) return;
  if (recognizer->view() && recognizer->view() != this) {
    recognizer->view()->removeGestureRecognizer(recognizer.get());
  }
  recognizer->attach(this);
  recognizers_.push_back(recognizer);
}

void View::removeGestureRecognizer(const GestureRecognizer* recognizer) {
  std::erase_if(recognizers_, [&](const auto& r) {
    if (r.get() != recognizer) return false;
    r->attach(nullptr);
    return true;
  });
}

// ---- First responder

bool View::becomeFirstResponder() {
  if (!canBecomeFirstResponder() || !window()) return false;
  return Keyboard::makeFirstResponder(this);
}

bool View::resignFirstResponder() {
  Keyboard::clearFirstResponder(this);
  return true;
}

bool View::isFirstResponder() const {
  return Keyboard::firstResponder() == this;
}

bool View::endEditing(bool force) {
  View* responder = Keyboard::firstResponder();
  if (!responder || !responder->isDescendantOf(this)) return true;
  if (!responder->resignFirstResponder() && force) Keyboard::clearFirstResponder(responder);
  return Keyboard::firstResponder() != responder;
}

void View::removeAllAnimations() {
  Animation::removeAll(*this);
}

}  // namespace plat
