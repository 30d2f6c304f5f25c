#include "ui/MyCustomNavBar.h"

#include "platform/draw/Image.h"
#include "platform/view/NavigationBar.h"

namespace MyCustomNavBar {

void install() {
  plat::NavigationBar::setDefaultBackgroundImage(plat::Image::named(kImageName));
  // The system blue of the back button is all but lost on the green skin, and white too pale on
  // it; the buttons take the title's black.
  plat::NavigationBar::setDefaultTintColor(plat::Color::black());
}

}  // namespace MyCustomNavBar
