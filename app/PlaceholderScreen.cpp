#include "app/PlaceholderScreen.h"

#include "platform/view/Label.h"
#include "platform/view/NavigationController.h"

PlaceholderScreen::PlaceholderScreen(const std::string& title) {
  setTitle(title);
  tabBarItem().setTitle(title);
}

void PlaceholderScreen::viewDidLoad() {
  BaseViewController::viewDidLoad();
  view()->setBackgroundColor(plat::Color::white());
  const plat::Rect bounds = view()->bounds();
  auto note =
      std::make_shared<plat::Label>(plat::Rect(20, bounds.height / 2 - 40, bounds.width - 40, 30));
  note->setText("「" + title() + "」即将开放");
  note->setTextAlignment(plat::TextAlignment::Center);
  note->setTextColor(plat::Color::rgb255(150, 150, 150));
  note->setFont(plat::Font::system(17));
  note->setAutoresizingMask(plat::kFlexibleWidth | plat::kFlexibleTopMargin |
                            plat::kFlexibleBottomMargin);
  view()->addSubview(note);
}

std::shared_ptr<plat::ViewController> PlaceholderScreen::tab(const std::string& title) {
  auto nav =
      std::make_shared<plat::NavigationController>(std::make_shared<PlaceholderScreen>(title));
  nav->tabBarItem().setTitle(title);
  return nav;
}
