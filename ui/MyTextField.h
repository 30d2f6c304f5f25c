// A one-line text field whose text sits 5 points in from its sides, also while editing.
#pragma once

#include "platform/view/TextField.h"

class MyTextField : public plat::TextField {
 public:
  static constexpr double kSideInset = 5;

  using plat::TextField::TextField;

  plat::Rect textRectForBounds(const plat::Rect& bounds) const override;
  plat::Rect editingRectForBounds(const plat::Rect& bounds) const override;
};
