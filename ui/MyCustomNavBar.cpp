#include "ui/MyCustomNavBar.h"

#include "platform/draw/Image.h"
#include "platform/view/NavigationBar.h"

namespace MyCustomNavBar {

void install() {
  plat::NavigationBar::setDefaultBackgroundImage(plat::Image::named(kImageName));
}

}  // namespace MyCustomNavBar
