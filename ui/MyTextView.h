// A multi-line text view that shows a grey placeholder text while it is empty.
#pragma once

#include <memory>
#include <string>

#include "platform/base/NotificationCenter.h"
#include "platform/view/Label.h"
#include "platform/view/TextView.h"

class MyTextView : public plat::TextView {
 public:
  static constexpr int kPlaceholderTag = 999;
  static constexpr double kPlaceholderInset = 8;

  explicit MyTextView(const plat::Rect& frame = {});
  ~MyTextView() override;

  // The did-change notification's handler: the placeholder shows only while the text is empty.
  void textChanged(const plat::Notification& notification);
  // The same, for text set in code (which posts no notification).
  void textChange();

  void drawRect(plat::DrawContext& context, const plat::Rect& rect) override;

  // Shown at the next drawing.
  const std::string& placeholder() const { return placeholder_; }
  void setPlaceholder(const std::string& placeholder) { placeholder_ = placeholder; }
  plat::Color placeholderColor() const { return placeholderColor_; }
  void setPlaceholderColor(const plat::Color& color) { placeholderColor_ = color; }
  // Made on the first drawing with a placeholder.
  const std::shared_ptr<plat::Label>& placeHolderLabel() const { return placeHolderLabel_; }
  void setPlaceHolderLabel(std::shared_ptr<plat::Label> label) {
    placeHolderLabel_ = std::move(label);
  }

 private:
  std::string placeholder_;
  plat::Color placeholderColor_ = plat::Color::lightGray();
  std::shared_ptr<plat::Label> placeHolderLabel_;
};
