// What stands for the phone's keyboard on the desktop, where the computer's own keyboard types:
// a slim bar along the bottom of the screen that says so, with a key that works for a learner
// who holds only the mouse. It is as high as the keyboard reports itself, so screens that follow
// the keyboard's frame give up no more room than this bar takes; and as high as the tab bar,
// which it covers whole rather than leaving a strip of cut icons above it.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/view/TextEditing.h"
#include "platform/view/View.h"

namespace plat {

namespace keyboardbar {

inline constexpr double kHeight = 49;

// Whether the phone's keyboard of this type has a return key: its keypads for numbers have
// none, and their fields are finished by ending the editing.
bool hasReturnKey(KeyboardType type);

// The key of the phone's keyboard of this type that types `character` (one UTF-8 character):
// the keypads for numbers have digits and a few signs, no letters, so the computer's letter keys
// type nothing into a number field. A full-width digit or sign, as a Chinese input method types
// it, is the keypad's own key. Nothing where the keyboard has no such key.
std::optional<std::string> keyFor(KeyboardType type, const std::string& character);

// What a paste of `text` puts into a field with this keyboard: each character as its key, or
// nothing at all when one has none. A paste is taken whole or not at all, so "3.5" never becomes
// 35 in a field of whole numbers.
std::optional<std::string> pastedText(KeyboardType type, const std::string& text);

// The bar's view, laid out for `width`; its key calls `pressKey`.
std::shared_ptr<View> make(double width, std::function<void()> pressKey);

// Names the key for the field being typed into: "回车" where the phone's keyboard has a return
// key, "完成" where the key ends the editing instead.
void showKeyFor(View& bar, KeyboardType type);

}  // namespace keyboardbar

}  // namespace plat
