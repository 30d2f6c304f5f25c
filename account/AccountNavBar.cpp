#include "account/AccountNavBar.h"

#include "platform/draw/TextLayout.h"
#include "platform/view/Label.h"
#include "platform/view/NavigationController.h"
#include "ui/GuiImages.h"

namespace accountnav {

void install(plat::ViewController& screen, const std::string& title, const std::string& backTitle) {
  auto label = std::make_shared<plat::Label>();
  label->setBackgroundColor(plat::Color::clear());
  label->setFont(plat::Font::boldSystem(20));
  label->setTextAlignment(plat::TextAlignment::Center);
  label->setText(title);
  label->sizeToFit();
  screen.navigationItem().setTitleView(label);

  auto back = plat::Button::create(plat::ButtonType::Custom);
  back->setTitle(backTitle);
  back->titleLabel().setFont(plat::Font::boldSystem(12));
  back->setBackgroundImage(guiimages::stretchable("gui/nav_back_n.png", 20, 0));
  back->setBackgroundImage(guiimages::stretchable("gui/nav_back_h.png", 20, 0),
                           plat::kStateHighlighted);
  const double width = plat::measureText(backTitle, plat::Font::boldSystem(12)).width + 25;
  back->setFrame({0, 0, width, back->sizeThatFits({width, 0}).height + 3});
  back->addTarget(
      [&screen](plat::Control&) {
        if (auto* nav = screen.navigationController()) nav->popViewController(true);
      },
      plat::kTouchUpInside);
  screen.navigationItem().setLeftBarButtonItem(std::make_shared<plat::BarButtonItem>(back));
}

std::shared_ptr<plat::Button> rightButton(plat::ViewController& screen, const std::string& title,
                                          std::function<void()> action) {
  auto button = plat::Button::create(plat::ButtonType::Custom, {0, 0, 50, 30});
  button->setBackgroundImage(guiimages::stretchable("gui/right_btn.png", 10, 10));
  button->setTitle(title);
  button->titleLabel().setFont(plat::Font::boldSystem(12));
  button->setTitleColor(plat::Color::white());
  button->setExclusiveTouch(true);
  button->addTarget([action = std::move(action)](plat::Control&) { action(); },
                    plat::kTouchUpInside);
  screen.navigationItem().setRightBarButtonItem(std::make_shared<plat::BarButtonItem>(button));
  return button;
}

}  // namespace accountnav
