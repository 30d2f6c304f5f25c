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
  return key->rootViewController()->view().get();
}

plat::Rect overlayFrame() {
  plat::Size size = plat::Screen::main().bounds().size();
  if (plat::Screen::main().isPad() &&
      plat::isLandscape(plat::Application::shared().statusBarOrientation())) {
    std::swap(size.width, size.height);
  }
  return {plat::Point{0, 0}, size};
}

std::shared_ptr<plat::View>& detached(int tag) {
  static std::map<int, std::shared_ptr<plat::View>> kept;
  return kept[tag];
}

}  // namespace sharedoverlay
