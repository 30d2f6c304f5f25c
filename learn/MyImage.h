// Enlarging a picture by a whole factor (the daily lesson's pictures).
#pragma once

#include <memory>

#include "platform/draw/Image.h"

namespace MyImage {

// The image itself for a ratio of 1; otherwise a new image of the size times the ratio, the
// picture drawn to fill it, at the screen's scale. A ratio below 1 gives nothing.
std::shared_ptr<plat::Image> scaleToRatio(const std::shared_ptr<plat::Image>& image, int ratio);

}  // namespace MyImage
