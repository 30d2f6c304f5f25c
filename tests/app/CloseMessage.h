// The message a window manager sends a window when its close button is pressed.
#pragma once

#include <string>

namespace apptest {

// Sends the window `window` of the X display `display` (":1") the WM_DELETE_WINDOW message of the
// WM_PROTOCOLS it takes part in; false when the display or the window could not be reached.
bool sendCloseMessage(const std::string& display, unsigned long window);

}  // namespace apptest
