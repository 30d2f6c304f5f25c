// The program on a machine without a display: the application launches as it would in a window,
// its first screen is drawn into a PNG picture in the app home, and it goes to the background and
// ends.
#pragma once

#include <memory>

#include "platform/view/Application.h"

namespace HeadlessStart {

inline constexpr const char* kPictureName = "first-screen.png";

// Returns the process's exit code: 0 once the picture is written.
int run(std::shared_ptr<plat::ApplicationDelegate> delegate);

}  // namespace HeadlessStart
