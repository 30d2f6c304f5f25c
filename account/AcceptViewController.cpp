#include "account/AcceptViewController.h"

#include "online/AccountText.h"
#include "online/ApiReply.h"
#include "online/ApiRequest.h"
#include "platform/draw/Image.h"
#include "store/CallDB.h"
#include "ui/GuiImages.h"
#include "ui/TabletTurns.h"

namespace {

std::shared_ptr<plat::Label> boxLabel(const plat::Rect& frame, const plat::Font& font) {
  auto label = std::make_shared<plat::Label>(frame);
  label->setFont(font);
  label->setBackgroundColor(plat::Color::clear());
  label->setAdjustsFontSizeToFitWidth(true);
  label->setMinimumFontSize(10);
  return label;
}

std::shared_ptr<plat::Button> boxButton(const plat::Rect& frame, const std::string& title) {
  auto button = plat::Button::create(plat::ButtonType::Custom, frame);
  button->setTitle(title);
  button->titleLabel().setFont(plat::Font::boldSystem(16));
  return button;
}

}  // namespace

void AcceptViewController::viewDidLoad() {
  plat::ViewController::viewDidLoad();
  plat::View& screen = *view();
  screen.setBackgroundColor(plat::Color::clear());
  const plat::Rect bounds = screen.bounds();
  childView_ = std::make_shared<plat::View>(plat::Rect{
      (bounds.width - kBoxWidth) / 2, (bounds.height - kBoxHeight) / 2, kBoxWidth, kBoxHeight});
  childView_->setBackgroundColor(plat::Color::clear());
  childView_->setAutoresizingMask(plat::kFlexibleLeftMargin | plat::kFlexibleRightMargin |
                                  plat::kFlexibleTopMargin | plat::kFlexibleBottomMargin);
  screen.addSubview(childView_);

  bgImageView_ = std::make_shared<plat::ImageView>(plat::Rect{0, 0, kBoxWidth, kBoxHeight});
  bgImageView_->setImage(guiimages::stretchable("gui/autoaccept_bg.png", 100, 120));
  childView_->addSubview(bgImageView_);

  wordLabel_ = boxLabel({15, 12, kBoxWidth - 30, 26}, plat::Font::boldSystem(18));
  childView_->addSubview(wordLabel_);
  iconImageView_ = std::make_shared<plat::ImageView>(plat::Rect{15, 46, 20, 20});
  iconImageView_->setContentMode(plat::ContentMode::ScaleAspectFit);
  childView_->addSubview(iconImageView_);
  acceptNum_ = boxLabel({40, 46, 50, 20}, plat::Font::system(14));
  childView_->addSubview(acceptNum_);
  shareName_ = boxLabel({95, 46, kBoxWidth - 110, 20}, plat::Font::system(14));
  shareName_->setTextAlignment(plat::TextAlignment::Right);
  childView_->addSubview(shareName_);

  helpInfo_ = std::make_shared<plat::TextView>(plat::Rect{10, 72, kBoxWidth - 20, 128});
  helpInfo_->setBackgroundColor(plat::Color::clear());
  helpInfo_->setEditable(false);
  helpInfo_->setFont(plat::Font::system(15));
  childView_->addSubview(helpInfo_);

  noPromptBtn_ = boxButton({10, 206, 150, 30}, "");
  initfb_btn(*noPromptBtn_, "不再提示");
  noPromptBtn_->addTarget([this](plat::Control&) { nopromptClick(); }, plat::kTouchUpInside);
  childView_->addSubview(noPromptBtn_);

  closeBtn_ = boxButton({15, 246, 120, 38}, "不采纳");
  closeBtn_->setShowsTouchWhenHighlighted(true);
  closeBtn_->setTitleColor(plat::Color::rgb255(60, 60, 60));
  closeBtn_->setBackgroundImage(guiimages::stretchable("gui/login_edit.png", 5, 5));
  closeBtn_->addTarget([this](plat::Control&) { closeClick(); }, plat::kTouchUpInside);
  childView_->addSubview(closeBtn_);
  acceptBtn_ = boxButton({145, 246, 120, 38}, "采纳");
  acceptBtn_->setTitleColor(plat::Color::white());
  acceptBtn_->setBackgroundImage(plat::Image::named("gui/accept_btn.png"));
  acceptBtn_->addTarget([this](plat::Control&) { acceptClick(); }, plat::kTouchUpInside);
  childView_->addSubview(acceptBtn_);

  isSendNetMsg_ = false;
  isTiShi_ = true;
}

void AcceptViewController::initfb_btn(plat::Button& button, const std::string& name) {
  button.setExclusiveTouch(true);
  button.setImage(plat::Image::named("gui/checkbox_empty.png"));
  button.setTitle(name);
  button.setTitle(name, plat::kStateHighlighted);
  button.setTitleColor(plat::Color::black());
  button.setTitleColor(plat::Color::black(), plat::kStateHighlighted);
  button.titleLabel().setFont(plat::Font::system(15));
  button.setContentHorizontalAlignment(plat::ContentHorizontalAlignment::Left);
  button.setImageEdgeInsets({0, 10, 0, 0});
  button.setTitleEdgeInsets({0, 15, 0, 0});
}

bool AcceptViewController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) {
  return ui::turnsOnTablet(o);
}

void AcceptViewController::showHelpInfo(const std::string& word, const plat::Value& row) {
  view();
  setWordName(word);
  setHelpID(ApiReply::integerOf(row.at(0)));
  wordLabel_->setText(word);
  helpInfo_->setText(row.at(1).asString());
  acceptNum_->setText(std::to_string(ApiReply::integerOf(row.at(2))));
  shareName_->setText(row.at(4).asString());
  iconImageView_->setImage(plat::Image::named(
      ApiReply::integerOf(row.at(5)) != 0 ? "gui/good_2.png" : "gui/good_1.png"));
}

void AcceptViewController::acceptClick() {
  if (isSendNetMsg_) return;
  isSendNetMsg_ = true;
  auto request = ApiRequest::get("accept_mnemonic.php", {{"mnemonic_id", helpID_}});
  request->setDelegate(this);
  request->setDidFinishSelector([this](HttpRequest& r) { sendFinished(r); });
  request->setDidFailSelector([this](HttpRequest& r) { sendFailed(r); });
  networkQueue_.add(request);
}

void AcceptViewController::sendFinished(HttpRequest& request) {
  isSendNetMsg_ = false;
  auto reply = ApiReply::handleFinished(request, ApiReplyHooks());
  if (!reply) return;
  CallDB::callDB()->saveMnemonic(wordName_, helpInfo_->text());
  if (deleage_) deleage_->close_callback();
}

void AcceptViewController::sendFailed(HttpRequest& request) {
  isSendNetMsg_ = false;
  ApiReply::handleFailed(request, ApiReplyHooks());
}

void AcceptViewController::closeClick() {
  CallDB::callDB()->saveMnemonic(wordName_, CallDB::DeclinedMnemonic);
  if (deleage_) deleage_->close_callback();
}

void AcceptViewController::nopromptClick() {
  CallDB::callDB()->UpdatePersonalValue_isNeed("autoAccept", isTiShi_ ? "0" : "1");
  noPromptBtn_->setImage(
      plat::Image::named(isTiShi_ ? "gui/checkbox_full.png" : "gui/checkbox_empty.png"));
  isTiShi_ = !isTiShi_;
}
