#include "platform/view/Control.h"

namespace plat {

Control::Control(const Rect& frame) : View(frame) {}

void Control::addTarget(const void* target, const std::string& name, Action action,
                        unsigned events) {
  if (!action) return;
  for (Target& t : targets_) {
    if (t.target == target && t.name == name && !name.empty()) {
      t.events |= events;
      return;
    }
  }
  targets_.push_back({target, name, std::move(action), events});
}

void Control::removeTarget(const void* target, const std::string& name, unsigned events) {
  for (Target& t : targets_) {
    if (t.target == target && (name.empty() || t.name == name)) t.events &= ~events;
  }
  std::erase_if(targets_, [](const Target& t) { return t.events == 0; });
}

bool Control::hasTargets(unsigned events) const {
  for (const Target& t : targets_) {
    if (t.events & events) return true;
  }
  return false;
}

void Control::sendActions(unsigned events) {
  auto self = weak_from_this().lock();  // an action may remove this control
  std::vector<Target> targets = targets_;
  for (const Target& t : targets) {
    if (t.events & events) t.action(*this);
  }
}

unsigned Control::state() const {
  unsigned s = kStateNormal;
  if (highlighted_) s |= kStateHighlighted;
  if (!enabled_) s |= kStateDisabled;
  if (selected_) s |= kStateSelected;
  return s;
}

void Control::touchesBegan(const TouchSet& touches) {
  if (!enabled_ || touches.empty()) return;
  const Touch& touch = *touches.front();
  tracking_ = beginTracking(touch);
  touchInside_ = true;
  setHighlighted(true);
  sendActions(touch.tapCount > 1 ? kTouchDown | kTouchDownRepeat : kTouchDown);
}

void Control::touchesMoved(const TouchSet& touches) {
  if (!enabled_ || touches.empty()) return;
  const Touch& touch = *touches.front();
  bool inside = pointInside(touch.locationIn(this));
  bool wasInside = touchInside_;
  touchInside_ = inside;
  setHighlighted(inside);
  if (tracking_) tracking_ = continueTracking(touch);
  if (inside != wasInside) sendActions(inside ? kTouchDragEnter : kTouchDragExit);
  sendActions(inside ? kTouchDragInside : kTouchDragOutside);
}

void Control::touchesEnded(const TouchSet& touches) {
  if (touches.empty()) return;
  const Touch& touch = *touches.front();
  bool inside = pointInside(touch.locationIn(this));
  bool wasTracking = tracking_;
  tracking_ = false;
  touchInside_ = inside;
  setHighlighted(false);
  if (!enabled_) return;
  if (wasTracking) endTracking(touch);
  sendActions(inside ? kTouchUpInside : kTouchUpOutside);
}

void Control::touchesCancelled(const TouchSet&) {
  bool wasTracking = tracking_;
  tracking_ = false;
  setHighlighted(false);
  if (wasTracking) cancelTracking();
  if (enabled_) sendActions(kTouchCancel);
}

}  // namespace plat
