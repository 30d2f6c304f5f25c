#include "platform/host/FramePresenter.h"

#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/base/Clock.h"
#include "platform/host/StatusStrip.h"
#include "platform/view/Application.h"
#include "platform/view/Screen.h"
#include "platform/view/ViewRenderer.h"
#include "platform/view/Window.h"

namespace plat {

FramePresenter::FramePresenter(SDL_Window* window) {
  const Rect bounds = Screen::main().bounds();
  const double scale = Screen::main().scale();
  width_ = static_cast<int>(bounds.width * scale + 0.5);
  height_ = static_cast<int>(bounds.height * scale + 0.5);
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  renderer_ = SDL_CreateRenderer(window, -1, 0);
  if (!renderer_) renderer_ = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer_) {
    std::fprintf(stderr, "window: no renderer: %s\n", SDL_GetError());
    return;
  }
  // A window smaller than the picture gets a picture of its own size, shrunk by averaging: the
  // renderer's stretch samples a few source pixels per window pixel, and a hairline between them
  // (a table's separator, an alert's rule) would vanish, as it does on a tablet's window.
  int outWidth = 0, outHeight = 0;
  if (SDL_GetRendererOutputSize(renderer_, &outWidth, &outHeight) == 0 && outWidth > 0 &&
      outHeight > 0 && outWidth < width_ && outHeight < height_) {
    textureWidth_ = outWidth;
    textureHeight_ = outHeight;
  } else {
    textureWidth_ = width_;
    textureHeight_ = height_;
  }
  // Cairo's 32-bit pixels are SDL's ARGB8888 on the machine's byte order.
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                               textureWidth_, textureHeight_);
  if (!texture_) std::fprintf(stderr, "window: no texture: %s\n", SDL_GetError());
}

FramePresenter::~FramePresenter() {
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
}

bool FramePresenter::present(bool force) {
  if (!texture_) return false;
  ViewRenderer::displayPass();
  for (Window* window : Application::shared().windows()) window->layoutIfNeeded();
  std::shared_ptr<Image> picture = ViewRenderer::renderScreen();
  if (!picture) return false;
  StatusStrip::drawOver(*picture, Application::shared(), Clock::current().now());
  cairo_surface_t* surface = picture->surface();
  cairo_surface_flush(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const int rows = std::min(height_, cairo_image_surface_get_height(surface));
  const int rowBytes = std::min(width_, cairo_image_surface_get_width(surface)) * 4;
  const unsigned char* data = cairo_image_surface_get_data(surface);
  std::vector<unsigned char> pixels(static_cast<size_t>(width_) * 4 * height_, 0);
  for (int y = 0; y < rows; ++y) {
    std::memcpy(&pixels[static_cast<size_t>(y) * width_ * 4],
                data + static_cast<size_t>(y) * stride, rowBytes);
  }
  const bool changed = pixels != shown_;
  if (changed) {
    shown_ = std::move(pixels);
    upload();
  }
  if (changed || force) show();
  return changed;
}

void FramePresenter::upload() {
  if (textureWidth_ == width_ && textureHeight_ == height_) {
    SDL_UpdateTexture(texture_, nullptr, shown_.data(), width_ * 4);
    return;
  }
  cairo_surface_t* source = cairo_image_surface_create_for_data(shown_.data(), CAIRO_FORMAT_ARGB32,
                                                                width_, height_, width_ * 4);
  cairo_surface_t* shrunk =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, textureWidth_, textureHeight_);
  cairo_t* cr = cairo_create(shrunk);
  cairo_scale(cr, double(textureWidth_) / width_, double(textureHeight_) / height_);
  cairo_set_source_surface(cr, source, 0, 0);
  // GOOD averages every source pixel under a window pixel when shrinking.
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(shrunk);
  SDL_UpdateTexture(texture_, nullptr, cairo_image_surface_get_data(shrunk),
                    cairo_image_surface_get_stride(shrunk));
  cairo_surface_destroy(shrunk);
  cairo_surface_destroy(source);
}

void FramePresenter::show() {
  SDL_RenderClear(renderer_);
  SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
}

}  // namespace plat
