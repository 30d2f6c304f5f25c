// The navigation-bar pieces of the pushed screens: the bold title label and the custom back
// button that carries the opener's title and pops the screen.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/view/Button.h"
#include "platform/view/Label.h"
#include "platform/view/ViewController.h"

namespace ScreenNavItems {

// A bold 20-point black label on clear, centred, sized to its text and shrinking to fit.
std::shared_ptr<plat::Label> titleLabel(const std::string& title);

// "gui/nav_back_n.png" (pressed "gui/nav_back_h.png") stretched from 20 points in, the title in
// bold 12 points 15 points in from the left; as wide as the title plus 25 points.
std::shared_ptr<plat::Button> backButton(const std::string& title, double maxWidth,
                                         std::function<void()> action);

// Puts the title label on `screen` and, in place of the standard back button, one titled
// `backTitle` that pops the screen, animated.
void install(plat::ViewController& screen, const std::string& title, const std::string& backTitle);

}  // namespace ScreenNavItems
