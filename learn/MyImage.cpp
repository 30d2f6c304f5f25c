#include "learn/MyImage.h"

#include "platform/draw/ImageContext.h"

namespace MyImage {

std::shared_ptr<plat::Image> scaleToRatio(const std::shared_ptr<plat::Image>& image, int ratio) {
  if (!image || ratio == 1) return image;
  // A size of zero or less has no picture to draw.
  if (ratio < 1) return nullptr;
  const plat::Size size{image->size().width * ratio, image->size().height * ratio};
  plat::ImageContext context(size, false, 0);
  image->draw(context.context(), {0, 0, size.width, size.height});
  return context.takeImage();
}

}  // namespace MyImage
