// A view that shows an image (or its highlighted image while highlighted) laid out by the
// content mode; stretchable images keep their caps. Takes no touches unless enabled.
#pragma once

#include <memory>

#include "platform/draw/Image.h"
#include "platform/view/View.h"

namespace plat {

class ImageView : public View {
 public:
  explicit ImageView(const Rect& frame = {});
  // Sized to the image.
  explicit ImageView(std::shared_ptr<Image> image);

  const std::shared_ptr<Image>& image() const { return image_; }
  void setImage(std::shared_ptr<Image> image) { image_ = std::move(image); }
  const std::shared_ptr<Image>& highlightedImage() const { return highlightedImage_; }
  void setHighlightedImage(std::shared_ptr<Image> image) { highlightedImage_ = std::move(image); }
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted) { highlighted_ = highlighted; }
  // Darkened (a pressed button) or lightened (a disabled one) while drawn.
  void setDimming(double darken, double lighten) {
    darken_ = darken;
    lighten_ = lighten;
  }

  // Where an image of `imageSize` goes in `bounds` under `mode`.
  static Rect placement(ContentMode mode, Size imageSize, const Rect& bounds);

  Size sizeThatFits(Size size) const override;
  void drawRect(DrawContext& context, const Rect& rect) override;

 private:
  std::shared_ptr<Image> image_;
  std::shared_ptr<Image> highlightedImage_;
  bool highlighted_ = false;
  double darken_ = 0;
  double lighten_ = 0;
};

}  // namespace plat
