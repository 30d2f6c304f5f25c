// A bitmap image with a scale (pixels per point) and optional stretchable caps. Named images come
// from the bundle ("gui/aler.png", preferring "gui/aler@2x.png"); images also come from PNG files
// and data, and from image contexts, and turn back into PNG data.
#pragma once

#include <memory>
#include <string>

#include "platform/draw/Color.h"
#include "platform/draw/Geometry.h"

typedef struct _cairo_surface cairo_surface_t;

namespace plat {

class DrawContext;

class Image {
 public:
  // Takes a reference to `surface` (an image surface).
  Image(cairo_surface_t* surface, double scale);
  ~Image();
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  // The bundle image of that name, shared between callers; nullptr (reported once per name on
  // stderr) when the bundle has no such file or it is not a readable PNG.
  static std::shared_ptr<Image> named(const std::string& name);
  static void clearNamedCache();  // after the bundle changed (tests)

  static std::shared_ptr<Image> fromFile(const std::string& path, double scale = 1);
  static std::shared_ptr<Image> fromPNGData(const std::string& data, double scale = 1);

  Size size() const;  // in points
  double scale() const { return scale_; }
  int pixelWidth() const;
  int pixelHeight() const;
  cairo_surface_t* surface() const { return surface_; }

  // A copy that stretches only the column at leftCap and the row at topCap (a cap of 0 stretches
  // the whole width or height).
  std::shared_ptr<Image> stretchable(double leftCap, double topCap) const;
  double leftCapWidth() const { return leftCap_; }
  double topCapHeight() const { return topCap_; }

  // Draws into `rect`, keeping the caps unscaled when the image is stretchable.
  void draw(DrawContext& context, const Rect& rect) const;

  std::string pngData() const;  // "" on failure
  bool writePNG(const std::string& path) const;

  // The colour of one pixel (not premultiplied); clear outside the image.
  Color pixel(int x, int y) const;
  Color colorAtPoint(Point p) const { return pixel(int(p.x * scale_), int(p.y * scale_)); }

 private:
  cairo_surface_t* surface_;
  double scale_;
  double leftCap_ = 0;
  double topCap_ = 0;
};

}  // namespace plat
