// The one modal login and registration window of the application, above every other window. Any
// screen opens it when an account is needed; a reply that asks for a new login opens it in its
// wrong-password state. Closing it gives the key back to the window that had it.
#pragma once

#include <memory>

#include "platform/view/Window.h"

class LoginViewController;

class LoginWindowDeleage {
 public:
  virtual ~LoginWindowDeleage() = default;
  // The window has gone.
  virtual void closeWindow_callback() {}
};

class LoginViewDeleage {
 public:
  virtual ~LoginViewDeleage() = default;
  virtual void close_callback() {}
};

class LoginUIWindow : public plat::Window, public LoginViewDeleage {
 public:
  static constexpr double kFadeSeconds = 0.2;

  // Opens the window (made when none is shown) and makes it key.
  static void show();
  // As show(); a window made here takes `deleage`, one already shown keeps its own.
  static void show(LoginWindowDeleage* deleage);
  // The shown window's form goes to its login face with the account fixed; nothing without one.
  static void passwordErr_State();
  // The shown window, or nullptr.
  static LoginUIWindow* shown();

  LoginUIWindow();
  ~LoginUIWindow() override;

  void close_callback() override;  // fades out, then dialogIsRemoved
  void dialogIsRemoved();

  LoginWindowDeleage* deleage() const { return deleage_; }
  void setDeleage(LoginWindowDeleage* deleage) { deleage_ = deleage; }
  LoginViewController& form() const { return *form_; }

 private:
  LoginWindowDeleage* deleage_ = nullptr;
  std::shared_ptr<LoginViewController> form_;
};
