#include "platform/view/TextField.h"

#include "platform/base/NotificationCenter.h"
#include "platform/draw/TextLayout.h"
#include "platform/view/FieldLine.h"

namespace plat {
namespace {

const Color kPlaceholder = Color::white(0.7);
const Color kCaret = Color::rgb255(0, 122, 255);
constexpr double kClearButtonWidth = 19;
constexpr double kCaretWidth = 2;

void post(const std::string& name, const TextField* field) {
  NotificationCenter::defaultCenter().post(name, field);
}

}  // namespace

TextField::TextField(const Rect& frame) : Control(frame) {
  setOpaque(false);
  setContentHorizontalAlignment(ContentHorizontalAlignment::Left);
}

bool TextField::showsClearButton() const {
  const bool shown = clearMode_ == TextFieldViewMode::Always ||
                     (clearMode_ == TextFieldViewMode::WhileEditing && editing_) ||
                     (clearMode_ == TextFieldViewMode::UnlessEditing && !editing_);
  return shown && !text_.empty() && isEnabled();
}

Rect TextField::clearButtonRectForBounds(const Rect& bounds) const {
  const double inset = borderStyle_ == TextBorderStyle::None ? 0 : 5;
  return {bounds.maxX() - inset - kClearButtonWidth, bounds.midY() - kClearButtonWidth / 2,
          kClearButtonWidth, kClearButtonWidth};
}

Rect TextField::textRectForBounds(const Rect& bounds) const {
  double inset = borderStyle_ == TextBorderStyle::None ? 0 : 7;
  Rect r = bounds.inset({0, inset, 0, inset});
  if (showsClearButton()) r.width -= kClearButtonWidth + 4;
  return r;
}

Rect TextField::editingRectForBounds(const Rect& bounds) const {
  return textRectForBounds(bounds);
}

Rect TextField::placeholderRectForBounds(const Rect& bounds) const {
  return textRectForBounds(bounds);
}

bool TextField::becomeFirstResponder() {
  return textedit::beginEditing(
      *this, [this] { return !delegate_ || delegate_->shouldBeginEditing(*this); },
      [this] {
        editing_ = true;
        if (clearsOnBegin_) text_.clear();
        sendActions(kEditingDidBegin);
        if (delegate_) delegate_->didBeginEditing(*this);
        post(kTextFieldTextDidBeginEditingNotification, this);
      });
}

bool TextField::resignFirstResponder() {
  return textedit::endEditing(
      *this, [this] { return askToEnd(); }, [this] { tellEnded(); });
}

bool TextField::askToEnd() {
  return !delegate_ || delegate_->shouldEndEditing(*this);
}

void TextField::tellEnded() {
  editing_ = false;
  sendActions(kEditingDidEnd);
  if (delegate_) delegate_->didEndEditing(*this);
  post(kTextFieldTextDidEndEditingNotification, this);
}

void TextField::changed() {
  sendActions(kEditingChanged);
  post(kTextFieldTextDidChangeNotification, this);
}

textedit::ChangeCheck TextField::changeCheck() {
  if (!delegate_) return nullptr;
  return [this](TextRange range, const std::string& text) {
    return delegate_->shouldChangeCharacters(*this, range, text);
  };
}

void TextField::insertText(const std::string& text) {
  if (!editing_) return;
  if (text == "\n") {
    returnKey();
    return;
  }
  if (textedit::append(text_, text, changeCheck())) changed();
}

void TextField::insertPasted(const std::string& text) {
  if (text == "\n") return insertText(text);  // the return key, as typed
  // A field with a picker for its input (a time) holds what the picker set, not a text.
  if (inputView_) return;
  if (!isEnabled() || !textedit::append(text_, text, changeCheck())) return;
  changed();
  if (!editing_) textedit::endAgain([this] { return askToEnd(); }, [this] { tellEnded(); });
}

void TextField::deleteBackward() {
  if (editing_ && textedit::deleteLast(text_, changeCheck())) changed();
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
  if (touches.empty() || !isEnabled()) return;
  const Point point = touches.front()->locationIn(this);
  if (!pointInside(point)) return;
  // The clear button sits a little larger to the finger than it is drawn.
  if (showsClearButton() && clearButtonRectForBounds(bounds()).insetBy(-6, -6).contains(point)) {
    clear();
    return;
  }
  becomeFirstResponder();
}

Rect TextField::shownArea() const {
  const Rect b = bounds();
  return text_.empty() ? placeholderRectForBounds(b)
         : editing_    ? editingRectForBounds(b)
                       : textRectForBounds(b);
}

std::string TextField::shownText() const {
  return shownText(shownArea().width);
}

std::string TextField::shownText(double width) const {
  if (text_.empty()) return std::string(fieldline::head(placeholder_, font_, width));
  std::string_view text = text_;
  std::string hidden;
  if (secure_) {
    const size_t most = fieldline::kMostShownCharacters;
    hidden = textedit::bullets(
        std::string(editing_ ? fieldline::last(text, most) : fieldline::first(text, most)));
    text = hidden;
  }
  return std::string(editing_ ? fieldline::tail(text, font_, width)
                              : fieldline::head(text, font_, width));
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
  const bool showsPlaceholder = text_.empty();
  const Rect area = shownArea();
  const std::string shown = shownText(area.width);
  double lineHeight = font_.lineHeight();
  double top = area.y + (area.height - lineHeight) / 2;
  // Text wider than the field, while it is edited, scrolls so that its end and the caret after it
  // stay in view; otherwise it is cut at the field's end.
  const double shownWidth = measureText(shown, font_).width;
  const bool scrolled = editing_ && !showsPlaceholder && shownWidth + kCaretWidth > area.width;
  TextLayout::Options options;
  options.maxWidth = scrolled ? 0 : area.width;
  options.maxLines = 1;
  options.lineBreak = LineBreakMode::Clip;
  options.alignment = scrolled ? TextAlignment::Left : alignment_;
  TextLayout layout(shown, font_, options);
  const double textX = scrolled ? area.maxX() - kCaretWidth - shownWidth : area.x;
  context.save();
  context.clipToRect(area);
  context.setFillColor(showsPlaceholder ? kPlaceholder : textColor_);
  // One clipped line is laid out unbounded, so the alignment is applied here; a scrolled text
  // is placed with its end at the caret.
  double left = area.x;
  const double spare = area.width - layout.size().width;
  if (scrolled) {
    left = textX;
  } else if (spare > 0 && alignment_ == TextAlignment::Center) {
    left += spare / 2;
  } else if (spare > 0 && alignment_ == TextAlignment::Right) {
    left += spare;
  }
  layout.draw(context, {left, top});
  context.restore();
  if (editing_) {
    double x =
        showsPlaceholder ? area.x : area.x + std::min(area.width, double(layout.size().width));
    if (scrolled) {
      x = area.maxX() - kCaretWidth;
    } else if (alignment_ == TextAlignment::Center && !showsPlaceholder) {
      x = area.x + (area.width + layout.size().width) / 2;
    }
    context.setFillColor(kCaret);
    context.fillRect({x, top, kCaretWidth, lineHeight});
  }
  if (showsClearButton()) drawClearButton(context, clearButtonRectForBounds(b));
}

void TextField::drawClearButton(DrawContext& context, const Rect& r) {
  context.setFillColor(Color::white(0.7));
  context.fillEllipse(r);
  const Point c = r.center();
  const double arm = r.width * 0.2;
  context.setStrokeColor(Color::white());
  context.setLineWidth(1.5);
  context.strokeLine({c.x - arm, c.y - arm}, {c.x + arm, c.y + arm});
  context.strokeLine({c.x + arm, c.y - arm}, {c.x - arm, c.y + arm});
}

}  // namespace plat
