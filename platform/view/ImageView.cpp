#include "platform/view/ImageView.h"

#include <cairo.h>

#include <algorithm>

namespace plat {

ImageView::ImageView(const Rect& frame) : View(frame) {
  setUserInteractionEnabled(false);
  setOpaque(false);
}

ImageView::ImageView(std::shared_ptr<Image> image)
    : ImageView(Rect({0, 0}, image ? image->size() : Size{})) {
  image_ = std::move(image);
}

Rect ImageView::placement(ContentMode mode, Size s, const Rect& b) {
  switch (mode) {
    case ContentMode::ScaleToFill:
    case ContentMode::Redraw:
      return b;
    case ContentMode::ScaleAspectFit:
    case ContentMode::ScaleAspectFill: {
      if (s.width <= 0 || s.height <= 0) return b;
      double fx = b.width / s.width, fy = b.height / s.height;
      double f = mode == ContentMode::ScaleAspectFit ? std::min(fx, fy) : std::max(fx, fy);
      double w = s.width * f, h = s.height * f;
      return {b.x + (b.width - w) / 2, b.y + (b.height - h) / 2, w, h};
    }
    default:
      break;
  }
  double x = b.x + (b.width - s.width) / 2, y = b.y + (b.height - s.height) / 2;
  switch (mode) {
    case ContentMode::Top:
      y = b.y;
      break;
    case ContentMode::Bottom:
      y = b.maxY() - s.height;
      break;
    case ContentMode::Left:
      x = b.x;
      break;
    case ContentMode::Right:
      x = b.maxX() - s.width;
      break;
    case ContentMode::TopLeft:
      x = b.x, y = b.y;
      break;
    case ContentMode::TopRight:
      x = b.maxX() - s.width, y = b.y;
      break;
    case ContentMode::BottomLeft:
      x = b.x, y = b.maxY() - s.height;
      break;
    case ContentMode::BottomRight:
      x = b.maxX() - s.width, y = b.maxY() - s.height;
      break;
    default:
      break;
  }
  return {x, y, s.width, s.height};
}

Size ImageView::sizeThatFits(Size) const {
  return image_ ? image_->size() : Size{};
}

void ImageView::drawRect(DrawContext& context, const Rect&) {
  const std::shared_ptr<Image>& shown =
      highlighted_ && highlightedImage_ ? highlightedImage_ : image_;
  if (!shown) return;
  Rect target = placement(contentMode(), shown->size(), bounds());
  if (darken_ <= 0 && lighten_ <= 0) {
    context.drawImage(*shown, target);
    return;
  }
  // Tint only where the image has pixels: draw it into a group, then paint over through it.
  cairo_t* cr = context.cairo();
  cairo_push_group(cr);
  context.drawImage(*shown, target);
  cairo_pattern_t* drawn = cairo_pop_group(cr);
  cairo_set_source(cr, drawn);
  cairo_paint(cr);
  double shade = darken_ > 0 ? 0 : 1;
  cairo_set_source_rgba(cr, shade, shade, shade, darken_ > 0 ? darken_ : lighten_);
  cairo_mask(cr, drawn);
  cairo_pattern_destroy(drawn);
}

}  // namespace plat
