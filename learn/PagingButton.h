// A paging button of the word card. Its owners show and hide it directly; the card hears of each
// change so that it can give the buttons a strip of their own under the page.
#pragma once

#include <functional>
#include <utility>

#include "platform/view/Button.h"

class PagingButton : public plat::Button {
 public:
  explicit PagingButton(const plat::Rect& frame) : plat::Button(plat::ButtonType::Custom, frame) {}

  void setOnVisibilityChange(std::function<void()> fn) { onVisibilityChange_ = std::move(fn); }

  void setHidden(bool hidden) override {
    const bool changed = hidden != isHidden();
    plat::Button::setHidden(hidden);
    if (changed && onVisibilityChange_) onVisibilityChange_();
  }

 private:
  std::function<void()> onVisibilityChange_;
};
