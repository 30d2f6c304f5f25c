#include "online/LoginUIWindow.h"

#include "online/LoginViewController.h"
#include "platform/view/Animation.h"
#include "platform/view/Application.h"
#include "platform/view/Screen.h"

namespace {

// The one shown window, and the window that was key before it opened.
std::shared_ptr<LoginUIWindow>& current() {
  static std::shared_ptr<LoginUIWindow> window;
  return window;
}

std::weak_ptr<plat::View>& previousKey() {
  static std::weak_ptr<plat::View> window;
  return window;
}

}  // namespace

void LoginUIWindow::show() {
  show(nullptr);
}

void LoginUIWindow::show(LoginWindowDeleage* deleage) {
  if (!current()) {
    current() = std::make_shared<LoginUIWindow>();
    current()->setDeleage(deleage);
  }
  plat::Window* key = plat::Application::shared().keyWindow();
  if (key && key != current().get()) previousKey() = key->shared_from_this();
  current()->makeKeyAndVisible();
}

void LoginUIWindow::passwordErr_State() {
  if (current()) current()->form().passwordErrState();
}

LoginUIWindow* LoginUIWindow::shown() {
  return current().get();
}

LoginUIWindow::LoginUIWindow() : plat::Window(plat::Screen::main().bounds()) {
  setWindowLevel(plat::kWindowLevelStatusBar);
  setBackgroundColor(plat::Color::rgb(0, 0, 0, 0.4));
  form_ = std::make_shared<LoginViewController>();
  form_->setDeleage(this);
  setRootViewController(form_);
}

LoginUIWindow::~LoginUIWindow() {
  form_->setDeleage(nullptr);
}

void LoginUIWindow::close_callback() {
  std::weak_ptr<plat::View> self = shared_from_this();
  plat::Animation::animate(
      kFadeSeconds, [this] { setAlpha(0); },
      [self](bool) {
        if (auto window = self.lock()) static_cast<LoginUIWindow&>(*window).dialogIsRemoved();
      });
}

void LoginUIWindow::dialogIsRemoved() {
  // Keeps this window alive to the end of the call, though it is no longer the shown one.
  std::shared_ptr<LoginUIWindow> keep = current().get() == this ? current() : nullptr;
  if (auto previous = previousKey().lock()) static_cast<plat::Window&>(*previous).makeKey();
  previousKey().reset();
  setHidden(true);
  if (current().get() == this) current().reset();
  if (deleage_) deleage_->closeWindow_callback();
}
