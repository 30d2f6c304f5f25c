#include "platform/view/Keyboard.h"

#include <algorithm>

#include "platform/base/NotificationCenter.h"
#include "platform/base/Utf.h"
#include "platform/view/AlertView.h"
#include "platform/view/KeyboardBar.h"
#include "platform/view/KeyboardReveal.h"
#include "platform/view/Screen.h"
#include "platform/view/Window.h"

namespace plat {
namespace {

constexpr double kAnimationDuration = 0.25;

struct State {
  View* responder = nullptr;
  bool visible = false;
  bool switching = false;  // one responder hands over to another: no hide and show between
  std::shared_ptr<Window> window;
  std::shared_ptr<View> shownInputView;
  std::shared_ptr<View> shownAccessory;  // what the keyboard's height counts
  std::shared_ptr<View> bar;             // the typing bar, made on first show
  bool showsInputView = false;           // the keyboard's height is the input view's
};

State& state() {
  static State* s = new State();  // never destroyed, like the application it serves
  return *s;
}

TextInput* textInput() {
  return dynamic_cast<TextInput*>(state().responder);
}

Rect offscreenFrame() {
  Rect screen = Screen::main().bounds();
  return {0, screen.height, screen.width, Keyboard::height()};
}

void post(const std::string& name, const Rect& begin, const Rect& end) {
  NotificationCenter::defaultCenter().post(
      name, nullptr,
      Value::dictionary({{kKeyboardFrameBeginKey, Keyboard::valueFromRect(begin)},
                         {kKeyboardFrameEndKey, Keyboard::valueFromRect(end)},
                         {kKeyboardAnimationDurationKey, Value(kAnimationDuration)}}));
}

double accessoryHeight() {
  return state().shownAccessory ? state().shownAccessory->frame().height : 0;
}

void removeAccessory() {
  State& s = state();
  if (s.shownAccessory) s.shownAccessory->removeFromSuperview();
  s.shownAccessory.reset();
}

bool responderHasInputView() {
  return textInput() && textInput()->inputView() != nullptr;
}

// Puts the typing bar, or the responder's input view, into the keyboard window, under the
// responder's accessory view.
void showContent() {
  State& s = state();
  if (!s.window) {
    s.window = std::make_shared<Window>(Keyboard::frame());
    s.window->setWindowLevel(kWindowLevelKeyboard);
  }
  s.window->setFrame(Keyboard::frame());
  // Over the window of the field it types into (the login form is above the others).
  const Window* fieldWindow = s.responder ? s.responder->window() : nullptr;
  s.window->setWindowLevel(
      std::max(kWindowLevelKeyboard, fieldWindow ? fieldWindow->windowLevel() + 1 : 0));
  const Rect keys(0, accessoryHeight(), s.window->bounds().width,
                  s.window->bounds().height - accessoryHeight());
  std::shared_ptr<View> input = textInput() ? textInput()->inputView() : nullptr;
  if (input != s.shownInputView) {
    if (s.shownInputView) s.shownInputView->removeFromSuperview();
    s.shownInputView = input;
    if (input) s.window->addSubview(input);
  }
  if (input) input->setFrame(keys);
  if (!s.bar) s.bar = keyboardbar::make(keys.width, [] { Keyboard::pressBarKey(); });
  if (input) {
    s.bar->removeFromSuperview();
  } else {
    keyboardbar::showKeyFor(*s.bar,
                            textInput() ? textInput()->keyboardType() : KeyboardType::Default);
    s.bar->setFrame(keys);
    if (s.bar->superview() != s.window.get()) s.window->addSubview(s.bar);
  }
  if (s.shownAccessory) {
    Rect bar = s.shownAccessory->frame();
    s.shownAccessory->setFrame({0, 0, s.window->bounds().width, bar.height});
    if (s.shownAccessory->superview() != s.window.get()) s.window->addSubview(s.shownAccessory);
  }
  s.window->setBackgroundColor(input ? Color::white() : Color::white(0.82));
  s.window->setHidden(false);
}

// The edited view rises above the keyboard once the screens have followed its frame.
void revealResponder() {
  State& s = state();
  if (s.visible && s.responder) keyboardreveal::reveal(*s.responder, Keyboard::frame());
}

void update() {
  State& s = state();
  bool wanted = textInput() != nullptr;
  std::shared_ptr<View> accessory = wanted ? textInput()->inputAccessoryView() : nullptr;
  if (wanted && !s.visible) {
    removeAccessory();
    s.shownAccessory = accessory;
    s.showsInputView = responderHasInputView();
    post(kKeyboardWillShowNotification, offscreenFrame(), Keyboard::frame());
    s.visible = true;
    showContent();
    post(kKeyboardDidShowNotification, offscreenFrame(), Keyboard::frame());
    revealResponder();
  } else if (wanted) {
    // Another responder with another accessory or input view: the keyboard changes its height
    // while up.
    const Rect before = Keyboard::frame();
    if (accessory != s.shownAccessory) {
      removeAccessory();
      s.shownAccessory = accessory;
    }
    s.showsInputView = responderHasInputView();
    if (Keyboard::frame() != before) post(kKeyboardWillShowNotification, before, Keyboard::frame());
    showContent();
    revealResponder();
  } else if (s.visible) {
    post(kKeyboardWillHideNotification, Keyboard::frame(), offscreenFrame());
    s.visible = false;
    if (s.shownInputView) s.shownInputView->removeFromSuperview();
    s.shownInputView.reset();
    if (s.window) s.window->setHidden(true);
    keyboardreveal::restore();
    post(kKeyboardDidHideNotification, Keyboard::frame(), offscreenFrame());
    removeAccessory();
  }
}

}  // namespace

void TextInput::pasteTooLong() {
  AlertView::create("提示", pasteBound().message(), nullptr, "确定")->show();
}

View* Keyboard::firstResponder() {
  return state().responder;
}
bool Keyboard::isVisible() {
  return state().visible;
}
double Keyboard::height() {
  // An input view (a date picker) takes the phone keyboard's room; typing needs only the bar.
  const double content =
      state().showsInputView ? (Screen::main().isPad() ? 264 : 216) : keyboardbar::kHeight;
  return content + accessoryHeight();
}

Rect Keyboard::frame() {
  Rect screen = Screen::main().bounds();
  return {0, screen.height - height(), screen.width, height()};
}

Rect Keyboard::rectFromValue(const Value& v) {
  return {v.at(0).asDouble(), v.at(1).asDouble(), v.at(2).asDouble(), v.at(3).asDouble()};
}

Value Keyboard::valueFromRect(const Rect& r) {
  return Value::array({Value(r.x), Value(r.y), Value(r.width), Value(r.height)});
}

Window* Keyboard::window() {
  return state().visible ? state().window.get() : nullptr;
}

bool Keyboard::type(const std::string& text) {
  if (!textInput()) return false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t start = pos;
    utf::decodeNext(text, pos);
    if (pos <= start) break;
    // The responder may resign while typing (a return in the text, say).
    TextInput* input = textInput();
    const std::string character = text.substr(start, pos - start);
    if (!input) continue;
    if (std::optional<std::string> key = keyboardbar::keyFor(input->keyboardType(), character))
      input->insertText(*key);
  }
  return true;
}

bool Keyboard::paste(const std::string& text) {
  return state().responder && pasteInto(*state().responder, text);
}

bool Keyboard::pasteInto(View& view, const std::string& text) {
  auto* input = dynamic_cast<TextInput*>(&view);
  if (!input) return false;
  if (!input->pasteBound().fits(input->heldText(), text)) {
    input->pasteTooLong();
    return true;
  }
  // What the field's keyboard could not have typed is refused whole, as typing refuses it.
  std::optional<std::string> typed = keyboardbar::pastedText(input->keyboardType(), text);
  if (typed && !typed->empty()) input->insertPasted(*typed);
  return true;
}

bool Keyboard::deleteBackward() {
  if (!textInput()) return false;
  textInput()->deleteBackward();
  return true;
}

bool Keyboard::pressReturn() {
  if (!textInput()) return false;
  textInput()->returnKey();
  return true;
}

bool Keyboard::pressBarKey() {
  TextInput* input = textInput();
  if (!input) return false;
  if (keyboardbar::hasReturnKey(input->keyboardType())) {
    input->returnKey();
  } else {
    state().responder->resignFirstResponder();
  }
  return true;
}

bool Keyboard::makeFirstResponder(View* view, bool showKeyboard) {
  State& s = state();
  if (s.responder == view) return true;
  if (View* old = s.responder) {
    s.switching = true;
    old->resignFirstResponder();
    s.switching = false;
    if (s.responder == old) return false;  // it would not let go
  }
  s.responder = view;
  if (showKeyboard) update();
  return true;
}

void Keyboard::clearFirstResponder(View* view, bool hideKeyboard) {
  State& s = state();
  if (s.responder != view) return;
  s.responder = nullptr;
  if (hideKeyboard && !s.switching) update();
}

void Keyboard::refresh() {
  if (!state().switching) update();
}

void Keyboard::viewGoingAway(View* view) {
  State& s = state();
  if (s.responder == view) {
    s.responder = nullptr;
    update();
  }
}

void Keyboard::reset() {
  State& s = state();
  s.responder = nullptr;
  s.visible = false;
  if (s.shownInputView) s.shownInputView->removeFromSuperview();
  s.shownInputView.reset();
  s.showsInputView = false;
  removeAccessory();
  keyboardreveal::restore();
  if (s.window) s.window->setHidden(true);
}

}  // namespace plat
