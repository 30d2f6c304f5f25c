// The navigation-bar pieces the screens share: the bold title label, the back button titled after
// the opening screen, and the small text button on the right.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/view/BarItems.h"
#include "platform/view/Button.h"
#include "platform/view/Label.h"
#include "platform/view/ViewController.h"

namespace navbar {

// Bold 20-point black title, centred, shrinking to fit.
std::shared_ptr<plat::Label> titleLabel(const std::string& title);
// "gui/nav_back_n.png" / "gui/nav_back_h.png" with a left cap of 20, title inset 15.
std::shared_ptr<plat::BarButtonItem> backItem(const std::string& title, std::function<void()> tap);
// A 50 x 30 button on "gui/right_btn.png" (caps 10 and 10), bold 12-point white title.
std::shared_ptr<plat::Button> rightButton(const std::string& title, std::function<void()> tap);

// Puts a pushed screen's view back where its stack lays it out: a stack whose bar was shown again
// while this screen was on its way in (the word-book tab hides the bar) placed it too high.
void fitUnderBar(plat::ViewController& screen);

}  // namespace navbar
