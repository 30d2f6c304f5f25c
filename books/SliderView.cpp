#include "books/SliderView.h"

#include <cmath>

#include "platform/base/RunLoop.h"
#include "platform/view/Animation.h"

using plat::Rect;

SliderView::SliderView(const Rect& frame) : View(frame) {
  using namespace plat;
  setBackgroundColor(Color::clear());
  setOpaque(false);
  setAutoresizingMask(kFlexibleLeftMargin | kFlexibleHeight);
  // Laid lengthwise, then turned upright about its centre: 25 wide, 40 shorter than the overlay,
  // 30 left of the right edge and 20 from the top.
  const double length = frame.height - 40;
  moveSlider_ = std::make_shared<Slider>(Rect{0, 0, length, 25});
  moveSlider_->setCenter({frame.width - 30 + 12.5, 20 + length / 2});
  moveSlider_->setTransform(AffineTransform::rotation(M_PI / 2));
  moveSlider_->setMinimumValue(0);
  moveSlider_->setMaximumValue(100);
  moveSlider_->setValue(0);
  moveSlider_->setAlpha(0);
  moveSlider_->addTarget([this](Control&) { slider_valuechange(); }, kValueChanged);
  moveSlider_->addTarget([this](Control&) { slider_beginDrag(); }, kTouchDown);
  moveSlider_->addTarget([this](Control&) { slider_endDrag(); }, kTouchUpInside | kTouchUpOutside);
  addSubview(moveSlider_);
}

SliderView::~SliderView() {
  plat::RunLoop::main().cancelPerforms(this);
}

void SliderView::showSlider() {
  plat::Animation::animate(0.3, [this] { moveSlider_->setAlpha(kShownAlpha); });
}

void SliderView::hideSlider() {
  plat::Animation::animate(0.3, [this] { moveSlider_->setAlpha(0); });
}

void SliderView::hideAfter(double seconds) {
  plat::RunLoop::main().performAfter(seconds, this, "hideSlider", [this] { hideSlider(); });
}

void SliderView::cancelHides() {
  plat::RunLoop::main().cancelPerforms(this, "hideSlider");
}

void SliderView::touchesBegan(const plat::TouchSet&) {
  showSlider();
  hideAfter(2.0);
}

void SliderView::begin_scroll() {
  cancelHides();
  showSlider();
}

void SliderView::end_scroll() {
  hideAfter(0.2);
}

void SliderView::slider_valuechange() {
  if (deleage_) deleage_->slider_valuechange(static_cast<int>(moveSlider_->value()));
}

void SliderView::slider_beginDrag() {
  cancelHides();
}

void SliderView::slider_endDrag() {
  hideAfter(0.2);
  if (deleage_) deleage_->slider_endDrag();
}
