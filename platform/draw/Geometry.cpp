#include "platform/draw/Geometry.h"

#include <algorithm>

namespace plat {

bool Rect::intersects(const Rect& o) const {
  return !isEmpty() && !o.isEmpty() && minX() < o.maxX() && o.minX() < maxX() &&
         minY() < o.maxY() && o.minY() < maxY();
}

Rect Rect::intersection(const Rect& o) const {
  if (!intersects(o)) return {};
  double left = std::max(minX(), o.minX());
  double top = std::max(minY(), o.minY());
  return {left, top, std::min(maxX(), o.maxX()) - left, std::min(maxY(), o.maxY()) - top};
}

Rect Rect::unionWith(const Rect& o) const {
  if (isEmpty()) return o;
  if (o.isEmpty()) return *this;
  double left = std::min(minX(), o.minX());
  double top = std::min(minY(), o.minY());
  return {left, top, std::max(maxX(), o.maxX()) - left, std::max(maxY(), o.maxY()) - top};
}

Rect Rect::integral() const {
  double left = std::floor(minX());
  double top = std::floor(minY());
  return {left, top, std::ceil(maxX()) - left, std::ceil(maxY()) - top};
}

AffineTransform AffineTransform::rotation(double radians) {
  double cs = std::cos(radians);
  double sn = std::sin(radians);
  return {cs, sn, -sn, cs, 0, 0};
}

AffineTransform AffineTransform::concat(const AffineTransform& t) const {
  return {a * t.a + b * t.c, a * t.b + b * t.d,          c * t.a + d * t.c,
          c * t.b + d * t.d, tx * t.a + ty * t.c + t.tx, tx * t.b + ty * t.d + t.ty};
}

AffineTransform AffineTransform::inverted() const {
  double det = a * d - b * c;
  if (std::fabs(det) < 1e-12) return {};
  return {d / det, -b / det, -c / det, a / det, (c * ty - d * tx) / det, (b * tx - a * ty) / det};
}

Rect AffineTransform::apply(const Rect& r) const {
  Point corners[4] = {apply(Point{r.minX(), r.minY()}), apply(Point{r.maxX(), r.minY()}),
                      apply(Point{r.minX(), r.maxY()}), apply(Point{r.maxX(), r.maxY()})};
  double left = corners[0].x, right = corners[0].x, top = corners[0].y, bottom = corners[0].y;
  for (const Point& p : corners) {
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  return {left, top, right - left, bottom - top};
}

}  // namespace plat
