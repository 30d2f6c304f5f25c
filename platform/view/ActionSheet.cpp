#include "platform/view/ActionSheet.h"

#include "platform/view/Screen.h"
#include "platform/view/Window.h"

namespace plat {
namespace {

constexpr double kButtonHeight = 44;
constexpr double kMargin = 8;
const Color kTint = Color::rgb255(0, 122, 255);

}  // namespace

ActionSheet::ActionSheet(const std::string& title, ActionSheetDelegate* delegate,
                         const std::string& cancelButtonTitle,
                         const std::string& destructiveButtonTitle,
                         const std::vector<std::string>& otherButtonTitles)
    : title_(title), delegate_(delegate) {
  // Up while a tablet turns: it stays along the bottom and takes the turned width.
  setAutoresizingMask(kFlexibleWidth | kFlexibleTopMargin);
  if (!destructiveButtonTitle.empty()) {
    titles_.push_back(destructiveButtonTitle);
    destructiveIndex_ = 0;
  }
  for (const std::string& t : otherButtonTitles) titles_.push_back(t);
  if (!cancelButtonTitle.empty()) {
    titles_.push_back(cancelButtonTitle);
    cancelIndex_ = int(titles_.size()) - 1;
  }
}

std::shared_ptr<ActionSheet> ActionSheet::create(
    const std::string& title, ActionSheetDelegate* delegate, const std::string& cancelButtonTitle,
    const std::string& destructiveButtonTitle, const std::vector<std::string>& otherButtonTitles) {
  return std::make_shared<ActionSheet>(title, delegate, cancelButtonTitle, destructiveButtonTitle,
                                       otherButtonTitles);
}

int ActionSheet::firstOtherButtonIndex() const {
  int index = destructiveIndex_ == 0 ? 1 : 0;
  return index < int(titles_.size()) && index != cancelIndex_ ? index : -1;
}

void ActionSheet::rebuild() {
  if (!titleLabel_) {
    titleLabel_ = std::make_shared<Label>();
    titleLabel_->setFont(Font::system(13));
    titleLabel_->setTextColor(Color::white(0.56));
    titleLabel_->setTextAlignment(TextAlignment::Center);
    titleLabel_->setNumberOfLines(0);
    addSubview(titleLabel_);
  }
  titleLabel_->setText(title_);
  makeButtons([this](Button& button, int index) {
    button.setTitleColor(index == destructiveIndex_ ? Color::rgb255(255, 59, 48) : kTint);
    button.titleLabel().setFont(index == cancelIndex_ ? Font::boldSystem(20) : Font::system(20));
    button.setBackgroundColor(Color::white(0.97));
    button.setBorderWidth(0.5);
    button.setBorderColor(Color::white(0.8));
  });
}

void ActionSheet::layoutSubviews() {
  Rect screen = Screen::main().bounds();
  double width = screen.width - 2 * kMargin;
  double y = 0;
  if (!title_.empty()) {
    Size size = measureText(title_, titleLabel_->font(), {width - 2 * kMargin, 2000});
    titleLabel_->setFrame({kMargin, 12, width - 2 * kMargin, size.height});
    y = size.height + 24;
  } else {
    titleLabel_->setFrame({});
  }
  for (size_t i = 0; i < buttons_.size(); ++i) {
    if (int(i) == cancelIndex_) continue;
    buttons_[i]->setFrame({0, y, width, kButtonHeight});
    y += kButtonHeight;
  }
  if (cancelIndex_ >= 0) {
    y += kMargin;
    buttons_[size_t(cancelIndex_)]->setFrame({0, y, width, kButtonHeight});
    y += kButtonHeight;
  }
  setFrame({kMargin, screen.height - kMargin - y, width, y});
}

void ActionSheet::showInView(View*) {
  present([](View& panel) { panel.layoutIfNeeded(); });
}

void ActionSheet::clicked(int index) {
  if (delegate_) delegate_->clickedButtonAtIndex(*this, index);
}

void ActionSheet::willDismiss(int index) {
  if (delegate_) delegate_->willDismissWithButtonIndex(*this, index);
}

void ActionSheet::didDismiss(int index) {
  if (delegate_) delegate_->didDismissWithButtonIndex(*this, index);
}

}  // namespace plat
