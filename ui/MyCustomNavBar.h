// The navigation-bar skin: every navigation bar of the application draws "gui/nav.png" scaled to
// fill it. Installed once at start-up, before the first bar is drawn.
#pragma once

namespace MyCustomNavBar {

inline constexpr const char* kImageName = "gui/nav.png";

// Makes the skin the background of every bar without an image of its own, with black buttons.
void install();

}  // namespace MyCustomNavBar
