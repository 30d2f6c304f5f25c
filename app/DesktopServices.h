// What the phone's system gave the application and the desktop gives it instead, wired at
// start-up: addresses open in the desktop's programs, with a message to the learner when one
// cannot be opened; web views fetch their pages on the application's HTTP client; the network
// activity indicator follows the requests under way. main() installs them before the window
// host runs, and the application tests start the app the same way.
#pragma once

#include <string>

#include "platform/view/Application.h"

namespace DesktopServices {

void install();
// Back to none of them (tests).
void uninstall();

// What the learner reads when an address did not open.
std::string failureMessage(const std::string& url, plat::URLOpenFailure why);

}  // namespace DesktopServices
