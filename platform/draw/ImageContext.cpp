#include "platform/draw/ImageContext.h"

#include <cairo.h>

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "platform/base/Device.h"

namespace plat {
namespace {

thread_local std::vector<DrawContext*> currentStack;
thread_local std::vector<std::unique_ptr<ImageContext>> begunContexts;

// Cairo refuses surfaces beyond this many pixels a side.
constexpr int kMaxPixels = 32767;

int pixelsFor(double points, double scale) {
  double px = std::ceil(points * scale - 1e-9);
  if (!(px > 0)) return 1;  // also catches NaN
  return px > kMaxPixels ? kMaxPixels : static_cast<int>(px);
}

// A bitmap whose pixels are left as they come, for one that is painted all over at once:
// cairo's own are cleared first, a second pass over a screen's worth of memory.
cairo_surface_t* unclearedSurface(int width, int height) {
  static const cairo_user_data_key_t kPixels{};
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
  auto* pixels = static_cast<unsigned char*>(std::malloc(size_t(stride) * size_t(height)));
  if (!pixels) return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_surface_t* surface =
      cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_ARGB32, width, height, stride);
  if (cairo_surface_set_user_data(surface, &kPixels, pixels, std::free) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    std::free(pixels);
    return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  }
  return surface;
}

}  // namespace

ImageContext::ImageContext(Size size, bool opaque, double scale)
    : ImageContext(size, opaque ? Color::white() : Color::clear(), scale) {}

ImageContext::ImageContext(Size size, Color background, double scale)
    : size_(size), scale_(scale > 0 ? scale : defaultScale()) {
  const int width = pixelsFor(size.width, scale_), height = pixelsFor(size.height, scale_);
  const bool filled = background.a >= 1;
  surface_ = filled ? unclearedSurface(width, height)
                    : cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(surface_);
  cairo_scale(cr, scale_, scale_);
  if (background.a > 0) {
    // Over uncleared pixels an opaque colour replaces what is there.
    cairo_set_operator(cr, filled ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
    cairo_set_source_rgba(cr, background.r, background.g, background.b, background.a);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  }
  context_ = std::make_unique<DrawContext>(cr);
  cairo_destroy(cr);  // the draw context keeps its own reference
}

ImageContext::~ImageContext() {
  context_.reset();
  cairo_surface_destroy(surface_);
}

std::shared_ptr<Image> ImageContext::image() const {
  cairo_surface_flush(surface_);
  int w = cairo_image_surface_get_width(surface_);
  int h = cairo_image_surface_get_height(surface_);
  cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(copy);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, surface_, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  auto image = std::make_shared<Image>(copy, scale_);
  cairo_surface_destroy(copy);
  return image;
}

std::shared_ptr<Image> ImageContext::takeImage() {
  cairo_surface_flush(surface_);
  return std::make_shared<Image>(surface_, scale_);
}

double ImageContext::defaultScale() {
  double scale = Device::current().screenScale;
  return scale > 0 ? scale : 1;
}

DrawContext* currentContext() {
  return currentStack.empty() ? nullptr : currentStack.back();
}

CurrentContextScope::CurrentContextScope(DrawContext& context) {
  currentStack.push_back(&context);
}
CurrentContextScope::~CurrentContextScope() {
  currentStack.pop_back();
}

void beginImageContext(Size size, bool opaque, double scale) {
  begunContexts.push_back(std::make_unique<ImageContext>(size, opaque, scale));
  currentStack.push_back(&begunContexts.back()->context());
}

std::shared_ptr<Image> imageFromCurrentImageContext() {
  if (begunContexts.empty() || currentStack.empty() ||
      currentStack.back() != &begunContexts.back()->context()) {
    return nullptr;
  }
  return begunContexts.back()->image();
}

void endImageContext() {
  if (begunContexts.empty()) return;
  DrawContext* own = &begunContexts.back()->context();
  for (auto it = currentStack.rbegin(); it != currentStack.rend(); ++it) {
    if (*it == own) {
      currentStack.erase(std::next(it).base());
      break;
    }
  }
  begunContexts.pop_back();
}

}  // namespace plat
