#include "ui/TabletTurns.h"

#include "platform/base/Device.h"

namespace ui {

bool turnsOnTablet(plat::InterfaceOrientation orientation) {
  return plat::Device::current().idiom == plat::DeviceIdiom::Tablet ||
         orientation == plat::InterfaceOrientation::Portrait;
}

}  // namespace ui
