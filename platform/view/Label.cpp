#include "platform/view/Label.h"

#include <algorithm>
#include <cmath>

namespace plat {
namespace {

// The smallest size a shrinking label goes to when no minimum was given.
constexpr double kSmallestReadableSize = 6;

}  // namespace

Label::Label(const Rect& frame) : View(frame) {
  setUserInteractionEnabled(false);
  setOpaque(false);
}

TextLayout::Options Label::layoutOptions(double width, double height) const {
  TextLayout::Options options;
  options.maxWidth = width;
  options.maxHeight = height;
  options.maxLines = lines_;
  options.lineBreak = lineBreak_;
  options.alignment = alignment_;
  return options;
}

Font Label::fittedFont(double width) const {
  if (!shrinks_ || lines_ != 1 || text_.empty() || width <= 0) return font_;
  double natural = measureText(text_, font_).width;
  if (natural <= width) return font_;
  double smallest = std::min(font_.size, std::max(minimumFontSize_, kSmallestReadableSize));
  double size = std::max(smallest, std::floor(font_.size * width / natural * 2) / 2);
  while (size > smallest && measureText(text_, font_.withSize(size)).width > width) size -= 0.5;
  return font_.withSize(std::max(size, smallest));
}

Rect Label::textRectForBounds(const Rect& bounds, int lines) const {
  TextLayout::Options options = layoutOptions(bounds.width, 0);
  options.maxLines = lines;
  Size size = TextLayout(text_, fittedFont(bounds.width), options).size();
  return {bounds.x, bounds.y, std::min(size.width, bounds.width), size.height};
}

const TextLayout& Label::layoutIn(const Rect& rect) {
  const Font font = fittedFont(rect.width);
  const TextLayout::Options options = layoutOptions(rect.width, rect.height);
  if (!drawn_.layout || drawn_.text != text_ || drawn_.font != font || drawn_.options != options) {
    drawn_ = {text_, font, options, std::make_unique<TextLayout>(text_, font, options)};
  }
  return *drawn_.layout;
}

void Label::drawTextInRect(DrawContext& context, const Rect& rect) {
  if (text_.empty()) return;
  const TextLayout& layout = layoutIn(rect);
  double top = rect.y + (rect.height - layout.size().height) / 2;
  Color color = !enabled_                                          ? Color::white(0.56)
                : highlighted_ && !highlightedTextColor_.isClear() ? highlightedTextColor_
                                                                   : textColor_;
  context.save();
  if (!shadowColor_.isClear()) {
    context.setFillColor(shadowColor_);
    layout.draw(context, {rect.x + shadowOffset_.width, top + shadowOffset_.height});
  }
  context.setFillColor(color);
  layout.draw(context, {rect.x, top});
  context.restore();
}

void Label::drawRect(DrawContext& context, const Rect&) {
  drawTextInRect(context, bounds());
}

Size Label::sizeThatFits(Size size) const {
  if (text_.empty()) return {0, 0};
  double width = lines_ == 1 ? 0 : size.width;
  TextLayout::Options options = layoutOptions(width, 0);
  if (lines_ == 1) options.lineBreak = LineBreakMode::Clip;
  return TextLayout(text_, font_, options).size();
}

}  // namespace plat
