// A label: text in a font and colour, aligned, on one or more lines, truncated or wrapped,
// optionally shrinking its font to fit the width. Centred vertically in its bounds.
#pragma once

#include <memory>
#include <string>

#include "platform/draw/TextLayout.h"
#include "platform/view/View.h"

namespace plat {

class Label : public View {
 public:
  explicit Label(const Rect& frame = {});

  const std::string& text() const { return text_; }
  void setText(const std::string& text) { text_ = text; }
  const Font& font() const { return font_; }
  void setFont(const Font& font) { font_ = font; }
  Color textColor() const { return textColor_; }
  void setTextColor(const Color& color) { textColor_ = color; }
  Color highlightedTextColor() const { return highlightedTextColor_; }
  void setHighlightedTextColor(const Color& color) { highlightedTextColor_ = color; }
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted) { highlighted_ = highlighted; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }
  TextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(TextAlignment alignment) { alignment_ = alignment; }
  int numberOfLines() const { return lines_; }  // 0: as many as needed
  void setNumberOfLines(int lines) { lines_ = lines < 0 ? 0 : lines; }
  LineBreakMode lineBreakMode() const { return lineBreak_; }
  void setLineBreakMode(LineBreakMode mode) { lineBreak_ = mode; }
  bool adjustsFontSizeToFitWidth() const { return shrinks_; }
  void setAdjustsFontSizeToFitWidth(bool shrinks) { shrinks_ = shrinks; }
  double minimumFontSize() const { return minimumFontSize_; }
  void setMinimumFontSize(double size) { minimumFontSize_ = size; }
  Color shadowColor() const { return shadowColor_; }
  void setShadowColor(const Color& color) { shadowColor_ = color; }
  Size shadowOffset() const { return shadowOffset_; }
  void setShadowOffset(Size offset) { shadowOffset_ = offset; }

  // The font the text is drawn in within `width`: smaller than font() when it shrinks to fit.
  Font fittedFont(double width) const;
  // Where the text goes within `bounds`, limited to `lines` lines (0: no limit).
  virtual Rect textRectForBounds(const Rect& bounds, int lines) const;
  // Draws the text into `rect`; subclasses draw it elsewhere (inside insets, say).
  virtual void drawTextInRect(DrawContext& context, const Rect& rect);

  Size sizeThatFits(Size size) const override;
  void drawRect(DrawContext& context, const Rect& rect) override;
  std::string displayedText() const override { return text_; }

 private:
  TextLayout::Options layoutOptions(double width, double height) const;
  // The layout of the text in `rect`: the one drawn last while text, font and limits are the
  // same (the display pass draws a label and the screen's picture draws it again).
  const TextLayout& layoutIn(const Rect& rect);

  struct DrawnLayout {
    std::string text;
    Font font;
    TextLayout::Options options;
    std::unique_ptr<TextLayout> layout;
  };
  DrawnLayout drawn_;

  std::string text_;
  Font font_ = Font::system(17);
  Color textColor_ = Color::black();
  Color highlightedTextColor_ = Color::clear();
  bool highlighted_ = false;
  bool enabled_ = true;
  TextAlignment alignment_ = TextAlignment::Left;
  int lines_ = 1;
  LineBreakMode lineBreak_ = LineBreakMode::TruncateTail;
  bool shrinks_ = false;
  double minimumFontSize_ = 0;
  Color shadowColor_ = Color::clear();
  Size shadowOffset_{0, -1};
};

}  // namespace plat
