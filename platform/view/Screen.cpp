#include "platform/view/Screen.h"

#include "platform/base/Device.h"

namespace plat {

Screen& Screen::main() {
  static Screen screen;
  return screen;
}

Rect Screen::bounds() const {
  DeviceInfo device = Device::current();
  return {0, 0, device.screenWidth, device.screenHeight};
}

double Screen::scale() const {
  return Device::current().screenScale;
}

UserInterfaceIdiom Screen::idiom() const {
  return Device::current().idiom == DeviceIdiom::Tablet ? UserInterfaceIdiom::Pad
                                                        : UserInterfaceIdiom::Phone;
}

Rect Screen::applicationFrame() const {
  Rect b = bounds();
  return {0, kStatusBarHeight, b.width, b.height - kStatusBarHeight};
}

void Screen::configure(Size size, double scale, UserInterfaceIdiom idiom) {
  DeviceInfo device = Device::current();
  device.screenWidth = size.width;
  device.screenHeight = size.height;
  device.screenScale = scale > 0 ? scale : 1;
  device.idiom = idiom == UserInterfaceIdiom::Pad ? DeviceIdiom::Tablet : DeviceIdiom::Phone;
  Device::override(device);
}

void Screen::reset() {
  Device::resetOverride();
}

}  // namespace plat
