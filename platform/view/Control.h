// A view that turns touches into control events (touch down, drag inside and outside, touch up
// inside and outside, value changed, editing) and sends them to the targets registered for them.
// It has the states normal, highlighted, disabled and selected.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/view/View.h"

namespace plat {

enum ControlEvent : unsigned {
  kTouchDown = 1 << 0,
  kTouchDownRepeat = 1 << 1,
  kTouchDragInside = 1 << 2,
  kTouchDragOutside = 1 << 3,
  kTouchDragEnter = 1 << 4,
  kTouchDragExit = 1 << 5,
  kTouchUpInside = 1 << 6,
  kTouchUpOutside = 1 << 7,
  kTouchCancel = 1 << 8,
  kValueChanged = 1 << 12,
  kEditingDidBegin = 1 << 16,
  kEditingChanged = 1 << 17,
  kEditingDidEnd = 1 << 18,
  kEditingDidEndOnExit = 1 << 19,
  kAllTouchEvents = 0x0FFF,
  kAllEditingEvents = 0x000F0000,
  kAllEvents = 0xFFFFFFFF,
};

enum ControlState : unsigned {
  kStateNormal = 0,
  kStateHighlighted = 1 << 0,
  kStateDisabled = 1 << 1,
  kStateSelected = 1 << 2,
};

enum class ContentHorizontalAlignment { Center, Left, Right, Fill };
enum class ContentVerticalAlignment { Center, Top, Bottom, Fill };

class Control : public View {
 public:
  using Action = std::function<void(Control& sender)>;

  explicit Control(const Rect& frame = {});

  // Registers `action` under (target, name) for `events`; the same registration twice is kept
  // once. `target` and `name` only identify it for removeTarget.
  void addTarget(const void* target, const std::string& name, Action action, unsigned events);
  void addTarget(Action action, unsigned events) {
    addTarget(nullptr, "", std::move(action), events);
  }
  // Removes the target's registrations for those events (every name when `name` is "").
  void removeTarget(const void* target, const std::string& name, unsigned events);
  bool hasTargets(unsigned events) const;
  // Sends the events to their targets in the order they were added.
  void sendActions(unsigned events);

  bool isEnabled() const { return enabled_; }
  virtual void setEnabled(bool enabled) { enabled_ = enabled; }
  bool isSelected() const { return selected_; }
  virtual void setSelected(bool selected) { selected_ = selected; }
  bool isHighlighted() const { return highlighted_; }
  virtual void setHighlighted(bool highlighted) { highlighted_ = highlighted; }
  unsigned state() const;
  bool isTracking() const { return tracking_; }
  bool isTouchInside() const { return touchInside_; }

  ContentHorizontalAlignment contentHorizontalAlignment() const { return horizontalAlignment_; }
  void setContentHorizontalAlignment(ContentHorizontalAlignment a) {
    horizontalAlignment_ = a;
    setNeedsLayout();
  }
  ContentVerticalAlignment contentVerticalAlignment() const { return verticalAlignment_; }
  void setContentVerticalAlignment(ContentVerticalAlignment a) {
    verticalAlignment_ = a;
    setNeedsLayout();
  }

  // False for controls that keep tracking a finger even when it moves as if to scroll.
  virtual bool cancelsTrackingForScroll() const { return true; }

  void touchesBegan(const TouchSet& touches) override;
  void touchesMoved(const TouchSet& touches) override;
  void touchesEnded(const TouchSet& touches) override;
  void touchesCancelled(const TouchSet& touches) override;

 protected:
  // Tracking hooks for controls with values (switch, slider, page control).
  virtual bool beginTracking(const Touch&) { return true; }
  virtual bool continueTracking(const Touch&) { return true; }
  virtual void endTracking(const Touch&) {}
  virtual void cancelTracking() {}

 private:
  struct Target {
    const void* target;
    std::string name;
    Action action;
    unsigned events;
  };
  std::vector<Target> targets_;
  bool enabled_ = true;
  bool selected_ = false;
  bool highlighted_ = false;
  bool tracking_ = false;
  bool touchInside_ = false;
  ContentHorizontalAlignment horizontalAlignment_ = ContentHorizontalAlignment::Center;
  ContentVerticalAlignment verticalAlignment_ = ContentVerticalAlignment::Center;
};

}  // namespace plat
