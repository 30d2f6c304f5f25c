#include "ui/SharedOverlay.h"

#include <map>
#include <utility>

#include "platform/view/Application.h"
#include "platform/view/Screen.h"
#include "platform/view/ViewController.h"
#include "platform/view/Window.h"

namespace sharedoverlay {

plat::View* currentRootView() {
  plat::Window* key = plat::Application::shared().keyWindow();
  if (!key || !key->rootViewController()) return nullptr;
  // A presented screen covers (and hides) the one presenting it, so the overlay goes to the
  // topmost one.
  plat::ViewController* top = key->rootViewController();
  while (top->presentedViewController()) top = top->presentedViewController();
  return top->view().get();
}

plat::Rect overlayFrame() {
  plat::Size size = plat::Screen::main().bounds().size();
  // Held sideways the long side runs across. The window host turns the screen's bounds itself
  // when it turns the tablet, so they may already be so: swapped again they stood upright, and
  // the message sat off centre, low on the turned screen.
  if (plat::Screen::main().isPad() &&
      plat::isLandscape(plat::Application::shared().statusBarOrientation()) &&
      size.width < size.height) {
    std::swap(size.width, size.height);
  }
  return {plat::Point{0, 0}, size};
}

std::shared_ptr<plat::View>& detached(int tag) {
  static std::map<int, std::shared_ptr<plat::View>> kept;
  return kept[tag];
}

}  // namespace sharedoverlay
