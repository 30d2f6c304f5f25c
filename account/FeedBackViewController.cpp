#include "account/FeedBackViewController.h"

#include "account/AccountNavBar.h"
#include "online/AccountText.h"
#include "online/ApiReply.h"
#include "online/ApiRequest.h"
#include "platform/view/Animation.h"
#include "platform/view/Keyboard.h"
#include "platform/view/Screen.h"
#include "store/CallDB.h"
#include "ui/GuiImages.h"
#include "ui/TabletTurns.h"

using accounttext::text;

namespace {
constexpr double kTextTop = 56;
constexpr double kNavigationBarHeight = 44;
// The server keeps a feedback text of 10000 characters at most.
constexpr size_t kFeedbackCharacters = 10000;
}  // namespace

FeedBackViewController::FeedBackViewController() = default;

FeedBackViewController::~FeedBackViewController() {
  plat::NotificationCenter::defaultCenter().removeObserver(this);
}

bool FeedBackViewController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) {
  return ui::turnsOnTablet(o);
}

void FeedBackViewController::loadView() {
  const plat::Rect frame = plat::Screen::main().applicationFrame();
  auto root = std::make_shared<plat::View>(plat::Rect{0, 0, frame.width, frame.height - 44});
  root->setBackgroundColor(plat::Color::rgb255(240, 248, 243));
  const double buttonWidth = (frame.width - 20) / 3;
  for (int i = 0; i < 3; ++i) {
    kindButtons_[i] =
        plat::Button::create(plat::ButtonType::Custom, {10 + buttonWidth * i, 10, buttonWidth, 36});
    // A tablet turned on its side: each keeps its share of the wider row.
    kindButtons_[i]->setAutoresizingMask(plat::kFlexibleLeftMargin | plat::kFlexibleWidth |
                                         plat::kFlexibleRightMargin);
    root->addSubview(kindButtons_[i]);
  }
  const plat::Rect box{10, kTextTop, frame.width - 20, root->bounds().height - kTextTop - 10};
  textbgView_ = std::make_shared<plat::ImageView>(box);
  infoTextView_ = std::make_shared<MyTextView>(box);
  // Turned with the keyboard up, the box keeps ending where the keyboard begins: the keyboard
  // is as high either way, so the box gives up what the screen loses.
  for (plat::View* view :
       {static_cast<plat::View*>(textbgView_.get()), static_cast<plat::View*>(infoTextView_.get())})
    view->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleHeight);
  infoTextView_->setFont(plat::Font::system(16));
  infoTextView_->setMostCharacters(kFeedbackCharacters);
  root->addSubview(textbgView_);
  root->addSubview(infoTextView_);
  setView(root);
}

void FeedBackViewController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  accountnav::install(*this, navName_, parentName_);
  accountnav::rightButton(*this, "发送", [this] { sendClick(); });
  infoTextView_->setPlaceholder(kPlaceholder);
  infoTextView_->setBackgroundColor(plat::Color::clear());
  infoTextView_->textChange();
  textbgView_->setImage(guiimages::stretchable("gui/help_text_up.png", 2, 20));
  view()->sendSubviewToBack(textbgView_.get());
  initfb_btn(*kindButtons_[0], "建议");
  initfb_btn(*kindButtons_[1], "bug");
  initfb_btn(*kindButtons_[2], "咨询");
}

void FeedBackViewController::initfb_btn(plat::Button& button, const std::string& name) {
  button.setTitle(name);
  button.setTitleColor(plat::Color::black());
  button.titleLabel().setFont(plat::Font::system(16));
  button.setImage(plat::Image::named("gui/single_empty.png"));
  button.setContentHorizontalAlignment(plat::ContentHorizontalAlignment::Left);
  button.setImageEdgeInsets({0, 10, 0, 0});
  button.setTitleEdgeInsets({0, 15, 0, 0});
  button.setExclusiveTouch(true);
  button.addTarget([this, &button](plat::Control&) { selType(&button); }, plat::kTouchUpInside);
}

void FeedBackViewController::viewWillAppear(bool) {
  auto& center = plat::NotificationCenter::defaultCenter();
  center.addObserver(this, plat::kKeyboardWillShowNotification, nullptr,
                     [this](const plat::Notification& n) { keyboardShow(n); });
  center.addObserver(this, plat::kKeyboardWillHideNotification, nullptr,
                     [this](const plat::Notification& n) { keyboardHide(n); });
  infoTextView_->becomeFirstResponder();
}

void FeedBackViewController::viewWillDisappear(bool) {
  plat::NotificationCenter::defaultCenter().removeObserver(this);
}

void FeedBackViewController::selType(const plat::Button* tapped) {
  int chosen = 0;
  for (int i = 0; i < 3; ++i)
    if (kindButtons_[i].get() == tapped) chosen = i + 1;
  if (chosen == 0) return;
  for (int i = 0; i < 3; ++i) {
    kindButtons_[i]->setImage(
        plat::Image::named(i + 1 == chosen ? "gui/single_full.png" : "gui/single_empty.png"));
  }
  selType_ = chosen;
}

void FeedBackViewController::resizeText(double height) {
  const std::array<plat::View*, 2> both = {infoTextView_.get(), textbgView_.get()};
  for (plat::View* view : both) {
    plat::Rect frame = view->frame();
    frame.height = height;
    view->setFrame(frame);
  }
}

void FeedBackViewController::keyboardShow(const plat::Notification& notification) {
  const plat::Rect keyboard =
      plat::Keyboard::rectFromValue(notification.userInfo[plat::kKeyboardFrameEndKey]);
  const double duration = notification.userInfo[plat::kKeyboardAnimationDurationKey].asDouble();
  const double height = plat::Screen::main().applicationFrame().height - keyboard.height -
                        kNavigationBarHeight - infoTextView_->frame().y;
  plat::Animation::animate(duration, [this, height] { resizeText(height); });
}

void FeedBackViewController::keyboardHide(const plat::Notification&) {
  resizeText(view()->bounds().height - infoTextView_->frame().y);
}

void FeedBackViewController::leaveEditMode() {
  infoTextView_->resignFirstResponder();
}

void FeedBackViewController::sendClick() {
  CallDB* db = CallDB::callDB();
  if (db->getPersonalValue("account").empty()) {
    leaveEditMode();
    accounttext::showMessage(text("alermsg_eg3"));
    return;
  }
  if (selType_ == 0) {
    leaveEditMode();
    accounttext::showMessage(text("alermsg_eg7"));
    return;
  }
  const plat::Value system = db->feedback_get_systeminfo();
  const std::string systemInfo = system.at(0).asString() + system.at(1).asString();
  auto request = ApiRequest::post("advise.php", {{"advises_type", selType_},
                                                 {"content", infoTextView_->text()},
                                                 {"system_info", systemInfo}});
  request->setDelegate(this);
  request->setDidFinishSelector([this](HttpRequest& r) { sendFinished(r); });
  request->setDidFailSelector([this](HttpRequest& r) { sendFailed(r); });
  networkQueue_.add(request);
}

void FeedBackViewController::sendFinished(HttpRequest& request) {
  const int status = request.responseStatusCode();
  if (status >= 200 && status <= 299 && ApiReply::decode(request.responseString().value_or(""))) {
    leaveEditMode();
  }
  ApiReplyHooks hooks;
  hooks.relogin = ApiReplyHooks::openLoginAgain;
  if (ApiReply::handleFinished(request, hooks)) accounttext::showMessage(text("alermsg_eg8"));
}

void FeedBackViewController::sendFailed(HttpRequest& request) {
  leaveEditMode();
  ApiReply::handleFailed(request, ApiReplyHooks());
}
