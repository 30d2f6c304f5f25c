#include "platform/view/AlertView.h"

#include <algorithm>

#include "platform/base/NotificationCenter.h"
#include "platform/draw/DisplayText.h"
#include "platform/view/Keyboard.h"
#include "platform/view/Window.h"

namespace plat {
namespace {

constexpr double kButtonHeight = 44;
constexpr double kFieldHeight = 29;
constexpr double kPadding = 16;
const Color kTint = Color::rgb255(0, 122, 255);
constexpr double kStatusBarHeight = 20;
constexpr double kKeyboardGap = 8;

// Centred in the room the keyboard leaves (its top edge in the window's points, or the
// window's height when it is down); an alert taller than that room keeps its buttons in sight.
void placeAbove(AlertView& alert, const Window& window, double keyboardTop) {
  const double bottom = std::min(window.bounds().height, keyboardTop - kKeyboardGap);
  const double height = alert.bounds().height;
  double top = (kStatusBarHeight + bottom - height) / 2;
  if (keyboardTop >= window.bounds().height) top = (window.bounds().height - height) / 2;
  top = std::min(top, bottom - height);
  alert.setCenter({window.bounds().width / 2, top + height / 2});
}

double keyboardTopIn(const Window& window, const Rect& keyboard) {
  return keyboard.y - window.frame().y;
}

}  // namespace

AlertView::AlertView(const std::string& title, const std::string& message,
                     AlertViewDelegate* delegate, const std::string& cancelButtonTitle,
                     const std::vector<std::string>& otherButtonTitles)
    : ButtonPanel(Rect(0, 0, kWidth, 120)), title_(title), message_(message), delegate_(delegate) {
  setBackgroundColor(Color::white(0.97));
  setCornerRadius(7);
  setClipsToBounds(true);
  // A tablet turned while the alert is up: it stays in the middle of the turned screen.
  setAutoresizingMask(kFlexibleLeftMargin | kFlexibleRightMargin | kFlexibleTopMargin |
                      kFlexibleBottomMargin);
  if (!cancelButtonTitle.empty()) {
    titles_.push_back(cancelButtonTitle);
    cancelIndex_ = 0;
  }
  for (const std::string& t : otherButtonTitles) titles_.push_back(t);
}

std::shared_ptr<AlertView> AlertView::create(const std::string& title, const std::string& message,
                                             AlertViewDelegate* delegate,
                                             const std::string& cancelButtonTitle,
                                             const std::vector<std::string>& otherButtonTitles) {
  return std::make_shared<AlertView>(title, message, delegate, cancelButtonTitle,
                                     otherButtonTitles);
}

AlertView::~AlertView() {
  NotificationCenter::defaultCenter().removeObserver(this);
}

void AlertView::followKeyboard() {
  auto& center = NotificationCenter::defaultCenter();
  center.removeObserver(this);
  for (const std::string& name : {kKeyboardWillShowNotification, kKeyboardWillHideNotification}) {
    center.addObserver(this, name, nullptr, [this](const Notification& n) {
      if (Window* window = this->window())
        placeAbove(
            *this, *window,
            keyboardTopIn(*window, Keyboard::rectFromValue(n.userInfo.get(kKeyboardFrameEndKey))));
    });
  }
}

void AlertView::setAlertViewStyle(AlertViewStyle style) {
  style_ = style;
  for (const auto& f : fields_) f->removeFromSuperview();
  fields_.clear();
  int count = style == AlertViewStyle::Default                 ? 0
              : style == AlertViewStyle::LoginAndPasswordInput ? 2
                                                               : 1;
  for (int i = 0; i < count; ++i) {
    auto field = std::make_shared<TextField>();
    field->setBorderStyle(TextBorderStyle::Line);
    field->setFont(Font::system(13));
    field->setSecureTextEntry(style == AlertViewStyle::SecureTextInput || i == 1);
    field->addTarget(
        this, "change", [this](Control&) { refreshFirstOther(); }, kEditingChanged);
    fields_.push_back(field);
    addSubview(field);
  }
  setNeedsLayout();
}

TextField* AlertView::textFieldAtIndex(int index) const {
  return index >= 0 && index < int(fields_.size()) ? fields_[size_t(index)].get() : nullptr;
}

int AlertView::firstOtherButtonIndex() const {
  int index = cancelIndex_ == 0 ? 1 : 0;
  return index < int(titles_.size()) ? index : -1;
}

void AlertView::rebuild() {
  if (!titleLabel_) {
    titleLabel_ = std::make_shared<Label>();
    titleLabel_->setFont(Font::boldSystem(17));
    titleLabel_->setTextAlignment(TextAlignment::Center);
    titleLabel_->setNumberOfLines(0);
    messageLabel_ = std::make_shared<Label>();
    messageLabel_->setFont(Font::system(13));
    messageLabel_->setTextAlignment(TextAlignment::Center);
    messageLabel_->setNumberOfLines(0);
    addSubview(titleLabel_);
    addSubview(messageLabel_);
  }
  // A server's text may be huge or unbroken: what is shown is bounded, short enough that the
  // alert and its buttons stay on the screen.
  titleLabel_->setText(boundedDisplayText(title_, 60));
  messageLabel_->setText(boundedDisplayText(message_, 300));
  makeButtons([this](Button& button, int index) {
    button.setTitleColor(kTint);
    button.titleLabel().setFont(index == cancelIndex_ ? Font::boldSystem(17) : Font::system(17));
    button.setBorderWidth(0.5);
    button.setBorderColor(Color::white(0.8));
  });
}

void AlertView::layoutSubviews() {
  double width = kWidth - 2 * kPadding;
  double y = 20;
  Size titleSize = measureText(titleLabel_->text(), titleLabel_->font(), {width, 2000});
  titleLabel_->setFrame({kPadding, y, width, titleSize.height});
  y += titleSize.height + (title_.empty() ? 0 : 4);
  Size messageSize = measureText(messageLabel_->text(), messageLabel_->font(), {width, 2000});
  messageLabel_->setFrame({kPadding, y, width, messageSize.height});
  y += messageSize.height + 16;
  for (const auto& field : fields_) {
    field->setFrame({kPadding, y, width, kFieldHeight});
    y += kFieldHeight + 4;
  }
  if (buttons_.size() == 2) {
    // The cancel button on the left, side by side.
    buttons_[0]->setFrame({0, y, kWidth / 2, kButtonHeight});
    buttons_[1]->setFrame({kWidth / 2, y, kWidth / 2, kButtonHeight});
    y += kButtonHeight;
  } else {
    for (size_t i = 0; i < buttons_.size(); ++i) {
      size_t order =
          cancelIndex_ == 0 && buttons_.size() > 2 ? (i == 0 ? buttons_.size() - 1 : i - 1) : i;
      buttons_[i]->setFrame({0, y + double(order) * kButtonHeight, kWidth, kButtonHeight});
    }
    y += double(buttons_.size()) * kButtonHeight;
  }
  Point c = center();
  setBounds({0, 0, kWidth, y});
  setCenter(c);
}

void AlertView::refreshFirstOther() {
  int index = firstOtherButtonIndex();
  if (Button* b = buttonAtIndex(index)) {
    b->setEnabled(!delegate_ || delegate_->shouldEnableFirstOtherButton(*this));
  }
}

void AlertView::show() {
  present([](View& panel) {
    auto& alert = static_cast<AlertView&>(panel);
    alert.layoutIfNeeded();
    if (Window* window = alert.window()) {
      placeAbove(alert, *window,
                 Keyboard::isVisible() ? keyboardTopIn(*window, Keyboard::frame())
                                       : window->bounds().height);
    }
    alert.followKeyboard();
    if (alert.delegate_) alert.delegate_->willPresent(alert);
    if (!alert.fields_.empty()) {
      alert.refreshFirstOther();
      alert.fields_.front()->becomeFirstResponder();
    }
    if (alert.delegate_) alert.delegate_->didPresent(alert);
  });
}

void AlertView::clicked(int index) {
  if (delegate_) delegate_->clickedButtonAtIndex(*this, index);
}

void AlertView::willDismiss(int index) {
  if (delegate_) delegate_->willDismissWithButtonIndex(*this, index);
  for (const auto& field : fields_) field->resignFirstResponder();
}

void AlertView::didDismiss(int index) {
  if (delegate_) delegate_->didDismissWithButtonIndex(*this, index);
}

}  // namespace plat
