#include "online/LoginViewController.h"

#include <algorithm>

#include "online/AccountText.h"
#include "platform/base/RunLoop.h"
#include "platform/draw/TextLayout.h"
#include "platform/view/Animation.h"
#include "store/CallDB.h"
#include "ui/GuiImages.h"
#include "ui/TabletTurns.h"

using accounttext::text;

namespace {
const char* const kCloseKey = "LoginViewController.close";
}  // namespace

LoginViewController::LoginViewController() : self_(std::make_shared<LoginViewController*>(this)) {}

LoginViewController::~LoginViewController() {
  plat::RunLoop::main().cancelPerforms(this);
  if (auto question = question_.lock()) question->setDelegate(nullptr);
  self_.reset();
}

bool LoginViewController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) {
  return ui::turnsOnTablet(o);
}

void LoginViewController::viewDidLoad() {
  for (MyTextField* field : {nameText_.get(), pwdText_.get(), rePwdText_.get(), populText_.get()}) {
    field->setDelegate(this);
    field->setBackground(guiimages::stretchable("gui/login_edit.png", 5, 5));
  }
  closeBtn_->setShowsTouchWhenHighlighted(true);
  closeBtn_->addTarget([this](plat::Control&) { closeBtn(); }, plat::kTouchUpInside);
  switchLoginBtn_->setAdjustsImageWhenHighlighted(false);
  switchLoginBtn_->addTarget([this](plat::Control&) { switchBtn(); }, plat::kTouchUpInside);
  loginBtn_->addTarget([this](plat::Control&) { LoginBtn(); }, plat::kTouchUpInside);
  bgImageView_->setImage(guiimages::stretchable("gui/login_bg.png", 100, 120));
  centrePanel();
  nameText_->setText(CallDB::callDB()->getPersonalValue("account"));
  configState(kFaceRegister);
}

void LoginViewController::configState(int face) {
  const bool registering = face == kFaceRegister;
  pwdText_->setText("");
  rePwdText_->setText("");
  populText_->setText("");
  loginBtn_->setBackgroundImage(
      guiimages::stretchable(registering ? "gui/reg_btn.png" : "gui/login_btn.png", 10, 10));
  loginBtn_->setTitle(registering ? "注册并登录" : "登录");
  switchLoginBtn_->setBackgroundImage(
      guiimages::stretchable(registering ? "gui/switch_reg.png" : "gui/switch_login.png", 10, 10));
  switchLoginBtn_->setTitle(registering ? "已有账号？去登录" : "没有账号？去注册");
  infoLabel_->setText(text(registering ? "login_eg1" : "login_eg3"));
  regInfoLabel_->setText(registering ? text("login_eg2") : "");
  const double alpha = registering ? 1 : 0;
  const std::vector<plat::View*> registrationOnly = {rePwdText_.get(), rePwdLabel_.get(),
                                                     populText_.get(), populLabel_.get(),
                                                     selLabel_.get(),  regInfoLabel_.get()};
  for (plat::View* view : registrationOnly) {
    view->setAlpha(alpha);
  }

  // The lower part follows the last visible field; the panel grows about its centre.
  const plat::Rect last = (registering ? populText_ : pwdText_)->frame();
  auto heightOf = [](const plat::Label& label, double least) {
    double measured =
        plat::measureText(label.text(), label.font(), {label.frame().width, 20000}).height;
    return std::max(least, measured + 3);
  };
  plat::Rect info = infoLabel_->frame();
  info.y = last.y + last.height + 5;
  info.height = heightOf(*infoLabel_, 20);
  infoLabel_->setFrame(info);
  plat::Rect notice = regInfoLabel_->frame();
  notice.y = info.y + info.height + 10;
  notice.height = heightOf(*regInfoLabel_, 1);
  regInfoLabel_->setFrame(notice);
  plat::Rect button = loginBtn_->frame();
  // The login face has no notice: the button follows the text above it without the notice's room.
  button.y = regInfoLabel_->text().empty() ? info.y + info.height + 12
                                           : notice.y + notice.height + 5;
  loginBtn_->setFrame(button);
  plat::Rect background = bgImageView_->frame();
  background.height = button.y + button.height + 10;
  bgImageView_->setFrame(background);
  plat::Rect panel = childView_->frame();
  const double change = background.height + 20 - panel.height;
  panel.height += change;
  panel.y -= change / 2;
  childView_->setFrame(panel);
}

void LoginViewController::switchBtn() {
  const bool registering = isRegisterFace();
  plat::Animation::animate(
      0.3, [this, registering] { configState(registering ? kFaceLogin : kFaceRegister); });
}

void LoginViewController::passwordErrState() {
  configState(kFaceLogin);
  nameText_->setEnabled(false);
  switchLoginBtn_->setHidden(true);
  infoLabel_->setText(text("login_eg4"));
}

void LoginViewController::LoginBtn() {
  closeKeyBoard();
  if (isRegisterFace()) {
    accounttext::panelList({kRegisterRow});
    registerAccount();
    return;
  }
  if (!login_) {
    login_ = std::make_unique<Login>();
    login_->setDeleage(this);
  }
  login_->setUserName(nameText_->text());
  login_->setUserPwd(pwdText_->text());
  login_->setIsReLogin(switchLoginBtn_->isHidden());
  login_->loginServer();
}

void LoginViewController::closeBtn() {
  accounttext::panelHide();
  closeKeyBoard();
  if (deleage_) deleage_->close_callback();
}

void LoginViewController::Login_closewin_callback() {
  std::weak_ptr<LoginViewController*> alive = self_;
  plat::RunLoop::main().performAfter(kCloseDelaySeconds, this, kCloseKey, [alive] {
    if (auto self = alive.lock()) (*self)->closeBtn();
  });
}

void LoginViewController::centrePanel() {
  const plat::Rect bounds = view()->bounds();
  plat::Rect panel = childView_->frame();
  panel.x = (bounds.width - panel.width) / 2;
  panel.y = (bounds.height - panel.height) / 2 - (isMoveKeyboard_ ? kLift : 0);
  childView_->setFrame(panel);
}

void LoginViewController::moveForm(double dy) {
  plat::Animation::animate(0.3, [this, dy] {
    plat::Rect panel = childView_->frame();
    panel.y += dy;
    childView_->setFrame(panel);
  });
}

bool LoginViewController::shouldBeginEditing(plat::TextField&) {
  if (!isMoveKeyboard_) {
    isMoveKeyboard_ = true;
    moveForm(-kLift);
  }
  return true;
}

bool LoginViewController::shouldReturn(plat::TextField&) {
  closeKeyBoard();
  return true;
}

void LoginViewController::closeKeyBoard() {
  for (MyTextField* field : {nameText_.get(), pwdText_.get(), rePwdText_.get(), populText_.get()}) {
    if (field) field->resignFirstResponder();
  }
  if (isMoveKeyboard_) {
    isMoveKeyboard_ = false;
    moveForm(kLift);
  }
}
