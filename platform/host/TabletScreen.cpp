#include "platform/host/TabletScreen.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/base/Device.h"
#include "platform/base/NotificationCenter.h"
#include "platform/view/Application.h"
#include "platform/view/Keyboard.h"
#include "platform/view/ViewController.h"
#include "platform/view/Window.h"

namespace plat {
namespace {

constexpr double kRotationSeconds = 0.3;

}  // namespace

bool TabletScreen::requested(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--tablet") return true;
  }
  const char* chosen = std::getenv("VOCAB_TABLET");
  return chosen && *chosen && std::string(chosen) != "0";
}

void TabletScreen::use() {
  Screen::main().configure({kWidth, kHeight}, kScale, UserInterfaceIdiom::Pad);
}

bool TabletScreen::rotate(InterfaceOrientation orientation) {
  Window* key = Application::shared().keyWindow();
  ViewController* root = key ? key->rootViewController() : nullptr;
  if (!root) return false;
  const bool turned = root->rotateTo(orientation, kRotationSeconds, [orientation] {
    const Rect before = Screen::main().bounds();
    DeviceInfo device = Device::current();
    const double shortSide = std::min(device.screenWidth, device.screenHeight);
    const double longSide = std::max(device.screenWidth, device.screenHeight);
    const bool landscape = isLandscape(orientation);
    device.screenWidth = landscape ? longSide : shortSide;
    device.screenHeight = landscape ? shortSide : longSide;
    Device::override(device);
    Application::shared().setStatusBarOrientation(orientation);
    // Windows that covered the screen cover the turned one; the keyboard stays along the bottom.
    for (Window* window : Application::shared().windows()) {
      if (window == Keyboard::window()) {
        window->setFrame(Keyboard::frame());
      } else if (window->frame() == before) {
        window->setFrame(Screen::main().bounds());
      }
      // The screens lay their pages out for the turned size as they turn: it has to be there.
      window->layoutIfNeeded();
    }
  });
  if (!turned) return false;
  // The screens of the other windows (the login window under the key one, say) turn along when
  // they accept the orientation; their windows already have the turned bounds.
  for (Window* window : Application::shared().windows()) {
    ViewController* other = window->rootViewController();
    if (window != key && other) other->rotateTo(orientation, kRotationSeconds);
  }
  NotificationCenter::defaultCenter().post(kApplicationDidChangeStatusBarOrientationNotification,
                                           &Application::shared());
  return true;
}

InterfaceOrientation TabletScreen::quarterTurn(InterfaceOrientation from) {
  switch (from) {
    case InterfaceOrientation::Portrait:
      return InterfaceOrientation::LandscapeLeft;
    case InterfaceOrientation::LandscapeLeft:
      return InterfaceOrientation::PortraitUpsideDown;
    case InterfaceOrientation::PortraitUpsideDown:
      return InterfaceOrientation::LandscapeRight;
    case InterfaceOrientation::LandscapeRight:
      return InterfaceOrientation::Portrait;
  }
  return InterfaceOrientation::Portrait;
}

}  // namespace plat
