// A long text laid out once for a column of one width, paragraph by paragraph, so that drawing
// costs what shows and a change costs the paragraphs it touched. The text views keep one: an
// editor of a 300 KB text draws a screenful a frame, and typing at its end lays out one paragraph.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/draw/Font.h"
#include "platform/draw/Geometry.h"
#include "platform/draw/TextLayout.h"

namespace plat {

class DrawContext;

class TextColumn {
 public:
  TextColumn();
  ~TextColumn();
  TextColumn(const TextColumn&) = delete;
  TextColumn& operator=(const TextColumn&) = delete;

  // Lays out what changed: paragraphs whose text, and the font and options, are unchanged keep
  // their layout. A text ending in a line break ends in an empty line, which counts.
  void update(const std::string& text, const Font& font, const TextLayout::Options& options);

  // The height of all lines (at least one line's), rounded up to whole points.
  double height() const { return height_; }
  // Where a caret after the last character stands, relative to the text's top left.
  Rect caretAtEnd() const;
  // Draws the lines that meet [top, bottom) of the text's own coordinates, with the text's top
  // left at `origin`, in the context's fill colour.
  void draw(DrawContext& context, Point origin, double top, double bottom) const;

 private:
  struct Paragraph;
  const TextLayout& layoutOf(const Paragraph& paragraph) const;

  Font font_ = Font::system(12);
  TextLayout::Options options_;
  std::vector<std::unique_ptr<Paragraph>> paragraphs_;
  double height_ = 0;
};

}  // namespace plat
