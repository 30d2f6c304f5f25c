#include "settings/HtmlViewController.h"

#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "platform/base/Utf.h"
#include "platform/view/Label.h"
#include "platform/view/NavigationController.h"
#include "ui/GuiImages.h"

void HtmlViewController::loadView() {
  setView(std::make_shared<plat::View>(plat::Rect{0, 0, 320, 416}));
}

std::string HtmlViewController::helpFolder() const {
  return plat::files::join(plat::Bundle::main().path(), "help");
}

void HtmlViewController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  using namespace plat;
  setTitle(navName_);
  auto title = std::make_shared<Label>(Rect{0, 0, 200, 44});
  title->setText(navName_);
  title->setFont(Font::boldSystem(20));
  title->setTextAlignment(TextAlignment::Center);
  title->setAdjustsFontSizeToFitWidth(true);
  title->setBackgroundColor(Color::clear());
  navigationItem().setTitleView(title);

  auto back = Button::create(ButtonType::Custom);
  back->setTitle(ParentName_);
  back->titleLabel().setFont(Font::boldSystem(12));
  back->setTitleColor(Color::white());
  back->setContentHorizontalAlignment(ContentHorizontalAlignment::Left);
  back->setTitleEdgeInsets({0, 15, 0, 0});
  back->setBackgroundImage(guiimages::stretchable("gui/nav_back_n.png", 20, 0));
  back->setBackgroundImage(guiimages::stretchable("gui/nav_back_h.png", 20, 0), kStateHighlighted);
  const Size fits = back->titleLabel().sizeThatFits({200, 44});
  back->setFrame({0, 0, fits.width + 25, fits.height + 3});
  back->addTarget(
      [this](Control&) {
        if (auto* nav = navigationController()) nav->popViewController(true);
      },
      kTouchUpInside);
  navigationItem().setHidesBackButton(true);
  navigationItem().setLeftBarButtonItem(std::make_shared<BarButtonItem>(back));

  webView_ = std::make_shared<WebView>(view()->bounds());
  webView_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  webView_->setOpaque(false);
  webView_->setBackgroundColor(Color::clear());
  view()->addSubview(webView_);
}

void HtmlViewController::viewWillAppear(bool) {
  const auto page = plat::files::readFile(plat::files::join(helpFolder(), htmlName_));
  addHtml(page && plat::utf::isValidUtf8(*page) ? *page : std::string());
}

void HtmlViewController::addHtml(const std::string& html) {
  if (html.empty()) return;
  webView_->loadHTMLString(html, "file://" + helpFolder() + "/");
}
