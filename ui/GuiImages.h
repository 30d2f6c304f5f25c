// Bundle images of the shared widgets, made stretchable; a missing image is null and draws
// nothing (the image layer reports it once).
#pragma once

#include <memory>
#include <string>

#include "platform/draw/Image.h"

namespace guiimages {

std::shared_ptr<plat::Image> stretchable(const std::string& name, double leftCap, double topCap);
std::shared_ptr<plat::Image> stretchable(const std::shared_ptr<plat::Image>& image, double leftCap,
                                         double topCap);

}  // namespace guiimages
