// An on/off switch: a tap turns it over and sends value-changed.
#pragma once

#include "platform/view/Control.h"

namespace plat {

class Switch : public Control {
 public:
  static constexpr double kWidth = 51;
  static constexpr double kHeight = 31;

  explicit Switch(Point origin = {});
  bool isOn() const { return on_; }
  void setOn(bool on, bool animated = false);
  Color onTintColor() const { return onTint_; }
  void setOnTintColor(const Color& color) { onTint_ = color; }

  bool cancelsTrackingForScroll() const override { return false; }
  Size sizeThatFits(Size) const override { return {kWidth, kHeight}; }
  void drawRect(DrawContext& context, const Rect& rect) override;

 protected:
  void endTracking(const Touch& touch) override;

 private:
  bool on_ = false;
  Color onTint_ = Color::rgb255(76, 217, 100);
};

}  // namespace plat
