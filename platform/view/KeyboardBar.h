// What stands for the phone's keyboard on the desktop, where the computer's own keyboard types:
// a slim bar along the bottom of the screen that says so, with a return key that works for a
// learner who holds only the mouse. It is as high as the keyboard reports itself, so screens
// that follow the keyboard's frame give up no more room than this bar takes; and as high as the
// tab bar, which it covers whole rather than leaving a strip of cut icons above it.
#pragma once

#include <functional>
#include <memory>

#include "platform/view/View.h"

namespace plat {

namespace keyboardbar {

inline constexpr double kHeight = 49;

// The bar's view, laid out for `width`; its return key calls `pressReturn`.
std::shared_ptr<View> make(double width, std::function<void()> pressReturn);

}  // namespace keyboardbar

}  // namespace plat
