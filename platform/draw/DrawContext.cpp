#include "platform/draw/DrawContext.h"

#include <cairo.h>

#include <cmath>

#include "platform/draw/Image.h"

namespace plat {

DrawContext::DrawContext(cairo_t* cr) : cr_(cairo_reference(cr)) {}

DrawContext::~DrawContext() {
  cairo_destroy(cr_);
}

void DrawContext::save() {
  cairo_save(cr_);
  saved_.push_back(state_);
}

void DrawContext::restore() {
  if (saved_.empty()) return;  // an unbalanced restore must not break the cairo state
  cairo_restore(cr_);
  state_ = saved_.back();
  saved_.pop_back();
}

void DrawContext::translate(double dx, double dy) {
  cairo_translate(cr_, dx, dy);
}
void DrawContext::scale(double sx, double sy) {
  if (sx != 0 && sy != 0) cairo_scale(cr_, sx, sy);  // a singular matrix would poison cairo
}
void DrawContext::rotate(double radians) {
  cairo_rotate(cr_, radians);
}

void DrawContext::concat(const AffineTransform& t) {
  if (std::fabs(t.a * t.d - t.b * t.c) < 1e-12) return;
  cairo_matrix_t m;
  cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
  cairo_transform(cr_, &m);
}

AffineTransform DrawContext::transform() const {
  cairo_matrix_t m;
  cairo_get_matrix(cr_, &m);
  return {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
}

void DrawContext::setLineWidth(double width) {
  cairo_set_line_width(cr_, width);
}

void DrawContext::setLineCap(LineCap cap) {
  cairo_set_line_cap(cr_, cap == LineCap::Round    ? CAIRO_LINE_CAP_ROUND
                          : cap == LineCap::Square ? CAIRO_LINE_CAP_SQUARE
                                                   : CAIRO_LINE_CAP_BUTT);
}

void DrawContext::setLineJoin(LineJoin join) {
  cairo_set_line_join(cr_, join == LineJoin::Round   ? CAIRO_LINE_JOIN_ROUND
                           : join == LineJoin::Bevel ? CAIRO_LINE_JOIN_BEVEL
                                                     : CAIRO_LINE_JOIN_MITER);
}

void DrawContext::setLineDash(const std::vector<double>& lengths, double phase) {
  cairo_set_dash(cr_, lengths.data(), static_cast<int>(lengths.size()), phase);
}

void DrawContext::beginPath() {
  cairo_new_path(cr_);
}
void DrawContext::moveTo(Point p) {
  cairo_move_to(cr_, p.x, p.y);
}

void DrawContext::lineTo(Point p) {
  if (cairo_has_current_point(cr_)) {
    cairo_line_to(cr_, p.x, p.y);
  } else {
    cairo_move_to(cr_, p.x, p.y);
  }
}

void DrawContext::addRect(const Rect& r) {
  cairo_rectangle(cr_, r.x, r.y, r.width, r.height);
}

void DrawContext::addRoundedRect(const Rect& r, double radius) {
  radius = std::max(0.0, std::min(radius, std::min(r.width, r.height) / 2));
  if (radius <= 0) {
    addRect(r);
    return;
  }
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, r.maxX() - radius, r.minY() + radius, radius, -M_PI / 2, 0);
  cairo_arc(cr_, r.maxX() - radius, r.maxY() - radius, radius, 0, M_PI / 2);
  cairo_arc(cr_, r.minX() + radius, r.maxY() - radius, radius, M_PI / 2, M_PI);
  cairo_arc(cr_, r.minX() + radius, r.minY() + radius, radius, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr_);
}

void DrawContext::addEllipse(const Rect& r) {
  if (r.width <= 0 || r.height <= 0) return;
  cairo_save(cr_);
  cairo_translate(cr_, r.midX(), r.midY());
  cairo_scale(cr_, r.width / 2, r.height / 2);
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, 0, 0, 1, 0, 2 * M_PI);
  cairo_close_path(cr_);
  cairo_restore(cr_);
}

void DrawContext::addArc(Point c, double radius, double start, double end, bool clockwise) {
  if (clockwise) {
    cairo_arc(cr_, c.x, c.y, radius, start, end);
  } else {
    cairo_arc_negative(cr_, c.x, c.y, radius, start, end);
  }
}

void DrawContext::addArcToPoint(Point p1, Point p2, double radius) {
  if (!cairo_has_current_point(cr_)) cairo_move_to(cr_, p1.x, p1.y);
  double x0, y0;
  cairo_get_current_point(cr_, &x0, &y0);
  double ax = x0 - p1.x, ay = y0 - p1.y, bx = p2.x - p1.x, by = p2.y - p1.y;
  double la = std::hypot(ax, ay), lb = std::hypot(bx, by);
  double cross = ax * by - ay * bx;
  if (la < 1e-9 || lb < 1e-9 || std::fabs(cross) < 1e-9 || radius <= 0) {
    cairo_line_to(cr_, p1.x, p1.y);  // degenerate: the corner itself
    return;
  }
  ax /= la, ay /= la, bx /= lb, by /= lb;
  double angle = std::acos(std::max(-1.0, std::min(1.0, ax * bx + ay * by)));
  double tangent = radius / std::tan(angle / 2);
  Point t0{p1.x + ax * tangent, p1.y + ay * tangent};
  Point t1{p1.x + bx * tangent, p1.y + by * tangent};
  // The centre lies along the bisector, at radius from both tangent points.
  double mx = ax + bx, my = ay + by, ml = std::hypot(mx, my);
  double dist = radius / std::sin(angle / 2);
  Point center{p1.x + mx / ml * dist, p1.y + my / ml * dist};
  double a0 = std::atan2(t0.y - center.y, t0.x - center.x);
  double a1 = std::atan2(t1.y - center.y, t1.x - center.x);
  cairo_line_to(cr_, t0.x, t0.y);
  double delta = std::remainder(a1 - a0, 2 * M_PI);  // the short way round
  if (delta > 0) {
    cairo_arc(cr_, center.x, center.y, radius, a0, a1);
  } else {
    cairo_arc_negative(cr_, center.x, center.y, radius, a0, a1);
  }
}

void DrawContext::closePath() {
  cairo_close_path(cr_);
}
bool DrawContext::hasCurrentPoint() const {
  return cairo_has_current_point(cr_);
}

void DrawContext::applyFillSource() {
  const Color& c = state_.fill;
  cairo_set_source_rgba(cr_, c.r, c.g, c.b, c.a * state_.alpha);
}

void DrawContext::applyStrokeSource() {
  const Color& c = state_.stroke;
  cairo_set_source_rgba(cr_, c.r, c.g, c.b, c.a * state_.alpha);
}

void DrawContext::fillPath() {
  drawPath(PathDrawingMode::Fill);
}
void DrawContext::strokePath() {
  drawPath(PathDrawingMode::Stroke);
}

void DrawContext::drawPath(PathDrawingMode mode) {
  switch (mode) {
    case PathDrawingMode::Fill:
    case PathDrawingMode::EvenOddFill:
      cairo_set_fill_rule(cr_, mode == PathDrawingMode::EvenOddFill ? CAIRO_FILL_RULE_EVEN_ODD
                                                                    : CAIRO_FILL_RULE_WINDING);
      applyFillSource();
      cairo_fill(cr_);
      cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
      break;
    case PathDrawingMode::Stroke:
      applyStrokeSource();
      cairo_stroke(cr_);
      break;
    case PathDrawingMode::FillStroke:
      applyFillSource();
      cairo_fill_preserve(cr_);
      applyStrokeSource();
      cairo_stroke(cr_);
      break;
  }
}

void DrawContext::fillRect(const Rect& r) {
  beginPath();
  addRect(r);
  fillPath();
}

void DrawContext::strokeRect(const Rect& r) {
  beginPath();
  addRect(r);
  strokePath();
}

void DrawContext::clearRect(const Rect& r) {
  cairo_save(cr_);
  cairo_set_operator(cr_, CAIRO_OPERATOR_CLEAR);
  cairo_new_path(cr_);
  addRect(r);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void DrawContext::fillEllipse(const Rect& r) {
  beginPath();
  addEllipse(r);
  fillPath();
}

void DrawContext::strokeEllipse(const Rect& r) {
  beginPath();
  addEllipse(r);
  strokePath();
}

void DrawContext::strokeLine(Point from, Point to) {
  beginPath();
  moveTo(from);
  lineTo(to);
  strokePath();
}

void DrawContext::clipToRect(const Rect& r) {
  cairo_new_path(cr_);
  addRect(r);
  cairo_clip(cr_);
}

void DrawContext::clip() {
  cairo_clip(cr_);
}

Rect DrawContext::clipBounds() const {
  double x1, y1, x2, y2;
  cairo_clip_extents(cr_, &x1, &y1, &x2, &y2);
  return {x1, y1, x2 - x1, y2 - y1};
}

void DrawContext::drawImage(const Image& image, const Rect& rect) {
  image.draw(*this, rect);
}

void DrawContext::drawImage(const Image& image, Point origin) {
  image.draw(*this, Rect(origin, image.size()));
}

Size DrawContext::drawText(const std::string& text, const Rect& rect, const Font& font,
                           LineBreakMode lineBreak, TextAlignment alignment) {
  TextLayout::Options options;
  options.maxWidth = rect.width;
  options.maxHeight = rect.height;
  options.lineBreak = lineBreak;
  options.alignment = alignment;
  TextLayout layout(text, font, options);
  layout.draw(*this, rect.origin());
  return layout.size();
}

Size DrawContext::drawText(const std::string& text, Point origin, const Font& font) {
  TextLayout layout(text, font);
  layout.draw(*this, origin);
  return layout.size();
}

}  // namespace plat
