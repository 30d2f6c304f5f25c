// The form inside the login window, with two faces: registration of a new account and login of an
// existing one. Registration is sent from here; login goes through a Login object. The form tells
// its window when it is done.
#pragma once

#include <memory>
#include <string>

#include "net/HttpRequest.h"
#include "online/AccountQueue.h"
#include "online/Login.h"
#include "online/LoginUIWindow.h"
#include "platform/base/Value.h"
#include "platform/view/AlertView.h"
#include "platform/view/Button.h"
#include "platform/view/ImageView.h"
#include "platform/view/Label.h"
#include "platform/view/TextField.h"
#include "platform/view/ViewController.h"
#include "ui/MyTextField.h"

class LoginViewController : public plat::ViewController,
                            public plat::TextFieldDelegate,
                            public HttpRequestDelegate,
                            public plat::AlertViewDelegate,
                            public LoginDeleage {
 public:
  static constexpr int kFaceLogin = 0;
  static constexpr int kFaceRegister = 1;
  static constexpr int kKeepOrClearTag = 4;
  static constexpr double kLift = 100;
  static constexpr double kCloseDelaySeconds = 2.0;
  static constexpr const char* kRegisterRow = "学员注册并登录";

  LoginViewController();
  ~LoginViewController() override;

  void loadView() override;  // the form of the interface "LoginView"
  void viewDidLoad() override;
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;
  // The panel stays centred on the turned screen (lifted still while the keyboard is up).
  void willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation, double) override {
    centrePanel();
  }

  // Shows one face (kFaceRegister, kFaceLogin), empties the password fields and lays the lower
  // part of the form out.
  void configState(int face);
  void switchBtn();
  void LoginBtn();
  void closeBtn();
  void closeKeyBoard();
  // The form of the wrong-password state: login only, the account fixed.
  void passwordErrState();

  bool shouldBeginEditing(plat::TextField& field) override;
  bool shouldReturn(plat::TextField& field) override;

  // Registration.
  void registerAccount();
  void regFinished(HttpRequest& request);
  void regFailed(HttpRequest& request);
  void didDismissWithButtonIndex(plat::AlertView& alert, int buttonIndex) override;
  void registerUser_Finish(bool clear);

  void Login_closewin_callback() override;

  void setDeleage(LoginViewDeleage* deleage) { deleage_ = deleage; }
  bool isRegisterFace() const { return rePwdText_ && rePwdText_->alpha() != 0; }
  Login* login() const { return login_.get(); }

  // ---- The form's views (outlets of the interface)
  plat::View& childView() const { return *childView_; }
  MyTextField& nameText() const { return *nameText_; }
  MyTextField& pwdText() const { return *pwdText_; }
  MyTextField& rePwdText() const { return *rePwdText_; }
  MyTextField& populText() const { return *populText_; }
  plat::Button& loginBtn() const { return *loginBtn_; }
  plat::Button& switchLoginBtn() const { return *switchLoginBtn_; }
  plat::Button& closeButton() const { return *closeBtn_; }
  plat::Label& infoLabel() const { return *infoLabel_; }
  plat::Label& regInfoLabel() const { return *regInfoLabel_; }

 private:
  void buildForm();
  void moveForm(double dy);
  void centrePanel();

  AccountQueue networkQueue_;
  std::unique_ptr<Login> login_;
  std::shared_ptr<plat::View> childView_;
  std::shared_ptr<plat::ImageView> bgImageView_;
  std::shared_ptr<plat::Button> closeBtn_, loginBtn_, switchLoginBtn_;
  std::shared_ptr<MyTextField> nameText_, pwdText_, rePwdText_, populText_;
  std::shared_ptr<plat::Label> nameLabel_, pwdLabel_;
  std::shared_ptr<plat::Label> selLabel_, rePwdLabel_, populLabel_, regInfoLabel_, infoLabel_;
  plat::Value tempLoginData_;
  bool isMoveKeyboard_ = false;
  LoginViewDeleage* deleage_ = nullptr;
  std::weak_ptr<plat::AlertView> question_;
  std::shared_ptr<LoginViewController*> self_;
};
