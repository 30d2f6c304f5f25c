// The fast-scroll overlay at the right edge of a long text: an upright slider that fades in while
// the learner touches or scrolls and fades out shortly after.
#pragma once

#include <memory>

#include "platform/view/Slider.h"
#include "platform/view/View.h"

class SliderViewDeleage {
 public:
  virtual ~SliderViewDeleage() = default;
  virtual void slider_valuechange(int /*value*/) {}
  virtual void slider_endDrag() {}
};

class SliderView : public plat::View {
 public:
  static constexpr double kShownAlpha = 0.7;

  explicit SliderView(const plat::Rect& frame);
  ~SliderView() override;

  SliderViewDeleage* deleage() const { return deleage_; }
  void setDeleage(SliderViewDeleage* delegate) { deleage_ = delegate; }
  plat::Slider& moveSlider() { return *moveSlider_; }

  void showSlider();
  void hideSlider();
  void begin_scroll();
  void end_scroll();
  void slider_valuechange();
  void slider_beginDrag();
  void slider_endDrag();

  void touchesBegan(const plat::TouchSet& touches) override;
  void touchesEnded(const plat::TouchSet&) override {}

 private:
  void hideAfter(double seconds);
  void cancelHides();

  std::shared_ptr<plat::Slider> moveSlider_;
  SliderViewDeleage* deleage_ = nullptr;
};
