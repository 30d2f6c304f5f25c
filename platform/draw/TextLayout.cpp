#include "platform/draw/TextLayout.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/draw/DrawContext.h"
#include "platform/draw/PangoText.h"
#include "platform/draw/QuoteMarks.h"

namespace plat {
namespace {

// Rounds up, ignoring what floating point noise adds to a whole number.
double ceilPoints(double v) {
  return std::ceil(v - 1e-6);
}

bool truncates(LineBreakMode mode) {
  return mode == LineBreakMode::TruncateHead || mode == LineBreakMode::TruncateTail ||
         mode == LineBreakMode::TruncateMiddle;
}

PangoEllipsizeMode ellipsizeFor(LineBreakMode mode) {
  switch (mode) {
    case LineBreakMode::TruncateHead:
      return PANGO_ELLIPSIZE_START;
    case LineBreakMode::TruncateMiddle:
      return PANGO_ELLIPSIZE_MIDDLE;
    case LineBreakMode::TruncateTail:
      return PANGO_ELLIPSIZE_END;
    default:
      return PANGO_ELLIPSIZE_NONE;
  }
}

}  // namespace

TextLayout::TextLayout(const std::string& text, const Font& font, const Options& options)
    : maxWidth_(options.maxWidth) {
  layout_ = pango_layout_new(pangotext::context());
  pango_layout_set_font_description(layout_, pangotext::description(font));
  pango_layout_set_text(layout_, text.data(), static_cast<int>(text.size()));
  // Pango adds a hyphen where it breaks inside a word; the platform's text never does, and in a
  // phonetic transcription a hyphen would read as part of it.
  PangoAttrList* attributes = pango_attr_list_new();
  pango_attr_list_insert(attributes, pango_attr_insert_hyphens_new(FALSE));
  // The system font's quotation marks are full-width; English text takes a Latin face's.
  const std::vector<ByteRange> marks = westernQuoteMarks(text);
  const std::string latinFamilies = marks.empty() ? "" : pangotext::latinFamilyList(font.family);
  for (const ByteRange& mark : marks) {
    PangoAttribute* latin = pango_attr_family_new(latinFamilies.c_str());
    latin->start_index = static_cast<guint>(mark.start);
    latin->end_index = static_cast<guint>(mark.end);
    pango_attr_list_insert(attributes, latin);
  }
  pango_layout_set_attributes(layout_, attributes);
  pango_attr_list_unref(attributes);

  bool singleClippedLine = options.maxLines == 1 && options.lineBreak == LineBreakMode::Clip;
  if (options.maxWidth > 0 && !singleClippedLine) {
    pango_layout_set_width(layout_, pango_units_from_double(options.maxWidth));
    pango_layout_set_wrap(layout_, options.lineBreak == LineBreakMode::CharWrap
                                       ? PANGO_WRAP_CHAR
                                       : PANGO_WRAP_WORD_CHAR);
    // Truncation marks the last line a limit allows; with no limit every line shows.
    int lastLines = options.maxLines > 0 ? -options.maxLines : 0;
    if (truncates(options.lineBreak) && (lastLines || options.maxHeight > 0)) {
      pango_layout_set_ellipsize(layout_, ellipsizeFor(options.lineBreak));
      pango_layout_set_height(layout_,
                              lastLines ? lastLines : pango_units_from_double(options.maxHeight));
    }
  }
  switch (options.alignment) {
    case TextAlignment::Center:
      pango_layout_set_alignment(layout_, PANGO_ALIGN_CENTER);
      break;
    case TextAlignment::Right:
      pango_layout_set_alignment(layout_, PANGO_ALIGN_RIGHT);
      break;
    case TextAlignment::Justified:
      pango_layout_set_justify(layout_, TRUE);
      break;
    default:
      pango_layout_set_alignment(layout_, PANGO_ALIGN_LEFT);
      break;
  }

  // Keep the lines the limits allow; at least one stays so that something shows.
  PangoLayoutIter* iter = pango_layout_get_iter(layout_);
  double width = 0;
  int total = 0;
  do {
    PangoRectangle logical;
    pango_layout_iter_get_line_extents(iter, nullptr, &logical);
    double bottom = pango_units_to_double(logical.y + logical.height);
    bool overLines = options.maxLines > 0 && lineCount_ >= options.maxLines;
    bool overHeight = options.maxHeight > 0 && bottom > options.maxHeight + 1e-6;
    ++total;
    if (lineCount_ > 0 && (overLines || overHeight)) continue;
    ++lineCount_;
    keptHeight_ = bottom;
    PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
    PangoRectangle lineLogical;
    pango_layout_line_get_extents(line, nullptr, &lineLogical);
    width = std::max(width, pango_units_to_double(lineLogical.width));
  } while (pango_layout_iter_next_line(iter));
  pango_layout_iter_free(iter);
  clipped_ = total > lineCount_ || singleClippedLine;
  if (singleClippedLine && options.maxWidth > 0) width = std::min(width, options.maxWidth);
  exactWidth_ = width;
  size_ = {ceilPoints(width), ceilPoints(keptHeight_)};
}

TextLayout::~TextLayout() {
  g_object_unref(layout_);
}

double TextLayout::baseline() const {
  return pango_units_to_double(pango_layout_get_baseline(layout_));
}

Rect TextLayout::caretAtEnd() const {
  PangoRectangle at;
  pango_layout_index_to_pos(layout_, static_cast<int>(std::strlen(pango_layout_get_text(layout_))),
                            &at);
  return {pango_units_to_double(at.x), pango_units_to_double(at.y), pango_units_to_double(at.width),
          pango_units_to_double(at.height)};
}

int TextLayout::unknownGlyphCount() const {
  return pango_layout_get_unknown_glyphs_count(layout_);
}

void TextLayout::draw(DrawContext& context, Point origin) const {
  cairo_t* cr = context.cairo();
  cairo_save(cr);
  if (clipped_) {
    double clipWidth = maxWidth_ > 0 ? maxWidth_ : size_.width;
    cairo_rectangle(cr, origin.x, origin.y, clipWidth, keptHeight_);
    cairo_clip(cr);
  }
  context.applyFillSource();
  cairo_move_to(cr, origin.x, origin.y);
  pango_cairo_show_layout(cr, layout_);
  cairo_restore(cr);
}

void TextLayout::drawLines(DrawContext& context, Point origin, double top, double bottom) const {
  cairo_t* cr = context.cairo();
  cairo_save(cr);
  context.applyFillSource();
  PangoLayoutIter* iter = pango_layout_get_iter(layout_);
  int index = 0;
  do {
    if (index++ >= lineCount_) break;  // past the lines the limits keep
    PangoRectangle logical;
    pango_layout_iter_get_line_extents(iter, nullptr, &logical);
    const double lineTop = pango_units_to_double(logical.y);
    if (lineTop >= bottom) break;
    if (lineTop + pango_units_to_double(logical.height) <= top) continue;
    cairo_move_to(cr, origin.x + pango_units_to_double(logical.x),
                  origin.y + pango_units_to_double(pango_layout_iter_get_baseline(iter)));
    pango_cairo_show_layout_line(cr, pango_layout_iter_get_line_readonly(iter));
  } while (pango_layout_iter_next_line(iter));
  pango_layout_iter_free(iter);
  cairo_restore(cr);
}

Size measureText(const std::string& text, const Font& font) {
  return TextLayout(text, font).size();
}

Size measureText(const std::string& text, const Font& font, Size constraint,
                 LineBreakMode lineBreak) {
  TextLayout::Options options;
  options.maxWidth = constraint.width;
  options.maxHeight = constraint.height;
  options.lineBreak = lineBreak;
  return TextLayout(text, font, options).size();
}

}  // namespace plat
