#include "ui/MyTextView.h"

MyTextView::MyTextView(const plat::Rect& frame) : TextView(frame) {
  plat::NotificationCenter::defaultCenter().addObserver(
      this, plat::kTextViewTextDidChangeNotification, nullptr,
      [this](const plat::Notification& notification) { textChanged(notification); });
}

MyTextView::~MyTextView() {
  plat::NotificationCenter::defaultCenter().removeObserver(this);
}

void MyTextView::textChanged(const plat::Notification&) {
  textChange();
}

void MyTextView::textChange() {
  if (placeholder_.empty()) return;
  // The label exists only after the first drawing with a placeholder; looked up by its tag as
  // the drawing placed it.
  if (View* label = viewWithTag(kPlaceholderTag)) label->setAlpha(text().empty() ? 1 : 0);
}

void MyTextView::drawRect(plat::DrawContext& context, const plat::Rect& rect) {
  if (!placeholder_.empty()) {
    const plat::Rect start{kPlaceholderInset, kPlaceholderInset,
                           bounds().width - 2 * kPlaceholderInset, 0};
    if (!placeHolderLabel_) {
      placeHolderLabel_ = std::make_shared<plat::Label>(start);
      placeHolderLabel_->setLineBreakMode(plat::LineBreakMode::WordWrap);
      placeHolderLabel_->setNumberOfLines(0);
      placeHolderLabel_->setFont(font());
      placeHolderLabel_->setBackgroundColor(plat::Color::clear());
      placeHolderLabel_->setTextColor(placeholderColor_);
      placeHolderLabel_->setAlpha(0);
      placeHolderLabel_->setTag(kPlaceholderTag);
      addSubview(placeHolderLabel_);
    }
    placeHolderLabel_->setFrame(start);
    placeHolderLabel_->setText(placeholder_);
    placeHolderLabel_->sizeToFit();
    sendSubviewToBack(placeHolderLabel_.get());
  }
  if (text().empty() && !placeholder_.empty()) placeHolderLabel_->setAlpha(1);
  plat::TextView::drawRect(context, rect);
}
