// The navigation-bar items of the account screens: a bold centred title, a back button titled with
// the screen it returns to, and a right-hand action button.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/view/Button.h"
#include "platform/view/ViewController.h"

namespace accountnav {

void install(plat::ViewController& screen, const std::string& title, const std::string& backTitle);
// The right-hand button ("刷新", "发送"); returned so the screen can reach it.
std::shared_ptr<plat::Button> rightButton(plat::ViewController& screen, const std::string& title,
                                          std::function<void()> action);

}  // namespace accountnav
