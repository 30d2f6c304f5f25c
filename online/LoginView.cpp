// The interface "LoginView": the form panel of the login window, its fields, captions and buttons.
#include "online/LoginViewController.h"
#include "platform/view/Screen.h"
#include "ui/GuiImages.h"

namespace {

constexpr double kPanelWidth = 280;
constexpr double kFieldX = 82;
constexpr double kFieldWidth = 184;
constexpr double kRowHeight = 34;

std::shared_ptr<plat::Label> caption(const std::string& text, double y, double size = 15) {
  auto label = std::make_shared<plat::Label>(plat::Rect{10, y, kFieldX - 14, kRowHeight});
  label->setText(text);
  label->setFont(plat::Font::system(size));
  label->setTextColor(plat::Color::white(0.25));
  label->setTextAlignment(plat::TextAlignment::Right);
  label->setBackgroundColor(plat::Color::clear());
  return label;
}

// An account name and a referral id are 64 characters at most on the server, a password 6 to 16:
// a paste past 64 is refused with a word.
constexpr size_t kAccountCharacters = 64;

template <typename Field = MyTextField>
std::shared_ptr<MyTextField> field(double y, bool secure, const std::string& placeholder) {
  auto text = std::make_shared<Field>(plat::Rect{kFieldX, y, kFieldWidth, kRowHeight});
  text->setMostCharacters(kAccountCharacters);
  text->setFont(plat::Font::system(15));
  text->setSecureTextEntry(secure);
  text->setPlaceholder(placeholder);
  return text;
}

// The "选填" note stands inside the referral field's right end; the code typed stops short of it.
constexpr double kOptionalNoteWidth = 40;

class ReferralField : public MyTextField {
 public:
  using MyTextField::MyTextField;
  plat::Rect textRectForBounds(const plat::Rect& bounds) const override {
    return leaveNoteRoom(MyTextField::textRectForBounds(bounds));
  }
  plat::Rect editingRectForBounds(const plat::Rect& bounds) const override {
    return leaveNoteRoom(MyTextField::editingRectForBounds(bounds));
  }

 private:
  static plat::Rect leaveNoteRoom(plat::Rect r) {
    r.width -= kOptionalNoteWidth;
    return r;
  }
};

std::shared_ptr<plat::Label> note(double y) {
  auto label = std::make_shared<plat::Label>(plat::Rect{14, y, kPanelWidth - 28, 20});
  label->setFont(plat::Font::system(12));
  label->setTextColor(plat::Color::white(0.4));
  label->setNumberOfLines(0);
  label->setBackgroundColor(plat::Color::clear());
  return label;
}

}  // namespace

void LoginViewController::loadView() {
  auto root = std::make_shared<plat::View>(plat::Screen::main().bounds());
  root->setBackgroundColor(plat::Color::clear());
  setView(root);
  buildForm();
}

void LoginViewController::buildForm() {
  childView_ = std::make_shared<plat::View>(plat::Rect{0, 0, kPanelWidth, 330});
  childView_->setBackgroundColor(plat::Color::clear());
  bgImageView_ = std::make_shared<plat::ImageView>(plat::Rect{0, 0, kPanelWidth, 310});
  childView_->addSubview(bgImageView_);

  switchLoginBtn_ = plat::Button::create(plat::ButtonType::Custom, {12, 9, 170, 30});
  switchLoginBtn_->titleLabel().setFont(plat::Font::boldSystem(14));
  switchLoginBtn_->setTitleColor(plat::Color::rgb255(40, 120, 80));
  closeBtn_ = plat::Button::create(plat::ButtonType::Custom, {kPanelWidth - 42, 6, 36, 36});
  closeBtn_->setTitle("×");
  closeBtn_->titleLabel().setFont(plat::Font::boldSystem(26));
  closeBtn_->setTitleColor(plat::Color::white(0.35));

  nameLabel_ = caption("账号", 56);
  pwdLabel_ = caption("密码", 98);
  rePwdLabel_ = caption("确认密码", 140);
  populLabel_ = caption("推荐人", 182);
  nameText_ = field(56, false, "邮箱或用户名");
  pwdText_ = field(98, true, "6到16位");
  rePwdText_ = field(140, true, "再输入一次密码");
  populText_ = field<ReferralField>(182, false, "推荐人编号");
  selLabel_ = std::make_shared<plat::Label>(plat::Rect{
      kFieldX + kFieldWidth - kOptionalNoteWidth - 4, 182, kOptionalNoteWidth, kRowHeight});
  selLabel_->setText("选填");
  selLabel_->setFont(plat::Font::system(12));
  selLabel_->setTextColor(plat::Color::white(0.55));
  selLabel_->setTextAlignment(plat::TextAlignment::Right);
  selLabel_->setBackgroundColor(plat::Color::clear());
  selLabel_->setUserInteractionEnabled(false);

  infoLabel_ = note(221);
  regInfoLabel_ = note(246);
  regInfoLabel_->setTextColor(plat::Color::rgb255(200, 110, 30));
  loginBtn_ = plat::Button::create(plat::ButtonType::Custom, {14, 270, kPanelWidth - 28, 42});
  loginBtn_->titleLabel().setFont(plat::Font::boldSystem(17));
  loginBtn_->setTitleColor(plat::Color::white());

  for (const std::shared_ptr<plat::View>& view : std::initializer_list<std::shared_ptr<plat::View>>{
           switchLoginBtn_, closeBtn_, nameLabel_, pwdLabel_, rePwdLabel_, populLabel_, nameText_,
           pwdText_, rePwdText_, populText_, selLabel_, infoLabel_, regInfoLabel_, loginBtn_}) {
    childView_->addSubview(view);
  }
  view()->addSubview(childView_);
}
