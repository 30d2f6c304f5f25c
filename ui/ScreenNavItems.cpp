#include "ui/ScreenNavItems.h"

#include "platform/draw/TextLayout.h"
#include "platform/view/NavigationController.h"
#include "ui/GuiImages.h"

using namespace plat;

namespace ScreenNavItems {

std::shared_ptr<Label> titleLabel(const std::string& title) {
  auto label = std::make_shared<Label>();
  label->setBackgroundColor(Color::clear());
  label->setTextColor(Color::black());
  label->setFont(Font::boldSystem(20));
  label->setTextAlignment(TextAlignment::Center);
  label->setAdjustsFontSizeToFitWidth(true);
  label->setText(title);
  label->sizeToFit();
  return label;
}

std::shared_ptr<Button> backButton(const std::string& title, double maxWidth,
                                   std::function<void()> action) {
  auto button = Button::create(ButtonType::Custom);
  button->setTitle(title);
  button->titleLabel().setFont(Font::boldSystem(12));
  button->setBackgroundImage(guiimages::stretchable("gui/nav_back_n.png", 20, 0));
  button->setBackgroundImage(guiimages::stretchable("gui/nav_back_h.png", 20, 0),
                             kStateHighlighted);
  button->setContentHorizontalAlignment(ContentHorizontalAlignment::Left);
  button->setTitleEdgeInsets({0, 15, 0, 0});
  button->addTarget([action = std::move(action)](Control&) { action(); }, kTouchUpInside);
  const double width = measureText(title, Font::boldSystem(12), {maxWidth, 50}).width + 25;
  button->setFrame({0, 0, width, button->sizeThatFits({width, 0}).height + 3});
  return button;
}

void install(ViewController& screen, const std::string& title, const std::string& backTitle) {
  screen.navigationItem().setTitle(title);
  screen.navigationItem().setTitleView(titleLabel(title));
  screen.navigationItem().setHidesBackButton(true);
  auto button = backButton(backTitle, screen.view()->bounds().width, [&screen] {
    if (NavigationController* nav = screen.navigationController()) nav->popViewController(true);
  });
  screen.navigationItem().setLeftBarButtonItem(std::make_shared<BarButtonItem>(button));
}

}  // namespace ScreenNavItems
