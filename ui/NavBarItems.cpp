#include "ui/NavBarItems.h"

#include "platform/view/NavigationController.h"
#include "ui/GuiImages.h"

namespace navbar {

using namespace plat;

std::shared_ptr<Label> titleLabel(const std::string& title) {
  auto label = std::make_shared<Label>(Rect{0, 0, 200, 44});
  label->setText(title);
  label->setFont(Font::boldSystem(20));
  label->setTextColor(Color::black());
  label->setTextAlignment(TextAlignment::Center);
  label->setAdjustsFontSizeToFitWidth(true);
  label->setBackgroundColor(Color::clear());
  return label;
}

std::shared_ptr<BarButtonItem> backItem(const std::string& title, std::function<void()> tap) {
  auto button = Button::create(ButtonType::Custom);
  button->setTitle(title);
  button->titleLabel().setFont(Font::boldSystem(12));
  button->setTitleColor(Color::white());
  button->setContentHorizontalAlignment(ContentHorizontalAlignment::Left);
  button->setTitleEdgeInsets({0, 15, 0, 0});
  button->setBackgroundImage(guiimages::stretchable("gui/nav_back_n.png", 20, 0));
  button->setBackgroundImage(guiimages::stretchable("gui/nav_back_h.png", 20, 0),
                             kStateHighlighted);
  const Size fits = button->titleLabel().sizeThatFits({200, 44});
  button->setFrame({0, 0, fits.width + 25, fits.height + 3});
  button->addTarget([tap](Control&) { tap(); }, kTouchUpInside);
  return std::make_shared<BarButtonItem>(button);
}

std::shared_ptr<Button> rightButton(const std::string& title, std::function<void()> tap) {
  auto button = Button::create(ButtonType::Custom, {0, 0, 50, 30});
  button->setTitle(title);
  button->titleLabel().setFont(Font::boldSystem(12));
  button->setTitleColor(Color::white());
  button->setBackgroundImage(guiimages::stretchable("gui/right_btn.png", 10, 10));
  button->setExclusiveTouch(true);
  button->addTarget([tap](Control&) { tap(); }, kTouchUpInside);
  return button;
}

void fitUnderBar(ViewController& screen) {
  NavigationController* nav = screen.navigationController();
  if (!nav || nav->topViewController() != &screen || !screen.isViewLoaded()) return;
  const Rect frame = nav->contentFrame(screen);
  if (screen.view()->frame() != frame) screen.view()->setFrame(frame);
}

}  // namespace navbar
