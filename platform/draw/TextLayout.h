// Text laid out for measuring and drawing: wrapping, line limits, truncation and alignment. The
// same layout answers both questions, so a measured size is what the drawn text covers.
#pragma once

#include <string>

#include "platform/draw/Font.h"
#include "platform/draw/Geometry.h"

typedef struct _PangoLayout PangoLayout;

namespace plat {

class DrawContext;

enum class LineBreakMode { WordWrap, CharWrap, Clip, TruncateHead, TruncateTail, TruncateMiddle };
enum class TextAlignment { Left, Center, Right, Justified, Natural };

class TextLayout {
 public:
  struct Options {
    double maxWidth = 0;   // wrapping width; 0 or less keeps each paragraph on one line
    double maxHeight = 0;  // lines below this are dropped (at least one line stays); 0: no limit
    int maxLines = 0;      // 0: no limit
    LineBreakMode lineBreak = LineBreakMode::WordWrap;
    TextAlignment alignment = TextAlignment::Left;

    bool operator==(const Options&) const = default;
  };

  TextLayout(const std::string& text, const Font& font, const Options& options);
  TextLayout(const std::string& text, const Font& font) : TextLayout(text, font, Options{}) {}
  ~TextLayout();
  TextLayout(const TextLayout&) = delete;
  TextLayout& operator=(const TextLayout&) = delete;

  // Width of the widest kept line and height of the kept lines, rounded up to whole points.
  Size size() const { return size_; }
  // The widest kept line's width before rounding, for callers that add up pieces of a line.
  double exactWidth() const { return exactWidth_; }
  // The kept lines' height before rounding, for callers that stack layouts.
  double exactHeight() const { return keptHeight_; }
  int lineCount() const { return lineCount_; }
  // Offset of the first line's baseline from the top of the text.
  double baseline() const;
  // Where a caret after the last character stands, relative to the text's top left: its x, the
  // top of its line and the line's height.
  Rect caretAtEnd() const;
  // Characters no installed font could show (drawn as boxes).
  int unknownGlyphCount() const;

  // Draws the kept lines with their top at `origin.y`; with a wrapping width the lines are
  // aligned within [origin.x, origin.x + maxWidth]. Uses the context's fill colour.
  void draw(DrawContext& context, Point origin) const;
  // The same, but only the lines that meet [top, bottom) of the text's own coordinates: a long
  // text drawn into a small window costs what shows.
  void drawLines(DrawContext& context, Point origin, double top, double bottom) const;

 private:
  PangoLayout* layout_ = nullptr;
  Size size_;
  double exactWidth_ = 0;
  double keptHeight_ = 0;
  bool clipped_ = false;
  int lineCount_ = 0;
  double maxWidth_ = 0;
};

// The size of `text` on one line (a newline starts another line).
Size measureText(const std::string& text, const Font& font);
// The size of `text` wrapped to the constraint's width and cut to the lines that fit its height.
Size measureText(const std::string& text, const Font& font, Size constraint,
                 LineBreakMode lineBreak = LineBreakMode::WordWrap);

}  // namespace plat
