#include "platform/view/TextView.h"

#include <algorithm>

#include "platform/base/NotificationCenter.h"
#include "platform/base/Utf.h"
#include "platform/draw/TextLayout.h"

namespace plat {
namespace {

const Color kCaret = Color::rgb255(0, 122, 255);

}  // namespace

TextView::TextView(const Rect& frame) : ScrollView(frame) {
  setBackgroundColor(Color::white());
  setAlwaysBounceVertical(false);
}

void TextView::setTextDelegate(TextViewDelegate* delegate) {
  textDelegate_ = delegate;
  setDelegate(delegate);
}

void TextView::setText(const std::string& text) {
  text_ = text;
  selected_ = textedit::appendRange(text_);
  updateContentSize();
}

void TextView::setFont(const Font& font) {
  font_ = font;
  updateContentSize();
}

void TextView::setEditable(bool editable) {
  editable_ = editable;
  if (!editable && isFirstResponder()) resignFirstResponder();
}

Size TextView::textSize(double width) const {
  TextLayout::Options options;
  options.maxWidth = std::max(1.0, width - 2 * kInset);
  options.alignment = alignment_;
  std::string measured = text_.empty() || text_.back() == '\n' ? text_ + " " : text_;
  return TextLayout(measured, font_, options).size();
}

void TextView::updateContentSize() {
  Rect b = bounds();
  setContentSize({b.width, textSize(b.width).height + 2 * kInset});
}

void TextView::setBounds(const Rect& bounds) {
  double oldWidth = this->bounds().width;
  ScrollView::setBounds(bounds);
  if (bounds.width != oldWidth) updateContentSize();
}

Size TextView::sizeThatFits(Size size) const {
  double width = size.width > 0 ? size.width : bounds().width;
  return {width, textSize(width).height + 2 * kInset};
}

void TextView::scrollToEnd(bool animated) {
  double bottom = std::max(minimumOffset().y, maximumOffset().y);
  setContentOffset({contentOffset().x, bottom}, animated);
}

bool TextView::becomeFirstResponder() {
  return textedit::beginEditing(
      *this, [this] { return !textDelegate_ || textDelegate_->shouldBeginEditing(*this); },
      [this] {
        editing_ = true;
        if (textDelegate_) textDelegate_->didBeginEditing(*this);
        NotificationCenter::defaultCenter().post(kTextViewTextDidBeginEditingNotification, this);
      });
}

bool TextView::resignFirstResponder() {
  return textedit::endEditing(
      *this, [this] { return !textDelegate_ || textDelegate_->shouldEndEditing(*this); },
      [this] {
        editing_ = false;
        if (textDelegate_) textDelegate_->didEndEditing(*this);
        NotificationCenter::defaultCenter().post(kTextViewTextDidEndEditingNotification, this);
      });
}

void TextView::userChanged() {
  selected_ = textedit::appendRange(text_);
  updateContentSize();
  // Typing happens at the end: the line being typed stays in view.
  scrollToEnd(false);
  if (textDelegate_) textDelegate_->didChange(*this);
  NotificationCenter::defaultCenter().post(kTextViewTextDidChangeNotification, this);
}

textedit::ChangeCheck TextView::changeCheck() {
  if (!textDelegate_) return nullptr;
  return [this](TextRange range, const std::string& text) {
    return textDelegate_->shouldChangeText(*this, range, text);
  };
}

void TextView::insertText(const std::string& text) {
  if (editing_ && textedit::append(text_, text, changeCheck())) userChanged();
}

void TextView::deleteBackward() {
  if (editing_ && textedit::deleteLast(text_, changeCheck())) userChanged();
}

void TextView::touchesEnded(const TouchSet& touches) {
  if (!touches.empty() && editable_ && pointInside(touches.front()->locationIn(this))) {
    becomeFirstResponder();
  }
}

void TextView::drawRect(DrawContext& context, const Rect&) {
  Rect b = bounds();
  TextLayout::Options options;
  options.maxWidth = std::max(1.0, b.width - 2 * kInset);
  options.alignment = alignment_;
  TextLayout layout(text_, font_, options);
  context.setFillColor(textColor_);
  layout.draw(context, {kInset, kInset});
  if (editing_) {
    const Rect caret = layout.caretAtEnd();
    context.setFillColor(kCaret);
    context.fillRect({kInset + std::min(caret.x, options.maxWidth - 2), kInset + caret.y, 2,
                      caret.height > 0 ? caret.height : font_.lineHeight()});
  }
}

}  // namespace plat
