// The first responder and the on-screen keyboard. When a view that takes text becomes first
// responder the keyboard comes up (the will-show and did-show notifications say where); when
// no such view is left it goes down again. A text view's input view (a date picker) is shown in
// the keyboard's place, and its accessory view (a bar with a button that ends editing) on top of
// the keyboard, which then counts as part of it. The hosts type through here.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/base/Value.h"
#include "platform/draw/Geometry.h"
#include "platform/view/PasteBound.h"
#include "platform/view/TextEditing.h"

namespace plat {

class View;
class Window;

inline const std::string kKeyboardWillShowNotification = "UIKeyboardWillShowNotification";
inline const std::string kKeyboardDidShowNotification = "UIKeyboardDidShowNotification";
inline const std::string kKeyboardWillHideNotification = "UIKeyboardWillHideNotification";
inline const std::string kKeyboardDidHideNotification = "UIKeyboardDidHideNotification";
// userInfo keys: frames as [x, y, width, height] in screen points; duration in seconds.
inline const std::string kKeyboardFrameBeginKey = "UIKeyboardFrameBeginUserInfoKey";
inline const std::string kKeyboardFrameEndKey = "UIKeyboardFrameEndUserInfoKey";
inline const std::string kKeyboardAnimationDurationKey = "UIKeyboardAnimationDurationUserInfoKey";

// What a view that takes typed text offers the keyboard.
class TextInput {
 public:
  virtual ~TextInput() = default;
  virtual void insertText(const std::string& text) = 0;
  virtual void deleteBackward() = 0;
  virtual void returnKey() = 0;
  // A paste. On the desktop it may come a while after it was asked for (the clipboard read from
  // a slow program), when the editing has ended: it goes in all the same, at the end, the
  // delegate asked as for typing, and the view then ends its editing once more, so that what its
  // owner keeps of an editing's end takes the paste in too. Views that take text only while
  // editing take it as typed.
  virtual void insertPasted(const std::string& text) { insertText(text); }
  // What the view holds now, which a paste comes after.
  virtual std::string_view heldText() const { return {}; }
  // How much a paste may bring; one past it is refused whole and pasteTooLong() says so, by
  // default in an alert naming the bound.
  virtual PasteBound pasteBound() const { return {}; }
  virtual void pasteTooLong();
  // Which of the phone's keyboards it asks for: the keypads for numbers have no return key.
  virtual KeyboardType keyboardType() const { return KeyboardType::Default; }
  // Shown instead of the keyboard when set.
  virtual std::shared_ptr<View> inputView() const { return nullptr; }
  // Shown along the keyboard's top edge when set, as high as its frame.
  virtual std::shared_ptr<View> inputAccessoryView() const { return nullptr; }
};

class Keyboard {
 public:
  static View* firstResponder();
  static bool isVisible();
  static double height();  // with the accessory view shown on it
  static Rect frame();     // on screen, where the keyboard is while visible
  static Rect rectFromValue(const Value& value);
  static Value valueFromRect(const Rect& rect);
  // The window that holds the keyboard or the input view while visible (null otherwise).
  static Window* window();

  // Typing for the hosts: false when the first responder takes no text.
  static bool type(const std::string& text);  // one character at a time
  // Pasting: the whole text in one insertion, the delegate asked once, as a paste does. A field
  // with a keypad for numbers takes it as its keys (full-width digits as digits), or refuses it
  // whole when it holds a character the keypad has no key for.
  static bool paste(const std::string& text);
  // The same into `view`, being edited or not: a paste goes to the view it was asked for.
  static bool pasteInto(View& view, const std::string& text);
  static bool deleteBackward();
  static bool pressReturn();
  // The typing bar's key (and the computer's Enter): the return key where the phone's keyboard
  // has one; on a keypad without one it ends the editing, as a tap beside the field does.
  static bool pressBarKey();

  // For views: View::becomeFirstResponder / resignFirstResponder call these. Text views pass
  // showKeyboard false, tell their delegates, then call refresh() to move the keyboard.
  static bool makeFirstResponder(View* view, bool showKeyboard = true);
  static void clearFirstResponder(View* view, bool hideKeyboard = true);
  static void refresh();
  static void viewGoingAway(View* view);
  // Forgets every state (tests).
  static void reset();
};

}  // namespace plat
