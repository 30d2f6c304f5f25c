#include "platform/view/TextView.h"

#include <algorithm>

#include "platform/base/NotificationCenter.h"
#include "platform/base/Utf.h"
#include "platform/draw/TextLayout.h"

namespace plat {
namespace {

const Color kCaret = Color::rgb255(0, 122, 255);

}  // namespace

TextView::TextView(const Rect& frame)
    : ScrollView(frame), column_(std::make_unique<TextColumn>()) {
  setBackgroundColor(Color::white());
  setAlwaysBounceVertical(false);
  updateContentSize();
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

void TextView::setTextAlignment(TextAlignment alignment) {
  alignment_ = alignment;
  updateContentSize();
}

TextLayout::Options TextView::layoutOptions(double width) const {
  TextLayout::Options options;
  options.maxWidth = std::max(1.0, width - 2 * kInset);
  options.alignment = alignment_;
  return options;
}

Size TextView::textSize(double width) const {
  std::string measured = text_.empty() || text_.back() == '\n' ? text_ + " " : text_;
  return TextLayout(measured, font_, layoutOptions(width)).size();
}

void TextView::updateContentSize() {
  Rect b = bounds();
  column_->update(text_, font_, layoutOptions(b.width));
  setContentSize({b.width, column_->height() + 2 * kInset});
  setNeedsDisplay();
}

void TextView::setBounds(const Rect& bounds) {
  double oldWidth = this->bounds().width;
  ScrollView::setBounds(bounds);
  if (bounds.width != oldWidth) updateContentSize();
}

Size TextView::sizeThatFits(Size size) const {
  double width = size.width > 0 ? size.width : bounds().width;
  const double height = width == bounds().width ? column_->height() : textSize(width).height;
  return {width, height + 2 * kInset};
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
      *this, [this] { return askToEnd(); }, [this] { tellEnded(); });
}

bool TextView::askToEnd() {
  return !textDelegate_ || textDelegate_->shouldEndEditing(*this);
}

void TextView::tellEnded() {
  editing_ = false;
  if (textDelegate_) textDelegate_->didEndEditing(*this);
  NotificationCenter::defaultCenter().post(kTextViewTextDidEndEditingNotification, this);
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

std::string TextView::fittingPaste(const std::string& pasted) const {
  if (pasteCutAtUnits_ == 0) return pasted;
  const size_t held = utf::utf16Length(text_);
  return held >= pasteCutAtUnits_ ? std::string()
                                  : utf::substringUtf16(pasted, 0, pasteCutAtUnits_ - held);
}

void TextView::insertPasted(const std::string& text) {
  if (!editable_) return;
  const std::string fitting = fittingPaste(text);
  if (fitting.empty() || !textedit::append(text_, fitting, changeCheck())) return;
  userChanged();
  if (!editing_) textedit::endAgain([this] { return askToEnd(); }, [this] { tellEnded(); });
}

void TextView::pasteTooLong() {
  if (textDelegate_) {
    textDelegate_->pasteTooLong(*this);
  } else {
    sayPasteTooLong();
  }
}

void TextViewDelegate::pasteTooLong(TextView& view) {
  view.sayPasteTooLong();
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
  // The bounds are the part of the content in view.
  const Rect b = bounds();
  context.setFillColor(textColor_);
  column_->draw(context, {kInset, kInset}, b.y - kInset, b.y + b.height - kInset);
  if (editing_) {
    const double maxWidth = std::max(1.0, b.width - 2 * kInset);
    const Rect caret = column_->caretAtEnd();
    context.setFillColor(kCaret);
    context.fillRect({kInset + std::min(caret.x, maxWidth - 2), kInset + caret.y, 2,
                      caret.height > 0 ? caret.height : font_.lineHeight()});
  }
}

}  // namespace plat
