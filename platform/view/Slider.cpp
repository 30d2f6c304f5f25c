#include "platform/view/Slider.h"

#include <algorithm>

namespace plat {

Slider::Slider(const Rect& frame) : Control(frame) {
  setOpaque(false);
}

void Slider::setValue(double value, bool) {
  value_ = std::clamp(value, minimum_, maximum_);
}

void Slider::setMinimumValue(double value) {
  minimum_ = value;
  maximum_ = std::max(maximum_, minimum_);
  setValue(value_);
}

void Slider::setMaximumValue(double value) {
  maximum_ = value;
  minimum_ = std::min(minimum_, maximum_);
  setValue(value_);
}

double Slider::thumbSize() const {
  return thumb_ ? thumb_->size().width : 28;
}

Point Slider::thumbCenter() const {
  Rect b = bounds();
  double span = maximum_ - minimum_;
  double f = span > 0 ? (value_ - minimum_) / span : 0;
  double half = thumbSize() / 2;
  return {b.x + half + f * std::max(0.0, b.width - 2 * half), b.midY()};
}

void Slider::follow(const Touch& touch) {
  Rect b = bounds();
  double half = thumbSize() / 2;
  double track = std::max(1.0, b.width - 2 * half);
  double f = std::clamp((touch.locationIn(this).x - b.x - half) / track, 0.0, 1.0);
  value_ = minimum_ + f * (maximum_ - minimum_);
}

bool Slider::beginTracking(const Touch& touch) {
  follow(touch);
  if (continuous_) sendActions(kValueChanged);
  return true;
}

bool Slider::continueTracking(const Touch& touch) {
  follow(touch);
  if (continuous_) sendActions(kValueChanged);
  return true;
}

void Slider::endTracking(const Touch& touch) {
  follow(touch);
  sendActions(kValueChanged);
}

void Slider::drawRect(DrawContext& context, const Rect&) {
  Rect b = bounds();
  Point thumb = thumbCenter();
  Rect before(b.x, b.midY() - 1, thumb.x - b.x, 2);
  Rect after(thumb.x, b.midY() - 1, b.maxX() - thumb.x, 2);
  if (minTrack_) {
    context.drawImage(*minTrack_, {before.x, b.midY() - minTrack_->size().height / 2, before.width,
                                   minTrack_->size().height});
  } else {
    context.setFillColor(minTint_);
    context.fillRect(before);
  }
  if (maxTrack_) {
    context.drawImage(*maxTrack_, {after.x, b.midY() - maxTrack_->size().height / 2, after.width,
                                   maxTrack_->size().height});
  } else {
    context.setFillColor(Color::white(0.72));
    context.fillRect(after);
  }
  double size = thumbSize();
  Rect knob(thumb.x - size / 2, thumb.y - size / 2, size, size);
  if (thumb_) {
    context.drawImage(*thumb_,
                      {thumb.x - thumb_->size().width / 2, thumb.y - thumb_->size().height / 2,
                       thumb_->size().width, thumb_->size().height});
  } else {
    context.setFillColor(Color::white());
    context.setStrokeColor(Color::white(0.8));
    context.setLineWidth(1);
    context.beginPath();
    context.addEllipse(knob.insetBy(0.5, 0.5));
    context.drawPath(PathDrawingMode::FillStroke);
  }
}

}  // namespace plat
