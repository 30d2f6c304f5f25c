// Points, sizes, rectangles, edge insets and affine transforms in points, with the origin at the
// top left and y growing downwards, as views and drawing contexts use them.
#pragma once

#include <cmath>

namespace plat {

struct Point {
  double x = 0;
  double y = 0;
  bool operator==(const Point&) const = default;
};

struct Size {
  double width = 0;
  double height = 0;
  bool operator==(const Size&) const = default;
};

struct EdgeInsets {
  double top = 0;
  double left = 0;
  double bottom = 0;
  double right = 0;
  bool operator==(const EdgeInsets&) const = default;
};

struct Rect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;

  Rect() = default;
  Rect(double x, double y, double width, double height)
      : x(x), y(y), width(width), height(height) {}
  Rect(Point origin, Size size)
      : x(origin.x), y(origin.y), width(size.width), height(size.height) {}
  bool operator==(const Rect&) const = default;

  Point origin() const { return {x, y}; }
  Size size() const { return {width, height}; }
  double minX() const { return std::fmin(x, x + width); }
  double maxX() const { return std::fmax(x, x + width); }
  double midX() const { return x + width / 2; }
  double minY() const { return std::fmin(y, y + height); }
  double maxY() const { return std::fmax(y, y + height); }
  double midY() const { return y + height / 2; }
  Point center() const { return {midX(), midY()}; }
  bool isEmpty() const { return width <= 0 || height <= 0; }

  // Half-open: a point on the right or bottom edge is outside.
  bool contains(Point p) const {
    return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
  }
  bool intersects(const Rect& other) const;
  Rect intersection(const Rect& other) const;  // empty Rect() when they do not meet
  Rect unionWith(const Rect& other) const;
  Rect offsetBy(double dx, double dy) const { return {x + dx, y + dy, width, height}; }
  Rect insetBy(double dx, double dy) const {
    return {x + dx, y + dy, width - 2 * dx, height - 2 * dy};
  }
  Rect inset(const EdgeInsets& e) const {
    return {x + e.left, y + e.top, width - e.left - e.right, height - e.top - e.bottom};
  }
  Rect integral() const;  // the smallest rectangle on whole points that holds this one
};

// x' = a*x + c*y + tx, y' = b*x + d*y + ty.
struct AffineTransform {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
  bool operator==(const AffineTransform&) const = default;

  static AffineTransform identity() { return {}; }
  static AffineTransform translation(double dx, double dy) { return {1, 0, 0, 1, dx, dy}; }
  static AffineTransform scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
  static AffineTransform rotation(double radians);

  bool isIdentity() const { return *this == AffineTransform{}; }
  // This transform followed by `then`.
  AffineTransform concat(const AffineTransform& then) const;
  AffineTransform inverted() const;  // identity when not invertible
  Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
  Rect apply(const Rect& r) const;  // bounding box of the transformed corners
};

}  // namespace plat
