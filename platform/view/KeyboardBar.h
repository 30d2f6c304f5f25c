// What stands for the phone's keyboard on the desktop, where the computer's own keyboard types:
// a slim bar along the bottom of the screen that says so, with a key that works for a learner
// who holds only the mouse. It is as high as the keyboard reports itself, so screens that follow
// the keyboard's frame give up no more room than this bar takes; and as high as the tab bar,
// which it covers whole rather than leaving a strip of cut icons above it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/view/TextEditing.h"
#include "platform/view/View.h"

namespace plat {

namespace keyboardbar {

inline constexpr double kHeight = 49;

// Whether the phone's keyboard of this type has a return key: its keypads for numbers have
// none, and their fields are finished by ending the editing.
bool hasReturnKey(KeyboardType type);

// Whether the phone's keyboard of this type has a key for `character` (one UTF-8 character):
// the keypads for numbers have digits and a few signs, no letters, so the computer's letter keys
// type nothing into a number field.
bool hasKey(KeyboardType type, const std::string& character);

// The bar's view, laid out for `width`; its key calls `pressKey`.
std::shared_ptr<View> make(double width, std::function<void()> pressKey);

// Names the key for the field being typed into: "回车" where the phone's keyboard has a return
// key, "完成" where the key ends the editing instead.
void showKeyFor(View& bar, KeyboardType type);

}  // namespace keyboardbar

}  // namespace plat
