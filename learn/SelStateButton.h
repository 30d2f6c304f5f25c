// A button with an on/off flag, the check box of the section order screen. It draws nothing of
// its own for the flag: its owner sets the image that shows the state.
#pragma once

#include "platform/view/Button.h"

class SelStateButton : public plat::Button {
 public:
  explicit SelStateButton(const plat::Rect& frame = {})
      : plat::Button(plat::ButtonType::Custom, frame) {}

  bool isSelState() const { return isSelState_; }
  void setIsSelState(bool on) { isSelState_ = on; }

 private:
  bool isSelState_ = false;
};
