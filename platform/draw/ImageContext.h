// Image contexts: a bitmap of a given size in points and scale to draw into, from which images
// and PNG data are taken. Also the stack of current contexts, so that code drawing "into the
// current context" (a view's drawing, a share picture) finds the one it was given.
#pragma once

#include <memory>

#include "platform/draw/DrawContext.h"
#include "platform/draw/Image.h"

typedef struct _cairo_surface cairo_surface_t;

namespace plat {

class ImageContext {
 public:
  // A transparent (or, when opaque, white) bitmap of ceil(size * scale) pixels; a scale of 0 or
  // less means the device screen's scale.
  ImageContext(Size size, bool opaque = false, double scale = 0);
  // A bitmap painted all over in `background`.
  ImageContext(Size size, Color background, double scale);
  ~ImageContext();
  ImageContext(const ImageContext&) = delete;
  ImageContext& operator=(const ImageContext&) = delete;

  DrawContext& context() { return *context_; }
  Size size() const { return size_; }
  double scale() const { return scale_; }

  // A snapshot of what was drawn so far.
  std::shared_ptr<Image> image() const;
  // The bitmap itself as an image, without a copy: for when the drawing is done, since what is
  // drawn afterwards shows in the image too.
  std::shared_ptr<Image> takeImage();

  // The scale used for a scale of 0: the device screen's.
  static double defaultScale();

 private:
  Size size_;
  double scale_;
  cairo_surface_t* surface_;
  std::unique_ptr<DrawContext> context_;
};

// The innermost current context of this thread, or nullptr.
DrawContext* currentContext();

// Makes a context current for its lifetime.
class CurrentContextScope {
 public:
  explicit CurrentContextScope(DrawContext& context);
  ~CurrentContextScope();
  CurrentContextScope(const CurrentContextScope&) = delete;
  CurrentContextScope& operator=(const CurrentContextScope&) = delete;
};

// The begin / take image / end sequence of image contexts, each begun context being current
// until it ends.
void beginImageContext(Size size, bool opaque = false, double scale = 0);
std::shared_ptr<Image> imageFromCurrentImageContext();  // nullptr without an image context
void endImageContext();

}  // namespace plat
