#include "settings/HtmlViewController.h"

#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "platform/base/RunLoop.h"
#include "platform/base/Utf.h"
#include "platform/view/Application.h"
#include "platform/view/NavigationController.h"
#include "ui/ScreenNavItems.h"
#include "ui/TabletTurns.h"

using namespace plat;

namespace {

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool isOutside(const std::string& address) {
  for (const char* scheme : {"itms-apps://", "http://", "https://", "www."})
    if (startsWith(address, scheme)) return true;
  return false;
}

void removeAll(std::string& text, const std::string& part) {
  if (part.empty()) return;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part))
    text.erase(at, part.size());
}

}  // namespace

std::shared_ptr<HtmlViewController> HtmlViewController::helpPage(const std::string& navName,
                                                                 const std::string& htmlName,
                                                                 const std::string& parentName) {
  auto page = std::make_shared<HtmlViewController>();
  page->setNavName(navName);
  page->setHtmlName(htmlName);
  page->setParentName(parentName);
  return page;
}

HtmlViewController::~HtmlViewController() {
  if (webView_) webView_->setDelegate(nullptr);
}

std::string HtmlViewController::helpFolder() {
  return files::join(Bundle::main().path(), "help");
}

std::optional<std::string> HtmlViewController::readPage(const std::string& name) {
  // A name that climbs out of the help folder is no help page.
  if (name.empty() || name.find("..") != std::string::npos) return std::nullopt;
  std::optional<std::string> text = files::readFile(files::join(helpFolder(), name));
  if (!text || !utf::isValidUtf8(*text)) return std::nullopt;
  return text;
}

void HtmlViewController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  setTitle(navName_);
  ScreenNavItems::install(*this, navName_, ParentName_);
  view()->setBackgroundColor(Color::white());
  webView_ = std::make_shared<WebView>(view()->bounds());
  webView_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  webView_->setOpaque(false);
  webView_->setBackgroundColor(Color::clear());
  webView_->setDelegate(this);
  view()->addSubview(webView_);
  // The appearance that follows opens an address page; opening it here too would open it twice.
  reloadPage(false);
}

void HtmlViewController::viewWillAppear(bool) {
  reloadPage();
}

bool HtmlViewController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) {
  return ui::turnsOnTablet(o);
}

void HtmlViewController::willAnimateRotationToInterfaceOrientation(InterfaceOrientation, double) {
  reloadPage();
}

void HtmlViewController::reloadPage(bool mayOpenOutside) {
  std::optional<std::string> page = readPage(htmlName_);
  if (!page) {
    // A page that cannot be read is left empty; a name that is an address opens outside.
    if (mayOpenOutside && isOutside(htmlName_)) openURLinHtml(htmlName_);
    return;
  }
  if (page->empty() && !mayOpenOutside) return;
  addHtml(*page);
}

void HtmlViewController::addHtml(const std::string& text) {
  if (text.empty()) {
    // An empty page file stands for the address it is named after.
    openURLinHtml(htmlName_);
    return;
  }
  webView_->loadHTMLString(text, "file://" + helpFolder() + "/");
}

void HtmlViewController::openURLinHtml(const std::string& address) {
  Application::shared().openURL(address);
}

bool HtmlViewController::shouldStartLoad(WebView& web, const std::string& url,
                                         WebNavigationType type) {
  if (type != WebNavigationType::LinkClicked) return true;
  std::string address;
  std::string title;
  const int count = std::atoi(web.stringByEvaluatingJavaScript("document.links.length").c_str());
  for (int i = 0; i < count; ++i) {
    address =
        web.stringByEvaluatingJavaScript("document.links[" + std::to_string(i) + "].toString()");
    if (!address.empty() && url.find(address) != std::string::npos) {
      title = web.stringByEvaluatingJavaScript("document.getElementById(\"" + std::to_string(i) +
                                               "\").innerHTML");
      break;
    }
  }
  if (startsWith(address, "file:")) {
    removeAll(address, web.stringByEvaluatingJavaScript("document.URL"));
    removeAll(address, "file://" + helpFolder() + "/");
  }
  if (isOutside(address)) {
    std::weak_ptr<ViewController> self = weak_from_this();
    RunLoop::main().perform([self, address] {
      if (auto screen = std::static_pointer_cast<HtmlViewController>(self.lock()))
        screen->openURLinHtml(address);
    });
    return false;
  }
  auto next = std::make_shared<HtmlViewController>();
  next->setNavName(title);
  next->setHtmlName(address);
  next->setParentName(navName_);
  if (NavigationController* nav = navigationController()) nav->pushViewController(next, true);
  return false;
}

void HtmlViewController::didFinishLoad(WebView& web) {
  web.stringByEvaluatingJavaScript("document.body.style.webkitTouchCallout='none';");
}
