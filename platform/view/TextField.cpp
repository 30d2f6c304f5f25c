#include "platform/view/TextField.h"

#include "platform/base/NotificationCenter.h"
#include "platform/draw/TextLayout.h"

namespace plat {
namespace {

const Color kPlaceholder = Color::white(0.7);
const Color kCaret = Color::rgb255(0, 122, 255);
constexpr double kClearButtonWidth = 19;

void post(const std::string& name, const TextField* field) {
  NotificationCenter::defaultCenter().post(name, field);
}

}  // namespace

TextField::TextField(const Rect& frame) : Control(frame) {
  setOpaque(false);
  setContentHorizontalAlignment(ContentHorizontalAlignment::Left);
}

Rect TextField::textRectForBounds(const Rect& bounds) const {
  double inset = borderStyle_ == TextBorderStyle::None ? 0 : 7;
  Rect r = bounds.inset({0, inset, 0, inset});
  bool clearShown = clearMode_ == TextFieldViewMode::Always ||
                    (clearMode_ == TextFieldViewMode::WhileEditing && editing_) ||
                    (clearMode_ == TextFieldViewMode::UnlessEditing && !editing_);
  if (clearShown && !text_.empty()) r.width -= kClearButtonWidth + 4;
  return r;
}

Rect TextField::editingRectForBounds(const Rect& bounds) const {
  return textRectForBounds(bounds);
}

Rect TextField::placeholderRectForBounds(const Rect& bounds) const {
  return textRectForBounds(bounds);
}

bool TextField::becomeFirstResponder() {
  if (isFirstResponder()) return true;
  if (!canBecomeFirstResponder() || !window()) return false;
  if (delegate_ && !delegate_->shouldBeginEditing(*this)) return false;
  if (!Keyboard::makeFirstResponder(this, false)) return false;
  editing_ = true;
  if (clearsOnBegin_) text_.clear();
  sendActions(kEditingDidBegin);
  if (delegate_) delegate_->didBeginEditing(*this);
  post(kTextFieldTextDidBeginEditingNotification, this);
  Keyboard::refresh();
  return true;
}

bool TextField::resignFirstResponder() {
  if (!isFirstResponder()) return true;
  if (delegate_ && !delegate_->shouldEndEditing(*this)) return false;
  editing_ = false;
  Keyboard::clearFirstResponder(this, false);
  sendActions(kEditingDidEnd);
  if (delegate_) delegate_->didEndEditing(*this);
  post(kTextFieldTextDidEndEditingNotification, this);
  Keyboard::refresh();
  return true;
}

void TextField::changed() {
  sendActions(kEditingChanged);
  post(kTextFieldTextDidChangeNotification, this);
}

void TextField::insertText(const std::string& text) {
  if (!editing_) return;
  if (text == "\n") {
    returnKey();
    return;
  }
  if (delegate_ && !delegate_->shouldChangeCharacters(*this, textedit::appendRange(text_), text)) {
    return;
  }
  text_ += text;
  changed();
}

void TextField::deleteBackward() {
  if (!editing_ || text_.empty()) return;
  if (delegate_ &&
      !delegate_->shouldChangeCharacters(*this, textedit::lastCharacterRange(text_), "")) {
    return;
  }
  text_ = textedit::dropLastCharacter(text_);
  changed();
}

void TextField::returnKey() {
  if (delegate_ && !delegate_->shouldReturn(*this)) return;
  if (hasTargets(kEditingDidEndOnExit)) {
    sendActions(kEditingDidEndOnExit);
    resignFirstResponder();
  }
}

void TextField::clear() {
  if (delegate_ && !delegate_->shouldClear(*this)) return;
  text_.clear();
  changed();
}

void TextField::touchesEnded(const TouchSet& touches) {
  Control::touchesEnded(touches);
  if (!touches.empty() && isEnabled() && pointInside(touches.front()->locationIn(this))) {
    becomeFirstResponder();
  }
}

void TextField::drawRect(DrawContext& context, const Rect&) {
  Rect b = bounds();
  if (background_) {
    context.drawImage(*background_, b);
  } else if (borderStyle_ == TextBorderStyle::RoundedRect) {
    context.setFillColor(Color::white());
    context.setStrokeColor(Color::white(0.8));
    context.setLineWidth(1);
    context.beginPath();
    context.addRoundedRect(b.insetBy(0.5, 0.5), 5);
    context.drawPath(PathDrawingMode::FillStroke);
  } else if (borderStyle_ != TextBorderStyle::None) {
    context.setStrokeColor(borderStyle_ == TextBorderStyle::Line ? Color::black()
                                                                 : Color::white(0.6));
    context.setLineWidth(1);
    context.strokeRect(b.insetBy(0.5, 0.5));
  }
  bool showsPlaceholder = text_.empty();
  Rect area = showsPlaceholder ? placeholderRectForBounds(b)
              : editing_       ? editingRectForBounds(b)
                               : textRectForBounds(b);
  std::string shown = showsPlaceholder ? placeholder_ : secure_ ? textedit::bullets(text_) : text_;
  TextLayout::Options options;
  options.maxWidth = area.width;
  options.maxLines = 1;
  options.lineBreak = LineBreakMode::Clip;
  options.alignment = alignment_;
  TextLayout layout(shown, font_, options);
  double lineHeight = font_.lineHeight();
  double top = area.y + (area.height - lineHeight) / 2;
  context.save();
  context.clipToRect(area);
  context.setFillColor(showsPlaceholder ? kPlaceholder : textColor_);
  layout.draw(context, {area.x, top});
  context.restore();
  if (editing_) {
    double x =
        showsPlaceholder ? area.x : area.x + std::min(area.width, double(layout.size().width));
    if (alignment_ == TextAlignment::Center && !showsPlaceholder) {
      x = area.x + (area.width + layout.size().width) / 2;
    }
    context.setFillColor(kCaret);
    context.fillRect({x, top, 2, lineHeight});
  }
}

}  // namespace plat
