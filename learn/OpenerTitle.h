// The title of the screen under a pushed screen on its navigation stack: the text of its back
// button when the opener gave none.
#pragma once

#include <string>

#include "platform/view/ViewController.h"

namespace OpenerTitle {

std::string of(plat::ViewController& screen);

}  // namespace OpenerTitle
