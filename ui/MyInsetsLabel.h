// A label that draws its text inside edge insets.
#pragma once

#include "platform/view/Label.h"

class MyInsetsLabel : public plat::Label {
 public:
  MyInsetsLabel(const plat::Rect& frame, const plat::EdgeInsets& insets)
      : Label(frame), insets_(insets) {}
  explicit MyInsetsLabel(const plat::EdgeInsets& insets) : insets_(insets) {}

  const plat::EdgeInsets& insets() const { return insets_; }
  void setInsets(const plat::EdgeInsets& insets) { insets_ = insets; }

  void drawTextInRect(plat::DrawContext& context, const plat::Rect& rect) override;

 private:
  plat::EdgeInsets insets_;
};
