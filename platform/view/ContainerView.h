// A plain view that tells its owner when it lays out its subviews; containers of view
// controllers use it to place their bars and their children's views.
#pragma once

#include <functional>

#include "platform/view/View.h"

namespace plat {

class ContainerView : public View {
 public:
  explicit ContainerView(const Rect& frame, std::function<void()> onLayout)
      : View(frame), onLayout_(std::move(onLayout)) {}
  void layoutSubviews() override {
    if (onLayout_) onLayout_();
  }

 private:
  std::function<void()> onLayout_;
};

}  // namespace plat
