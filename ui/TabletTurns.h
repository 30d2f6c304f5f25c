// The turning rule most screens share: a tablet's screens follow the device in every orientation,
// a phone's stay upright.
#pragma once

#include "platform/view/Screen.h"

namespace ui {

bool turnsOnTablet(plat::InterfaceOrientation orientation);

}  // namespace ui
