#include "platform/draw/ImageContext.h"

#include <cairo.h>

#include <cmath>
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

}  // namespace

ImageContext::ImageContext(Size size, bool opaque, double scale)
    : size_(size), scale_(scale > 0 ? scale : defaultScale()) {
  surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixelsFor(size.width, scale_),
                                        pixelsFor(size.height, scale_));
  cairo_t* cr = cairo_create(surface_);
  cairo_scale(cr, scale_, scale_);
  if (opaque) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
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
