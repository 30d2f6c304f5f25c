// A slider: a value between a minimum and a maximum set by dragging along the track (the thumb
// follows the finger), sending value-changed while dragging or, when not continuous, on release.
#pragma once

#include <memory>

#include "platform/draw/Image.h"
#include "platform/view/Control.h"

namespace plat {

class Slider : public Control {
 public:
  explicit Slider(const Rect& frame = {});

  double value() const { return value_; }
  void setValue(double value, bool animated = false);
  double minimumValue() const { return minimum_; }
  void setMinimumValue(double value);
  double maximumValue() const { return maximum_; }
  void setMaximumValue(double value);
  bool isContinuous() const { return continuous_; }
  void setContinuous(bool continuous) { continuous_ = continuous; }
  void setThumbImage(std::shared_ptr<Image> image) { thumb_ = std::move(image); }
  void setMinimumTrackImage(std::shared_ptr<Image> image) { minTrack_ = std::move(image); }
  void setMaximumTrackImage(std::shared_ptr<Image> image) { maxTrack_ = std::move(image); }
  Color minimumTrackTintColor() const { return minTint_; }
  void setMinimumTrackTintColor(const Color& color) { minTint_ = color; }

  // The centre of the thumb for the current value, in own coordinates.
  Point thumbCenter() const;

  bool cancelsTrackingForScroll() const override { return false; }
  void drawRect(DrawContext& context, const Rect& rect) override;

 protected:
  bool beginTracking(const Touch& touch) override;
  bool continueTracking(const Touch& touch) override;
  void endTracking(const Touch& touch) override;

 private:
  double thumbSize() const;
  void follow(const Touch& touch);

  double value_ = 0;
  double minimum_ = 0;
  double maximum_ = 1;
  bool continuous_ = true;
  std::shared_ptr<Image> thumb_;
  std::shared_ptr<Image> minTrack_;
  std::shared_ptr<Image> maxTrack_;
  Color minTint_ = Color::rgb255(0, 122, 255);
};

}  // namespace plat
