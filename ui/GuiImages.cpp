#include "ui/GuiImages.h"

namespace guiimages {

std::shared_ptr<plat::Image> stretchable(const std::shared_ptr<plat::Image>& image, double leftCap,
                                         double topCap) {
  return image ? image->stretchable(leftCap, topCap) : nullptr;
}

std::shared_ptr<plat::Image> stretchable(const std::string& name, double leftCap, double topCap) {
  return stretchable(plat::Image::named(name), leftCap, topCap);
}

}  // namespace guiimages
