#include "platform/host/DesktopPaste.h"

#include <memory>
#include <string>

#include "platform/host/DesktopSelection.h"
#include "platform/view/Application.h"
#include "platform/view/Clipboard.h"
#include "platform/view/Keyboard.h"
#include "platform/view/Window.h"

namespace plat {
namespace {

std::string primarySelection() {
  char* text = SDL_GetPrimarySelectionText();
  std::string copy = text ? text : "";
  SDL_free(text);
  return copy;
}

// The view under `p` that takes text, or its nearest such ancestor.
View* textInputAt(Point p) {
  Window* window = Application::shared().windowAt(p);
  if (!window) return nullptr;
  window->layoutIfNeeded();
  for (View* view = window->hitTest(window->convertFromSuperview(p)); view;
       view = view->superview()) {
    if (view->canBecomeFirstResponder()) return view;
  }
  return nullptr;
}

// On an X display the selection is read off the main thread, as slowly as its owner answers.
bool onX11() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && std::string(driver) == "x11";
}

// Starts reading the selection for `field`, which has the keyboard now. The text goes to that
// field when it comes, being edited or not, and not to whichever has the keyboard then: a slow
// owner gives the learner time to move on to another. A field gone meanwhile gets nothing.
bool readInto(View& field, DesktopSelection::Kind kind) {
  const auto* input = dynamic_cast<const TextInput*>(&field);
  if (!input) return false;
  return DesktopSelection::read(kind, input->pasteBound().mostBytesRead(),
                                [asked = field.weak_from_this()](const std::string& text) {
                                  const std::shared_ptr<View> field = asked.lock();
                                  if (field && !text.empty()) Keyboard::pasteInto(*field, text);
                                });
}

}  // namespace

bool DesktopPaste::isPasteKey(SDL_Keycode key, Uint16 modifiers) {
  const bool control = (modifiers & KMOD_CTRL) != 0;
  const bool others = (modifiers & (KMOD_ALT | KMOD_GUI)) != 0;
  if (key == SDLK_v) return control && !others;
  return key == SDLK_INSERT && (modifiers & KMOD_SHIFT) != 0 && !control && !others;
}

bool DesktopPaste::pasteClipboard() {
  View* field = Keyboard::firstResponder();
  if (!field) return false;
  if (onX11() && readInto(*field, DesktopSelection::Kind::Clipboard)) return true;
  return Keyboard::paste(Clipboard::general().text());
}

bool DesktopPaste::middleClick(Point p) {
  View* field = textInputAt(p);
  if (field && !field->isFirstResponder()) field->becomeFirstResponder();
  if (!Keyboard::firstResponder()) return false;
  if (onX11() && readInto(*Keyboard::firstResponder(), DesktopSelection::Kind::Primary))
    return true;
  return Keyboard::paste(primarySelection());
}

}  // namespace plat
