// Where something was drawn in an image: the pixel box of every pixel that differs clearly from
// the background colour; and a picture of one colour to draw with. Shared by the drawing, view,
// host and screen tests.
#pragma once

#include <cmath>
#include <memory>

#include "platform/draw/Image.h"
#include "platform/draw/ImageContext.h"

namespace testsupport {

struct PixelBox {
  int left = 0, top = 0, right = -1, bottom = -1;  // inclusive; right < left when empty
  bool empty() const { return right < left; }
  int width() const { return empty() ? 0 : right - left + 1; }
  int height() const { return empty() ? 0 : bottom - top + 1; }
};

inline bool differs(const plat::Color& a, const plat::Color& b, double tolerance = 0.25) {
  return std::fabs(a.r * a.a - b.r * b.a) > tolerance ||
         std::fabs(a.g * a.a - b.g * b.a) > tolerance ||
         std::fabs(a.b * a.a - b.b * b.a) > tolerance || std::fabs(a.a - b.a) > tolerance;
}

inline bool near(const plat::Color& a, const plat::Color& b) {
  return !differs(a, b, 0.06);
}

// Searches the pixel rectangle [x0, x1) x [y0, y1) (all of the image by default).
inline PixelBox inkBounds(const plat::Image& image, const plat::Color& background, int x0 = 0,
                          int y0 = 0, int x1 = -1, int y1 = -1) {
  if (x1 < 0) x1 = image.pixelWidth();
  if (y1 < 0) y1 = image.pixelHeight();
  PixelBox box{x1, y1, -1, -1};
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      if (!differs(image.pixel(x, y), background)) continue;
      if (x < box.left) box.left = x;
      if (y < box.top) box.top = y;
      if (x > box.right) box.right = x;
      if (y > box.bottom) box.bottom = y;
    }
  }
  return box;
}

// A picture of `size` points filled with `color`.
inline std::shared_ptr<plat::Image> solidImage(plat::Size size, const plat::Color& color,
                                               double scale = 1) {
  plat::ImageContext image(size, false, scale);
  image.context().setFillColor(color);
  image.context().fillRect(plat::Rect({0, 0}, size));
  return image.takeImage();
}

}  // namespace testsupport
