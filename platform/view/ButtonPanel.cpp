#include "platform/view/ButtonPanel.h"

#include "platform/view/ModalOverlay.h"

namespace plat {

int ButtonPanel::addButtonWithTitle(const std::string& title) {
  titles_.push_back(title);
  rebuild();
  return int(titles_.size()) - 1;
}

std::string ButtonPanel::buttonTitleAtIndex(int index) const {
  return index >= 0 && index < int(titles_.size()) ? titles_[size_t(index)] : "";
}

Button* ButtonPanel::buttonAtIndex(int index) const {
  return index >= 0 && index < int(buttons_.size()) ? buttons_[size_t(index)].get() : nullptr;
}

bool ButtonPanel::isVisible() const {
  return ModalOverlay::isShowing(this);
}

void ButtonPanel::makeButtons(const std::function<void(Button&, int)>& dress) {
  for (const auto& b : buttons_) b->removeFromSuperview();
  buttons_.clear();
  for (size_t i = 0; i < titles_.size(); ++i) {
    int index = int(i);
    auto button = Button::create(ButtonType::System);
    button->setTitle(titles_[i]);
    button->addTarget(
        this, "press", [this, index](Control&) { pressButton(index); }, kTouchUpInside);
    dress(*button, index);
    buttons_.push_back(button);
    addSubview(button);
  }
  setNeedsLayout();
}

void ButtonPanel::present(std::function<void(View&)> onScreen) {
  dismissed_ = false;
  rebuild();
  ModalOverlay::show(shared_from_this(), std::move(onScreen));
}

void ButtonPanel::pressButton(int index) {
  if (dismissed_ || index < 0 || index >= int(titles_.size())) return;
  auto self = shared_from_this();  // the panel leaves the overlay, which held it
  clicked(index);
  dismissWithClickedButtonIndex(index, true);
}

void ButtonPanel::dismissWithClickedButtonIndex(int index, bool) {
  if (dismissed_) return;
  dismissed_ = true;
  auto self = shared_from_this();
  willDismiss(index);
  ModalOverlay::hide(this);
  didDismiss(index);
}

}  // namespace plat
